// Handshake timing: how far the two answering spaces stray from 1000 ms after the banner line and
// 250 ms after each other. Runs the real window offscreen on a pseudo-terminal and sends the
// banner again and again (each is answered anew). Timed twice: in the program, from the read
// that brings the banner's CR to each space handed to the operating system, and on the other
// side of the line, from the banner written to each space arriving.
//
//   QT_QPA_PLATFORM=offscreen build/bench/handshake-bench [rounds, default 50]

#include "PtyUnit.h"
#include "port/SystemSerialDevice.h"
#include "ui/frmMain.h"

#include <QApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::size_t(p * double(values.size() - 1) + 0.5)];
}

// The real device, timing the reads that bring a CR and every write.
class TimedDevice : public SystemSerialDevice {
public:
    Clock::time_point crRead;
    std::vector<Clock::time_point> writes;

    QByteArray read(qint64 maxBytes) override
    {
        QByteArray bytes = SystemSerialDevice::read(maxBytes);
        if (bytes.contains('\r'))
            crRead = Clock::now();
        return bytes;
    }
    void write(const QByteArray& bytes) override
    {
        SystemSerialDevice::write(bytes);
        writes.push_back(Clock::now());
    }
};

void report(const char* what, double target, const std::vector<double>& values)
{
    std::vector<double> errors;
    for (double v : values)
        errors.push_back(v - target);
    std::vector<double> absolute;
    for (double e : errors)
        absolute.push_back(std::abs(e));
    std::printf("%-28s %8.0f %9.3f %9.3f %9.3f %9.3f\n", what, target, percentile(errors, 0.5),
                percentile(absolute, 0.99), *std::min_element(errors.begin(), errors.end()),
                *std::max_element(errors.begin(), errors.end()));
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    PtyUnit unit;
    PortDir ports;
    ports.link(1, unit.slavePath());
    auto owned = std::make_unique<TimedDevice>();
    TimedDevice* device = owned.get();
    frmMain window(std::move(owned));
    window.Load();
    window.optStatus->setValue(0, true);

    std::vector<double> first, gap, handedFirst, handedGap;
    for (int i = 0; i < rounds; ++i) {
        // Ten equal banners settle the output, which completes the handshake: start another.
        if (window.chkCommand->isEnabled())
            window.chkCommand->click();
        std::vector<Clock::time_point> spaces;
        std::atomic<bool> done = false;
        std::thread reader([&] {
            while (spaces.size() < 2 && unit.receive(1, 3000).size() == 1)
                spaces.push_back(Clock::now());
            done = true;
        });
        device->writes.clear();
        const Clock::time_point sent = Clock::now();
        unit.send("BRENIX INDUSTRIES, INC.\r\n");
        while (!done) // the window handles the banner, however it is split into events
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        reader.join();
        if (spaces.size() != 2) {
            std::fprintf(stderr, "round %d: %zu spaces\n", i, spaces.size());
            return 1;
        }
        if (device->writes.size() != 2) {
            std::fprintf(stderr, "round %d: %zu writes\n", i, device->writes.size());
            return 1;
        }
        handedFirst.push_back(ms(device->writes[0] - device->crRead));
        handedGap.push_back(ms(device->writes[1] - device->writes[0]));
        first.push_back(ms(spaces[0] - sent));
        gap.push_back(ms(spaces[1] - spaces[0]));
        if (qEnvironmentVariableIsSet("BENCH_VERBOSE"))
            std::printf("round %d: %.3f %.3f %.3f %.3f\n", i, handedFirst.back(), handedGap.back(),
                        first.back(), gap.back());
    }
    std::printf("%d handshakes; errors in ms (p99 of the absolute error)\n", rounds);
    std::printf("%-28s %8s %9s %9s %9s %9s\n", "wait", "target", "p50", "p99 |e|", "min", "max");
    report("handed over: CR read to 1st", 1000, handedFirst);
    report("handed over: 1st to 2nd", 250, handedGap);
    report("on the line: banner to 1st", 1000, first);
    report("on the line: 1st to 2nd", 250, gap);
    return 0;
}
