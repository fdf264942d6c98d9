// The drive link on a virtual clock, with a recording port, a hand-driven
// receive queue and a reply timer the test fires: the bytes it writes and
// when, what it reports and in which order.

#include "CoreFakes.h"
#include "core/protocol/ReplyRules.h"

#include <doctest.h>
#include <functional>
#include <map>
#include <utility>

namespace
{

struct CLink {
    CLog log;
    CVirtualClock clock;
    CRecordingSerialPort serial{clock, log};
    CManualQueue queue;
    CFakeReplyTimer timer{log};
    CRecordingListener listener{log};
    CDriveProtocol link{clock, serial, queue, timer, listener};
    // What comes in the n-th wait, as the window system would hand it over:
    // bytes, "hang-up" or "time-out".
    std::map<int, std::vector<std::string>> inWait;

    explicit CLink(bool bConnect = true)
    {
        listener.m_pClock = &clock;
        clock.m_onWait = [this](int nWait) {
            for (const std::string& str : inWait[nWait]) {
                if (str == "hang-up")
                    serial.PostHangup();
                else if (str == "time-out")
                    link.OnTimer();
                else
                    serial.PostReceived(str);
                queue.Pump();
            }
            // Chunks not yet handled keep their places at the reader's gate.
            const int nHeld = serial.m_pGate->InFlight();
            log.push_back("waited " + std::to_string(nWait) +
                          (nHeld ? " holding " + std::to_string(nHeld) : ""));
        };
        if (bConnect)
            Connect();
    }
    void Connect()
    {
        CHECK(link.Connect("COM3").bOpened);
        log.clear();
    }
    // The log entries starting with prefix, taken.
    std::string Take(std::string_view prefix = "")
    {
        std::string strTaken;
        for (const std::string& str : std::exchange(log, {}))
            if (str.starts_with(prefix))
                strTaken += (strTaken.empty() ? "" : ", ") + str;
        return strTaken;
    }
};

const CApplySettings kAsymmetric{{6, 8, 0}, EDriveFamily::Pkn61};

} // namespace

TEST_CASE("setting commands keep one digit")
{
    CHECK(SettingCommand(kCmdResolution, 5) + SettingCommand(kCmdIdle, 7) +
              SettingCommand(kCmdCurrent, 12) + SettingCommand(kCmdIdle, -1) ==
          "R:5ID:7I:1ID:-");
}

// The writes at their deadlines from the sequence's start whatever work the
// lamp changes take; a step that cannot make its deadline keeps the gaps
// after it whole. Each row starts disconnected with a recall pending.
TEST_CASE("sequences are paced from their start")
{
    struct {
        const char* pszName;
        unsigned nWork;
        std::function<void(CDriveProtocol&)> run;
        const char* pszWrites;
        long long nEnd;
        bool bRecallPending;
        bool bTestOn;
    } const rows[] = {
        {"recall", 0, [](CDriveProtocol& link) { link.Recall(); }, "write ?: @50, write S: @150",
         150, true, true},
        {"apply", 0, [&](CDriveProtocol& link) { link.Apply(kAsymmetric); },
         "write ?: @100, write R:4 @1150, write I:9 @4700, write ID:6 @5850", 6950, false, true},
        {"apply, no resolution, work 10 ms", 10,
         [](CDriveProtocol& link) {
             link.Apply(CApplySettings{{1, 9, -1}, EDriveFamily::Rt3180});
         },
         "write ?: @100, write R:- @1150, write I:0 @4700, write ID:1 @5850", 6950, false, true},
        {"apply, work longer than a lead-in", 200,
         [&](CDriveProtocol& link) { link.Apply(kAsymmetric); },
         "write ?: @200, write R:4 @1400, write I:9 @5100, write ID:6 @6400", 7500, false, true},
        {"test off, on", 0,
         [](CDriveProtocol& link) {
             link.Test();
             link.Test();
         },
         "write D: @100, write P: @1200", 2200, true, true},
        {"set test on, off", 0,
         [](CDriveProtocol& link) {
             link.SetTest(true);
             link.SetTest(false);
         },
         "write P: @100, write D: @1200", 2200, true, false},
    };
    for (const auto& row : rows) {
        CAPTURE(row.pszName);
        CLink l(false);
        l.link.Recall();
        l.Connect();
        l.listener.m_nWork = row.nWork;
        row.run(l.link);
        CHECK(l.Take("write") == row.pszWrites);
        CHECK(l.clock.Ms() == row.nEnd);
        CHECK(l.link.IsRecallPending() == row.bRecallPending);
        CHECK(l.link.IsTestOn() == row.bTestOn);
    }
}

// A step: TX lit for the lead-in, write, timer armed, TX out, reported,
// trailing wait. What comes in the trailing wait of a test waits for the
// sequence's end, then comes in order: the bytes, a hang-up, a time-out no
// arming replaced.
TEST_CASE("bytes, time-out and hang-up in a wait are held and handed over after")
{
    struct {
        const char* pszName;
        std::vector<std::string> inWait;
        const char* pszAfter;
    } const rows[] = {
        {"nothing", {}, "waited 2"},
        {"reply",
         {"PKN61/72\r"},
         "waited 2 holding 1, rx on, rx off, kill, family PKN61/72 'PKN61/72', accepted PKN61/72"},
        {"time-out", {"time-out"}, "waited 2, kill, lost timed out"},
        {"reply, then time-out",
         {"PKN61/72\r", "time-out"},
         "waited 2 holding 1, rx on, rx off, kill, family PKN61/72 'PKN61/72', accepted PKN61/72"},
        {"unknown line, then time-out",
         {"hello\r", "time-out"},
         "waited 2 holding 1, rx on, rx off, kill, lost timed out"},
        {"reply, hang-up, time-out",
         {"rt3180\r", "hang-up", "time-out"},
         "waited 2 holding 1, rx on, rx off, kill, family RT3180 'rt3180', accepted RT3180, kill, "
         "lost hung up"},
    };
    for (const auto& row : rows) {
        CAPTURE(row.pszName);
        CLink l;
        l.inWait[2] = row.inWait;
        l.link.Test();
        CHECK(l.Take() == "tx on, waited 1, write D: @100, timer 3500, tx off, sent D: 1/1, " +
                              std::string(row.pszAfter));
        CHECK(l.serial.m_pGate->InFlight() == 0);
        CHECK(l.serial.m_nCloses == int(std::string_view(row.pszAfter).ends_with("hung up")));
        CHECK(l.link.IsConnected());
    }
}

TEST_CASE("a hang-up or the program's stop ends a sequence before its next command; a held "
          "time-out is replaced")
{
    CLink l;
    l.inWait[2] = {"hang-up"};
    l.link.Apply(kAsymmetric);
    CHECK(l.Take("write") == "write ?: @100");
    CHECK(l.serial.m_nCloses == 1);

    CLink stopped;
    stopped.clock.m_nStopFromWait = 3;
    stopped.link.Apply(kAsymmetric);
    CHECK(stopped.Take("write") == "write ?: @100");
    CHECK(stopped.clock.m_pauses == CLog{"wait 0-100", "wait 100-1100", "stop 1100"});

    // A time-out held in a wait is replaced by the next command's arming.
    CLink rearmed;
    rearmed.inWait[2] = {"time-out"};
    rearmed.link.Apply(kAsymmetric);
    CHECK((rearmed.Take("lost").empty() && rearmed.link.IsReplyTimerPending()));
}

// Bytes already posted count before a time-out is judged; a time-out leaves
// the port open; a posted hang-up ends the link it came from only.
TEST_CASE("time-out, hang-up and the port")
{
    CLink l;
    l.link.Test();
    l.serial.PostReceived("PKN61/72\r");
    l.serial.PostHangup();
    l.log.clear();
    l.link.OnTimer();
    CHECK(l.Take() == "rx on, rx off, kill, family PKN61/72 'PKN61/72', accepted PKN61/72");
    CHECK(l.queue.Pending() == 1); // the hang-up waits for the loop

    l.link.Disconnect();
    CHECK(!l.link.IsConnected());
    l.Connect();
    l.queue.Pump();
    l.link.Test();
    l.link.OnTimer();
    CHECK(l.Take("lost") == "lost timed out");
    CHECK(!l.link.IsReplyTimerPending());
    CHECK((l.link.IsConnected() && l.serial.m_nCloses == 1));
    l.link.Test();
    CHECK(l.Take("write") == "write P: @2301");

    // As a window system may hand the hang-up over ahead of the bytes.
    l.serial.PostReceived("rt3180\r");
    l.serial.PostHangup();
    l.link.OnHangup();
    CHECK(l.Take() ==
          "rx on, rx off, kill, family RT3180 'rt3180', accepted RT3180, kill, lost hung up");
    CHECK(l.queue.Pending() == 0);
    CHECK((l.link.IsConnected() && l.serial.m_nCloses == 2));

    l.serial.m_openResult = {false, "busy", {}};
    CHECK(l.link.Connect("COM4").strDetail == "busy");
    l.link.Recall();
    CHECK((!l.link.IsConnected() && l.Take().empty()));
    l.link.Close();
    CHECK(l.serial.m_nCloses == 3);

    CLink unopened(false);
    unopened.link.Close();
    CHECK(unopened.serial.m_nCloses == 0);
}

// Events of the lines fed in at once, without the RX lamp: one flash of
// 1 ms for them all.
TEST_CASE("reply lines")
{
    using namespace std::string_literals;
    struct {
        const char* pszName;
        bool bRecall;
        std::string bytes;
        std::string events;
    } const rows[] = {
        {"upper case", true, "RESOLUTION: 1000\r", "kill, recalled resolution 1, accepted RT3180"},
        {"line feed before", true, "\nresolution: 2000\r",
         "kill, recalled resolution 2, accepted RT3180"},
        // The value is the line without as many characters as the token has,
        // counted from the line's start, so text before the token counts.
        {"from the start", true, "resolution 5000, resolution: 400\r",
         "kill, recalled resolution 3, accepted RT3180"},
        {"current from the start", true, "motor current 90, current: 20\r",
         "kill, recalled current 8, accepted RT3180"},
        {"resolution: last hit", true, "resolution: 400 or 5000\r",
         "kill, recalled resolution 3, accepted RT3180"},
        {"idle: first hit", true, "idle current: 70 10\r",
         "kill, recalled idle 1, accepted RT3180"},
        {"idle 0", true, "idle current: 0\r", "kill, recalled idle 0, accepted RT3180"},
        {"idle 5 answers, selects nothing", true, "idle current: 5\r", "kill, accepted RT3180"},
        {"current 100", true, "current: 100\r", "kill, recalled current 9, accepted RT3180"},
        {"current 10", true, "current: 10\r", "kill, recalled current 0, accepted RT3180"},
        {"current: last hit", true, "current: 90 20\r",
         "kill, recalled current 8, accepted RT3180"},
        {"current: 10 tested first", true, "current: 100 20\r",
         "kill, recalled current 1, accepted RT3180"},
        {"three in a row", true, "resolution: 5000\rcurrent: 60\ridle current: 70\r",
         "kill, recalled resolution 3, accepted RT3180, kill, recalled current 5, accepted RT3180, "
         "kill, recalled idle 7, accepted RT3180"},
        {"settings after Apply", false, "resolution: 400\rcurrent: 100\ridle current: 10\r", ""},
        {"RT3180", false, " \tRT3180 SPI Interface\n\r",
         "kill, family RT3180 'RT3180 SPI Interface', accepted RT3180"},
        {"line feed inside", false, "PKN61\n/72\r",
         "kill, family PKN61/72 'PKN61\n/72', accepted PKN61/72"},
        {"both families", false, "rt3180 or pkn61/72\r",
         "kill, family RT3180 'rt3180 or pkn61/72', accepted RT3180, "
         "kill, family PKN61/72 'rt3180 or pkn61/72', accepted PKN61/72"},
        // The acknowledgement shows the family held before the line's own.
        {"accepted, then family", false, "PKN61\rI:8 accepted by RT3180\r",
         "kill, family PKN61/72 'PKN61', accepted PKN61/72, kill, accepted PKN61/72, "
         "kill, family RT3180 'I:8 accepted by RT3180', accepted RT3180"},
        {"family later", true, "current: 20\rPKN61/72\r",
         "kill, recalled current 1, accepted RT3180, kill, family PKN61/72 'PKN61/72', accepted "
         "PKN61/72"},
        {"acknowledgement", false, "R:4 ACCEPTED\r", "kill, accepted RT3180"},
        {"bytes outside ASCII", false, "RT3180 \xB0\0x\r"s,
         "kill, family RT3180 'RT3180 \xC2\xB0\0x', accepted RT3180"s},
        {"unknown line", true, "hello drive\r", ""},
        {"empty line", true, "\r", ""},
        {"no carriage return yet", true, "resolution: 5000", ""},
    };
    for (const auto& row : rows) {
        CAPTURE(row.pszName);
        CLink l(false);
        if (row.bRecall)
            l.link.Recall(); // not connected: recall mode on, nothing sent
        l.link.SetReplyTimer(3500);
        l.log.clear();
        l.link.OnReceiveBytes(row.bytes);
        CHECK(l.Take() == "rx on, rx off" + (row.events.empty() ? "" : ", " + row.events));
        CHECK(l.clock.m_pauses == CLog{"sleep 0-1"});
        // Every line acted on counts as an answer.
        CHECK(l.link.IsReplyTimerPending() == row.events.empty());
        CHECK(l.link.ReceivedLine() == row.bytes.substr(row.bytes.rfind('\r') + 1));
    }
}

// A device that never ends its line costs bounded memory; a line keeps its
// last 4096 bytes.
TEST_CASE("a line keeps its last 4096 bytes")
{
    CLink l(false);
    l.link.OnReceiveBytes(std::string(100'000, 'x'));
    CHECK(l.link.ReceivedLine().size() < 8192);
    const std::string kept = "pkn61" + std::string(4091, 'x');
    l.link.OnReceiveBytes("\r" + kept + "\rrt3180" + std::string(4091, 'x') + "\r");
    CHECK(l.Take("family") == "family PKN61/72 '" + kept + "'");
}
