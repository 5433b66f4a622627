#include "FakeSerialDevice.h"
#include "PtyUnit.h"
#include "TestSupport.h"
#include "port/MSComm.h"
#include "port/PortMap.h"
#include "port/QtSerialDevice.h"
#include "runtime/RuntimeError.h"

namespace {
struct FakeComm {
    FakeSerialDevice* fake = new FakeSerialDevice;
    MSComm comm{std::unique_ptr<SerialDevice>(fake)};
};
// The serial control on the real device, its port `n` a pseudo-terminal.
struct PtyComm {
    PtyUnit unit;
    PortDir ports;
    MSComm comm;
    explicit PtyComm(int n = 1)
    {
        ports.link(n, unit.slavePath());
        comm.setCommPort(n);
    }
};
} // namespace

class TestSerial : public QObject {
    Q_OBJECT
private slots:
    void fakeInputAndEvents()
    {
        FakeComm c;
        QSignalSpy events(&c.comm, &MSComm::OnComm);
        c.comm.setCommPort(2);
        c.comm.setSettings(u"19200,n,8,1"_s);
        c.comm.setPortOpen(true);
        QCOMPARE(c.fake->openedPath, portDevicePath(2));
        QCOMPARE(c.fake->settings.baud, 19200);
        QCOMPARE(errorOf([&] { c.comm.setCommPort(3); }), Err::PortBusy);
        c.fake->inject("hello");
        QCOMPARE(events.count(), 1);
        QCOMPARE(c.comm.CommEvent(), CommEv::Receive);
        c.comm.setInputLen(2);
        QCOMPARE(c.comm.Input(), QByteArray("he"));
        c.comm.setInputLen(c.comm.InBufferCount());
        QCOMPARE(c.comm.Input(), QByteArray("llo"));
        QCOMPARE(c.comm.InBufferCount(), 0);
        c.fake->injectEvent(CommEv::Frame);
        QCOMPARE(c.comm.CommEvent(), CommEv::Frame);
        c.comm.Output(QByteArray(" "));
        QCOMPARE(c.fake->written, QByteArray(" "));
        c.comm.setPortOpen(false);
        QCOMPARE(errorOf([&] { c.comm.Output(QByteArray("x")); }), Err::PortNotOpen);
    }

    void ptyBytesBothWays()
    {
        PtyComm p(4);
        auto& [unit, ports, comm] = p;
        comm.setSettings(u"2400,n,8,1"_s);
        comm.setPortOpen(true);
        QCOMPARE(unit.baudRate(), 2400);
        comm.setPortOpen(false);
        comm.setSettings(u"38400,n,8,1"_s);
        comm.setPortOpen(true);
        QCOMPARE(unit.baudRate(), 38400);

        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QSignalSpy events(&comm, &MSComm::OnComm);
        unit.send(all);
        QByteArray got;
        QTRY_VERIFY_WITH_TIMEOUT((got += comm.Input(), got.size() == 256), 5000);
        QCOMPARE(got, all);
        QVERIFY(events.count() >= 1);

        comm.Output(QByteArray("\x20\xff\x00", 3));
        QCOMPARE(unit.receive(3, 2000), QByteArray("\x20\xff\x00", 3));
    }

    void ptyOpeningDropsWhatCameWhileClosed()
    {
        PtyComm p;
        auto& [unit, ports, comm] = p;
        unit.send("stale");
        QTest::qWait(50);
        comm.setPortOpen(true);
        unit.send("fresh");
        QByteArray got;
        QTRY_VERIFY_WITH_TIMEOUT((got += comm.Input(), got.size() >= 5), 5000);
        QTest::qWait(50);
        QCOMPARE(got + comm.Input(), QByteArray("fresh"));
    }

    // Bytes that nobody takes for a while (the allowance holding events back) wait in the
    // program only up to its read buffer; the rest waits in the system, and nothing is lost.
    void ptyBacklogWaitsInTheSystem()
    {
        PtyComm p;
        auto& [unit, ports, comm] = p;
        comm.setPortOpen(true);
        QByteArray sent;
        for (int i = 0; sent.size() < 1024 * 1024; ++i)
            sent += QByteArray::number(i) + ' ';
        std::thread writer([&] { unit.send(sent); });
        // The program's buffer fills up to its size and no further while nobody takes from it.
        QTRY_COMPARE(comm.InBufferCount(), QtSerialDevice::kReadBufferBytes);
        QByteArray got;
        QTRY_VERIFY_WITH_TIMEOUT((got += comm.Input(), got.size() >= sent.size()), 20000);
        writer.join();
        QCOMPARE(got, sent);
    }

    // Bytes held in the system are read when the port closes, as bytes not held would have been.
    void ptyClosingTakesHeldBytes()
    {
        PtyComm p;
        auto& [unit, ports, comm] = p;
        comm.setPortOpen(true);
        comm.holdReads(60000);
        unit.send("last");
        QTRY_COMPARE(unit.waiting(), 4);
        QTest::qWait(20);
        QCOMPARE(comm.InBufferCount(), 0); // held
        QByteArray got;
        QObject::connect(&comm, &MSComm::OnComm, [&] { got += comm.Input(); });
        comm.setPortOpen(false);
        QCOMPARE(got, QByteArray("last"));
    }

    // A hang-up is reported exactly once, and only after the port is closed: Qt keeps
    // reporting errors for a vanished device, and a report before the close re-enters.
    void ptyHangUpReportedOnceAfterClosing()
    {
        PtyComm p;
        auto& [unit, ports, comm] = p;
        comm.setPortOpen(true);
        int lost = 0;
        bool openWhenReported = true;
        QObject::connect(&comm, &MSComm::DeviceLost, [&] {
            ++lost;
            openWhenReported = comm.PortOpen();
        });
        unit.send("last words\r\n");
        QTRY_COMPARE(comm.InBufferCount(), 12);
        unit.hangUp();
        QTRY_COMPARE_WITH_TIMEOUT(lost, 1, 5000);
        QTest::qWait(300); // no further reports
        QCOMPARE(lost, 1);
        QVERIFY(!openWhenReported);
        QVERIFY(!comm.PortOpen());
    }
};

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"
