// The unit simulator, played against as a terminal would: power-on, the handshake's window,
// echo and the flood.

#include "PtyUnit.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {
// The simulator as a separate process, its link in a scratch folder.
class Simulator {
public:
    explicit Simulator(const QStringList& options = {})
    {
        m_process.start(QStringLiteral(BRENIX_UNIT_PATH), QStringList{link()} + options);
        m_process.waitForReadyRead(5000);
    }
    ~Simulator()
    {
        m_process.terminate();
        m_process.waitForFinished(3000);
    }
    QString link() const { return m_dir.filePath(QStringLiteral("com16")); }
    // Everything the simulator said on its console so far.
    QString console()
    {
        m_process.waitForReadyRead(10);
        m_said += QString::fromLocal8Bit(m_process.readAllStandardOutput());
        return m_said;
    }
    qint64 pid() const { return m_process.processId(); }
    // Ends the console's input, as /dev/null does.
    void endConsole() { m_process.closeWriteChannel(); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_said;
};

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
} // namespace

class TestUnit : public QObject {
    Q_OBJECT
private slots:
    void powersOnOnlyForALastingOpen()
    {
        Simulator unit;
        {
            Line probe(unit.link()); // the terminal's start-up probe: opened and closed
            QVERIFY(probe.isOpen());
            QTest::qWait(50);
        }
        QTest::qWait(400);
        QVERIFY(!unit.console().contains(QLatin1String("powered on")));
        Line line(unit.link());
        QVERIFY(line.readUntil(kBanner, 3000).contains(kBanner));
        QVERIFY(unit.console().contains(QLatin1String("powered on (terminal opened the line)")));
        ::kill(pid_t(unit.pid()), SIGUSR1); // asked for: the start-up lines again
        QTRY_COMPARE_WITH_TIMEOUT(line.readUntil({}, 20).count(kBanner), qsizetype(2), 3000);
    }

    void answerWindow_data()
    {
        QTest::addColumn<int>("firstMs");
        QTest::addColumn<int>("gapMs");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("said");
        QTest::newRow("in time") << 1000 << 250 << QByteArray("  ") << "command access granted";
        QTest::newRow("first too early") << 600 << 250 << QByteArray("  ") << "refused: too early";
        QTest::newRow("first too late") << 1600 << 250 << QByteArray("  ") << "refused: too late";
        QTest::newRow("second too early")
            << 1000 << 120 << QByteArray("  ") << "refused: too early";
        QTest::newRow("wrong byte") << 1000 << 250 << QByteArray("x ") << "refused: wrong byte";
    }
    void answerWindow()
    {
        QFETCH(int, firstMs);
        QFETCH(int, gapMs);
        QFETCH(QByteArray, answer);
        QFETCH(QString, said);
        Simulator unit;
        Line line(unit.link());
        QVERIFY(line.readUntil(kBanner, 3000).contains(kBanner));
        QTest::qWait(firstMs);
        line.send(answer.left(1));
        QTest::qWait(gapMs);
        line.send(answer.mid(1));
        QTRY_VERIFY_WITH_TIMEOUT(unit.console().contains(said), 3000);
        const QByteArray next =
            said.endsWith(QLatin1String("granted")) ? "initialising" : "READING";
        QVERIFY(line.readUntil(next, 3000).contains(next));
    }

    void reportsAnotherLineSpeed()
    {
        Simulator unit({QStringLiteral("--baud"), QStringLiteral("19200")});
        Line line(unit.link(), B9600);
        QVERIFY(line.readUntil(kBanner, 3000).contains(kBanner));
        QVERIFY(unit.console().contains(QLatin1String("baud mismatch")));
        Simulator matching({QStringLiteral("--baud"), QStringLiteral("19200")});
        Line right(matching.link(), B19200);
        QVERIFY(right.readUntil(kBanner, 3000).contains(kBanner));
        QVERIFY(!matching.console().contains(QLatin1String("baud mismatch")));
    }

    void echoes()
    {
        Simulator unit;
        Line line(unit.link());
        line.readUntil(kBanner, 3000);
        line.send("hello\r");
        QVERIFY(line.readUntil("hello\r", 3000).contains("hello\r"));
    }

    // With its console ended the unit waits for the line, not spinning on the ended input.
    void restsWithEndedConsole()
    {
        Simulator unit;
        unit.endConsole();
        const auto cpuTicks = [&] {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(unit.pid()));
            if (!stat.open(QIODevice::ReadOnly))
                return -1LL;
            // utime and stime: the 12th and 13th fields after the command's closing parenthesis.
            const QByteArray text = stat.readAll();
            const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            return fields.value(11).toLongLong() + fields.value(12).toLongLong();
        };
        const long long before = cpuTicks();
        QTest::qWait(1000);
        const long long used = cpuTicks() - before;
        QVERIFY(before >= 0);
        QVERIFY2(used < sysconf(_SC_CLK_TCK) / 4, qPrintable(QString::number(used))); // < 25 %
    }

    void flood()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("sent.bin"));
        Simulator unit(
            {QStringLiteral("--flood"), QStringLiteral("20000"), QStringLiteral("--log"), log});
        Line line(unit.link());
        QTRY_VERIFY_WITH_TIMEOUT(
            (line.readUntil({}, 20), unit.console().contains(QLatin1String("flood: 20000 bytes"))),
            5000);
        const QByteArray got = line.readUntil({}, 300);
        QFile sent(log);
        QVERIFY(sent.open(QIODevice::ReadOnly));
        const QByteArray logged = sent.readAll();
        qsizetype at = 0;
        while (at < logged.size() && at < got.size() && logged[at] == got[at])
            ++at;
        QVERIFY2(got.size() >= 20000 && logged.size() >= 20000,
                 qPrintable(QStringLiteral("got %1, logged %2, first difference at %3")
                                .arg(got.size())
                                .arg(logged.size())
                                .arg(at)));
        QCOMPARE(got.left(20000), logged.left(20000)); // readings follow the flood
        quint32 sum = 2166136261u;
        for (char c : got.left(20000))
            sum = (sum ^ static_cast<unsigned char>(c)) * 16777619u;
        QVERIFY(unit.console().contains(QString::number(sum, 16).rightJustified(8, u'0')));
    }
};

QTEST_GUILESS_MAIN(TestUnit)
#include "tst_unit.moc"
