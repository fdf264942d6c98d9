#include "port/StoredPort.h"

#include "platform/ConfigHome.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>

namespace
{

const QString kPortValue = QStringLiteral("Port");
// A store file is a few lines; anything far larger is not one.
constexpr qint64 kMaxStoreSize = 1 << 20;

// Qt's reader takes almost any text; a file we did not write is only used
// when every line is a comment, a section or a "name=value" entry whose
// quotes are closed, so that nothing is read from, or written over, a file
// that is something else.
bool IsSettingsText(const QByteArray& bytes)
{
    if (bytes.contains('\0'))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString strText = decoder.decode(bytes);
    if (decoder.hasError())
        return false;
    for (const QString& strRawLine : strText.split(QLatin1Char('\n'))) {
        const QString strLine = strRawLine.trimmed();
        if (strLine.isEmpty() || strLine.startsWith(u';') || strLine.startsWith(u'#') ||
            (strLine.startsWith(u'[') && strLine.endsWith(u']') && strLine.size() > 2))
            continue;
        const qsizetype nEqual = strLine.indexOf(u'=');
        if (nEqual <= 0)
            return false;
        bool bQuoted = false;
        for (qsizetype i = nEqual + 1; i < strLine.size(); ++i) {
            if (strLine[i] == u'\\')
                ++i;
            else if (strLine[i] == u'"')
                bQuoted = !bQuoted;
        }
        if (bQuoted)
            return false;
    }
    return true;
}

// The store as Qt reads it, when the file is one; nothing otherwise.
std::unique_ptr<QSettings> OpenStore()
{
    const QString strFile = StoredPortFile();
    QFile file(strFile);
    if (!QFileInfo(strFile).isFile() || !file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray bytes = file.read(kMaxStoreSize + 1);
    if (bytes.size() > kMaxStoreSize || !IsSettingsText(bytes))
        return nullptr;
    auto pStore = std::make_unique<QSettings>(strFile, QSettings::IniFormat);
    return pStore->status() == QSettings::NoError ? std::move(pStore) : nullptr;
}

} // namespace

QString StoredPortFile()
{
    return UserConfigHome() + QStringLiteral("/KOLV/RT318.conf");
}

bool LoadStoredPort(QString& strPort)
{
    if (!QFileInfo::exists(StoredPortFile()))
        return false;
    const std::unique_ptr<QSettings> pStore = OpenStore();
    strPort = pStore ? pStore->value(kPortValue).toString() : QString();
    if (strPort.isEmpty())
        strPort = QString::fromLatin1(kPortWithoutValue);
    return true;
}

bool SaveStoredPort(const QString& strPort)
{
    // A missing file is made; one that is there must be ours to rewrite.
    std::unique_ptr<QSettings> pStore;
    if (QFileInfo::exists(StoredPortFile()))
        pStore = OpenStore();
    else
        pStore = std::make_unique<QSettings>(StoredPortFile(), QSettings::IniFormat);
    if (!pStore)
        return false;
    pStore->setValue(kPortValue, strPort);
    pStore->sync();
    return pStore->status() == QSettings::NoError;
}
