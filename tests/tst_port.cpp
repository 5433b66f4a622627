#include "PtyUnit.h"
#include "TestSupport.h"
#include "TestWindow.h"
#include "port/PortMap.h"
#include "runtime/RuntimeError.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kCorrect =
    QStringLiteral("Please select a different port or correct the port error.");

// A loaded window on the fake device: every port exists, port 1 and 9600 are selected.
struct LoadedWindow : TestWindow {
    LoadedWindow() { window->Load(); }
    void open() { window->optStatus->setValue(0, true); }
    void close() { window->optStatus->setValue(1, true); }
    bool clockRunning() const { return window->tmrRun->Enabled(); }
    QString time() const { return panel(QStringLiteral("Time")); }
    void setTime(const QString& text)
    {
        window->sbStatus->Panels(QStringLiteral("Time"))->setText(text);
    }
};
// A loaded window on the real device, port 3 a pseudo-terminal, capturing into a scratch file.
struct CapturingOnPty {
    QTemporaryDir dir;
    std::unique_ptr<PtyUnit> unit = std::make_unique<PtyUnit>();
    PortDir ports;
    TestWindow w{TestWindow::Real};
    QString capture = dir.filePath(QStringLiteral("c.txt"));

    CapturingOnPty()
    {
        ports.link(3, unit->slavePath());
        w->Load();
        CaptureFile::number1().open(capture);
        Globals::blnSaving = true;
    }
};
} // namespace

class TestPort : public QObject {
    Q_OBJECT
private slots:
    void openAndCloseRunClock()
    {
        LoadedWindow w;
        w.open();
        QVERIFY(w->MSComm1->PortOpen());
        QVERIFY(w->optStatus->Value(0));
        QCOMPARE(w.time(), QStringLiteral("00:00:00"));
        QVERIFY(w.clockRunning());
        QVERIFY(qAbs(Globals::dtRunStart.msecsTo(QDateTime::currentDateTime())) < 5000);
        QTRY_COMPARE_WITH_TIMEOUT(w.time(), QStringLiteral("00:00:01 "), 3000);
        Globals::dtRunStart = QDateTime::currentDateTime().addSecs(-65);
        w->tmrRun_Timer();
        QCOMPARE(w.time(), QStringLiteral("00:01:05 "));
        w.close();
        QVERIFY(!w->MSComm1->PortOpen());
        QVERIFY(!w.clockRunning());
        QCOMPARE(w.time(), QStringLiteral("00:01:05 "));
        w.open();
        QCOMPARE(w.time(), QStringLiteral("00:00:00"));
        QVERIFY(w.prompter.messages.isEmpty());
    }

    void portFailures_data()
    {
        QTest::addColumn<QString>("action");  // what the operator does
        QTest::addColumn<QString>("failure"); // how the device fails
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("openAfter");
        const auto box = [](const char* title, const QString& text) {
            return TestWindow::message(48, QLatin1String(title), text + kCorrect);
        };
        const QString opening =
            box("Error opening comm port!", "An error has occurred while opening comm port 1.\r\n");
        QTest::newRow("open, settings refused") << "open"
                                                << "8015" << opening << false;
        QTest::newRow("open, read failure") << "open"
                                            << "8020" << opening << false;
        QTest::newRow("open, no device") << "open"
                                         << "missing" << opening << false;
        QTest::newRow("open, held elsewhere") << "open"
                                              << "busy" << opening << false;
        QTest::newRow("close fails") << "close"
                                     << "close"
                                     << box("Error closing comm port!",
                                            "An error has occurred while closing comm port 1.\r\n")
                                     << true;
        QTest::newRow("baud, settings refused")
            << "baud"
            << "8015"
            << box("Error changing comm port!", "A port error has occurred while changing the "
                                                "baud rate for comm port1.\r\nThe port has been "
                                                "closed. ")
            << false;
        QTest::newRow("port, held elsewhere")
            << "port"
            << "busy"
            << box("Error changing comm port!", "A port error has occurred while changing the "
                                                "active comm port to comm 2.\r\nThis port has "
                                                "been closed. ")
            << false;
    }
    void portFailures()
    {
        QFETCH(QString, action);
        QFETCH(QString, failure);
        QFETCH(QString, message);
        QFETCH(bool, openAfter);
        LoadedWindow w;
        if (action != QLatin1String("open"))
            w.open();
        if (failure == QLatin1String("missing"))
            w.fake->present = {QStringLiteral("elsewhere")};
        else if (failure == QLatin1String("busy"))
            w.fake->busy = {portDevicePath(action == QLatin1String("port") ? 2 : 1)};
        else if (failure == QLatin1String("close"))
            w.fake->failCloseWith = Err::ApplyStateFailed;
        else
            w.fake->failApplyWith = failure.toInt();
        w.setTime(QStringLiteral("00:00:42 "));
        if (action == QLatin1String("open"))
            w.open();
        else if (action == QLatin1String("close"))
            w.close();
        else if (action == QLatin1String("baud"))
            w->cmbBaud->setListIndex(5);
        else
            w->cmbComm->setListIndex(1);
        QCOMPARE(w.onlyMessage(), message);
        // The buttons and the clock follow the port's real state.
        QCOMPARE(w->MSComm1->PortOpen(), openAfter);
        QCOMPARE(w->optStatus->Value(0), openAfter);
        QCOMPARE(w->optStatus->Value(1), !openAfter);
        QCOMPARE(w.clockRunning(), openAfter);
        QCOMPARE(w.time(), openAfter ? QStringLiteral("00:00:00") : QStringLiteral("00:00:42 "));
        if (action == QLatin1String("baud"))
            QCOMPARE(w.panel(QStringLiteral("Settings")), QStringLiteral("Settings: 38.4k,n,8,1"));
    }

    void baudWhileClosed_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("settings");
        QTest::newRow("19.2k") << 4 << "Settings: 19.2k,n,8,1"
                               << "19200,n,8,1";
        QTest::newRow("38.4k") << 5 << "Settings: 38.4k,n,8,1"
                               << "38400,n,8,1";
    }
    void baudWhileClosed()
    {
        QFETCH(int, index);
        QFETCH(QString, panel);
        QFETCH(QString, settings);
        LoadedWindow w;
        w.fake->failApplyWith = Err::ApplyStateFailed; // never touched while closed
        w->cmbBaud->setListIndex(index);
        QCOMPARE(w.panel(QStringLiteral("Settings")), panel);
        QCOMPARE(w->MSComm1->Settings(), settings);
        QVERIFY(!w->MSComm1->PortOpen());
        QVERIFY(w.prompter.messages.isEmpty());
    }

    void changesWhileOpenOnRealLines()
    {
        PtyUnit unit3, unit5;
        PortDir ports;
        ports.link(3, unit3.slavePath());
        ports.link(5, unit5.slavePath());
        TestWindow w(TestWindow::Real);
        w->Load();
        w->optStatus->setValue(0, true);
        QCOMPARE(unit3.baudRate(), 9600);
        const QDateTime started = Globals::dtRunStart;
        w->cmbBaud->setListIndex(4);
        QCOMPARE(unit3.baudRate(), 19200);
        QVERIFY(w->MSComm1->PortOpen() && w->optStatus->Value(0) && w->tmrRun->Enabled());
        QCOMPARE(Globals::dtRunStart, started);
        w->cmbComm->setListIndex(1);
        QCOMPARE(w->MSComm1->CommPort(), 5);
        QVERIFY(w->MSComm1->PortOpen() && w->optStatus->Value(0) && w->tmrRun->Enabled());
        QCOMPARE(unit5.baudRate(), 19200);
        QCOMPARE(Globals::dtRunStart, started);
        unit5.send("from five\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(w->txtTerm->Text(), QStringLiteral("from five\r\n"), 5000);
        QVERIFY(w.prompter.messages.isEmpty());
    }

    void fakeUnplugWhileOpen()
    {
        LoadedWindow w;
        w.open();
        w.fake->inject("kept\r");
        w.fake->unplug();
        QTRY_COMPARE(w.prompter.messages.size(), 1); // the reaction is queued
        QCOMPARE(w.prompter.messages[0].title, QStringLiteral("Error reading comm port!"));
        // Closed, with the clock stopped, already while the box is up.
        QCOMPARE(w.prompter.statesAtMessages,
                 QStringList{"port closed, Closed selected, clock stopped"});
        QVERIFY(w->optStatus->Value(1) && !w->MSComm1->PortOpen() && !w.clockRunning());
        QCOMPARE(w->txtTerm->Text(), QStringLiteral("kept\r\n"));
    }

    void deviceLostWhileOpen()
    {
        CapturingOnPty p;
        auto& [dir, unit, ports, w, capture] = p;
        w->optStatus->setValue(0, true);
        unit->send("before\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(w->txtTerm->Text(), QStringLiteral("before\r\n"), 5000);
        unit.reset();
        QTRY_COMPARE_WITH_TIMEOUT(w.prompter.messages.size(), 1, 5000);
        QCOMPARE(
            w.onlyMessage(),
            TestWindow::message(
                48, QStringLiteral("Error reading comm port!"),
                QStringLiteral("An error has occurred while reading comm port 3.\r\n") + kCorrect));
        QCOMPARE(w.prompter.statesAtMessages,
                 QStringList{"port closed, Closed selected, clock stopped"});
        QVERIFY(w->optStatus->Value(1) && !w->MSComm1->PortOpen() && !w->tmrRun->Enabled());
        QCOMPARE(w->txtTerm->Text(), QStringLiteral("before\r\n"));
        QCOMPARE(fileContents(capture), QByteArray("before\r\n"));
        const double cpu = cpuSeconds();
        QTest::qWait(1000);
        QCOMPARE(w.prompter.messages.size(), 1);
        QVERIFY2(cpuSeconds() - cpu < 0.3, qPrintable(QString::number(cpuSeconds() - cpu)));

        // The device is back: opening works again.
        PtyUnit back;
        QFile::remove(ports.path() + QStringLiteral("/com3"));
        ports.link(3, back.slavePath());
        w->optStatus->setValue(0, true);
        QVERIFY(w->MSComm1->PortOpen());
        back.send("after\r");
        QTRY_COMPARE_WITH_TIMEOUT(w->txtTerm->Text(), QStringLiteral("before\r\nafter\r\n"), 5000);
        QCOMPARE(w.prompter.messages.size(), 1);
    }

    // The allowance of the period is used up when the device goes: what it had sent is still
    // shown and captured.
    void deviceLostWithAllowanceUsedUp()
    {
        CapturingOnPty p;
        auto& [dir, unit, ports, w, capture] = p;
        w->tmrEvents->setEnabled(false);
        w->optStatus->setValue(0, true);
        Globals::intEventCount = 301;
        QByteArray sent;
        for (int i = 0; i < 100; ++i)
            sent += "line " + QByteArray::number(i) + "\r\n";
        unit->send(sent);
        QTest::qWait(100); // arrived, and held back by the allowance
        QVERIFY(w->txtTerm->Text().isEmpty());
        unit.reset();
        QTRY_COMPARE_WITH_TIMEOUT(w.prompter.messages.size(), 1, 5000);
        QCOMPARE(w->txtTerm->Text().toLatin1(), sent);
        QCOMPARE(fileContents(capture), sent);
        QVERIFY(Globals::intEventCount <= 301);
    }

    // With no usable port listed, "Open" opens nothing and says why.
    void openWithEmptyPortList()
    {
        TestWindow w;
        w.fake->present = {QStringLiteral("no such port")};
        w->Load();
        QCOMPARE(w->cmbComm->ListCount(), 0);
        w.prompter.messages.clear();
        w.prompter.statesAtMessages.clear();
        w->optStatus->setValue(0, true);
        QCOMPARE(
            w.onlyMessage(),
            TestWindow::message(16, QStringLiteral("No comm ports found!"),
                                QStringLiteral("No valid comm ports found! Please install a "
                                               "valid serial port and restart this software.")));
        QVERIFY(w->optStatus->Value(1) && !w->MSComm1->PortOpen() && !w->tmrRun->Enabled());
    }
};

QTEST_MAIN(TestPort)
#include "tst_port.moc"
