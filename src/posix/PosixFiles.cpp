#include "posix/PosixFiles.h"

#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// As the kernel gives up on a chain of links.
constexpr int kMaxLinks = 40;

void SetReason(std::string* pstrReason, const std::string& strReason)
{
    if (pstrReason)
        *pstrReason = strReason;
}

void SetReason(std::string* pstrReason, const QString& strReason)
{
    SetReason(pstrReason, strReason.toStdString());
}

std::string NotRegularReason(unsigned nMode)
{
    return "This is " + FileKind(nMode & S_IFMT) + ", not a regular file.";
}

// The kernel's protected_symlinks rule: in a sticky world-writable folder a
// link is followed only when it is the follower's or the folder owner's.
bool MayFollow(const QString& strLink, const struct stat& link)
{
    struct stat folder = {};
    if (stat(QFile::encodeName(QFileInfo(strLink).absolutePath()).constData(), &folder) != 0)
        return false;
    const bool bShared = (folder.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
    return !bShared || link.st_uid == geteuid() || link.st_uid == folder.st_uid;
}

// The path a write through strPath lands on: the end of its chain of links.
bool ResolveWriteTarget(const QString& strPath, QString& strTarget, std::string* pstrReason)
{
    QString strCurrent = QFileInfo(strPath).absoluteFilePath();
    for (int nDepth = 0; nDepth <= kMaxLinks; ++nDepth) {
        const QByteArray path = QFile::encodeName(strCurrent);
        struct stat link = {};
        if (lstat(path.constData(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            strTarget = strCurrent;
            return true;
        }
        if (!MayFollow(strCurrent, link)) {
            SetReason(pstrReason, std::string("This is a link in a shared folder, and not yours."));
            return false;
        }
        char buffer[PATH_MAX];
        const ssize_t nLength = readlink(path.constData(), buffer, sizeof buffer);
        if (nLength <= 0) {
            SetReason(pstrReason, qt_error_string(errno));
            return false;
        }
        const QString strNext = QFile::decodeName(QByteArray(buffer, nLength));
        strCurrent = strNext.startsWith(QLatin1Char('/'))
                         ? strNext
                         : QFileInfo(strCurrent).absolutePath() + QLatin1Char('/') + strNext;
    }
    SetReason(pstrReason, qt_error_string(ELOOP));
    return false;
}

bool WriteAll(int nFd, std::string_view bytes)
{
    std::size_t nDone = 0;
    while (nDone < bytes.size()) {
        const ssize_t n = write(nFd, bytes.data() + nDone, bytes.size() - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        nDone += std::size_t(n);
    }
    return true;
}

// Over the old content, for a file whose folder has no room for a temporary
// one or that has other names a replacement would part from it.
bool WriteInPlace(const QString& strTarget, std::string_view bytes, std::string* pstrReason)
{
    const int nFd = open(QFile::encodeName(strTarget).constData(),
                         O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (nFd < 0) {
        SetReason(pstrReason, qt_error_string(errno));
        return false;
    }
    struct stat info = {};
    bool bOk = fstat(nFd, &info) == 0 && S_ISREG(info.st_mode);
    if (!bOk)
        SetReason(pstrReason, NotRegularReason(info.st_mode));
    else if (!WriteAll(nFd, bytes) || ftruncate(nFd, off_t(bytes.size())) != 0 || fsync(nFd) != 0) {
        SetReason(pstrReason, qt_error_string(errno));
        bOk = false;
    }
    if (close(nFd) != 0 && bOk) {
        SetReason(pstrReason, qt_error_string(errno));
        bOk = false;
    }
    return bOk;
}

} // namespace

std::string FileKind(unsigned nType)
{
    switch (nType) {
    case S_IFIFO:
        return "a FIFO (named pipe)";
    case S_IFREG:
        return "a regular file";
    case S_IFDIR:
        return "a folder";
    case S_IFSOCK:
        return "a socket";
    case S_IFBLK:
        return "a block device";
    case S_IFCHR:
        return "a character device";
    default:
        return "not a file";
    }
}

EReadResult CPosixFiles::ReadRegularFile(const std::string& strPath, std::size_t nMaxBytes,
                                         std::string& bytes, std::string* pstrReason)
{
    const QByteArray path = QFile::encodeName(QString::fromStdString(strPath));
    struct stat info = {};
    if (stat(path.constData(), &info) != 0) {
        SetReason(pstrReason, qt_error_string(errno));
        return EReadResult::NotOpened;
    }
    if (!S_ISREG(info.st_mode)) {
        SetReason(pstrReason, NotRegularReason(info.st_mode));
        return EReadResult::NotRegular;
    }
    // Checked again once open: the name may have been swapped in between.
    const int nFd = open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (nFd < 0) {
        SetReason(pstrReason, qt_error_string(errno));
        return EReadResult::NotOpened;
    }
    EReadResult result = EReadResult::Read;
    if (fstat(nFd, &info) != 0 || !S_ISREG(info.st_mode)) {
        SetReason(pstrReason, NotRegularReason(info.st_mode));
        result = EReadResult::NotRegular;
    } else {
        bytes.resize(nMaxBytes);
        std::size_t nDone = 0;
        while (nDone < nMaxBytes) {
            const ssize_t n = read(nFd, bytes.data() + nDone, nMaxBytes - nDone);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                SetReason(pstrReason, qt_error_string(errno));
                result = EReadResult::NotOpened;
            }
            if (n <= 0)
                break;
            nDone += std::size_t(n);
        }
        bytes.resize(nDone);
    }
    close(nFd);
    return result;
}

bool CPosixFiles::WriteWholeFile(const std::string& strPath, std::string_view bytes,
                                 std::string* pstrReason)
{
    QString strTarget;
    if (!ResolveWriteTarget(QString::fromStdString(strPath), strTarget, pstrReason))
        return false;
    struct stat info = {};
    const bool bExists = lstat(QFile::encodeName(strTarget).constData(), &info) == 0;
    if (bExists && !S_ISREG(info.st_mode)) {
        SetReason(pstrReason, NotRegularReason(info.st_mode));
        return false;
    }
    if (bExists && info.st_nlink > 1)
        return WriteInPlace(strTarget, bytes, pstrReason);

    QSaveFile file(strTarget);
    // Unbuffered: a buffered short write (disk full, size limit) would drop the
    // rest unseen and the truncated file would still take the old one's place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (bExists && access(QFile::encodeName(strTarget).constData(), W_OK) == 0)
            return WriteInPlace(strTarget, bytes, pstrReason);
        SetReason(pstrReason, file.errorString());
        return false;
    }
    errno = 0;
    if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
        SetReason(pstrReason, file.error() != QFileDevice::NoError ? file.errorString()
                                                                   : qt_error_string(errno));
        return false; // the temporary file goes with the object
    }
    if (!file.commit()) {
        SetReason(pstrReason, file.errorString());
        return false;
    }
    return true;
}
