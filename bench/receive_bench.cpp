// Receive-path throughput: how fast received chunks become pane text (and capture-file bytes).
// Runs the real window offscreen on the fake serial device, so it measures the program's own
// work per event (conversion, pane trimming and insertion, the capture write), not the line.
// The event loop runs between events, so the pane's deferred layout is counted as it falls.
//
//   QT_QPA_PLATFORM=offscreen build/bench/receive-bench

#include "FakeSerialDevice.h"
#include "capture/CaptureFile.h"
#include "core/Globals.h"
#include "port/MSComm.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {
// A stream of status lines as the unit sends them (CR LF every 33 bytes), or one endless
// line with no line end at all, the worst case for the pane.
QByteArray streamOf(qsizetype size, bool lineEnds)
{
    QByteArray out;
    out.reserve(size + 64);
    for (int i = 0; out.size() < size; ++i)
        out += "STATUS " + QByteArray::number(100000 + i) + " V=12.04 T=21.5" +
               (lineEnds ? "\r\n" : "  ");
    return out;
}

void run(int chunkSize, bool capture, bool lineEnds, const QString& folder)
{
    auto device = std::make_unique<FakeSerialDevice>();
    FakeSerialDevice* fake = device.get();
    frmMain window(std::move(device));
    window.tmrEvents->setEnabled(false);
    window.MSComm1->setPortOpen(true);
    if (capture) {
        CaptureFile::number1().open(folder + QStringLiteral("/bench.txt"));
        Globals::blnSaving = true;
    }
    const int events = qEnvironmentVariableIntValue("BENCH_EVENTS") > 0
                           ? qEnvironmentVariableIntValue("BENCH_EVENTS")
                           : 2000;
    const QByteArray stream = streamOf(qsizetype(events) * chunkSize, lineEnds);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < events; ++i) {
        Globals::intEventCount = 0;
        fake->inject(stream.mid(qsizetype(i) * chunkSize, chunkSize));
        QCoreApplication::processEvents(); // timers, including the pane's deferred layout
    }
    window.txtTerm->flush();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("%-9s %8d  %-7s %9d  %10.1f  %10.2f  %8d\n", lineEnds ? "lines" : "no CR",
                chunkSize, capture ? "on" : "off", events, events / seconds / 1000.0,
                double(events) * chunkSize / seconds / (1024 * 1024), window.txtTerm->Length());
    std::fflush(stdout);
    CaptureFile::closeAll();
    Globals::reset();
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    std::printf("stream       chunk  capture    events  kevents/s        MB/s  pane len\n");
    const int only = qEnvironmentVariableIntValue("BENCH_CHUNK");
    for (bool lineEnds : {true, false})
        for (int size : {1, 16, 256, 4096, 65536})
            for (bool capture : {false, true})
                if (only == 0 || only == size)
                    run(size, capture, lineEnds, folder.path());
    return 0;
}
