#include "AdapterSim.h"
#include "CommandFramer.h"
#include "TestSupport.h"
#include "settings/SettingLists.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;
using EKind = CSimLogEntry::EKind;

namespace
{

// A client of the terminal, opened and set up as a serial port would be.
class CClient
{
public:
    explicit CClient(const std::string& strPath) : m_nFd(open(strPath.c_str(), O_RDWR | O_NOCTTY))
    {
        termios tio{};
        tcgetattr(m_nFd, &tio);
        cfmakeraw(&tio);
        tcsetattr(m_nFd, TCSANOW, &tio);
    }
    ~CClient() { close(m_nFd); }
    bool IsOpen() const { return m_nFd >= 0; }
    void Send(const std::string& strBytes)
    {
        QVERIFY(write(m_nFd, strBytes.data(), strBytes.size()) > 0);
    }

    // Everything received until it ends with strEnd, or after 5 s whatever came.
    std::string ReadUntil(const std::string& strEnd)
    {
        std::string strData;
        pollfd fd{m_nFd, POLLIN, 0};
        while (!strData.ends_with(strEnd) && poll(&fd, 1, 5000) > 0) {
            char buffer[256];
            const ssize_t n = read(m_nFd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            strData.append(buffer, static_cast<size_t>(n));
        }
        return strData;
    }

private:
    int m_nFd;
};

// Sends commands and returns what the drive answered to them: a marker line is
// queued once the simulator has framed them, so every reply comes before it.
std::string Exchange(CAdapterSim& sim, CClient& client, const std::string& strCommands,
                     size_t nCommandsLogged, const std::string& strEnd = "\r")
{
    client.Send(strCommands);
    if (!sim.WaitForEntries(EKind::Command, nCommandsLogged, 5s))
        return "commands not received";
    sim.SendLine("--");
    std::string strData = client.ReadUntil("--" + strEnd);
    return strData.substr(0, strData.size() - 2 - strEnd.size());
}

std::vector<std::string> Texts(const std::vector<CSimLogEntry>& log, EKind eKind)
{
    std::vector<std::string> texts;
    for (const CSimLogEntry& entry : log)
        if (entry.eKind == eKind)
            texts.push_back(entry.strText);
    return texts;
}

} // namespace

class TestAdapterSim : public QObject
{
    Q_OBJECT

private slots:
    void framing_data();
    void framing();
    void replies_data();
    void replies();
    void settingsKept();
    void silence_data();
    void silence();
    void delayAndReopen();
    void program_data();
    void program();
    void programOptions();
};

void TestAdapterSim::framing_data()
{
    QTest::addColumn<QStringList>("chunks");
    QTest::addColumn<QStringList>("pieces"); // garbage marked with a leading '!'

    QTest::newRow("concatenated") << QStringList{"?:S:R:4I:0ID:0P:D:"}
                                  << QStringList{"?:", "S:", "R:4", "I:0", "ID:0", "P:", "D:"};
    QTest::newRow("byte by byte") << QStringList{"I", "D", ":", "7", "R", ":", "5", "S", ":"}
                                  << QStringList{"ID:7", "R:5", "S:"};
    QTest::newRow("split across commands")
        << QStringList{"?", ":S", ":I", ":2I", "D:3"} << QStringList{"?:", "S:", "I:2", "ID:3"};
    QTest::newRow("garbage before and between")
        << QStringList{"xx?:", "R:x", "S:\r\n"} << QStringList{"!xx", "?:", "!R:x", "S:", "!\r\n"};
    QTest::newRow("broken command restarts at the breaking byte")
        << QStringList{"R:?:", "I:S:"} << QStringList{"!R:", "?:", "!I:", "S:"};
    QTest::newRow("no selection: no command hides inside")
        << QStringList{"I:-ID:-R:-"} << QStringList{"!I:-ID:-R:-"};
}

void TestAdapterSim::framing()
{
    QFETCH(QStringList, chunks);
    QFETCH(QStringList, pieces);
    CCommandFramer framer;
    QStringList got;
    for (const QString& chunk : chunks)
        for (const CCommandFramer::CPiece& piece : framer.Feed(chunk.toStdString()))
            got << (piece.bCommand ? "" : "!") + QString::fromStdString(piece.strBytes);
    QCOMPARE(got, pieces);
    QVERIFY(framer.Pending().empty());

    QCOMPARE(framer.Feed("ID:").size(), size_t(0)); // undecided until the digit comes
    QCOMPARE(framer.Pending(), std::string("ID:"));
}

void TestAdapterSim::replies_data()
{
    QTest::addColumn<bool>("bPkn61");
    QTest::addColumn<bool>("bCrLf");
    QTest::newRow("RT3180, CR") << false << false;
    QTest::newRow("RT3180, CR LF") << false << true;
    QTest::newRow("PKN61/72, CR") << true << false;
    QTest::newRow("PKN61/72, CR LF") << true << true;
}

void TestAdapterSim::replies()
{
    QFETCH(bool, bPkn61);
    QFETCH(bool, bCrLf);
    CAdapterSimOptions options;
    options.eFamily = bPkn61 ? EDriveFamily::PKN61 : EDriveFamily::RT3180;
    options.bCrLf = bCrLf;
    CAdapterSim sim(options);
    QVERIFY2(sim.Start(), sim.ErrorText().c_str());
    CClient client(sim.SlavePath());
    QVERIFY(client.IsOpen());

    const std::string strEnd = bCrLf ? "\r\n" : "\r";
    const std::string strReplies = Exchange(sim, client, "?:S:P:D:", 4, strEnd);
    const size_t nFirstEnd = strReplies.find(strEnd);
    QVERIFY(nFirstEnd != std::string::npos);
    const QString familyLine = QString::fromStdString(strReplies.substr(0, nFirstEnd)).toLower();
    QVERIFY(!familyLine.contains('\r') && !familyLine.contains('\n'));
    QCOMPARE(familyLine.contains("pkn61"), bPkn61);
    QCOMPARE(familyLine.contains("rt3180"), !bPkn61);
    QVERIFY(!familyLine.contains("accepted"));
    QCOMPARE(strReplies.substr(nFirstEnd + strEnd.size()),
             "resolution: 2000" + strEnd + "current: 80" + strEnd + "idle current: 20" + strEnd +
                 "P: accepted" + strEnd + "D: accepted" + strEnd);

    // The log pairs each command with its replies, in time order.
    QVERIFY(sim.WaitForEntries(EKind::Reply, 7, 5s)); // with the marker
    const std::vector<CSimLogEntry> log = sim.Log();
    QCOMPARE(Texts(log, EKind::Command), (std::vector<std::string>{"?:", "S:", "P:", "D:"}));
    QCOMPARE(Texts(log, EKind::Reply).size(), size_t(7));
    for (size_t i = 1; i < log.size(); ++i)
        QVERIFY(log[i].tpTime >= log[i - 1].tpTime);
}

void TestAdapterSim::settingsKept()
{
    CAdapterSim sim;
    QVERIFY(sim.Start());
    CClient client(sim.SlavePath());
    size_t nCommands = 0;
    auto Apply = [&](const char* pszPrefix, int nCode) {
        const std::string strCommand = pszPrefix + std::to_string(nCode);
        nCommands += 2;
        return Exchange(sim, client, strCommand + "S:", nCommands);
    };
    // Every entry of the utility's lists comes back as the text it selects by.
    for (const CSettingEntry& entry : kResolutionList)
        QCOMPARE(Apply("R:", entry.nCode), "R:" + std::to_string(entry.nCode) +
                                               " accepted\rresolution: " + entry.pszText +
                                               "\rcurrent: 80\ridle current: 20\r");
    for (const CSettingEntry& entry : kCurrentPercentList)
        QVERIFY(
            Apply("I:", entry.nCode)
                .ends_with(std::string("\rcurrent: ") + entry.pszText + "\ridle current: 20\r"));
    for (const CSettingEntry& entry : kIdleList)
        QVERIFY(Apply("ID:", entry.nCode)
                    .ends_with(std::string("\ridle current: ") + entry.pszText + "\r"));

    // Apply with "400", "100" and "0", as the utility sends it.
    nCommands += 5;
    QCOMPARE(Exchange(sim, client, "?:R:4I:0ID:0S:", nCommands).substr(0, 6),
             std::string("RT3180"));
    QCOMPARE(sim.Settings().nResolution, 4);
    QCOMPARE(sim.Settings().nCurrent, 0);
    QCOMPARE(sim.Settings().nIdle, 0);

    // Codes the drive does not know are refused and change nothing.
    nCommands += 3;
    const std::string strRefused = Exchange(sim, client, "R:3ID:8S:", nCommands);
    QCOMPARE(strRefused.find("accepted"), std::string::npos);
    QVERIFY(strRefused.ends_with("resolution: 400\rcurrent: 100\ridle current: 0\r"));
}

void TestAdapterSim::silence_data()
{
    QTest::addColumn<bool>("bNeverAnswer");
    QTest::addColumn<int>("nLimit");
    QTest::addColumn<int>("nAnswered");
    QTest::newRow("never answers") << true << -1 << 0;
    QTest::newRow("stops after 2") << false << 2 << 2;
}

void TestAdapterSim::silence()
{
    QFETCH(bool, bNeverAnswer);
    QFETCH(int, nLimit);
    QFETCH(int, nAnswered);
    CAdapterSimOptions options;
    options.bNeverAnswer = bNeverAnswer;
    options.nAnswerLimit = nLimit;
    CAdapterSim sim(options);
    QVERIFY(sim.Start());
    CClient client(sim.SlavePath());

    std::string strExpected;
    for (int i = 0; i < nAnswered; ++i)
        strExpected += "R:4 accepted\r";
    QCOMPARE(Exchange(sim, client, "R:4R:4R:4R:4", 4), strExpected);
    QCOMPARE(Texts(sim.Log(), EKind::Command).size(), size_t(4));
    // Unanswered commands never reached the drive.
    QCOMPARE(sim.Settings().nResolution, nAnswered > 0 ? 4 : 2);
}

void TestAdapterSim::delayAndReopen()
{
    CAdapterSimOptions options;
    options.replyDelay = 150ms;
    CAdapterSim sim(options);
    QVERIFY(sim.Start());
    for (int nClient = 1; nClient <= 2; ++nClient) {
        CClient client(sim.SlavePath()); // the terminal survives the first client's close
        QVERIFY(client.IsOpen());
        client.Send("?:");
        QVERIFY(client.ReadUntil("\r").starts_with("RT3180"));
    }
    QVERIFY(sim.WaitForEntries(EKind::Reply, 2, 5s));
    const std::vector<CSimLogEntry> log = sim.Log();
    QCOMPARE(log.size(), size_t(4));
    QVERIFY(log[1].eKind == EKind::Reply && log[1].tpTime - log[0].tpTime >= 150ms);
}

void TestAdapterSim::program_data()
{
    QTest::addColumn<int>("nSignal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void TestAdapterSim::program()
{
    QFETCH(int, nSignal);
    CTempConfigHome home;
    const QString logPath = home.Path() + "/sim.log";
    QProcess process;
    process.start(RT3180_SIM_PROGRAM,
                  {"--port", "com3", "--family", "pkn61", "--crlf", "--log", logPath});
    QVERIFY(process.waitForReadyRead(5000));
    const QString banner = QString::fromLocal8Bit(process.readLine());
    const QRegularExpressionMatch match =
        QRegularExpression(" on (/dev/\\S+), linked as com3: (\\S+)\n$").match(banner);
    QVERIFY2(match.hasMatch(), qPrintable(banner));
    const QString link = home.Path() + "/KOLV/ports/com3";
    QCOMPARE(match.captured(2), link);
    QCOMPARE(QFileInfo(link).symLinkTarget(), match.captured(1));

    {
        CClient client(link.toStdString());
        client.Send("?:");
        QVERIFY(client.ReadUntil("\r\n").starts_with("PKN61/72"));
    }
    QCOMPARE(kill(static_cast<pid_t>(process.processId()), nSignal), 0);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());

    QFile log(logPath);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString logText = QString::fromLocal8Bit(log.readAll());
    QVERIFY2(QRegularExpression("^\\d+\\.\\d{6} command \\?:\n\\d+\\.\\d{6} reply   PKN61/72")
                 .match(logText)
                 .hasMatch(),
             qPrintable(logText));
}

void TestAdapterSim::programOptions()
{
    CTempConfigHome home;
    QProcess process;
    process.start(RT3180_SIM_PROGRAM, {"--help"});
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(process.readAllStandardOutput().contains("--answer-limit N"));

    for (const QStringList& arguments :
         {QStringList{"--family", "rt"}, QStringList{"--port", "LPT1"}, QStringList{"--delay"},
          QStringList{"--answer-limit", "-1"}}) {
        process.start(RT3180_SIM_PROGRAM, arguments);
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), 2);
    }
    QVERIFY(!QFileInfo::exists(home.Path() + "/KOLV"));
}

QTEST_GUILESS_MAIN(TestAdapterSim)
#include "tst_AdapterSim.moc"
