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

TestWindow::~TestWindow()
{
    window.reset();
    CaptureFile::closeAll();
    setPrompter(nullptr);
    Globals::reset();
}

QString TestWindow::panel(const QString& key) const
{
    return window->sbStatus->Panels(key)->text();
}
