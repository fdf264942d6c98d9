// The dialog's handlers as a user meets them, on a recording window: what
// each shows and when it is painted, what reaches the drive, the store and
// the files. Time is virtual; events carry it in ms since the start.

#include "CoreFakes.h"
#include "RecordingWindow.h"
#include "core/dialog/RT3180Dlg.h"
#include "core/dialog/Resource.h"
#include "core/dialog/Texts.h"
#include "core/settings/SettingsFile.h"

#include <doctest.h>
#include <filesystem>

namespace
{

constexpr const char* kAdapter = "/dev/serial/by-id/usb-Adapter-port0";
constexpr const char* kLost = "PKN61/72 & RT3180 SPI Interface Connection Lost!";

// Two devices present; a stored path that is not among them is listed as
// absent. A name typed without a '/' is one of /dev.
class CFakePorts : public IPortCatalog
{
public:
    std::vector<CSerialDevice> ListSerialDevices(const std::string& strStored) override
    {
        std::vector<CSerialDevice> devices{{kAdapter, "Adapter port0"}, {"/dev/ttyACM1", "ACM1"}};
        if (IsTypedPort(strStored) && strStored != kAdapter && strStored != "/dev/ttyACM1")
            devices.push_back({strStored, strStored + " (absent)"});
        return devices;
    }
    std::string PortFromTyped(const std::string& strTyped) override
    {
        return IsTypedPort(strTyped) ? strTyped : "/dev/" + strTyped;
    }
    bool IsTypedPort(const std::string& strPort) override
    {
        return strPort.find('/') != std::string::npos;
    }
};

// The dialog started on a store holding stored (nothing: no store yet).
struct CFixture {
    CLog log; // the window's events and the port's writes, in order
    CVirtualClock clock;
    CRecordingSerialPort serial{clock, log};
    CManualQueue queue;
    CMemoryPortStore store;
    CMemoryFiles files;
    CFakePorts ports;
    CRecordingWindow window{clock, log};
    CRT3180Dlg dlg{window, {clock, serial, queue, store, files, ports}};

    explicit CFixture(std::optional<std::string> stored = std::nullopt)
    {
        store.m_stored = std::move(stored);
        dlg.OnInitDialog();
    }
    std::string Text(int nID) const { return window.GetDlgItemText(nID); }
    bool Enabled(int nID) const { return window.IsDlgItemEnabled(nID); }
    // "<Connect's caption>|<Test's caption>|apply|test|settings": the buttons
    // enabled, and what is shown: all settings controls or the banner, with
    // the buttons and the status line ("mixed" for anything else).
    std::string State() const
    {
        int nShown = 0;
        for (int nID :
             {IDC_SETTINGS_GROUP, IDC_RESOLUTION_LABEL, IDC_IDLE_LABEL, IDC_CURRENT_LABEL,
              IDC_IDLE_UNIT, IDC_CURRENT_UNIT, IDC_RESOLUTION, IDC_IDLE, IDC_CURRENT, IDC_BANNER})
            nShown += window.m_controls.at(nID).bShown ? (nID == IDC_BANNER ? 10 : 1) : 0;
        for (int nID : {IDC_APPLY, IDC_DEFAULTS, IDCANCEL, IDC_CONNECT, IDC_TEST, IDC_STATUS})
            nShown += window.m_controls.at(nID).bShown ? 0 : 100;
        return Text(IDC_CONNECT) + "|" + Text(IDC_TEST) + (Enabled(IDC_APPLY) ? "|apply|" : "||") +
               (Enabled(IDC_TEST) ? "test|" : "|") +
               (nShown == 9    ? "settings"
                : nShown == 10 ? "banner"
                               : "mixed");
    }
    // The selected texts of the idle, current and resolution lists.
    std::string Lists() const
    {
        return window.Selected(IDC_IDLE) + " " + window.Selected(IDC_CURRENT) + " " +
               window.Selected(IDC_RESOLUTION);
    }
    // The log's lines starting with one of prefixes, taken out of it, as
    // "line; line".
    std::string Take(std::initializer_list<const char*> prefixes)
    {
        std::string strTaken;
        std::erase_if(log, [&](const std::string& strLine) {
            for (const char* pszPrefix : prefixes) {
                if (strLine.starts_with(pszPrefix)) {
                    strTaken += (strTaken.empty() ? "" : "; ") + strLine;
                    return true;
                }
            }
            return false;
        });
        return strTaken;
    }
};

} // namespace

TEST_CASE("start-up shows the disconnected dialog, the default lists and the stored port")
{
    const struct {
        std::optional<std::string> stored;
        const char* pszChecked;
        const char* pszPort;
    } rows[] = {
        {std::nullopt, "COM1 ", "COM1"}, {"", "", "COM2:"},
        {"COM3", "COM3 ", "COM3"},       {"com3", "", "com3"},
        {"COM12", "", "COM12"},          {kAdapter, "", kAdapter},
    };
    for (const auto& row : rows) {
        CAPTURE(row.pszPort);
        CFixture f(row.stored);
        CHECK(f.window.CheckedPorts() == row.pszChecked);
        CHECK(f.Text(IDC_STATUS) == std::string(kStatusNotConnectedStartup) + row.pszPort);
        CHECK(f.Take({"led"}) == "led TX off @0; led RX off @0");
        CHECK(f.window.Entries(IDC_RESOLUTION) == "400=4 1000=1 [2000=2] 5000=5");
        CHECK(f.window.Entries(IDC_CURRENT) ==
              "10=1 20=2 30=3 40=4 50=5 60=6 70=7 [80=8] 90=9 100=0");
        CHECK(f.window.Entries(IDC_IDLE) == "0=0 10=1 [20=2] 30=3 40=4 50=5 60=6 70=7");
        CHECK(f.State() + f.Text(IDC_REPLY) + f.serial.m_strPort == "Connect|Test On|||banner");
    }
}

// A drive family refills only the current list, back to its default even
// for the same family again. Only the user's own choice enables Apply, and
// only while connected: a change in a list (which gives Apply the focus) or
// Defaults (which keeps the family and the focus).
TEST_CASE("setting lists, drive families and who enables Apply")
{
    CFixture f;
    f.window.SetCurSel(IDC_RESOLUTION, 0);
    f.window.SetCurSel(IDC_IDLE, 5);
    for (EDriveFamily eFamily : {EDriveFamily::Pkn61, EDriveFamily::Rt3180, EDriveFamily::Rt3180}) {
        f.window.SetCurSel(IDC_CURRENT, 2);
        f.dlg.SetDriveFamily(eFamily);
        CHECK(f.window.Entries(IDC_CURRENT) + " " + f.Text(IDC_CURRENT_UNIT) ==
              (eFamily == EDriveFamily::Rt3180
                   ? "0.4=1 0.8=2 1.2=3 1.6=4 2.0=5 2.4=6 2.8=7 [3.2=8] 3.6=9 4=0 A"
                   : "10=1 20=2 30=3 40=4 50=5 60=6 70=7 [80=8] 90=9 100=0 %"));
    }
    CHECK(f.Lists() == "50 3.2 400");
    for (bool bConnected : {false, true}) {
        CAPTURE(bConnected);
        for (int nID : {IDC_RESOLUTION, IDC_CURRENT, IDC_IDLE})
            f.window.SetCurSel(nID, 0);
        f.window.m_nFocus = IDC_DEFAULTS;
        f.dlg.OnDefaults();
        CHECK(f.Lists() + " " + f.Text(IDC_CURRENT_UNIT) == "20 3.2 2000 A");
        CHECK((f.Enabled(IDC_APPLY) == bConnected && f.window.m_nFocus == IDC_DEFAULTS));

        f.window.EnableDlgItem(IDC_APPLY, false);
        f.dlg.OnSelChangeSetting();
        CHECK((f.Enabled(IDC_APPLY) == bConnected &&
               f.window.m_nFocus == (bConnected ? IDC_APPLY : IDC_DEFAULTS)));
        f.window.EnableDlgItem(IDC_APPLY, false);
        if (!bConnected)
            f.dlg.OnConnect();
    }
}

// Connect reads the port stored meanwhile, stores it once open, paints the
// connected texts before its first wait and asks what Recall asks. The
// replies name the family and select the drive's settings, painted at once,
// and leave Apply as it was.
TEST_CASE("Connect, the drive's recalled settings, Apply and Disconnect")
{
    CFixture f("COM3");
    f.window.SetCurSel(IDC_RESOLUTION, 0);
    f.window.SetCurSel(IDC_IDLE, 7);
    f.store.m_stored = "COM4";
    f.log.clear();
    f.dlg.OnConnect();
    CHECK(f.serial.m_strPort == "COM4");
    CHECK(f.Take({""}) == "paint status PKN61/72 & RT3180 SPI Interface connected to: COM4 @0; "
                          "paint connect Disconnect @0; busy on; led TX on @0; write ?: @50; "
                          "timer 1 3500; led TX off @50; led TX on @100; write S: @150; "
                          "timer 1 3500; led TX off @150; busy off");
    CHECK(f.State() == "Disconnect|Test On||test|settings");
    f.log.clear();

    const std::string strAccepted = "paint status RT3180 SPI Interface commands accepted! @151";
    // The adapter's bytes, handed over as the window system's loop would.
    f.serial.PostReceived(
        "  RT3180 drive ready\t\rresolution: 1000\rcurrent: 40\ridle current: 50\r");
    f.queue.Pump();
    CHECK(f.Take({"paint", "select"}) ==
          "select current 7 @151; paint reply RT3180 drive ready @151; " + strAccepted +
              "; select resolution 1 @151; " + strAccepted + "; select current 3 @151; " +
              strAccepted + "; select idle 5 @151; " + strAccepted);
    CHECK(f.Lists() + " " + f.Text(IDC_CURRENT_UNIT) == "50 1.6 1000 A");
    CHECK((f.window.m_timers.empty() && !f.Enabled(IDC_APPLY) && f.store.m_stored == "COM4"));

    // Apply disables and paints itself, paints "Sending ..." before its first
    // wait and sends the item data of the entries selected in the window
    // (1000: 1, 1.6 A: 4, 50 %: 5).
    f.dlg.OnSelChangeSetting();
    f.log.clear();
    f.dlg.OnApply();
    CHECK(f.Take({"paint", "write", "busy"}) ==
          "paint apply Apply @151; busy on; paint status Sending the New Settings,  wait ... @151; "
          "write ?: @251; write R:1 @1301; write I:4 @4851; write ID:5 @6001; busy off");
    CHECK(!f.Enabled(IDC_APPLY));

    // Disconnect sends nothing, cancels the pending reply timer and leaves
    // the disconnected dialog with empty lines.
    f.log.clear();
    f.dlg.OnConnect();
    CHECK(f.Take({"paint", "write", "kill"}) == "kill 1; paint status  @7101; paint reply  @7101");
    CHECK((f.serial.m_nCloses == 1 && f.window.m_timers.empty()));
    CHECK(f.State() == "Connect|Test On|||banner");
    f.dlg.OnApply();
    f.dlg.OnRecall();
    CHECK(f.Take({"write", "paint"}).empty());
}

// A port that does not open is named in a box with the stop icon and its
// detail; each failed configuration step has a box of its own, and a port
// that opened all the same is connected.
TEST_CASE("Connect reports the port's failures in boxes")
{
    const struct {
        COpenResult result;
        std::string strLog;   // boxes, status and reply painted, writes
        std::string strState; // the state, the reply and the store
    } rows[] = {
        {{false, "Device: /dev/ttyS1", {}},
         "box Unable to open COM2:|stop|Device: /dev/ttyS1; paint status RT3180 SPI Interface not "
         "connected to: COM2: @0; paint reply  @0",
         "Connect|Test On|||banner  "},
        {{true, "", {EOpenStep::GetCommTimeouts, EOpenStep::SetCommState}},
         "box Fail GetCommTimeouts!||; box Fail SetCommState!||; paint status PKN61/72 & RT3180 "
         "SPI Interface connected to: COM2: @0; write ?: @50; write S: @150",
         "Disconnect|Test On|apply|test|settings old reply COM2:"},
    };
    for (const auto& row : rows) {
        CAPTURE(row.strState);
        CFixture f(""); // a store without a usable value: "COM2:"
        f.serial.m_openResult = row.result;
        f.window.SetDlgItemText(IDC_REPLY, "old reply");
        f.window.EnableDlgItem(IDC_APPLY, true);
        f.log.clear();
        f.dlg.OnConnect();
        CHECK(f.Take({"box", "paint status", "paint reply", "write"}) == row.strLog);
        CHECK(f.State() + " " + f.Text(IDC_REPLY) + " " + *f.store.m_stored == row.strState);
    }
}

// The Test caption changes only after the command's waits, from the drive's
// state, which a new connection turns on again; unconnected, Test only
// resets the caption.
TEST_CASE("Test toggles the drive's test and its caption after the waits")
{
    CFixture f;
    CLog captions; // at each wait
    f.clock.m_onWait = [&](int) { captions.push_back(f.Text(IDC_TEST)); };
    f.dlg.OnConnect();
    const struct {
        const char* pszAction;
        const char* pszSent;
        const char* pszCaption;
    } steps[] = {
        {"test", "D:", "Test Off"},      {"test", "P:", "Test On"},
        {"test", "D:", "Test Off"},      {"disconnect", "", "Test Off"},
        {"test", "", "Test On"},         {"connect", "?:S:", "Test On"},
        {"test", "D:", "Test Off"},      {"disconnect", "", "Test Off"},
        {"connect", "?:S:", "Test Off"}, {"test", "D:", "Test Off"},
    };
    for (const auto& step : steps) {
        CAPTURE(step.pszAction);
        const std::string strBefore = f.Text(IDC_TEST);
        captions.clear();
        f.log.clear();
        if (std::string(step.pszAction) == "test")
            f.dlg.OnTest();
        else
            f.dlg.OnConnect();
        // The bytes written, without their times.
        std::string strSent;
        for (const std::string& strLine : f.log) {
            if (strLine.starts_with("write "))
                strSent += strLine.substr(6, strLine.rfind(" @") - 6);
        }
        CHECK(strSent == step.pszSent);
        CHECK(f.Text(IDC_TEST) == step.pszCaption);
        for (const std::string& strCaption : captions)
            CHECK(strCaption == strBefore);
    }
}

// A drive that stays silent, or a device that goes away: the loss is
// painted, the settings hidden, then the box. After a time-out the port
// stays open and connected; another window timer is not the reply's.
TEST_CASE("a silent or vanished drive is reported lost")
{
    for (ELinkLoss eLoss : {ELinkLoss::TimedOut, ELinkLoss::HungUp}) {
        CAPTURE(int(eLoss));
        CFixture f;
        f.dlg.OnConnect();
        f.log.clear();
        if (eLoss == ELinkLoss::TimedOut) {
            f.dlg.OnTimer(kReplyTimerId + 1);
            CHECK(f.log.empty());
            f.clock.SleepUntil(f.window.m_timers.at(kReplyTimerId)); // when it is due
            f.dlg.OnTimer(kReplyTimerId);
        } else {
            f.serial.PostHangup();
            f.queue.Pump();
        }
        const std::string strAt = eLoss == ELinkLoss::TimedOut ? " @3650" : " @150";
        CHECK(f.Take({"paint", "box"}) ==
              "paint status " + std::string(kLost) + strAt + "; box " + kLost + "|stop|");
        CHECK(f.State() == "Disconnect|Test On||test|banner");
        CHECK(f.serial.m_nCloses == (eLoss == ELinkLoss::HungUp ? 1 : 0));
        CHECK(f.dlg.Drive().IsConnected());
    }
}

// File Open loads the three positions after a pause and paints them, and
// lets Apply send them while connected; a file that is not a settings file
// is named in a box and enables nothing; one that cannot be opened loads
// nothing silently. A tag starting "A" loads while an ampere drive is
// connected, "-" while not connected.
TEST_CASE("File Open")
{
    const struct {
        const char* pszTag;
        std::optional<std::string> content; // nothing: no such file
        const char* pszShown;               // idle, current, resolution
        const char* pszReason;              // of the box; nullptr: none
    } rows[] = {
        {"A", EncodeSettings({5, 3, 1}), "50 1.6 1000", nullptr},
        {"- percent", EncodeSettings({5, 3, 1}), "50 40 1000", nullptr},
        {"missing", std::nullopt, "0 10 400", nullptr},
        {"- missing", std::nullopt, "0 10 400", nullptr},
        {"idle 8", EncodeSettings({8, 3, 1}), "0 10 400", "A position is outside its list."},
        {"cancelled", EncodeSettings({5, 3, 1}), "0 10 400", nullptr},
    };
    for (const auto& row : rows) {
        const std::string strTag = row.pszTag;
        CAPTURE(strTag);
        CFixture f;
        const std::string strPath = "/settings/saved.rt3";
        if (row.content)
            f.files.m_files[strPath] = *row.content;
        if (strTag != "cancelled")
            f.window.m_fileAnswers.push_back(strPath);
        if (!strTag.starts_with("-"))
            f.dlg.OnConnect();
        if (strTag.starts_with("A"))
            f.dlg.SetDriveFamily(EDriveFamily::Rt3180);
        for (int nID : {IDC_IDLE, IDC_CURRENT, IDC_RESOLUTION})
            f.window.SetCurSel(nID, 0);
        f.log.clear();
        const std::string strAt = " @" + std::to_string(f.clock.Ms() + 100);
        f.dlg.OnFileOpen();
        CHECK(f.Lists() == row.pszShown);
        CHECK(f.Take({"box"}) == (row.pszReason ? "box This is not a valid settings file.|stop|" +
                                                      strPath + ": " + row.pszReason
                                                : ""));
        // The lists change after the pause, and are painted then (each file
        // that loads holds 5, 3, 1).
        const std::string strLoaded = "select idle 5" + strAt + "; select current 3" + strAt +
                                      "; select resolution 1" + strAt + "; window" + strAt;
        CHECK(f.Take({"select", "window"}) == (f.Lists() == "0 10 400" ? "" : strLoaded));
        CHECK(f.Enabled(IDC_APPLY) ==
              (!strTag.starts_with("-") && !row.pszReason && strTag != "cancelled"));
    }
}

// File Save writes the three positions of the lists; a file that cannot be
// written is named in a box. Nothing on the screen changes.
TEST_CASE("File Save")
{
    for (const std::string strTag : {"saved", "cannot be written", "cancelled"}) {
        CAPTURE(strTag);
        CFixture f;
        const std::string strPath = "/settings/Config_RT3180.rt3";
        f.files.m_files[strPath] = "old";
        if (strTag == "cannot be written")
            f.files.m_failWrites.insert(strPath);
        if (strTag != "cancelled")
            f.window.m_fileAnswers.push_back(strPath);
        f.window.SetCurSel(IDC_IDLE, 5);
        f.window.SetCurSel(IDC_CURRENT, 3);
        f.window.SetCurSel(IDC_RESOLUTION, 1);
        f.log.clear();
        f.dlg.OnFileSave();
        CHECK(f.files.m_files[strPath] == (strTag == "saved" ? EncodeSettings({5, 3, 1}) : "old"));
        CHECK(f.Take({"box", "paint", "select", "window"}) ==
              (strTag == "cannot be written"
                   ? "box The settings could not be saved.|stop|" + strPath + ": cannot be written"
                   : ""));
        CHECK(!f.Enabled(IDC_APPLY));
    }
}

// Both file dialogs start in the folder that was current at start-up, which
// each command makes current again.
TEST_CASE("the file dialogs start in the working directory of the start-up")
{
    namespace fs = std::filesystem;
    const fs::path before = fs::current_path();
    const fs::path work =
        fs::temp_directory_path() /
        ("rt3180-dialog-" + std::to_string(CSteadyClock::now().time_since_epoch().count()));
    REQUIRE(fs::create_directory(work));
    fs::current_path(work);
    CFixture f;
    for (bool bOpen : {true, false}) {
        fs::current_path(before);
        (f.dlg.*(bOpen ? &CRT3180Dlg::OnFileOpen : &CRT3180Dlg::OnFileSave))();
        CHECK(fs::equivalent(fs::current_path(), work));
        REQUIRE(f.window.m_fileDialogs.size() == (bOpen ? 1 : 2));
        const CFileDialogCall& call = f.window.m_fileDialogs.back();
        CHECK(call.strFileName == (work / (bOpen ? "*.rt3" : "Config_RT3180.rt3")).string());
        std::string strCall = call.strDefExt + (call.bOpenFileDialog ? " open" : " save") +
                              (call.bOverwritePrompt ? " prompt" : "");
        for (const CFileFilter& filter : call.filters)
            strCall += "|" + filter.strText + "|" + filter.strPattern;
        CHECK(strCall ==
              (bOpen ? "rt3 open" : "rt3 save") +
                  std::string(" prompt|RT3180 Files (*.rt3)|*.rt3|All Files (*.*) |*.*"));
    }
    fs::current_path(before);
    fs::remove(work);
}

// The Port menu and the store after each step: a choice is stored and shown
// at once, the checked item chosen again loses its mark, nothing changes
// while connected, and Connect uses the port stored.
TEST_CASE("the Port menu and the stored port, step by step")
{
    CFixture f;
    // The menu opens, then an item is chosen.
    const auto device = [&f](std::string strPath) {
        return [&f, strPath] { f.dlg.FillDeviceItems(), f.dlg.OnPortDevice(strPath); };
    };
    const auto other = [&f](std::optional<std::string> answer) {
        return [&f, answer] {
            f.window.m_textAnswers = {answer};
            f.dlg.OnPortOther();
            f.dlg.FillDeviceItems();
        };
    };
    const auto connect = [&f](bool bOpens) {
        return [&f, bOpens] {
            f.serial.m_openResult.bOpened = bOpens;
            f.dlg.OnConnect();
        };
    };
    const std::string strAdapter = kAdapter;
    const struct {
        const char* pszStep;
        std::function<void()> act;
        std::optional<std::string> stored;
        std::string strShown; // the checked items | the status line, Other...'s question
    } steps[] = {
        {"start", [] {}, std::nullopt, "COM1 | start:COM1"},
        {"connect failing", connect(false), std::nullopt, "COM1 | off:COM1"},
        {"connect", connect(true), "COM1", "COM1 | on:COM1"},
        {"COM3 while connected", [&] { f.dlg.OnPortCom3(); }, "COM1", "COM1 | on:COM1"},
        {"device while connected", device("/dev/ttyACM1"), "COM1", "COM1 | on:COM1"},
        {"other while connected", other("ttyUSB7"), "COM1", "COM1 | on:COM1"},
        {"disconnect", connect(true), "COM1", "COM1 | "},
        {"COM3", [&] { f.dlg.OnPortCom3(); }, "COM3", "COM3 | off:COM3"},
        {"COM3 again", [&] { f.dlg.OnPortCom3(); }, "COM3", "| off:COM3"},
        {"COM3 once more", [&] { f.dlg.OnPortCom3(); }, "COM3", "COM3 | off:COM3"},
        {"stored meanwhile, connect failing", [&] { f.store.m_stored = "COM12", connect(false)(); },
         "COM12", "COM3 | off:COM12"},
        {"device", device(strAdapter), strAdapter, "Adapter port0 | off:" + strAdapter},
        {"COM2", [&] { f.dlg.OnPortCom2(); }, "COM2", "COM2 | off:COM2"},
        {"other, a bare name", other(" ttyUSB7\t"), "/dev/ttyUSB7",
         "/dev/ttyUSB7 (absent) | off:/dev/ttyUSB7 asked ''"},
        {"other cancelled", other(std::nullopt), "/dev/ttyUSB7",
         "/dev/ttyUSB7 (absent) | off:/dev/ttyUSB7 asked '/dev/ttyUSB7'"},
        {"other blank", other("  "), "/dev/ttyUSB7",
         "/dev/ttyUSB7 (absent) | off:/dev/ttyUSB7 asked '/dev/ttyUSB7'"},
        {"COM4, not stored", [&] { f.store.m_bSaveFails = true, f.dlg.OnPortCom4(); },
         "/dev/ttyUSB7", "COM4 | off:COM4"},
        {"connect uses the stored port", connect(true), "/dev/ttyUSB7", "COM4 | on:/dev/ttyUSB7"},
    };
    for (const auto& step : steps) {
        CAPTURE(step.pszStep);
        f.window.m_asked.clear();
        step.act();
        CHECK(f.store.m_stored == step.stored);
        std::string strStatus = f.Text(IDC_STATUS);
        for (auto [pszText, pszShort] : {std::pair{kStatusNotConnectedStartup, "start:"},
                                         {kStatusNotConnected, "off:"},
                                         {kStatusConnected, "on:"}}) {
            if (strStatus.starts_with(pszText))
                strStatus.replace(0, std::string_view(pszText).size(), pszShort);
        }
        for (const auto& [strPrompt, strInitial] : f.window.m_asked)
            strStatus += (strPrompt == kTextAskDevicePath ? " asked '" : " ? '") + strInitial + "'";
        CHECK(f.window.CheckedPorts() + "| " + strStatus == step.strShown);
    }
    CHECK(f.serial.m_strPort == "/dev/ttyUSB7");
}

// Every way out closes a port opened in this run, then ends the dialog;
// the system menu's entry and Help open the About box.
TEST_CASE("ending the dialog and the About box")
{
    for (bool bOpened : {false, true}) {
        for (void (CRT3180Dlg::*pEnd)() : {&CRT3180Dlg::OnCancel, &CRT3180Dlg::OnOK}) {
            CFixture f;
            f.serial.m_openResult.bOpened = false; // Open tried is enough
            if (bOpened)
                f.dlg.OnConnect();
            f.log.clear();
            (f.dlg.*pEnd)();
            CHECK(f.serial.m_nCloses == (bOpened ? 1 : 0));
            CHECK(f.Take({""}) == "end 2");
        }
    }
    CFixture f;
    f.log.clear();
    f.dlg.OnSysCommand(0xF060); // the system menu's Close is the window system's
    f.dlg.OnSysCommand(IDM_ABOUTBOX);
    f.dlg.OnHelpAbout();
    CHECK(f.Take({""}) == "about; about");
}
