// The unit simulator's answer window, played against as a terminal would: the end-to-end story
// relies on it refusing answers that come too early, too late or wrong.

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
    explicit Line(const QString& path)
        : m_fd(::open(QFile::encodeName(path), O_RDWR | O_NOCTTY))
    {
        struct termios t {};
        ::tcgetattr(m_fd, &t);
        cfmakeraw(&t);
        cfsetspeed(&t, B9600);
        ::tcsetattr(m_fd, TCSANOW, &t);
    }
    ~Line() { ::close(m_fd); }
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
};

QTEST_GUILESS_MAIN(TestUnit)
#include "tst_unit.moc"
