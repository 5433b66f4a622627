#include "runtime/AppInfo.h"
#include "runtime/Memory.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_signalPipe[2] = {-1, -1};

// SIGTERM and SIGINT close the window as its close box does: the port and the capture file are
// closed and the program ends normally.
void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}
} // namespace

int main(int argc, char* argv[])
{
    returnLargeBlocksToSystem();
    QApplication app(argc, argv);
    QApplication::setApplicationName(App::Title());
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(App::Major()).arg(App::Minor()).arg(App::Revision()));
    frmMain window;

    // Set up before loading: start-up may already wait in a message box.
    bool terminated = false;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &window, [&] {
            char byte;
            [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
            terminated = true;
            if (QWidget* box = QApplication::activeModalWidget())
                box->close();
            window.close();
        });
        std::signal(SIGTERM, onTerminate);
        std::signal(SIGINT, onTerminate);
    }
    window.Load();
    if (terminated)
        return 0;
    window.show();
    return QApplication::exec();
}
