#include "CaptureFile.h"

#include "FileName.h"
#include "runtime/CodePage.h"
#include "runtime/RuntimeError.h"

#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
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
    int fd;
    do {
        fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        raiseFromErrno();
    m_fd = fd;
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

void CaptureFile::seek(qint64 position)
{
    if (m_fd < 0 || position < 1)
        throw RuntimeError(Err::BadFileName);
    if (::lseek(m_fd, off_t(position - 1), SEEK_SET) < 0)
        raiseFromErrno();
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
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}
