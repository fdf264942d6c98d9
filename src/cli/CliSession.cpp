#include "cli/CliSession.h"

#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "port/StoredPort.h"
#include "settings/RT3180Data.h"
#include "settings/SettingLists.h"
#include "settings/SettingsFile.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace
{
constexpr const char* kTextNoReply =
    "no reply from the drive on %1 within the time-out (connection lost)";
constexpr const char* kTextNotAllowed = "%1 %2 is not in the list of the %3 drive; allowed: %4";
constexpr const char* kTextNotSettingsFile = "%1 is not a valid settings file: %2";
constexpr const char* kTextCannotRead = "%1 cannot be read";
constexpr const char* kTextSaveFailed = "%1 could not be saved: %2";
constexpr const char* kTextVerifyFailed = "the drive kept %1, not %2";
constexpr const char* kTextStopped = "stopped; the port is closed";
constexpr const char* kTextProgress = "%1 sent, the drive is given %2 s (%3 s left)\n";
constexpr const char* kTextPrefix = "rt3180-cli: ";
constexpr const char* kTextConnected = "connected";
constexpr const char* kTextSent = "sent: ";
constexpr const char* kTextVerified = "verified";
constexpr const char* kTextSettings = "%1  resolution %2  current %3 %4  idle %5 %";
constexpr const char* kTextUnknownValue = "?";
constexpr const char* kSettingNames[] = {"resolution", "current", "idle"};

constexpr unsigned kPauseSlice = 20;     // ms between looks at a stop request
constexpr int kStopPollInterval = 50;    // ms, while waiting for replies
constexpr unsigned kProgressFrom = 1000; // pauses this long are reported

std::atomic<bool> s_bStopRequested{false};

std::span<const CSettingEntry> SettingList(int nSetting, int nFamilyFlag)
{
    switch (nSetting) {
    case 0:
        return kResolutionList;
    case 1:
        return DriveFamily(nFamilyFlag).currentList;
    default:
        return kIdleList;
    }
}

int PositionOf(std::span<const CSettingEntry> list, const QString& strText)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (strText == QLatin1String(list[i].pszText))
            return int(i);
    }
    return -1;
}

QString ListText(std::span<const CSettingEntry> list, int nPosition)
{
    return nPosition >= 0 && std::size_t(nPosition) < list.size()
               ? QString::fromLatin1(list[std::size_t(nPosition)].pszText)
               : QString::fromLatin1(kTextUnknownValue);
}

QString AllowedTexts(std::span<const CSettingEntry> list)
{
    QStringList texts;
    for (const CSettingEntry& entry : list)
        texts << QString::fromLatin1(entry.pszText);
    return texts.join(QStringLiteral(", "));
}

QString Seconds(unsigned nMilliseconds)
{
    return QString::number(nMilliseconds / 1000.0, 'f', 1);
}

void PrintLine(std::FILE* pFile, const QString& strText)
{
    std::fprintf(pFile, "%s\n", strText.toLocal8Bit().constData());
    std::fflush(pFile);
}
} // namespace

CCliSession::CCliSession()
{
    connect(&m_drive, &CDriveProtocol::familyIdentified, this,
            [this](int nFlag) { m_nFamilyFlag = nFlag; });
    connect(&m_drive, &CDriveProtocol::replyChanged, this,
            [this](const QString& strText) { m_strReply = strText; });
    connect(&m_drive, &CDriveProtocol::resolutionRecalled, this,
            [this](int nIndex) { m_recalled[0] = nIndex; });
    connect(&m_drive, &CDriveProtocol::currentRecalled, this,
            [this](int nIndex) { m_recalled[1] = nIndex; });
    connect(&m_drive, &CDriveProtocol::idleRecalled, this,
            [this](int nIndex) { m_recalled[2] = nIndex; });
    connect(&m_drive, &CDriveProtocol::txLampChanged, this, [this](int nState) {
        if (nState)
            ++m_nStep;
    });
    // Every recognised line ends with a status; a wait that is not over yet
    // gives the drive the reply time again on the link's own timer.
    connect(&m_drive, &CDriveProtocol::statusChanged, this, [this](const QString& strText) {
        if (!m_pLoop || strText == QLatin1String(kStatusConnectionLost))
            return;
        if (m_waitDone())
            m_pLoop->quit();
        else
            m_drive.SetReplyTimer(kRecallSequence.back().nReplyTimeout);
    });
    connect(&m_drive, &CDriveProtocol::connectionLost, this, [this] {
        m_bLost = true;
        if (m_pLoop)
            m_pLoop->quit();
    });
}

CCliSession::~CCliSession()
{
    SetWaitPump({});
}

void CCliSession::RequestStop()
{
    s_bStopRequested = true;
}

int CCliSession::Run(const CCliRequest& request)
{
    m_request = request;
    m_json = {{QStringLiteral("command"), request.strCommand}};
    int nStatus = Execute();
    m_drive.Close();
    if (nStatus == kExitInterrupted || (s_bStopRequested && nStatus == kExitDone))
        nStatus = Fail(kExitInterrupted, QString::fromLatin1(kTextStopped));
    m_json.insert(QStringLiteral("exit"), nStatus);
    if (m_request.bJson)
        PrintLine(stdout, QString::fromUtf8(QJsonDocument(m_json).toJson(QJsonDocument::Compact)));
    return nStatus;
}

int CCliSession::NoReply()
{
    // A wait cut short by Ctrl-C is no fault of the drive.
    if (s_bStopRequested)
        return kExitInterrupted;
    return Fail(kExitNoReply, QString::fromLatin1(kTextNoReply).arg(m_strPort));
}

int CCliSession::Fail(int nStatus, const QString& strText)
{
    m_json.insert(QStringLiteral("error"), strText);
    PrintLine(stderr, QString::fromLatin1(kTextPrefix) + strText);
    return nStatus;
}

int CCliSession::Execute()
{
    // What can be checked without the drive is checked before the port opens.
    if (m_request.strCommand == QLatin1String("apply") && m_request.strFile.isEmpty()) {
        const QString texts[] = {m_request.strResolution, QString(), m_request.strIdle};
        for (const int nSetting : {0, 2}) {
            const auto list = SettingList(nSetting, 1);
            if (PositionOf(list, texts[nSetting]) < 0)
                return Fail(kExitUsage,
                            QString::fromLatin1(kTextNotAllowed)
                                .arg(QLatin1String(kSettingNames[nSetting]), texts[nSetting],
                                     QString::fromLatin1(kTextConnected), AllowedTexts(list)));
        }
    }
    if (m_request.strCommand == QLatin1String("apply") && !m_request.strFile.isEmpty()) {
        CRT3180Data data;
        QString strReason;
        switch (LoadSettingsFile(m_request.strFile, data, &strReason)) {
        case ELoadResult::NotOpened:
            return Fail(kExitBadFile, QString::fromLatin1(kTextCannotRead).arg(m_request.strFile));
        case ELoadResult::NotSettings:
            return Fail(
                kExitBadFile,
                QString::fromLatin1(kTextNotSettingsFile).arg(m_request.strFile, strReason));
        case ELoadResult::Loaded:
            break;
        }
    }

    m_strPort = m_request.strPort;
    if (m_strPort.isEmpty() && !LoadStoredPort(m_strPort))
        m_strPort = QString::fromLatin1(kPortNames[0]);
    m_json.insert(QStringLiteral("port"), m_strPort);

    // The port's boxes become lines: the reason it failed, or a warning.
    QStringList boxes;
    const MessageBoxHook previous = SetMessageBoxHook([&boxes](const CMessageBoxCall& call) {
        boxes << (call.strDetail.isEmpty() ? call.strText : call.strText + u'\n' + call.strDetail);
        PrintLine(stderr, QString::fromLatin1(kTextPrefix) + boxes.last());
        return IDOK;
    });
    const bool bConnected = m_drive.Connect(m_strPort);
    SetMessageBoxHook(previous);
    if (!bConnected) {
        m_json.insert(QStringLiteral("error"), boxes.join(u'\n'));
        return kExitPortNotOpened;
    }
    SetWaitPump([this](CSteadyClock::time_point deadline) { return Pause(deadline); });

    if (m_request.strCommand == QLatin1String("identify"))
        return Identify();
    if (m_request.strCommand == QLatin1String("recall"))
        return Recall();
    if (m_request.strCommand == QLatin1String("apply"))
        return Apply();
    if (m_request.strCommand == QLatin1String("save"))
        return Save();
    return Test();
}

// A wait of a sequence: the progress line, and a look at Ctrl-C every slice;
// the clock's precise sleep takes the last slice.
bool CCliSession::Pause(CSteadyClock::time_point deadline)
{
    using namespace std::chrono;
    const auto nMilliseconds =
        unsigned(std::max<long long>(0, ceil<milliseconds>(deadline - Now()).count()));
    if (m_nStep >= 0 && m_nStep < int(m_steps.size())) {
        m_nPauseLeft -= std::min(m_nPauseLeft, nMilliseconds);
        if (nMilliseconds >= kProgressFrom && !m_request.bQuiet) {
            const CCommandStep& step = m_steps[std::size_t(m_nStep)];
            const QByteArray command =
                CommandBytes(step.eCommand, m_codes,
                             step.eCommand == ECommand::TestToggle ? m_drive.IsTestOn() : false);
            std::fputs(QString::fromLatin1(kTextProgress)
                           .arg(QString::fromLatin1(command), Seconds(nMilliseconds),
                                Seconds(m_nPauseLeft + nMilliseconds))
                           .prepend(QString::fromLatin1(kTextPrefix))
                           .toLocal8Bit()
                           .constData(),
                       stderr);
        }
    }
    // Cut into slices so that Ctrl-C closes the port before the next command.
    for (;;) {
        if (s_bStopRequested) {
            m_drive.Disconnect();
            return false;
        }
        if (deadline - Now() <= milliseconds(kPauseSlice))
            return true;
        std::this_thread::sleep_for(milliseconds(kPauseSlice));
    }
}

void CCliSession::RunSequence(std::span<const CCommandStep> steps, const std::function<void()>& run)
{
    m_steps = steps;
    m_nStep = -1;
    m_nPauseLeft = 0;
    for (const CCommandStep& step : steps)
        m_nPauseLeft += step.nLeadIn + step.nTrailing;
    run();
    m_steps = {};
}

CCliSession::EWait CCliSession::WaitFor(const std::function<bool()>& done)
{
    if (s_bStopRequested || !m_drive.IsConnected())
        return EWait::Stopped;
    m_waitDone = done;
    m_bLost = false;
    // Replies that came during the pauses are handled in the loop below.
    if (m_waitDone())
        return EWait::Done;
    QEventLoop loop;
    QTimer stopPoll;
    connect(&stopPoll, &QTimer::timeout, &loop, [&loop] {
        if (s_bStopRequested)
            loop.quit();
    });
    stopPoll.start(kStopPollInterval);
    m_pLoop = &loop;
    loop.exec();
    m_pLoop = nullptr;
    if (s_bStopRequested)
        return EWait::Stopped;
    return m_waitDone() ? EWait::Done : EWait::Lost;
}

CCliSession::EWait CCliSession::RecallAll()
{
    m_recalled = {-1, -1, -1};
    RunSequence(kRecallSequence, [this] { m_drive.Recall(); });
    return WaitFor([this] {
        return m_nFamilyFlag >= 0 && m_recalled[0] >= 0 && m_recalled[1] >= 0 && m_recalled[2] >= 0;
    });
}

int CCliSession::Identify()
{
    RunSequence(kRecallSequence, [this] { m_drive.Recall(); });
    if (WaitFor([this] { return m_nFamilyFlag >= 0; }) != EWait::Done)
        return NoReply();
    m_json.insert(QStringLiteral("family"), QLatin1String(DriveFamily(m_nFamilyFlag).pszName));
    m_json.insert(QStringLiteral("reply"), m_strReply);
    if (!m_request.bJson)
        PrintLine(stdout, m_strReply);
    return kExitDone;
}

QString CCliSession::SettingsText(const std::array<int, 3>& positions) const
{
    const CDriveFamily& family = DriveFamily(m_nFamilyFlag);
    return QString::fromLatin1(kTextSettings)
        .arg(QLatin1String(family.pszName), ListText(kResolutionList, positions[0]),
             ListText(family.currentList, positions[1]), QLatin1String(family.pszCurrentUnit),
             ListText(kIdleList, positions[2]));
}

QJsonObject CCliSession::SettingsJson(const std::array<int, 3>& positions) const
{
    QJsonObject settings;
    for (int i = 0; i < 3; ++i)
        settings.insert(QLatin1String(kSettingNames[i]),
                        ListText(SettingList(i, m_nFamilyFlag), positions[std::size_t(i)]));
    settings.insert(QStringLiteral("current_unit"),
                    QLatin1String(DriveFamily(m_nFamilyFlag).pszCurrentUnit));
    return settings;
}

int CCliSession::Recall()
{
    if (RecallAll() != EWait::Done)
        return NoReply();
    m_json.insert(QStringLiteral("family"), QLatin1String(DriveFamily(m_nFamilyFlag).pszName));
    m_json.insert(QStringLiteral("settings"), SettingsJson(m_recalled));
    if (!m_request.bJson)
        PrintLine(stdout, SettingsText(m_recalled));
    return kExitDone;
}

int CCliSession::ResolveCodes(CSettingCodes& codes, std::array<int, 3>& positions)
{
    if (!m_request.strFile.isEmpty()) {
        CRT3180Data data;
        LoadSettingsFile(m_request.strFile, data); // read and checked before connecting
        positions = {data.m_nResolution, data.m_nCurrent, data.m_nIdle};
    } else {
        const QString texts[] = {m_request.strResolution, m_request.strCurrent, m_request.strIdle};
        for (int i = 0; i < 3; ++i) {
            const auto list = SettingList(i, m_nFamilyFlag);
            positions[std::size_t(i)] = PositionOf(list, texts[i]);
            if (positions[std::size_t(i)] < 0)
                return Fail(kExitUsage, QString::fromLatin1(kTextNotAllowed)
                                            .arg(QLatin1String(kSettingNames[i]), texts[i],
                                                 QLatin1String(DriveFamily(m_nFamilyFlag).pszName),
                                                 AllowedTexts(list)));
        }
    }
    // As the window's lists do: a position selects an entry, the entry's code is sent.
    codes.nResolution = kResolutionList[std::size_t(positions[0])].nCode;
    codes.nCurrent = DriveFamily(m_nFamilyFlag).currentList[std::size_t(positions[1])].nCode;
    codes.nIdle = kIdleList[std::size_t(positions[2])].nCode;
    return kExitDone;
}

int CCliSession::Apply()
{
    if (RecallAll() != EWait::Done)
        return NoReply();
    std::array<int, 3> positions{};
    if (const int nStatus = ResolveCodes(m_codes, positions); nStatus != kExitDone)
        return nStatus;
    m_json.insert(QStringLiteral("family"), QLatin1String(DriveFamily(m_nFamilyFlag).pszName));
    m_json.insert(QStringLiteral("sent"), SettingsJson(positions));

    RunSequence(kApplySequence, [this] { m_drive.Apply(m_codes); });
    if (WaitFor([this] { return !m_drive.IsReplyTimerPending(); }) != EWait::Done)
        return NoReply();
    if (!m_request.bJson)
        PrintLine(stdout, QString::fromLatin1(kTextSent) + SettingsText(positions));
    if (!m_request.bVerify)
        return kExitDone;

    if (RecallAll() != EWait::Done)
        return NoReply();
    m_json.insert(QStringLiteral("kept"), SettingsJson(m_recalled));
    const bool bKept = m_recalled == positions;
    m_json.insert(QString::fromLatin1(kTextVerified), bKept);
    if (!bKept)
        return Fail(kExitRefused, QString::fromLatin1(kTextVerifyFailed)
                                      .arg(SettingsText(m_recalled), SettingsText(positions)));
    if (!m_request.bJson)
        PrintLine(stdout, QString::fromLatin1(kTextVerified));
    return kExitDone;
}

int CCliSession::Save()
{
    if (RecallAll() != EWait::Done)
        return NoReply();
    CRT3180Data data;
    data.m_nResolution = m_recalled[0];
    data.m_nCurrent = m_recalled[1];
    data.m_nIdle = m_recalled[2];
    QString strReason;
    if (!SaveSettingsFile(m_request.strFile, data, &strReason))
        return Fail(kExitBadFile,
                    QString::fromLatin1(kTextSaveFailed).arg(m_request.strFile, strReason));
    m_json.insert(QStringLiteral("family"), QLatin1String(DriveFamily(m_nFamilyFlag).pszName));
    m_json.insert(QStringLiteral("settings"), SettingsJson(m_recalled));
    m_json.insert(QStringLiteral("file"), m_request.strFile);
    if (!m_request.bJson)
        PrintLine(stdout, SettingsText(m_recalled));
    return kExitDone;
}

int CCliSession::Test()
{
    RunSequence(kTestSequence, [this] { m_drive.SetTest(m_request.bTestOn); });
    if (WaitFor([this] { return !m_drive.IsReplyTimerPending(); }) != EWait::Done)
        return NoReply();
    m_json.insert(QStringLiteral("test"), m_request.bTestOn);
    return kExitDone;
}
