#include "platform/WholeFile.h"

#include <QSaveFile>
#include <cerrno>

bool WriteWholeFile(const QString& strPath, const QByteArray& bytes, QString* pstrReason)
{
    QSaveFile file(strPath);
    // Unbuffered: a buffered short write (disk full, size limit) would drop the
    // rest unseen and the truncated file would still take the old one's place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (pstrReason)
            *pstrReason = file.errorString();
        return false;
    }
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        if (pstrReason)
            *pstrReason =
                file.error() != QFileDevice::NoError ? file.errorString() : qt_error_string(errno);
        return false; // the temporary file goes with the object
    }
    if (!file.commit()) {
        if (pstrReason)
            *pstrReason = file.errorString();
        return false;
    }
    return true;
}
