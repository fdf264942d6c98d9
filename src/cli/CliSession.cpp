#include "cli/CliSession.h"

#include "core/port/PortNames.h"
#include "core/port/StoredPort.h"
#include "core/settings/SettingsFile.h"

#include <algorithm>
#include <cstdio>
#include <span>

namespace
{
constexpr const char* kTextNoReply =
    "no reply from the drive on %s within the time-out (connection lost)";
constexpr const char* kTextNotAllowed = "%s %s is not in the list of the %s drive; allowed: %s";
constexpr const char* kTextNotSettingsFile = "%s is not a valid settings file: %s";
constexpr const char* kTextCannotRead = "%s cannot be read";
constexpr const char* kTextSaveFailed = "%s could not be saved: %s";
constexpr const char* kTextVerifyFailed = "the drive kept %s, not %s";
constexpr const char* kTextStopped = "stopped; the port is closed";
constexpr const char* kTextProgress = "%s sent, the drive is given %s s (%s s left)\n";
constexpr const char* kTextPrefix = "rt3180-cli: ";
constexpr const char* kTextConnected = "connected";
constexpr const char* kTextSent = "sent: ";
constexpr const char* kTextVerified = "verified";
constexpr const char* kTextSettings = "%s  resolution %s  current %s %s  idle %s %%";
constexpr const char* kTextUnknownValue = "?";

constexpr unsigned kProgressFrom = 1000; // pauses this long are reported
// While a recall's lines come in, each gives the drive the reply time again.
constexpr unsigned kReplyTime = kRecallSequence.back().nReplyTimeout;
// How often the waiting loop looks at a stop request.
constexpr std::chrono::milliseconds kStopPollInterval{50};

const char* SettingName(ESetting eSetting)
{
    switch (eSetting) {
    case ESetting::Resolution:
        return "resolution";
    case ESetting::Current:
        return "current";
    case ESetting::Idle:
        break;
    }
    return "idle";
}

// printf for the texts above, into a string.
template <typename... TArgs> std::string Format(const char* pszFormat, const TArgs&... args)
{
    const int nSize = std::snprintf(nullptr, 0, pszFormat, args.c_str()...);
    std::string strText(static_cast<std::size_t>(std::max(nSize, 0)), '\0');
    std::snprintf(strText.data(), strText.size() + 1, pszFormat, args.c_str()...);
    return strText;
}

std::string ListText(std::span<const CSettingEntry> list, int nPosition)
{
    return nPosition >= 0 && std::size_t(nPosition) < list.size()
               ? list[std::size_t(nPosition)].pszText
               : kTextUnknownValue;
}

std::string AllowedTexts(std::span<const CSettingEntry> list)
{
    std::string strTexts;
    for (const CSettingEntry& entry : list)
        strTexts += (strTexts.empty() ? "" : ", ") + std::string(entry.pszText);
    return strTexts;
}

std::string Seconds(unsigned nMilliseconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", nMilliseconds / 1000.0);
    return text;
}

void PrintLine(std::FILE* pFile, const std::string& strText)
{
    std::fprintf(pFile, "%s\n", strText.c_str());
    std::fflush(pFile);
}
} // namespace

CCliSession::CCliSession()
{
    m_clock.SetLink(&m_drive);
}

CCliSession::~CCliSession() = default;

int CCliSession::Run(const CCliRequest& request)
{
    m_request = request;
    m_json = {};
    m_json.Set("command", request.strCommand);
    int nStatus = Execute();
    m_drive.Close();
    if (nStatus == kExitInterrupted || (CStopRequest::IsRequested() && nStatus == kExitDone))
        nStatus = Fail(kExitInterrupted, kTextStopped);
    m_json.Set("exit", nStatus);
    if (m_request.bJson)
        PrintLine(stdout, m_json.Text());
    return nStatus;
}

int CCliSession::NoReply()
{
    // A wait cut short by Ctrl-C is no fault of the drive.
    if (CStopRequest::IsRequested())
        return kExitInterrupted;
    return Fail(kExitNoReply, Format(kTextNoReply, m_strPort));
}

int CCliSession::Fail(int nStatus, const std::string& strText)
{
    m_json.Set("error", strText);
    PrintLine(stderr, kTextPrefix + strText);
    return nStatus;
}

const CDriveFamily& CCliSession::Family() const
{
    return DriveFamily(m_family.value_or(kStartFamily));
}

int CCliSession::Execute()
{
    // What can be checked without the drive is checked before the port opens.
    if (m_request.strCommand == "apply" && m_request.strFile.empty()) {
        for (const auto& [eSetting, strText] :
             {std::pair{ESetting::Resolution, m_request.strResolution},
              std::pair{ESetting::Idle, m_request.strIdle}}) {
            const auto list = SettingList(eSetting, kStartFamily); // the same in every family
            if (PositionOf(list, strText) < 0)
                return Fail(kExitUsage,
                            Format(kTextNotAllowed, std::string(SettingName(eSetting)), strText,
                                   std::string(kTextConnected), AllowedTexts(list)));
        }
    }
    if (m_request.strCommand == "apply" && !m_request.strFile.empty()) {
        CRT3180Data data;
        std::string strReason;
        switch (LoadSettingsFile(m_pPlatform->Files(), m_request.strFile, data, &strReason)) {
        case ELoadResult::NotOpened:
            return Fail(kExitBadFile, Format(kTextCannotRead, m_request.strFile));
        case ELoadResult::NotSettings:
            return Fail(kExitBadFile, Format(kTextNotSettingsFile, m_request.strFile, strReason));
        case ELoadResult::Loaded:
            break;
        }
    }

    m_strPort = m_request.strPort;
    if (m_strPort.empty() && !LoadStoredPort(m_pPlatform->PortStore(), m_strPort))
        m_strPort = kPortNames[0];
    m_json.Set("port", m_strPort);

    // What the window shows in boxes becomes lines: why the port did not
    // open, or which of its settings failed.
    const COpenResult opened = m_drive.Connect(m_strPort);
    if (!opened.bOpened) {
        std::string strText = kTextUnableToOpen + m_strPort;
        if (!opened.strDetail.empty())
            strText += '\n' + opened.strDetail;
        PrintLine(stderr, kTextPrefix + strText);
        m_json.Set("error", strText);
        return kExitPortNotOpened;
    }
    for (const EOpenStep eStep : opened.failedSteps)
        PrintLine(stderr, kTextPrefix + std::string(OpenStepFailure(eStep)));

    if (m_request.strCommand == "identify")
        return Identify();
    if (m_request.strCommand == "recall")
        return Recall();
    if (m_request.strCommand == "apply")
        return Apply();
    if (m_request.strCommand == "save")
        return Save();
    return Test();
}

// Each command that goes out with a pause of a second or more after it is
// announced, with the pauses the sequence has left.
void CCliSession::OnCommandSent(const CSentCommand& sent)
{
    const CCommandStep& step = sent.steps[sent.nStep];
    if (m_request.bQuiet || step.nTrailing < kProgressFrom)
        return;
    unsigned nLeft = step.nTrailing;
    for (std::size_t i = sent.nStep + 1; i < sent.steps.size(); ++i)
        nLeft += sent.steps[i].nLeadIn + sent.steps[i].nTrailing;
    std::fputs((kTextPrefix +
                Format(kTextProgress, sent.strCommand, Seconds(step.nTrailing), Seconds(nLeft)))
                   .c_str(),
               stderr);
}

// A recognised line while a wait is not over gives the drive the reply time
// again: a recall's lines come one by one.
void CCliSession::OnAccepted(EDriveFamily)
{
    if (m_waitDone && !m_waitDone())
        m_drive.SetReplyTimer(kReplyTime);
}

void CCliSession::OnFamily(EDriveFamily eFamily, const std::string& strReply)
{
    m_family = eFamily;
    m_strReply = strReply;
}

void CCliSession::OnRecalled(ESetting eSetting, int nPosition)
{
    m_recalled[eSetting] = nPosition;
}

void CCliSession::OnLinkLost(ELinkLoss)
{
    m_bLost = true;
}

CCliSession::EWait CCliSession::WaitFor(const std::function<bool()>& done)
{
    if (CStopRequest::IsRequested() || !m_drive.IsConnected())
        return EWait::Stopped;
    // A link lost in a sequence stays lost: the reply cannot come.
    if (m_bLost)
        return EWait::Lost;
    // Replies that came during the pauses have been handled already.
    if (done())
        return EWait::Done;
    m_waitDone = done;
    // Those replies may have stopped the timer before all that is awaited came.
    if (!m_drive.IsReplyTimerPending())
        m_drive.SetReplyTimer(kReplyTime);
    while (!m_bLost && !done() && !CStopRequest::IsRequested()) {
        CSteadyClock::time_point deadline = m_clock.Now() + kStopPollInterval;
        if (const auto expiry = m_timer.Deadline())
            deadline = std::min(deadline, *expiry);
        m_queue.DeliverUntil(deadline);
        if (!m_bLost && !done() && m_timer.Expire(m_clock.Now()))
            m_drive.OnTimer();
    }
    m_waitDone = nullptr;
    if (CStopRequest::IsRequested())
        return EWait::Stopped;
    return m_bLost ? EWait::Lost : EWait::Done;
}

CCliSession::EWait CCliSession::RecallAll()
{
    m_recalled = kNoPositions;
    m_drive.Recall();
    return WaitFor([this] {
        return m_family && m_recalled.m_nResolution >= 0 && m_recalled.m_nCurrent >= 0 &&
               m_recalled.m_nIdle >= 0;
    });
}

int CCliSession::Identify()
{
    m_drive.Recall();
    if (WaitFor([this] { return m_family.has_value(); }) != EWait::Done)
        return NoReply();
    m_json.Set("family", Family().pszName);
    m_json.Set("reply", m_strReply);
    if (!m_request.bJson)
        PrintLine(stdout, m_strReply);
    return kExitDone;
}

std::string CCliSession::SettingsText(const CRT3180Data& positions) const
{
    const CDriveFamily& family = Family();
    return Format(kTextSettings, std::string(family.pszName),
                  ListText(kResolutionList, positions[ESetting::Resolution]),
                  ListText(family.currentList, positions[ESetting::Current]),
                  std::string(family.pszCurrentUnit),
                  ListText(kIdleList, positions[ESetting::Idle]));
}

CJsonObject CCliSession::SettingsJson(const CRT3180Data& positions) const
{
    CJsonObject settings;
    for (const ESetting eSetting : kSettings)
        settings.Set(SettingName(eSetting),
                     ListText(SettingList(eSetting, Family().eFamily), positions[eSetting]));
    settings.Set("current_unit", Family().pszCurrentUnit);
    return settings;
}

int CCliSession::Recall()
{
    if (RecallAll() != EWait::Done)
        return NoReply();
    m_json.Set("family", Family().pszName);
    m_json.Set("settings", SettingsJson(m_recalled));
    if (!m_request.bJson)
        PrintLine(stdout, SettingsText(m_recalled));
    return kExitDone;
}

int CCliSession::ResolvePositions(CRT3180Data& positions)
{
    if (!m_request.strFile.empty()) {
        // Read and checked before connecting.
        LoadSettingsFile(m_pPlatform->Files(), m_request.strFile, positions);
        return kExitDone;
    }
    for (const auto& [eSetting, strText] :
         {std::pair{ESetting::Resolution, m_request.strResolution},
          std::pair{ESetting::Current, m_request.strCurrent},
          std::pair{ESetting::Idle, m_request.strIdle}}) {
        const auto list = SettingList(eSetting, Family().eFamily);
        positions[eSetting] = PositionOf(list, strText);
        if (positions[eSetting] < 0)
            return Fail(kExitUsage,
                        Format(kTextNotAllowed, std::string(SettingName(eSetting)), strText,
                               std::string(Family().pszName), AllowedTexts(list)));
    }
    return kExitDone;
}

int CCliSession::Apply()
{
    if (RecallAll() != EWait::Done)
        return NoReply();
    CApplySettings settings;
    settings.eCurrentList = Family().eFamily;
    if (const int nStatus = ResolvePositions(settings.positions); nStatus != kExitDone)
        return nStatus;
    m_json.Set("family", Family().pszName);
    m_json.Set("sent", SettingsJson(settings.positions));

    m_drive.Apply(settings);
    if (WaitFor([this] { return !m_drive.IsReplyTimerPending(); }) != EWait::Done)
        return NoReply();
    if (!m_request.bJson)
        PrintLine(stdout, kTextSent + SettingsText(settings.positions));
    if (!m_request.bVerify)
        return kExitDone;

    if (RecallAll() != EWait::Done)
        return NoReply();
    m_json.Set("kept", SettingsJson(m_recalled));
    const bool bKept = m_recalled == settings.positions;
    m_json.Set(kTextVerified, bKept);
    if (!bKept)
        return Fail(kExitRefused, Format(kTextVerifyFailed, SettingsText(m_recalled),
                                         SettingsText(settings.positions)));
    if (!m_request.bJson)
        PrintLine(stdout, kTextVerified);
    return kExitDone;
}

int CCliSession::Save()
{
    if (RecallAll() != EWait::Done)
        return NoReply();
    std::string strReason;
    if (!SaveSettingsFile(m_pPlatform->Files(), m_request.strFile, m_recalled, &strReason))
        return Fail(kExitBadFile, Format(kTextSaveFailed, m_request.strFile, strReason));
    m_json.Set("family", Family().pszName);
    m_json.Set("settings", SettingsJson(m_recalled));
    m_json.Set("file", m_request.strFile);
    if (!m_request.bJson)
        PrintLine(stdout, SettingsText(m_recalled));
    return kExitDone;
}

int CCliSession::Test()
{
    m_drive.SetTest(m_request.bTestOn);
    if (WaitFor([this] { return !m_drive.IsReplyTimerPending(); }) != EWait::Done)
        return NoReply();
    m_json.Set("test", m_request.bTestOn);
    return kExitDone;
}
