#include "PtyUnit.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

PtyUnit::PtyUnit()
{
    char name[256] = {};
    struct termios raw {};
    cfmakeraw(&raw);
    if (openpty(&m_master, &m_slave, name, &raw, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    m_slavePath = QString::fromLocal8Bit(name);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

void PtyUnit::send(const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_master, p, size_t(left));
        if (n < 0) {
            if (errno != EAGAIN && errno != EINTR)
                return;
            struct pollfd room = {m_master, POLLOUT, 0};
            ::poll(&room, 1, 100); // until the program has read some
            continue;
        }
        p += n;
        left -= n;
    }
}

QByteArray PtyUnit::receive(int atLeast, int timeoutMs)
{
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (out.size() < atLeast && timer.elapsed() < timeoutMs) {
        struct pollfd pfd = {m_master, POLLIN, 0};
        if (::poll(&pfd, 1, 10) > 0 && (pfd.revents & POLLIN)) {
            char buf[4096];
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n > 0)
                out.append(buf, n);
        }
    }
    return out;
}

int PtyUnit::waiting() const
{
    int n = -1;
    ::ioctl(m_slave, FIONREAD, &n);
    return n;
}

int PtyUnit::baudRate() const
{
    struct termios t {};
    if (tcgetattr(m_slave, &t) != 0)
        return -1;
    const std::pair<speed_t, int> speeds[] = {{B1200, 1200}, {B2400, 2400},   {B4800, 4800},
                                              {B9600, 9600}, {B19200, 19200}, {B38400, 38400}};
    for (const auto& [code, baud] : speeds)
        if (cfgetospeed(&t) == code)
            return baud;
    return 0;
}

bool PtyUnit::hangUp()
{
    return ::ioctl(m_slave, TIOCVHANGUP) == 0;
}

PtyUnit::~PtyUnit()
{
    ::close(m_slave);
    ::close(m_master);
}

PortDir::PortDir() : m_previous(qgetenv("BRENIX_PORT_DIR"))
{
    qputenv("BRENIX_PORT_DIR", QFile::encodeName(m_dir.path()));
}

PortDir::~PortDir()
{
    qputenv("BRENIX_PORT_DIR", m_previous);
}

void PortDir::link(int port, const QString& device)
{
    QFile::link(device, m_dir.filePath(u"com%1"_s.arg(port)));
}
