#include "PtyUnit.h"
#include "TestSupport.h"
#include "port/MSComm.h"

namespace {
// The serial control on the real device, its port 1 a pseudo-terminal.
struct PtyComm {
    PtyUnit unit;
    PortDir ports;
    MSComm comm;
    PtyComm() { ports.link(1, unit.slavePath()); }
};
} // namespace

class TestSerial : public QObject {
    Q_OBJECT
private slots:
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
};

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"
