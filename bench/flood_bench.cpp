// Receive-path cost on a real line: the main window (offscreen, or on a display with
// QT_QPA_PLATFORM=xcb) reads a pseudo-terminal through the real serial device while a writer
// thread plays the unit. Cases: a flood of mixed text and every byte value, as fast as the
// program takes it (capture off and on), and memory over ten floods; a paced stream of
// 3,840 B/s (38,400 baud) with the time from a line written to its text painted; echo, keys
// typed into the window at a person's pace and echoed at once by the unit, with the time from
// the key press to the echo painted; garbage, a unit at the wrong baud rate: 16 KiB of NUL, then
// 32 KiB of random bytes without CR or LF, then one letter, with the time until that letter is
// painted, the CPU while the line is quiet after it (the text still on screen) and the time from
// a key pressed to its byte at the unit; the idle open port. CPU is the window thread's own, from
// CLOCK_THREAD_CPUTIME_ID. Painted means the pane's viewport received the paint event that
// shows the text.
//
//   QT_QPA_PLATFORM=offscreen build/bench/flood-bench [MiB, default 8] [paced seconds, 10]
//   BENCH_CASES=flood,memory,paced,echo,garbage,idle (the default: all) picks cases.

#include "PtyUnit.h"
#include "TestSupport.h"
#include "capture/CaptureFile.h"
#include "core/Globals.h"
#include "port/MSComm.h"
#include "runtime/Memory.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

namespace {
// Resident memory of this process in KiB, 0 when it cannot be read.
long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

double threadCpu()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

QByteArray pattern()
{
    QByteArray chunk;
    for (int line = 0; line < 16; ++line)
        chunk += "FLOOD LINE " + QByteArray::number(line) + " 0123456789 ABCDEFGHIJ\r\n";
    for (int b = 0; b < 256; ++b)
        chunk += char(b);
    return chunk;
}

bool wanted(const char* name)
{
    const QString cases = qEnvironmentVariable("BENCH_CASES");
    return cases.isEmpty() || cases.split(u',').contains(QLatin1String(name));
}

// Calls `onPaint` as each paint event reaches the widget, before it paints.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* w, std::function<void()> onPaint) : m_onPaint(std::move(onPaint))
    {
        w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_onPaint();
        return false;
    }

private:
    std::function<void()> m_onPaint;
};

double percentile(std::vector<double>& v, double p)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[std::size_t(p * double(v.size() - 1))];
}

double msSince(std::chrono::steady_clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

// Runs the event loop until the condition holds or the time is up.
void waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (condition())
            loop.quit();
    });
    check.start(100); // seldom, so that the measurement costs little itself
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Bench {
    PtyUnit unit;
    PortDir ports;
    QTemporaryDir dir;
    frmMain window;
    qint64 readBytes = 0;

    Bench()
    {
        ports.link(1, unit.slavePath());
        window.Load();
        window.show();
        window.optStatus->setValue(0, true);
        if (qEnvironmentVariableIsSet("BENCH_NO_PAINT")) // to tell painting from the rest
            window.txtTerm->viewport()->setUpdatesEnabled(false);
    }

    // Runs the event loop while `writer` plays the unit; returns wall seconds and thread CPU.
    std::pair<double, double> run(const std::function<void()>& writer, qint64 expectShown)
    {
        std::atomic<bool> done = false;
        const double cpu0 = threadCpu();
        QElapsedTimer wall;
        wall.start();
        std::thread t([&] {
            writer();
            done = true;
        });
        // Done when the writer has finished and the pane has taken the last bytes; the event
        // loop waits for events meanwhile, as the program's does.
        waitFor([&] { return done && window.txtTerm->Length() >= expectShown; }, 600000);
        t.join();
        window.txtTerm->flush();
        QCoreApplication::processEvents();
        return {double(wall.nsecsElapsed()) / 1e9, threadCpu() - cpu0};
    }
};
} // namespace

int main(int argc, char* argv[])
{
    returnLargeBlocksToSystem(); // as the program does
    QApplication app(argc, argv);
    const double mib = argc > 1 ? std::atof(argv[1]) : 8;
    const int pacedSeconds = argc > 2 ? std::atoi(argv[2]) : 10;
    const qint64 size = qint64(mib * 1024 * 1024);
    const QByteArray chunk = pattern();
    // The flood ends with a marker line, so the last event is known to have been shown.
    const auto flood = [&](Bench& b) {
        qint64 left = size;
        while (left > 0) {
            const qint64 n = std::min<qint64>(left, chunk.size());
            b.unit.send(chunk.left(n));
            left -= n;
        }
        b.unit.send("END OF FLOOD\r\n");
    };
    std::printf("case                      MB/s   CPU s/MiB   CPU %%\n");
    for (bool capture : {false, true}) {
        if (size == 0 || !wanted("flood"))
            break;
        Bench b;
        if (capture) {
            Globals::strSavePath = b.dir.path() + u'/';
            Globals::strFileName = QStringLiteral("flood.txt");
            b.window.btnSave->click();
        }
        // How late a 10 ms timer of the window fires during the flood: how soon the window
        // answers anything else.
        std::vector<double> lateness;
        QElapsedTimer sinceTick;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            lateness.push_back(double(sinceTick.nsecsElapsed()) / 1e6 - 10);
            sinceTick.restart();
        });
        sinceTick.start();
        probe.start(10);
        const auto [wall, cpu] = b.run([&] { flood(b); }, 1);
        probe.stop();
        // Wait for the marker.
        waitFor([&] { return b.window.txtTerm->Text().contains(QLatin1String("END OF FLOOD")); },
                10000);
        std::printf("flood, capture %-4s  %9.2f %11.3f %7.1f   window answers: p99 %.1f ms late\n",
                    capture ? "on" : "off", double(size) / wall / 1e6, cpu / mib, 100 * cpu / wall,
                    percentile(lateness, 0.99));
        std::fflush(stdout);
        if (capture)
            b.window.btnSave->click();
        CaptureFile::closeAll();
        Globals::reset();
    }
    if (size > 0 && wanted("memory")) {
        // Memory over ten floods in one window.
        Bench b;
        std::printf("resident MiB after each of ten floods:");
        for (int i = 0; i < 10; ++i) {
            b.run([&] { flood(b); }, 1);
            waitFor(
                [&] { return b.window.txtTerm->Text().contains(QLatin1String("END OF FLOOD")); },
                10000);
            b.window.txtTerm->setText(QString()); // the next marker is new
            std::printf(" %.1f", double(residentKiB()) / 1024);
            std::fflush(stdout);
        }
        std::printf("\n");
    }
    if (pacedSeconds > 0 && wanted("paced")) {
        Bench b;
        // Latency: from a line written to the line to its text painted in the pane.
        const int lines = pacedSeconds * 80;
        std::vector<std::chrono::steady_clock::time_point> sentAt(std::size_t(lines) + 1);
        std::vector<double> latency;
        int seen = -1;
        PaintWatch watch(b.window.txtTerm->viewport(), [&] {
            const QTextDocument* doc = b.window.txtTerm->document();
            int newest = seen;
            for (QTextBlock block = doc->lastBlock(); block.isValid(); block = block.previous()) {
                const QString text = block.text();
                if (!text.startsWith(QLatin1String("PACED LINE ")) || text.size() < 17)
                    continue;
                newest = std::max(newest, text.mid(11, 6).toInt() - 100000);
                break;
            }
            for (int i = seen + 1; i <= newest && i < lines; ++i)
                latency.push_back(msSince(sentAt[std::size_t(i)]));
            seen = std::max(seen, newest);
        });
        const auto [wall, cpu] = b.run(
            [&] {
                // 3,840 B/s in 48-byte lines, 80 a second.
                for (int i = 0; i < lines; ++i) {
                    sentAt[std::size_t(i)] = std::chrono::steady_clock::now();
                    b.unit.send("PACED LINE " + QByteArray::number(100000 + i) +
                                " 0123456789 ABCDEFGHIJ KL\r\n");
                    std::this_thread::sleep_for(std::chrono::microseconds(12500));
                }
            },
            1);
        std::printf("paced 3,840 B/s       %9s %11s %7.2f   painted p50 %.1f ms, p99 %.1f ms "
                    "(%zu lines)\n",
                    "-", "-", 100 * cpu / wall, percentile(latency, 0.5),
                    percentile(latency, 0.99), latency.size());
        std::fflush(stdout);
    }
    if (wanted("echo")) {
        // A person typing into a shell on the line: a key every 150 ms, the unit echoing each
        // byte at once.
        Bench b;
        std::atomic<bool> stop = false;
        std::thread echo([&] {
            while (!stop)
                if (const QByteArray got = b.unit.receive(1, 50); !got.isEmpty())
                    b.unit.send(got);
        });
        constexpr int kKeys = 100;
        std::vector<std::chrono::steady_clock::time_point> pressedAt;
        std::vector<double> latency;
        PaintWatch watch(b.window.txtTerm->viewport(), [&] {
            const int shown = b.window.txtTerm->document()->characterCount() - 1;
            while (int(latency.size()) < std::min<int>(shown, int(pressedAt.size())))
                latency.push_back(msSince(pressedAt[latency.size()]));
        });
        b.window.txtTerm->setFocus();
        QTimer typist;
        QObject::connect(&typist, &QTimer::timeout, [&] {
            if (pressedAt.size() == kKeys)
                return;
            pressedAt.push_back(std::chrono::steady_clock::now());
            QTest::keyClick(b.window.txtTerm, Qt::Key(Qt::Key_A + int(pressedAt.size() % 26)));
        });
        typist.start(150);
        waitFor([&] { return latency.size() == kKeys; }, 60000);
        stop = true;
        echo.join();
        std::printf("echo                  %9s %11s %7s   painted p50 %.1f ms, p99 %.1f ms "
                    "(%zu keys)\n",
                    "-", "-", "-", percentile(latency, 0.5), percentile(latency, 0.99),
                    latency.size());
        std::fflush(stdout);
    }
    if (wanted("garbage")) {
        Bench b;
        // The active window with the focus in the pane: its insertion point blinks.
        b.window.activateWindow();
        if (!QTest::qWaitForWindowActive(&b.window))
            std::fprintf(stderr, "garbage: the window did not become active\n");
        b.window.txtTerm->setFocus();
        QByteArray burst(16 * 1024, '\0');
        std::srand(1);
        while (burst.size() < 48 * 1024)
            if (const char c = char(std::rand() & 0xFF); c != '\r' && c != '\n')
                burst += c;
        burst += 'Z';
        bool painted = false;
        QElapsedTimer sinceSent;
        double paintedMs = -1;
        PaintWatch watch(b.window.txtTerm->viewport(), [&] {
            if (!painted && b.window.txtTerm->document()->lastBlock().text().endsWith(u'Z')) {
                painted = true;
                paintedMs = double(sinceSent.nsecsElapsed()) / 1e6;
            }
        });
        sinceSent.start();
        std::thread writer([&] { b.unit.send(burst); }); // more than the line holds at once
        waitFor([&] { return painted; }, 60000);
        writer.join();
        const auto [quietWall, quietCpu] =
            b.run([&] { std::this_thread::sleep_for(std::chrono::seconds(5)); }, 0);
        // A whole repaint of the pane, as a scroll or an uncovered window brings.
        QElapsedTimer repaint;
        repaint.start();
        for (int i = 0; i < 5; ++i)
            b.window.txtTerm->viewport()->repaint();
        const double repaintMs = double(repaint.nsecsElapsed()) / 5e6;
        // A key: the time from when it is due (a timer 100 ms ahead, late by as long as the
        // window is busy) to its byte at the unit.
        std::vector<double> keyMs;
        for (int i = 0; i < 10; ++i) {
            const auto armed = std::chrono::steady_clock::now();
            QTimer::singleShot(100, Qt::PreciseTimer, [&] {
                QTest::keyClick(b.window.txtTerm, Qt::Key_K);
                if (!b.unit.receive(1, 5000).isEmpty())
                    keyMs.push_back(msSince(armed) - 100);
            });
            waitFor([&] { return int(keyMs.size()) > i; }, 6000);
        }
        std::printf("garbage burst         %9s %11s %7.2f   last letter painted %.0f ms, key to "
                    "unit p99 %.1f ms, whole repaint %.1f ms\n",
                    "-", "-", 100 * quietCpu / quietWall, paintedMs, percentile(keyMs, 0.99),
                    repaintMs);
        std::fflush(stdout);
    }
    if (wanted("idle")) {
        Bench b;
        const int idleSeconds = std::max(pacedSeconds, 5);
        const auto [idleWall, idleCpu] =
            b.run([&] { std::this_thread::sleep_for(std::chrono::seconds(idleSeconds)); }, 0);
        std::printf("idle, port open       %9s %11s %7.2f\n", "-", "-", 100 * idleCpu / idleWall);
    }
    return 0;
}
