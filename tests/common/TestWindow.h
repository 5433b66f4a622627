#pragma once

#include "FakeSerialDevice.h"
#include "Holder.h"
#include "PtyUnit.h"
#include "RecordingPrompter.h"
#include "TestSupport.h"
#include "capture/CaptureFile.h"
#include "core/Globals.h"
#include "port/MSComm.h"
#include "ui/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>

// TestWindow::state() of a window with its port open or closed, as it should be.
inline const QString kOpenState = u"port open, Open selected, clock running"_s;
inline const QString kClosedState = u"port closed, Closed selected, clock stopped"_s;

// A main window in design state with fresh shared state and a recording prompter; on the fake
// serial device unless the real one is asked for.
class TestWindow {
public:
    enum Device { Fake, Real };
    explicit TestWindow(Device device = Fake);
    ~TestWindow();

    frmMain* operator->() const { return window.get(); }
    frmMain& operator*() const { return *window; }
    QString panel(const QString& key) const;
    // The capture switch's caption on its button and in the File menu, "button | menu".
    QString saveCaptions() const
    {
        return window->btnSave->text() + " | " + window->mnuSave->text();
    }
    // Shows the window as the active one, which keys and shortcuts need; false if it never is.
    bool showActive() const
    {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }
    // "port open|closed, Open|Closed selected, clock running|stopped".
    QString state() const;
    // The one message box shown so far as "style | title | text", or how many there were.
    QString onlyMessage() const;
    static QString message(int style, const QString& title, const QString& text);
    // Makes `name` in the scratch folder the capture target; returns its path.
    QString captureTo(const QString& name);

    QTemporaryDir files; // a scratch folder for capture files
    RecordingPrompter prompter;
    FakeSerialDevice* fake = nullptr; // owned by the window; null on the real device
    std::unique_ptr<frmMain> window;
};

// A window on the fake device with its port open and the allowance timer held, so that tests
// drive the allowance themselves.
struct OpenFakeWindow : TestWindow {
    OpenFakeWindow();
    void receive(const QByteArray& bytes) { fake->inject(bytes); }
};

// A loaded window on the real serial device whose port `port` is a pseudo-terminal playing the
// unit.
struct PtyWindow : TestWindow {
    explicit PtyWindow(int port = 1);
    std::unique_ptr<PtyUnit> unit = std::make_unique<PtyUnit>();
    PortDir ports;
};
