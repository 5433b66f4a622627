#include "PtyUnit.h"
#include "TestSupport.h"
#include "port/FakeSerialDevice.h"
#include "port/MSComm.h"
#include "port/PortMap.h"
#include "ui/runtime/RuntimeError.h"

#include <QSignalSpy>
#include <QTest>

namespace {
struct FakeComm {
    FakeSerialDevice* fake = new FakeSerialDevice;
    MSComm comm{std::unique_ptr<SerialDevice>(fake)};
};
} // namespace

class TestSerial : public QObject {
    Q_OBJECT
private slots:
    void portMap_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("device");
        QTest::newRow("1") << 1 << "/dev/ttyS0";
        QTest::newRow("4") << 4 << "/dev/ttyS3";
        QTest::newRow("5") << 5 << "/dev/ttyUSB0";
        QTest::newRow("12") << 12 << "/dev/ttyUSB7";
        QTest::newRow("13") << 13 << "/dev/ttyACM0";
        QTest::newRow("16") << 16 << "/dev/ttyACM3";
    }
    void portMap()
    {
        QFETCH(int, port);
        QFETCH(QString, device);
        const QByteArray saved = qgetenv("BRENIX_PORT_DIR");
        qunsetenv("BRENIX_PORT_DIR");
        QCOMPARE(portDevicePath(port), device);
        qputenv("BRENIX_PORT_DIR", "/srv/ports");
        QCOMPARE(portDevicePath(port), QStringLiteral("/srv/ports/com%1").arg(port));
        qputenv("BRENIX_PORT_DIR", saved);
    }

    void openFailures_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("error");
        QTest::newRow("missing") << "missing" << Err::NoSuchPort;
        QTest::newRow("busy") << "busy" << Err::PortBusy;
        QTest::newRow("settings refused") << "apply" << Err::ApplyStateFailed;
    }
    void openFailures()
    {
        QFETCH(QString, script);
        QFETCH(int, error);
        FakeComm c;
        const QString path = MSComm::devicePath(3);
        if (script == QLatin1String("missing"))
            c.fake->present = {MSComm::devicePath(2)};
        else if (script == QLatin1String("busy"))
            c.fake->busy = {path};
        else
            c.fake->failApplyWith = Err::ApplyStateFailed;
        c.comm.setCommPort(3);
        QCOMPARE(errorOf([&] { c.comm.setPortOpen(true); }), error);
        QVERIFY(!c.comm.PortOpen());
    }

    void fakeInputAndEvents()
    {
        FakeComm c;
        QSignalSpy events(&c.comm, &MSComm::OnComm);
        c.comm.setCommPort(2);
        c.comm.setSettings(QStringLiteral("19200,n,8,1"));
        c.comm.setPortOpen(true);
        QCOMPARE(c.fake->openedPath, MSComm::devicePath(2));
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

    void fakeUnplugSignalsOnce()
    {
        FakeComm c;
        QSignalSpy lost(&c.comm, &MSComm::DeviceLost);
        c.comm.setPortOpen(true);
        c.fake->unplug();
        c.fake->unplug();
        QCOMPARE(lost.count(), 1);
        QVERIFY(!c.comm.PortOpen());
    }

    void ptyBytesBothWays()
    {
        PtyUnit unit;
        PortDir ports;
        ports.link(4, unit.slavePath());
        MSComm comm;
        comm.setCommPort(4);
        comm.setSettings(QStringLiteral("2400,n,8,1"));
        comm.setPortOpen(true);
        QCOMPARE(unit.baudRate(), 2400);
        comm.setPortOpen(false);
        comm.setSettings(QStringLiteral("38400,n,8,1"));
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
        PtyUnit unit;
        PortDir ports;
        ports.link(1, unit.slavePath());
        MSComm comm;
        unit.send("stale");
        QTest::qWait(50);
        comm.setPortOpen(true);
        unit.send("fresh");
        QByteArray got;
        QTRY_VERIFY_WITH_TIMEOUT((got += comm.Input(), got.size() >= 5), 5000);
        QTest::qWait(50);
        QCOMPARE(got + comm.Input(), QByteArray("fresh"));
    }

    void ptyHeldByAnotherProgram()
    {
        PtyUnit unit;
        PortDir ports;
        ports.link(1, unit.slavePath());
        ports.link(2, unit.slavePath());
        MSComm holder, comm;
        holder.setCommPort(1);
        holder.setPortOpen(true);
        comm.setCommPort(2); // another name for the same device
        QCOMPARE(errorOf([&] { comm.setPortOpen(true); }), Err::PortBusy);
        holder.setPortOpen(false);
        QCOMPARE(errorOf([&] { comm.setPortOpen(true); }), 0);
    }

    void ptyHangUpClosesAndSignalsOnce()
    {
        auto unit = std::make_unique<PtyUnit>();
        PortDir ports;
        ports.link(1, unit->slavePath());
        MSComm comm;
        QSignalSpy lost(&comm, &MSComm::DeviceLost);
        comm.setPortOpen(true);
        unit->send("before");
        QTRY_COMPARE_WITH_TIMEOUT(comm.InBufferCount(), 6, 5000);
        unit.reset(); // the unit's side goes away
        QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 5000);
        QVERIFY(!comm.PortOpen());
        const double before = cpuSeconds();
        QTest::qWait(1000);
        QCOMPARE(lost.count(), 1);
        // Idle after the loss: far less than the second that a spinning loop would burn.
        QVERIFY2(cpuSeconds() - before < 0.3, qPrintable(QString::number(cpuSeconds() - before)));
    }
};

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"
