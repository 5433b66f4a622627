#include "TestWindow.h"
#include "port/PortMap.h"

namespace {
const QString kCorrect = u"Please select a different port or correct the port error."_s;

// A loaded window on the fake device: every port exists, port 1 and 9600 are selected.
struct LoadedWindow : TestWindow {
    LoadedWindow() { window->Load(); }
    void open() { window->optStatus->setValue(0, true); }
    void close() { window->optStatus->setValue(1, true); }
    QString time() const { return panel(u"Time"_s); }
};
struct FailureRow {
    const char* name;
    const char* action;  // what the operator does: open, close, baud or port
    const char* failure; // how the device fails: an error number, missing, busy or close
    QString message;
    bool openAfter;
};
} // namespace

class TestPort : public QObject {
    Q_OBJECT
private slots:
    void openAndCloseRunClockAndBaud()
    {
        LoadedWindow w;
        w.open();
        QCOMPARE(w.state(), kOpenState);
        QCOMPARE(w.time(), u"00:00:00"_s);
        QTRY_COMPARE_WITH_TIMEOUT(w.time(), u"00:00:01 "_s, 3000);
        Globals::dtRunStart = QDateTime::currentDateTime().addSecs(-65);
        w->tmrRun_Timer();
        QCOMPARE(w.time(), u"00:01:05 "_s);
        w.close();
        QCOMPARE(w.state(), kClosedState);
        QCOMPARE(w.time(), u"00:01:05 "_s);
        // A baud rate chosen while closed is only noted: the device is not touched.
        w.fake->failApplyWith = Err::ApplyStateFailed;
        w->cmbBaud->setListIndex(4);
        QCOMPARE(w.panel(u"Settings"_s), u"Settings: 19.2k,n,8,1"_s);
        QCOMPARE(w->MSComm1->Settings(), u"19200,n,8,1"_s);
        w.fake->failApplyWith = 0;
        w.open();
        QCOMPARE(w.time(), u"00:00:00"_s);
        QVERIFY(w.prompter.messages.isEmpty());
    }

    void portFailures_data()
    {
        const auto box = [](const char* title, const QString& text) {
            return TestWindow::message(48, QLatin1String(title), text + kCorrect);
        };
        const QString opening = box("Error opening comm port!",
                                    u"An error has occurred while opening comm port 1.\r\n"_s);
        const FailureRow rows[] = {
            {"open, settings refused", "open", "8015", opening, false},
            {"open, no device", "open", "missing", opening, false},
            {"close fails", "close", "close",
             box("Error closing comm port!",
                 u"An error has occurred while closing comm port 1.\r\n"_s),
             true},
            {"baud, settings refused", "baud", "8015",
             box("Error changing comm port!",
                 u"A port error has occurred while changing the baud rate for comm port1.\r\n"
                 "The port has been closed. "_s),
             false},
            {"port, held elsewhere", "port", "busy",
             box("Error changing comm port!",
                 u"A port error has occurred while changing the active comm port to comm 2.\r\n"
                 "This port has been closed. "_s),
             false},
        };
        addRows(rows);
    }
    void portFailures()
    {
        QFETCH(FailureRow, row);
        const QLatin1String action(row.action), failure(row.failure);
        const bool openAfter = row.openAfter;
        LoadedWindow w;
        if (action != "open"_L1)
            w.open();
        if (failure == "missing"_L1)
            w.fake->present = {u"elsewhere"_s};
        else if (failure == "busy"_L1)
            w.fake->busy = {portDevicePath(action == "port"_L1 ? 2 : 1)};
        else if (failure == "close"_L1)
            w.fake->failCloseWith = Err::ApplyStateFailed;
        else
            w.fake->failApplyWith = failure.toInt();
        w->sbStatus->Panels(u"Time"_s)->setText(u"00:00:42 "_s);
        if (action == "open"_L1)
            w.open();
        else if (action == "close"_L1)
            w.close();
        else if (action == "baud"_L1)
            w->cmbBaud->setListIndex(5);
        else
            w->cmbComm->setListIndex(1);
        QCOMPARE(w.onlyMessage(), row.message);
        // The buttons and the clock follow the port's real state.
        QCOMPARE(w.state(), openAfter ? kOpenState : kClosedState);
        QCOMPARE(w.time(), openAfter ? u"00:00:00"_s : u"00:00:42 "_s);
        if (action == "baud"_L1)
            QCOMPARE(w.panel(u"Settings"_s), u"Settings: 38.4k,n,8,1"_s);
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
        const QList<int> rates{1200, 2400, 4800, 9600, 19200, 38400};
        for (int i : {0, 1, 2, 3, 5, 4}) { // every rate set on the line itself, 19.2k last
            w->cmbBaud->setListIndex(i);
            QCOMPARE(unit3.baudRate(), rates[i]);
        }
        QCOMPARE(w.state(), kOpenState);
        QCOMPARE(Globals::dtRunStart, started);
        w->cmbComm->setListIndex(1);
        QCOMPARE(w->MSComm1->CommPort(), 5);
        QCOMPARE(w.state(), kOpenState);
        QCOMPARE(unit5.baudRate(), 19200);
        QCOMPARE(Globals::dtRunStart, started);
        unit5.send("from five\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(w->txtTerm->Text(), u"from five\r\n"_s, 5000);
        QVERIFY(w.prompter.messages.isEmpty());
    }

    // The device goes, by its far end closing or by a hang-up (the kernel's way with a USB
    // adapter pulled out, which discards what waits unread), while the allowance of the period
    // is used up and reads are held for the pane's pass: every byte that had reached the machine
    // is still shown and captured, one message says so, and the program then rests.
    void deviceLost_data()
    {
        QTest::addColumn<bool>("hangUp");
        QTest::newRow("far end closed") << false;
        QTest::newRow("hung up") << true;
    }
    void deviceLost()
    {
        QFETCH(bool, hangUp);
        PtyWindow w;
        const QString capture = w.captureTo(u"c.txt"_s);
        w->btnSave->click();
        w->tmrEvents->setEnabled(false);
        w->optStatus->setValue(0, true);
        Globals::intEventCount = 301;
        w->MSComm1->holdReads(60000);
        QByteArray sent;
        for (int i = 0; i < 100; ++i)
            sent += "line " + QByteArray::number(i) + "\r\n";
        w.unit->send(sent);
        // Read from the system at once, and held back.
        QTRY_COMPARE(w->MSComm1->device().bytesAvailable(), qint64(sent.size()));
        QVERIFY(w->txtTerm->Text().isEmpty());
        QStringList states; // the window's when the box comes up
        w.prompter.onMessage = [&](const MessageBoxCall&) { states << w.state(); };
        if (!hangUp)
            w.unit.reset();
        else if (!w.unit->hangUp())
            QSKIP("hanging a line up needs CAP_SYS_ADMIN");
        QTRY_COMPARE_WITH_TIMEOUT(w.prompter.messages.size(), 1, 5000);
        // Closed, with the clock stopped, already while the box is up.
        QCOMPARE(states, QStringList{kClosedState});
        QCOMPARE(w.prompter.messages.first().text,
                 u"An error has occurred while reading comm port 1.\r\n"
                 "Please select a different port or correct the port error."_s);
        QCOMPARE(w->txtTerm->Text().toLatin1(), sent);
        QCOMPARE(fileContents(capture), sent);
        QVERIFY(Globals::intEventCount <= 301);
        // Nothing goes on working on the lost device.
        const double cpu = cpuSeconds();
        QTest::qWait(1000);
        QVERIFY2(cpuSeconds() - cpu < 0.3, qPrintable(QString::number(cpuSeconds() - cpu)));
        QCOMPARE(w.prompter.messages.size(), 1);
    }
};

QTEST_MAIN(TestPort)
#include "tst_port.moc"
