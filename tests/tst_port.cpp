#include "PtyUnit.h"
#include "TestSupport.h"
#include "TestWindow.h"
#include "port/PortHandlers.h"
#include "ui/runtime/RuntimeError.h"

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

    void openFailures_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("settings refused 8015") << "8015";
        QTest::newRow("read failure 8020") << "8020";
        QTest::newRow("no device 8002") << "missing";
        QTest::newRow("held by another program 8005") << "busy";
    }
    void openFailures()
    {
        QFETCH(QString, failure);
        LoadedWindow w;
        if (failure == QLatin1String("missing"))
            w.fake->present = {QStringLiteral("elsewhere")};
        else if (failure == QLatin1String("busy"))
            w.fake->busy = {MSComm::devicePath(1)};
        else
            w.fake->failApplyWith = failure.toInt();
        w.setTime(QStringLiteral("00:00:42 "));
        w.open();
        QCOMPARE(
            w.onlyMessage(),
            TestWindow::message(
                48, QStringLiteral("Error opening comm port!"),
                QStringLiteral("An error has occurred while opening comm port 1.\r\n") + kCorrect));
        QVERIFY(w->optStatus->Value(1) && !w->optStatus->Value(0));
        QVERIFY(!w->MSComm1->PortOpen());
        QVERIFY(!w.clockRunning());
        QCOMPARE(w.time(), QStringLiteral("00:00:42 "));
    }

    void closeFailureKeepsPortOpen()
    {
        LoadedWindow w;
        w.open();
        w.fake->failCloseWith = Err::ApplyStateFailed;
        w.setTime(QStringLiteral("00:00:42 "));
        w.close();
        QCOMPARE(
            w.onlyMessage(),
            TestWindow::message(
                48, QStringLiteral("Error closing comm port!"),
                QStringLiteral("An error has occurred while closing comm port 1.\r\n") + kCorrect));
        QVERIFY(w->optStatus->Value(0));
        QVERIFY(w->MSComm1->PortOpen());
        QVERIFY(w.clockRunning());
        QCOMPARE(w.time(), QStringLiteral("00:00:00"));
    }

    void baudWhileClosed_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("settings");
        QTest::newRow("1200") << 0 << "Settings: 1200,n,8,1"
                              << "1200,n,8,1";
        QTest::newRow("4800") << 2 << "Settings: 4800,n,8,1"
                              << "4800,n,8,1";
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

    void baudValue_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << "9600"
                               << "9600";
        QTest::newRow("19.2k") << "19.2k"
                               << "19200";
        QTest::newRow("38.4k") << "38.4k"
                               << "38400";
        QTest::newRow("whole k") << "115k"
                                 << "115000";
        QTest::newRow("upper-case K is no k") << "2.4K"
                                              << "2.4K";
        QTest::newRow("no number") << "k"
                                   << "0";
    }
    void baudValue()
    {
        QFETCH(QString, item);
        QFETCH(QString, value);
        QCOMPARE(baudSettingValue(item), value);
    }

    void failingReopen_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("text");
        QTest::newRow("baud, settings refused")
            << "baud"
            << "A port error has occurred while changing the baud rate for comm port1.\r\n"
               "The port has been closed. " +
                   kCorrect;
        QTest::newRow("port, held by another program")
            << "port"
            << "A port error has occurred while changing the active comm port to comm 2.\r\n"
               "This port has been closed. " +
                   kCorrect;
    }
    void failingReopen()
    {
        QFETCH(QString, change);
        QFETCH(QString, text);
        LoadedWindow w;
        w.open();
        if (change == QLatin1String("baud")) {
            w.fake->failApplyWith = Err::ApplyStateFailed;
            w->cmbBaud->setListIndex(5);
            QCOMPARE(w.panel(QStringLiteral("Settings")), QStringLiteral("Settings: 38.4k,n,8,1"));
        } else {
            w.fake->busy = {MSComm::devicePath(2)};
            w->cmbComm->setListIndex(1);
            QCOMPARE(w->cmbComm->List(w->cmbComm->ListIndex()), QStringLiteral("2"));
        }
        QCOMPARE(w.onlyMessage(),
                 TestWindow::message(48, QStringLiteral("Error changing comm port!"), text));
        QVERIFY(w->optStatus->Value(1) && !w->optStatus->Value(0));
        QVERIFY(!w->MSComm1->PortOpen());
        QVERIFY(!w.clockRunning());
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

    void deviceLostWhileOpen()
    {
        QTemporaryDir dir;
        auto unit = std::make_unique<PtyUnit>();
        PortDir ports;
        ports.link(3, unit->slavePath());
        TestWindow w(TestWindow::Real);
        w->Load();
        const QString capture = dir.filePath(QStringLiteral("c.txt"));
        CaptureFile::number1().open(capture);
        Globals::blnSaving = true;
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
};

QTEST_MAIN(TestPort)
#include "tst_port.moc"
