// The serial device's calls to the operating system: a Windows build would add its own file.

#include "QtSerialDevice.h"

#include "SerialError.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

int QtSerialDevice::accessDenied(const QString& device)
{
    return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0 && errno == EACCES
               ? EACCES
               : 0;
}

void QtSerialDevice::write(const QByteArray& bytes)
{
    // Straight to the operating system. QSerialPort would keep the bytes until the event loop
    // runs (blocked during the handshake's waits), and its flush() also waits until they have
    // been transmitted (tcdrain), which would add a byte's line time to the next wait.
    const int fd = m_port.handle();
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n > 0) {
            p += n;
            left -= n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            struct pollfd out {
                fd, POLLOUT, 0
            };
            if (::poll(&out, 1, kWriteWaitMs) > 0)
                continue;
            errno = EAGAIN; // the line takes nothing more
        }
        throw serialError(SerialOp::Write, QSerialPort::WriteError,
                          QString::fromLocal8Bit(std::strerror(errno)));
    }
}

