// The unit simulator, played against as a terminal would: power-on, the handshake's window,
// echo and the flood.

#include "PtyUnit.h"
#include "Simulator.h"
#include "TestSupport.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {
// The terminal's side of the line.
class Line {
public:
    explicit Line(const QString& path, speed_t speed = B9600)
        : m_fd(::open(QFile::encodeName(path), O_RDWR | O_NOCTTY))
    {
        struct termios t {};
        ::tcgetattr(m_fd, &t);
        cfmakeraw(&t);
        cfsetspeed(&t, speed);
        ::tcsetattr(m_fd, TCSANOW, &t);
    }
    ~Line() { ::close(m_fd); }
    bool isOpen() const { return m_fd >= 0; }
    void send(const QByteArray& bytes)
    {
        QCOMPARE(::write(m_fd, bytes.data(), bytes.size()), bytes.size());
    }
    // Reads until `until` has arrived (never, when empty) or the time is up; returns all read.
    QByteArray readUntil(const QByteArray& until, int timeoutMs)
    {
        ::readUntil(
            m_fd, m_got, [&] { return !until.isEmpty() && m_got.contains(until); }, timeoutMs);
        return m_got;
    }

private:
    int m_fd;
    QByteArray m_got;
};

const QByteArray kBanner = "BRENIX INDUSTRIES, INC.\r\n";

struct AnswerRow {
    const char* name;
    int firstMs, gapMs;
    QByteArray answer;
    QString said;
};
} // namespace

class TestUnit : public QObject {
    Q_OBJECT
private slots:
    void powersOnOnlyForALastingOpenAndEchoes()
    {
        Simulator unit;
        {
            Line probe(unit.link()); // the terminal's start-up probe: opened and closed
            QVERIFY(probe.isOpen());
            QTest::qWait(50);
        }
        QTest::qWait(400);
        QVERIFY(!unit.console().contains("powered on"_L1));
        Line line(unit.link());
        QVERIFY(line.readUntil(kBanner, 3000).contains(kBanner));
        QVERIFY(unit.console().contains("powered on (terminal opened the line)"_L1));
        unit.signal(SIGUSR1); // asked for: the start-up lines again
        QTRY_COMPARE_WITH_TIMEOUT(line.readUntil({}, 20).count(kBanner), qsizetype(2), 3000);
        line.send("hello\r");
        QVERIFY(line.readUntil("hello\r", 3000).contains("hello\r"));
    }

    void answerWindow_data()
    {
        const AnswerRow rows[] = {
            {"in time", 1000, 250, "  ", u"command access granted"_s},
            {"first too early", 600, 250, "  ", u"refused: too early"_s},
            {"first too late", 1600, 250, "  ", u"refused: too late"_s},
            {"second too early", 1000, 120, "  ", u"refused: too early"_s},
            {"wrong byte", 1000, 250, "x ", u"refused: wrong byte"_s},
        };
        addRows(rows);
    }
    void answerWindow()
    {
        QFETCH(AnswerRow, row);
        Simulator unit;
        Line line(unit.link());
        QVERIFY(line.readUntil(kBanner, 3000).contains(kBanner));
        QTest::qWait(row.firstMs);
        line.send(row.answer.left(1));
        QTest::qWait(row.gapMs);
        line.send(row.answer.mid(1));
        QTRY_VERIFY_WITH_TIMEOUT(unit.console().contains(row.said), 3000);
        const QByteArray next = row.said.endsWith("granted"_L1) ? "initialising" : "READING";
        QVERIFY(line.readUntil(next, 3000).contains(next));
    }

    void reportsAnotherLineSpeed()
    {
        Simulator unit({u"--baud"_s, u"19200"_s});
        Line line(unit.link(), B9600);
        QVERIFY(line.readUntil(kBanner, 3000).contains(kBanner));
        QVERIFY(unit.console().contains("baud mismatch"_L1));
        Simulator matching({u"--baud"_s, u"19200"_s});
        Line right(matching.link(), B19200);
        QVERIFY(right.readUntil(kBanner, 3000).contains(kBanner));
        QVERIFY(!matching.console().contains("baud mismatch"_L1));
    }

    // With its console ended the unit waits for the line, not spinning on the ended input.
    void restsWithEndedConsole()
    {
        Simulator unit;
        unit.endConsole();
        const auto cpuTicks = [&] {
            // utime and stime: the 12th and 13th fields after the command's closing parenthesis.
            const QByteArray text = fileContents(u"/proc/%1/stat"_s.arg(unit.pid()));
            const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            return fields.value(11).toLongLong() + fields.value(12).toLongLong();
        };
        const long long before = cpuTicks();
        QTest::qWait(1000);
        const long long used = cpuTicks() - before;
        QVERIFY(QFile::exists(u"/proc/%1/stat"_s.arg(unit.pid())));
        QVERIFY2(used < sysconf(_SC_CLK_TCK) / 4, qPrintable(QString::number(used))); // < 25 %
    }

    void flood()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(u"sent.bin"_s);
        Simulator unit({u"--flood"_s, u"20000"_s, u"--log"_s, log});
        Line line(unit.link());
        QTRY_VERIFY_WITH_TIMEOUT(
            (line.readUntil({}, 20), unit.console().contains("flood: 20000 bytes"_L1)), 5000);
        const QByteArray got = line.readUntil({}, 300).left(20000);
        QCOMPARE(got, fileContents(log).left(20000)); // readings follow the flood
        quint32 sum = 2166136261u;
        for (char c : got)
            sum = (sum ^ static_cast<unsigned char>(c)) * 16777619u;
        QVERIFY(unit.console().contains(QString::number(sum, 16).rightJustified(8, u'0')));
    }
};

QTEST_GUILESS_MAIN(TestUnit)
#include "tst_unit.moc"
