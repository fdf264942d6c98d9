// Talking to the drive, timed: the real dialog, clicked as a user would click
// it, against the simulated adapter on a pseudo-terminal. Prints how far the
// gaps between commands stray from their nominal pacing, how late the reply
// time-out comes, and how long a reply line takes from its carriage return to
// the status line. The command times are the simulator's: when it read each
// command's last byte.

#include "AdapterSim.h"
#include "BenchSupport.h"
#include "PortLink.h"
#include "core/dialog/Resource.h"
#include "core/dialog/Texts.h"
#include "qt/app/DialogWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;
using EKind = CSimLogEntry::EKind;

constexpr int kRepetitions = 10;
constexpr int kReplySamples = 20;
constexpr int kReplyLengths[] = {10, 40, 80}; // bytes on the line, carriage return included

// The targets the figures are held against.
constexpr double kWorstPacingError = 10.0;
constexpr double kMedianPacingError = 2.0;
constexpr double kReplyLatencyBase = 5.0;
constexpr double kReplyLatencyPerByte = 1.0;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Runs the event loop, as the dialog's modal loop would, until the condition
// holds or the time runs out.
bool PumpUntil(const std::function<bool()>& done, int nTimeoutMs)
{
    const Clock::time_point tpDeadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || Clock::now() >= tpDeadline)
            loop.quit();
    });
    check.start(1);
    if (!done())
        loop.exec();
    return done();
}

void Pump(int nMs)
{
    PumpUntil([] { return false; }, nMs);
}

// One measured interval, held against its nominal length.
struct CSeries {
    std::string strName;
    double dNominal = 0;
    std::vector<double> samples;

    double Median() const { return Percentile(samples, 0.5); }
    double WorstError() const
    {
        double dWorst = 0;
        for (double d : samples)
            dWorst = std::max(dWorst, std::abs(d - dNominal));
        return dWorst;
    }
};

void PrintPacingTable(const char* pszTitle, const std::vector<CSeries>& rows)
{
    std::printf("\n%s\n\n| Interval | Nominal ms | Median ms | Median error ms | Worst error ms "
                "| Samples | Within target |\n|---|---|---|---|---|---|---|\n",
                pszTitle);
    for (const CSeries& row : rows) {
        const double dMedianError = row.Median() - row.dNominal;
        const bool bMet =
            std::abs(dMedianError) < kMedianPacingError && row.WorstError() < kWorstPacingError;
        std::printf("| %s | %.0f | %.2f | %+.2f | %.2f | %zu | %s |\n", row.strName.c_str(),
                    row.dNominal, row.Median(), dMedianError, row.WorstError(), row.samples.size(),
                    bMet ? "yes" : "no");
    }
}

// The window on screen, with the boxes it shows recorded instead and the
// steps between waits made slower as asked.
class CBenchWindow : public CDialogWindow
{
public:
    void MessageBox(const CMessageBoxCall& call) override
    {
        m_tpBox = Clock::now();
        m_strBox = QString::fromStdString(call.strText);
    }
    void SetLedState(int nID, bool bLit) override
    {
        if (nID == IDC_TX_LED)
            std::this_thread::sleep_for(std::chrono::milliseconds(m_nStepDelayMs));
        CDialogWindow::SetLedState(nID, bLit);
    }

    int m_nStepDelayMs = 0;
    Clock::time_point m_tpBox;
    QString m_strBox;
};

// The dialog on screen with what the bench needs to see of it.
class CBench
{
public:
    CBench()
    {
        m_dlg.Create();
        m_dlg.show();
        const auto* pStatus = qobject_cast<QLineEdit*>(m_dlg.GetDlgItem(IDC_STATUS));
        QObject::connect(pStatus, &QLineEdit::textChanged, [this](const QString& strText) {
            m_tpStatusChanged = Clock::now();
            m_strStatus = strText;
        });
    }
    CBench(const CBench&) = delete;
    CBench& operator=(const CBench&) = delete;

    CBenchWindow& Window() { return m_dlg; }

    // Clicks the button and returns when its handler has; the time of the click.
    Clock::time_point Click(int nID)
    {
        auto* pButton = qobject_cast<QAbstractButton*>(m_dlg.GetDlgItem(nID));
        const Clock::time_point tpClick = Clock::now();
        pButton->click();
        return tpClick;
    }

    // Connects to whatever COM1 leads to and waits until every reply is in.
    bool Connect(CAdapterSim& sim, size_t nReplies)
    {
        sim.ClearLog();
        Click(IDC_CONNECT);
        if (!m_dlg.IsConnected())
            return false;
        sim.WaitForEntries(EKind::Reply, nReplies, std::chrono::seconds(2));
        Settle();
        return true;
    }

    // Lets the replies already on their way be handled.
    void Settle()
    {
        PumpUntil([this] { return !m_dlg.IsReplyTimerPending(); }, 2000);
        Pump(100);
    }

    Clock::time_point m_tpStatusChanged;
    QString m_strStatus;

private:
    CBenchWindow m_dlg;
};

// The commands of one sequence as the simulator received them; empty when
// they were not the ones expected.
std::vector<CSimLogEntry> TakeCommands(CAdapterSim& sim, const std::vector<std::string>& prefixes)
{
    sim.WaitForEntries(EKind::Command, prefixes.size(), std::chrono::seconds(1));
    std::vector<CSimLogEntry> commands;
    for (const CSimLogEntry& entry : sim.Log()) {
        if (entry.eKind == EKind::Command)
            commands.push_back(entry);
    }
    if (commands.size() != prefixes.size())
        return {};
    for (size_t i = 0; i < commands.size(); ++i) {
        if (!commands[i].strText.starts_with(prefixes[i]))
            return {};
    }
    return commands;
}

// Clicks the button kRepetitions times. Each sample: the click, the commands
// it sent, the handler's return; rows: click → first command, each gap
// between commands, last command → return. `expected` gives the commands the
// next click must send; `after` runs once the replies of each are in.
bool MeasureSequence(CBench& bench, CAdapterSim& sim, int nButton,
                     const std::function<std::vector<std::string>()>& expected,
                     std::vector<CSeries>& rows, const std::function<void()>& after)
{
    for (int i = 0; i < kRepetitions; ++i) {
        const std::vector<std::string> prefixes = expected();
        sim.ClearLog();
        const Clock::time_point tpClick = bench.Click(nButton);
        const Clock::time_point tpReturn = Clock::now();
        const std::vector<CSimLogEntry> commands = TakeCommands(sim, prefixes);
        if (commands.empty() || rows.size() != commands.size() + 1)
            return false;
        rows[0].samples.push_back(Ms(commands.front().tpTime - tpClick));
        for (size_t c = 1; c < commands.size(); ++c)
            rows[c].samples.push_back(Ms(commands[c].tpTime - commands[c - 1].tpTime));
        rows.back().samples.push_back(Ms(tpReturn - commands.back().tpTime));
        bench.Settle();
        if (after)
            after();
    }
    return true;
}

// A drive that never answers: from "S:" of Connect to the lost connection on
// the status line, and to the message box.
bool MeasureTimeout(CBench& bench, CAdapterSim& silent, std::vector<CSeries>& rows)
{
    const QString strLost = QString::fromLatin1(kStatusConnectionLost);
    for (int i = 0; i < kRepetitions; ++i) {
        bench.Window().m_strBox.clear();
        silent.ClearLog();
        bench.Click(IDC_CONNECT);
        const std::vector<CSimLogEntry> commands = TakeCommands(silent, {"?:", "S:"});
        if (commands.empty() ||
            !PumpUntil([&] { return bench.Window().m_strBox == strLost; }, 6000) ||
            bench.m_strStatus != strLost)
            return false;
        rows[0].samples.push_back(Ms(bench.m_tpStatusChanged - commands.back().tpTime));
        rows[1].samples.push_back(Ms(bench.Window().m_tpBox - commands.back().tpTime));
        bench.Click(IDC_CONNECT); // Disconnect
        Pump(50);
    }
    return true;
}

// Unasked "accepted" lines of each length: from the simulator's carriage
// return to the status line showing the accepted text.
bool MeasureReplies(CBench& bench, CAdapterSim& sim, std::vector<CSeries>& rows)
{
    // What the drive's replies to Apply left in the status line.
    const QString strAccepted = bench.m_strStatus;
    for (int nBytes : kReplyLengths) {
        CSeries row{std::to_string(nBytes) + " bytes",
                    kReplyLatencyBase + kReplyLatencyPerByte * nBytes,
                    {}};
        std::string strLine = "accepted";
        strLine.resize(static_cast<size_t>(nBytes) - 1, '.');
        for (int i = 0; i < kReplySamples; ++i) {
            // The status line must change for the change to be seen.
            bench.Window().SetDlgItemText(IDC_STATUS, {});
            Pump(20);
            sim.ClearLog();
            sim.SendLine(strLine);
            if (!PumpUntil([&] { return bench.m_strStatus == strAccepted; }, 2000) ||
                !sim.WaitForEntries(EKind::Reply, 1, std::chrono::seconds(1)))
                return false;
            row.samples.push_back(Ms(bench.m_tpStatusChanged - sim.Log().front().tpTime));
        }
        rows.push_back(std::move(row));
    }
    return true;
}

void PrintReplyTable(const std::vector<CSeries>& rows)
{
    std::printf("\nReply latency: the simulator's carriage return written to the status line "
                "changed\n\n| Line | Median ms | Worst ms | Target ms | Samples | Within target "
                "|\n|---|---|---|---|---|---|\n");
    for (const CSeries& row : rows) {
        const double dWorst = Percentile(row.samples, 1.0);
        std::printf("| %s | %.2f | %.2f | %.0f | %zu | %s |\n", row.strName.c_str(), row.Median(),
                    dWorst, row.dNominal, row.samples.size(), dWorst < row.dNominal ? "yes" : "no");
    }
}

bool PointCom1At(const CAdapterSim& sim)
{
    std::string strError;
    if (CreatePortLink(PortLinkPath("COM1"), sim.SlavePath(), strError))
        return true;
    std::fprintf(stderr, "bench-pacing: %s\n", strError.c_str());
    return false;
}

int Fail(const char* pszWhat)
{
    std::fprintf(stderr, "bench-pacing: %s\n", pszWhat);
    return 1;
}

} // namespace

// Usage: bench-pacing [--step-delay MS]: MS of work added to every step
// between two waits (at each TX lamp change), as a slow display would.
int main(int argc, char** argv)
{
    int nStepDelayMs = 0;
    if (argc == 3 && std::string(argv[1]) == "--step-delay")
        nStepDelayMs = std::atoi(argv[2]);
    else if (argc != 1)
        return Fail("usage: bench-pacing [--step-delay MS]");
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A configuration folder of our own, where COM1 leads to the simulator.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);

    CAdapterSim sim;
    CAdapterSimOptions silentOptions;
    silentOptions.bNeverAnswer = true;
    CAdapterSim silent(silentOptions);
    if (!home.isValid() || !sim.Start() || !silent.Start())
        return Fail("cannot set up the simulated adapters");
    if (!PointCom1At(sim))
        return 1;

    const QString strLoadBefore = LoadAverage();
    CBench bench;
    bench.Window().m_nStepDelayMs = nStepDelayMs;
    const auto disconnect = [&] { bench.Click(IDC_CONNECT); };

    std::vector<CSeries> connect{{"click → \"?:\"", 50, {}},
                                 {"\"?:\" → \"S:\"", 100, {}},
                                 {"\"S:\" → handler returns", 0, {}}};
    if (!MeasureSequence(
            bench, sim, IDC_CONNECT,
            [] {
                return std::vector<std::string>{"?:", "S:"};
            },
            connect, disconnect))
        return Fail("Connect did not send \"?:\" and \"S:\"");

    if (!bench.Connect(sim, 4))
        return Fail("cannot connect");
    std::vector<CSeries> test{{"click → \"D:\" or \"P:\"", 100, {}},
                              {"command → handler returns", 1000, {}}};
    if (!MeasureSequence(
            bench, sim, IDC_TEST,
            [&] { return std::vector<std::string>{bench.Window().IsTestOn() ? "D:" : "P:"}; }, test,
            {}))
        return Fail("Test did not send its command");

    std::vector<CSeries> apply{{"click → \"?:\"", 100, {}},
                               {"\"?:\" → \"R:\"", 1050, {}},
                               {"\"R:\" → \"I:\"", 3550, {}},
                               {"\"I:\" → \"ID:\"", 1150, {}},
                               {"\"ID:\" → handler returns", 1100, {}}};
    // A user's choice in a list, which lets Apply send.
    const auto changeSetting = [&] {
        emit qobject_cast<QComboBox*>(bench.Window().GetDlgItem(IDC_IDLE))->activated(0);
    };
    changeSetting();
    if (!MeasureSequence(
            bench, sim, IDC_APPLY,
            [] {
                return std::vector<std::string>{"?:", "R:", "I:", "ID:"};
            },
            apply, changeSetting))
        return Fail("Apply did not send \"?:\", \"R:\", \"I:\" and \"ID:\"");

    std::vector<CSeries> replies;
    if (!MeasureReplies(bench, sim, replies))
        return Fail("a reply line did not reach the status line");
    disconnect();

    if (!PointCom1At(silent))
        return 1;
    std::vector<CSeries> timeout{{"\"S:\" → status line shows the loss", 3500, {}},
                                 {"\"S:\" → message box", 3500, {}}};
    if (!MeasureTimeout(bench, silent, timeout))
        return Fail("no time-out after a Connect without replies");

    std::printf("Talking to the drive: the dialog against the simulated adapter on a "
                "pseudo-terminal; %d ms added to every step between waits; %s; load average %s "
                "before, %s after\n",
                nStepDelayMs, qPrintable(MachineText()), qPrintable(strLoadBefore),
                qPrintable(LoadAverage()));
    PrintPacingTable("Connect (each followed by Disconnect)", connect);
    PrintPacingTable("Apply", apply);
    PrintPacingTable("Test", test);
    PrintPacingTable("Reply time-out, drive never answers", timeout);
    PrintReplyTable(replies);
    return 0;
}
