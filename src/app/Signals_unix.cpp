#include "Signals.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_signalPipe[2] = {-1, -1};

// A signal handler may only write: the event loop does the rest.
void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}
} // namespace

void closeOnTerminationSignals(QWidget& window, bool& terminated)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, &terminated] {
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
