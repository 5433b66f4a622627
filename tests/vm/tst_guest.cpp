// Runs inside the QEMU guest that vm_test.py boots: the window on the kernel's own serial
// drivers, a USB adapter (ftdi_sio, port 5) and a UART (8250, port 2), while the host plays the
// unit. It tells the host each step in a console line "vm: WORD ..." and waits for the host's
// stream; the host judges the capture against what it sent and what the driver received.

#include "TestWindow.h"

#include <QEventLoop>
#include <QFileInfo>

#include <cstdio>

namespace {

void say(const QByteArray& line)
{
    std::fprintf(stdout, "vm: %s\n", line.constData());
    std::fflush(stdout);
}

// Everything the capture file holds, for the host to judge.
void sayCapture(const QString& path)
{
    say("capture " + fileContents(path).toBase64());
}

// A window on real port `port`, which is `device`, with capture on into a fresh file.
struct DeviceWindow : TestWindow {
    DeviceWindow(int port, const QString& device) : TestWindow(Real)
    {
        ports.link(port, device);
        window->Load();
        capture = captureTo(u"capture.txt"_s);
        window->btnSave->click();
        window->optStatus->setValue(0, true);
    }
    bool captured(const QByteArray& end) const { return fileContents(capture).endsWith(end); }
    PortDir ports;
    QString capture;
};

// The CPU this process uses over 10 s of rest, in an event loop that sleeps between events
// (QTest::qWait would wake it every 10 ms).
double restingCpu()
{
    const double before = cpuSeconds();
    QEventLoop rest;
    QTimer::singleShot(10000, &rest, &QEventLoop::quit);
    rest.exec();
    const double cpu = cpuSeconds() - before;
    say("rested " + QByteArray::number(cpu, 'f', 3));
    return cpu;
}

} // namespace

class TestGuest : public QObject {
    Q_OBJECT
private slots:
    // The adapter is pulled out while the host streams: one box, the program rests, and every
    // byte read before the loss is captured; plugged back, the port opens and capture goes on.
    void usbAdapterPulledOut()
    {
        DeviceWindow w(5, u"/dev/ttyUSB0"_s);
        QCOMPARE(w.state(), kOpenState);
        say("ready usb");
        QTRY_COMPARE_WITH_TIMEOUT(w.prompter.messages.size(), 1, 60000);
        QCOMPARE(w.state(), kClosedState);
        QCOMPARE(w.prompter.messages.first().text,
                 u"An error has occurred while reading comm port 5.\r\n"
                 "Please select a different port or correct the port error."_s);
        say("lost usb");
        const double cpu = restingCpu();
        QVERIFY2(cpu < 0.2, qPrintable(u"%1 s of CPU in the 10 s after the loss"_s.arg(cpu)));
        QCOMPARE(w.prompter.messages.size(), 1);
        sayCapture(w.capture);
        say("unplugged usb");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(u"/dev/ttyUSB0"_s), 60000);
        w->optStatus->setValue(0, true);
        QCOMPARE(w.state(), kOpenState);
        say("ready-again usb");
        QTRY_VERIFY_WITH_TIMEOUT(w.captured("END\r\n"), 60000);
        QCOMPARE(w.prompter.messages.size(), 1);
        sayCapture(w.capture);
    }

    // The far end of the UART goes away and comes back: a UART cannot tell, so the program
    // rests without a box and takes the stream again when it resumes.
    void uartFarEndClosed()
    {
        DeviceWindow w(2, u"/dev/ttyS1"_s);
        QCOMPARE(w.state(), kOpenState);
        say("ready uart");
        QTRY_VERIFY_WITH_TIMEOUT(w.captured("PAUSE\r\n"), 60000);
        say("closed uart");
        const double cpu = restingCpu();
        QVERIFY2(cpu < 0.2, qPrintable(u"%1 s of CPU in the 10 s after the close"_s.arg(cpu)));
        QCOMPARE(w.state(), kOpenState);
        say("ready-again uart");
        QTRY_VERIFY_WITH_TIMEOUT(w.captured("END\r\n"), 60000);
        QCOMPARE(w.prompter.messages.size(), 0);
        sayCapture(w.capture);
    }
};

QTEST_MAIN(TestGuest)
#include "tst_guest.moc"
