#include "TestWindow.h"

class TestReceive : public QObject {
    Q_OBJECT
private slots:
    // A slow stream is read once per pass of the pane, every byte in order; while the handshake
    // waits for the banner, each chunk is read as it comes.
    void slowStreamReadOncePerPass_data()
    {
        QTest::addColumn<bool>("handshake");
        QTest::newRow("streaming") << false;
        QTest::newRow("handshake pending") << true;
    }
    void slowStreamReadOncePerPass()
    {
        QFETCH(bool, handshake);
        PtyWindow w;
        w->MSComm1->setPortOpen(true);
        if (handshake)
            w->commandAccess.start();
        QSignalSpy events(w->MSComm1, &MSComm::OnComm);
        constexpr int kChunks = 60;
        QString sent;
        QTimer chunks;
        QObject::connect(&chunks, &QTimer::timeout, [&] {
            const QString line = u"reading %1\r"_s.arg(sent.size());
            sent += line + u'\n';
            w.unit->send(line.toLatin1());
            if (sent.count(u'\n') == kChunks)
                chunks.stop();
        });
        chunks.start(10);
        QTRY_VERIFY_WITH_TIMEOUT(!chunks.isActive(), 10000);
        QTRY_COMPARE(w->txtTerm->Text(), sent);
        QVERIFY2(handshake == (events.count() > kChunks / 2),
                 qPrintable(u"%1 events"_s.arg(events.count())));
    }

    // A burst that waits in the system is taken by the event that finds it, whole, not one
    // delivery of the system per event; a flood is taken in events of a bounded size.
    void ptyBurstTakenAtOnce_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("mostEvents");
        QTest::newRow("burst") << 16000 << 2;
        QTest::newRow("flood") << 4 * 1024 * 1024 << 4 * 1024 * 1024 / 4095 / 4;
    }
    void ptyBurstTakenAtOnce()
    {
        QFETCH(int, bytes);
        QFETCH(int, mostEvents);
        QByteArray sent; // numbered lines, so that bytes out of order show
        for (int line = 0; sent.size() < bytes; ++line)
            sent += QByteArray::number(line).rightJustified(7, '0') + '\r';
        QByteArray captured = sent;
        captured.replace('\r', "\r\n");
        PtyWindow w;
        const QString path = w.captureTo(u"burst.txt"_s);
        w->optStatus->setValue(0, true);
        w->btnSave->click();
        qint64 most = 0, taken = 0; // what each event wrote to the capture file
        QObject::connect(w->MSComm1, &MSComm::OnComm, [&] {
            const qint64 size = QFileInfo(path).size();
            most = qMax(most, size - taken);
            taken = size;
        });
        QSignalSpy events(w->MSComm1, &MSComm::OnComm);
        std::thread writer([&] { w.unit->send(sent); });
        QTRY_COMPARE_WITH_TIMEOUT(taken, qint64(captured.size()), 20000);
        writer.join();
        QVERIFY(fileContents(path) == captured);
        QVERIFY2(events.count() <= mostEvents, qPrintable(QString::number(events.count())));
        QVERIFY2(most <= MSComm::kMostWaitingBytes * 9 / 8, qPrintable(QString::number(most)));
    }

    void eventAllowance()
    {
        OpenFakeWindow w;
        w->tmrNoData->setEnabled(true);
        w.fake->injectEvent(CommEv::Break); // a line event only counts
        QCOMPARE(Globals::intEventCount, qint16(1));
        QVERIFY(w->tmrNoData->Enabled());
        QCOMPARE(w.panel(u"Status"_s), u"Input: Not Receiving"_s);
        for (int i = 0; i < 300; ++i)
            w.receive("x");
        QVERIFY(!w->tmrNoData->Enabled());
        QCOMPARE(w->txtTerm->Length(), 300);
        w.receive("HELD"); // the 302nd event of the period does nothing
        QCOMPARE(w->txtTerm->Length(), 300);
        QCOMPARE(Globals::intEventCount, qint16(301));
        // The renewal handles what was held back, though the unit sends nothing more.
        w->tmrEvents_Timer();
        QVERIFY(w->txtTerm->Text().endsWith(u"HELD"_s));
        QCOMPARE(Globals::intEventCount, qint16(1));
        w->tmrEvents_Timer(); // nothing waiting: no event
        QCOMPARE(Globals::intEventCount, qint16(0));
    }

    // On a quiet line the allowance timer stops ticking, still enabled; the next event starts
    // a fresh period.
    void allowanceTimerDozesOnQuietLine()
    {
        TestWindow w;
        w->MSComm1->setPortOpen(true);
        Timer* timer = w->tmrEvents;
        w.fake->inject("x");
        w->tmrEvents_Timer(); // the period held an event: it ticks on
        QSignalSpy ticks(timer, &Timer::Tick);
        QTRY_COMPARE_WITH_TIMEOUT(ticks.count(), 1, 2000);
        QTest::qWait(timer->Interval() * 3);
        QCOMPARE(ticks.count(), 1); // then it dozes
        QVERIFY(timer->Enabled());
        w.fake->inject("y");
        QCOMPARE(Globals::intEventCount, qint16(1));
        QTRY_COMPARE_WITH_TIMEOUT(Globals::intEventCount, qint16(0), timer->Interval() * 3);
        QCOMPARE(w->txtTerm->Text(), u"xy"_s);
    }

    // What came while the port was closed is dropped when it opens; bytes that came while
    // reads were held are taken when the port closes, as bytes not held would have been.
    void ptyOpeningAndClosing()
    {
        PtyWindow w;
        w.unit->send("stale");
        QTRY_COMPARE(w.unit->waiting(), 5);
        w->optStatus->setValue(0, true);
        w.unit->send("fresh");
        QTRY_COMPARE(w->txtTerm->Text(), u"fresh"_s);
        w->MSComm1->holdReads(60000);
        w.unit->send("last");
        QTRY_COMPARE(w.unit->waiting(), 0);
        QTest::qWait(20);
        QCOMPARE(w->txtTerm->Text(), u"fresh"_s); // held
        w->optStatus->setValue(1, true);
        QCOMPARE(w->txtTerm->Text(), u"freshlast"_s);
    }
};

QTEST_MAIN(TestReceive)
#include "tst_receive.moc"
