// The serial device on Linux: open(2), termios, a lock file, flock and a socket notifier.

#include "SystemSerialDevice.h"

#include "SerialError.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
// The lock file Qt's serial port takes for a device, so that each sees the other's: "LCK.." and
// the device's name under /dev (slashes as underscores), in the first lock folder that is there.
QString lockFilePath(const QString& device)
{
    QString name = device.startsWith(u"/dev/"_s) ? device.mid(5) : QFileInfo(device).fileName();
    name.replace(u'/', u'_');
    for (const char* folder : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp",
                               "/tmp", "/var/tmp", "/var/lock/lockdev", "/run/lock"}) {
        const QString path = QString::fromLatin1(folder) + u"/LCK.."_s + name;
        const QFileInfo info(QString::fromLatin1(folder));
        if (info.isReadable() && (QFile::exists(path) || info.isWritable()))
            return path;
    }
    return QString();
}

speed_t speedOf(qint32 baud)
{
    switch (baud) {
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 134: return B134;
    case 150: return B150;
    case 200: return B200;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B0;
    }
}
} // namespace

SystemSerialDevice::SystemSerialDevice(QObject* parent) : SerialDevice(parent)
{
    m_holdEnd.setSingleShot(true);
    m_holdEnd.setTimerType(Qt::PreciseTimer);
    connect(&m_holdEnd, &QTimer::timeout, this, &SystemSerialDevice::releaseReads);
}

SystemSerialDevice::~SystemSerialDevice()
{
    close();
}

void SystemSerialDevice::open(const QString& path, const PortSettings& settings)
{
    if (isOpen())
        throw RuntimeError(Err::PortBusy);
    // The real device behind a link, so that its lock is the one other programs see.
    const QString device = QFileInfo(path).canonicalFilePath();
    if (device.isEmpty())
        throw serialError(SerialOp::Open, ENOENT);
    std::unique_ptr<QLockFile> lock;
    if (const QString lockPath = lockFilePath(device); !lockPath.isEmpty()) {
        lock = std::make_unique<QLockFile>(lockPath);
        lock->setStaleLockTime(0); // held while its program lives, however long
        if (!lock->tryLock())
            throw serialError(SerialOp::Open, EBUSY);
    }
    const int fd = ::open(QFile::encodeName(device).constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw serialError(SerialOp::Open, errno);
    const auto fail = [fd](SerialOp op, int err) {
        ::close(fd);
        return serialError(op, err);
    };
    // Another program's exclusive use stops everybody's open but root's: root asks.
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive)
        throw fail(SerialOp::Open, EBUSY);
    if (::ioctl(fd, TIOCEXCL) != 0)
        throw fail(SerialOp::Open, errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        throw fail(SerialOp::Open, errno); // EWOULDBLOCK: held, 8005
    if (::tcgetattr(fd, &m_original) != 0)
        throw fail(SerialOp::Open, errno);
    m_fd = fd;
    m_lock = std::move(lock);
    try {
        apply(settings);
    } catch (const RuntimeError&) {
        close();
        throw;
    }
    // What arrived while the port was closed is not this session's data.
    ::tcflush(m_fd, TCIFLUSH);
    m_buffer.clear();
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SystemSerialDevice::onReadable);
}

void SystemSerialDevice::close()
{
    if (!isOpen())
        return;
    // It may be the one whose wake-up is being handled: it goes once that is over.
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    m_notifier = nullptr;
    ::tcsetattr(m_fd, TCSANOW, &m_original);
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd); // the flock goes with it
    m_fd = -1;
    m_lock.reset();
    m_buffer.clear();
    m_held = false;
    m_holdEnd.stop();
}

void SystemSerialDevice::apply(const PortSettings& s)
{
    struct termios t {};
    const speed_t speed = speedOf(s.baud);
    if (::tcgetattr(m_fd, &t) != 0)
        throw serialError(SerialOp::Apply, errno);
    if (speed == B0)
        throw serialError(SerialOp::Apply, EINVAL);
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    t.c_cflag |= s.dataBits == 5 ? CS5 : s.dataBits == 6 ? CS6 : s.dataBits == 7 ? CS7 : CS8;
    if (s.stopBits == 2)
        t.c_cflag |= CSTOPB;
    if (s.parity != 'n')
        t.c_cflag |= PARENB | (s.parity == 'o' || s.parity == 'm' ? PARODD : 0) |
                     (s.parity == 'm' || s.parity == 's' ? CMSPAR : 0);
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    // One byte at least: with none, a read that finds nothing returns 0, which cannot be told
    // from a hang-up; with one, it fails with EAGAIN and 0 means the line is gone.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0 ||
        ::tcsetattr(m_fd, TCSANOW, &t) != 0)
        throw serialError(SerialOp::Apply, errno);
}

bool SystemSerialDevice::readAvailable()
{
    char chunk[16 * 1024];
    while (m_buffer.size() < kReadBufferBytes) {
        const ssize_t n = ::read(m_fd, chunk, size_t(qMin<qint64>(kReadBufferBytes - m_buffer.size(),
                                                                 qint64(sizeof chunk))));
        if (n > 0)
            m_buffer.append(chunk, n);
        else if (n == 0 || errno != EINTR)
            return n < 0 && errno == EAGAIN; // 0: hung up; EIO and the rest: gone
    }
    return true; // full: the rest waits in the system until the receive path takes some
}

void SystemSerialDevice::onReadable()
{
    const qint64 before = m_buffer.size();
    if (!readAvailable()) {
        // Lost: what was read first goes to the window, held or not, then the port closes,
        // once.
        m_holdEnd.stop();
        m_held = false;
        if (m_buffer.size() > 0)
            emit losing();
        close();
        emit lost();
        return;
    }
    // A full buffer: the system keeps the rest, and the watch rests until bytes are taken.
    m_notifier->setEnabled(m_buffer.size() < kReadBufferBytes);
    if (m_buffer.size() > before && !m_held)
        emit readyRead();
}

void SystemSerialDevice::holdReads(int ms)
{
    m_held = true;
    m_holdEnd.start(ms);
}

void SystemSerialDevice::releaseReads()
{
    m_holdEnd.stop();
    m_held = false;
    // What came since the last wake-up, so that a close right after loses none of it; a line
    // found lost here is left to the watch, which wakes at once for it.
    readAvailable();
    if (!m_buffer.isEmpty())
        emit readyRead();
}

QByteArray SystemSerialDevice::read(qint64 maxBytes)
{
    const QByteArray data = m_buffer.first(qMin<qint64>(maxBytes, m_buffer.size()));
    m_buffer.remove(0, data.size());
    if (m_notifier && !m_notifier->isEnabled() && m_buffer.size() < kReadBufferBytes)
        m_notifier->setEnabled(true);
    return data;
}

void SystemSerialDevice::write(const QByteArray& bytes)
{
    // Straight to the operating system and at once: the handshake's answers are timed while the
    // event loop is blocked.
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, size_t(left));
        if (n > 0) {
            p += n;
            left -= n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            struct pollfd out {
                m_fd, POLLOUT, 0
            };
            if (::poll(&out, 1, kWriteWaitMs) > 0)
                continue;
            errno = EAGAIN; // the line takes nothing more
        }
        throw serialError(SerialOp::Write, errno);
    }
}
