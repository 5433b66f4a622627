#include "CaptureFile.h"

#include "FileName.h"
#include "runtime/CodePage.h"
#include "runtime/RuntimeError.h"

#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void raiseFromErrno(int missingMeans = Err::PathNotFound)
{
    throw RuntimeError(fileErrorFromErrno(errno, missingMeans));
}

QByteArray nativePath(const QString& path)
{
    if (path.isEmpty() || QFileInfo(path).fileName() == kNoFileName)
        throw RuntimeError(Err::BadFileName);
    return QFile::encodeName(path);
}
} // namespace

CaptureFile& CaptureFile::number1()
{
    static CaptureFile file;
    return file;
}

CaptureFile::~CaptureFile()
{
    close();
}

void CaptureFile::open(const QString& path)
{
    const QByteArray native = nativePath(path);
    close();
    // Appending: every write lands at the end, whoever else wrote or truncated the file.
    // Not blocking: a FIFO without a reader would hold the window for good.
    int fd;
    do {
        fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC,
                    0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        raiseFromErrno(); // a FIFO without a reader: ENXIO, a file access error
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw RuntimeError(Err::PathFileAccess);
    }
    // Held for as long as capture is on, so that a second instance cannot write into it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        throw RuntimeError(Err::PermissionDenied);
    }
    m_fd = fd;
    m_path = native;
}

qint64 CaptureFile::length() const
{
    if (m_fd < 0)
        throw RuntimeError(Err::BadFileName);
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        raiseFromErrno();
    return st.st_size;
}

bool CaptureFile::endsMidLine() const
{
    const qint64 size = length();
    if (size == 0)
        return false;
    // Written only, so read through a descriptor of its own; a file that cannot be read is
    // taken as it is.
    const int fd = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    char last = '\n';
    if (fd >= 0) {
        if (::pread(fd, &last, 1, off_t(size - 1)) != 1)
            last = '\n';
        ::close(fd);
    }
    return last != '\n';
}

void CaptureFile::write(const QString& text)
{
    writeBytes(CodePage::toBytes(text));
}

void CaptureFile::writeBytes(const QByteArray& bytes)
{
    if (m_fd < 0)
        throw RuntimeError(Err::BadFileName);
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            raiseFromErrno();
        }
        p += n;
        left -= n;
    }
}

void CaptureFile::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void CaptureFile::closeAll()
{
    number1().close();
}

void CaptureFile::kill(const QString& path)
{
    const QByteArray native = nativePath(path);
    const CaptureFile& open = number1();
    struct stat target {
    }, mine{};
    if (open.isOpen() && ::stat(native.constData(), &target) == 0 &&
        ::fstat(open.m_fd, &mine) == 0 && target.st_dev == mine.st_dev &&
        target.st_ino == mine.st_ino)
        throw RuntimeError(Err::PermissionDenied);
    if (::unlink(native.constData()) != 0)
        raiseFromErrno(Err::FileNotFound);
}

bool CaptureFile::exists(const QString& path)
{
    // Anything but a folder: a FIFO, a device or a socket is taken, never a capture target.
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISDIR(st.st_mode);
}
