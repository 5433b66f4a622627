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

void QtSerialDevice::pull(qint64 upTo)
{
    // QSerialPort reads one delivery of the system per wake-up of the event loop (a
    // pseudo-terminal delivers 4 KiB at a time), so a fast line would cost a pass of the loop per
    // 4 KiB. What the system holds now is read here at once, in pieces, until `upTo` bytes
    // wait. Nothing is read while reads are held.
    if (m_held || bytesAvailable() >= upTo)
        return;
    QSocketNotifier* notifier = readNotifier();
    if (!notifier)
        return; // QSerialPort's buffer is full, or the port is going
    const int fd = m_port.handle();
    const qint64 room = upTo - bytesAvailable();
    QByteArray fresh;
    while (fresh.size() < room) {
        const qsizetype from = fresh.size();
        fresh.resize(from + qMin<qint64>(room - from, kPullPieceBytes));
        const ssize_t n = ::read(fd, fresh.data() + from, size_t(fresh.size() - from));
        fresh.truncate(from + qMax<ssize_t>(n, 0));
        if (n <= 0 && !(n < 0 && errno == EINTR))
            break; // the system holds no more now; an error is QSerialPort's to find and report
    }
    if (fresh.isEmpty())
        return;
    m_pulled += m_port.read(m_port.bytesAvailable()); // what QSerialPort has read comes first
    m_pulled += fresh;
    // QSerialPort takes a read that finds nothing for a lost device: switching its notifier off
    // and on drops any wake-up already seen for what was read here.
    notifier->setEnabled(false);
    notifier->setEnabled(true);
}
