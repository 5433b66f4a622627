// The least a Qt window can spend on a steady stream of lines, for comparison with the terminal:
// a bare widget the size of the pane, woken at a steady interval.
//
//   paint-floor timer [MS]   only the wake-up: a timer that does nothing
//   paint-floor line [MS]    each wake-up scrolls the view by one line and draws one line of text
//                            in the strip that comes free, the work of an ideal pane at line rate
// MS is the interval, 15 ms unless given.
//
// Runs until killed; bench/run_bench.sh measures its CPU and the X server's under Xvfb.

#include <QApplication>
#include <QFontDatabase>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
class Strip : public QWidget {
public:
    Strip()
    {
        setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        setAttribute(Qt::WA_OpaquePaintEvent);
        resize(393, 234); // the terminal pane's viewport in its first window size
    }

    void next()
    {
        ++m_line;
        const int h = fontMetrics().height();
        scroll(0, -h); // moves what is shown and asks for the strip that came free
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter p(this);
        p.fillRect(event->rect(), palette().base());
        const int h = fontMetrics().height();
        p.drawText(QRect(2, height() - h, width() - 4, h), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("READING ch%1=%2.%3V").arg(m_line % 4 + 1).arg(m_line % 130)
                       .arg(m_line % 100, 2, 10, QLatin1Char('0')));
    }

private:
    int m_line = 0;
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool paint = argc > 1 && std::strcmp(argv[1], "line") == 0;
    if (argc < 2 || (!paint && std::strcmp(argv[1], "timer") != 0)) {
        std::fprintf(stderr, "usage: paint-floor timer|line [MS]\n");
        return 2;
    }
    Strip strip;
    strip.setWindowTitle(QStringLiteral("paint floor"));
    strip.show();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &strip, [&] {
        if (paint)
            strip.next();
    });
    tick.start(argc > 2 ? std::max(1, std::atoi(argv[2])) : 15);
    return app.exec();
}
