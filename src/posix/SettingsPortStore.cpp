#include "posix/SettingsPortStore.h"

#include "posix/ConfigHome.h"
#include "posix/PosixFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <optional>

namespace
{

const QString kPortValue = QStringLiteral("Port");
// A store file is a few lines; anything far larger is not one.
constexpr std::size_t kMaxStoreSize = 1 << 20;

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

// The store's text, when it is a regular file holding settings text;
// nothing otherwise (and nothing else is opened, nor waited for).
std::optional<QByteArray> ReadStoreText()
{
    std::string bytes;
    if (CPosixFiles().ReadRegularFile(CSettingsPortStore::StoredPortFile(), kMaxStoreSize + 1,
                                      bytes) != EReadResult::Read ||
        bytes.size() > kMaxStoreSize)
        return std::nullopt;
    QByteArray text(bytes.data(), qsizetype(bytes.size()));
    if (!IsSettingsText(text))
        return std::nullopt;
    return text;
}

bool StoreExists()
{
    return QFileInfo::exists(QString::fromStdString(CSettingsPortStore::StoredPortFile()));
}

// Qt's INI reader and writer work on a private copy: their own access to the
// store would open whatever the name leads to and replace a link's target.
std::unique_ptr<QSettings> OpenCopy(const QTemporaryDir& dir, const QByteArray& bytes)
{
    QFile copy(dir.filePath(QStringLiteral("RT318.conf")));
    if (!dir.isValid() || !copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size())
        return nullptr;
    copy.close();
    auto pStore = std::make_unique<QSettings>(copy.fileName(), QSettings::IniFormat);
    return pStore->status() == QSettings::NoError ? std::move(pStore) : nullptr;
}

} // namespace

std::string CSettingsPortStore::StoredPortFile()
{
    return UserConfigHome() + "/KOLV/RT318.conf";
}

std::optional<std::string> CSettingsPortStore::Load()
{
    if (!StoreExists())
        return std::nullopt;
    const std::optional<QByteArray> text = ReadStoreText();
    const QTemporaryDir dir;
    const std::unique_ptr<QSettings> pStore = text ? OpenCopy(dir, *text) : nullptr;
    return pStore ? pStore->value(kPortValue).toString().toStdString() : std::string();
}

bool CSettingsPortStore::Save(const std::string& strPort)
{
    // A missing file is made; one that is there must be ours to rewrite.
    const std::optional<QByteArray> text = StoreExists() ? ReadStoreText() : QByteArray();
    const QTemporaryDir dir;
    const std::unique_ptr<QSettings> pStore = text ? OpenCopy(dir, *text) : nullptr;
    if (!pStore)
        return false;
    pStore->setValue(kPortValue, QString::fromStdString(strPort));
    pStore->sync();
    QFile copy(pStore->fileName());
    if (pStore->status() != QSettings::NoError || !copy.open(QIODevice::ReadOnly) ||
        !QDir().mkpath(QFileInfo(QString::fromStdString(StoredPortFile())).path()))
        return false;
    const QByteArray bytes = copy.readAll();
    return CPosixFiles().WriteWholeFile(StoredPortFile(),
                                        std::string_view(bytes.constData(), bytes.size()));
}
