#include "TestWindow.h"

#include <QLabel>

TestWindow::TestWindow(Device device)
{
    Globals::reset();
    CaptureFile::closeAll();
    setPrompter(&prompter);
    std::unique_ptr<SerialDevice> serial;
    if (device == Fake) {
        auto owned = std::make_unique<FakeSerialDevice>();
        fake = owned.get();
        serial = std::move(owned);
    }
    window = std::make_unique<frmMain>(std::move(serial));
}

QString TestWindow::state() const
{
    return u"port %1, %2 selected, clock %3"_s.arg(
        window->MSComm1->PortOpen() ? u"open"_s : u"closed"_s,
        window->optStatus->Value(0) ? u"Open"_s : u"Closed"_s,
        window->tmrRun->Enabled() ? u"running"_s : u"stopped"_s);
}

TestWindow::~TestWindow()
{
    window.reset();
    CaptureFile::closeAll();
    setPrompter(nullptr);
    Globals::reset();
}

OpenFakeWindow::OpenFakeWindow()
{
    window->tmrEvents->setEnabled(false);
    window->MSComm1->setPortOpen(true);
}

QString TestWindow::panel(const QString& key) const
{
    return window->sbStatus->Panels(key)->text();
}

QString TestWindow::message(int style, const QString& title, const QString& text)
{
    return u"%1 | %2 | %3"_s.arg(style).arg(title, text);
}

QString TestWindow::onlyMessage() const
{
    if (prompter.messages.size() != 1)
        return u"%1 message boxes"_s.arg(prompter.messages.size());
    const MessageBoxCall& m = prompter.messages.first();
    return message(m.style, m.title, m.text);
}

QString TestWindow::captureTo(const QString& name)
{
    Globals::strSavePath = files.path() + u'/';
    Globals::strFileName = name;
    return files.filePath(name);
}

PtyWindow::PtyWindow(int port) : TestWindow(Real)
{
    ports.link(port, unit->slavePath());
    window->Load();
}
