// The real dialog against the simulated adapter over a pseudo-terminal, on
// the real clock: what reaches the drive, with its pacing (within a
// tolerance), and what the dialog makes of the answers.

#include "AdapterSim.h"
#include "DialogSupport.h"
#include "PortLink.h"
#include "app/RT3180Dlg.h"
#include "platform/Clock.h"
#include "settings/SettingLists.h"
#include "ui/Resource.h"

#include <QComboBox>
#include <QtTest>
#include <chrono>
#include <thread>
#include <time.h>

using namespace std::chrono;
using namespace std::chrono_literals;

namespace
{

const QString kLost = QStringLiteral("PKN61/72 & RT3180 SPI Interface Connection Lost!");
const QString kSending = QStringLiteral("Sending the New Settings,  wait ...");
const QString kRT3180Accepted = QStringLiteral("RT3180 SPI Interface commands accepted!");
const QString kPKNAccepted = QStringLiteral("PKN61/72 SPI Interface commands accepted!");

// Pacing comes from blocking sleeps: never shorter, a little longer on a
// busy machine or in a sanitizer build.
constexpr milliseconds kEarly = 5ms;
constexpr milliseconds kLate = 400ms;

struct CTimedBox {
    QString strText;
    unsigned nType;
    steady_clock::time_point tpShown;
};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_pHome = std::make_unique<CTempConfigHome>();
        m_boxes.clear();
        m_previousBox = SetMessageBoxHook([this](const CMessageBoxCall& call) {
            m_boxes.append({call.strText, call.nType, steady_clock::now()});
            return IDOK;
        });
    }
    void cleanup()
    {
        m_pDlg.reset();
        m_pSim.reset();
        SetMessageBoxHook(std::move(m_previousBox));
        m_pHome.reset();
    }

    void connectIdentifiesTheDriveAndRecallsItsSettings_data()
    {
        QTest::addColumn<bool>("rt3180");
        QTest::addColumn<bool>("crlf");
        QTest::newRow("RT3180, CR") << true << false;
        QTest::newRow("PKN61/72, CR LF") << false << true;
    }
    void connectIdentifiesTheDriveAndRecallsItsSettings()
    {
        QFETCH(bool, rt3180);
        QFETCH(bool, crlf);
        CAdapterSimOptions options;
        options.eFamily = rt3180 ? EDriveFamily::RT3180 : EDriveFamily::PKN61;
        options.bCrLf = crlf;
        StartSimAndDialog(options);
        // Away from what the drive holds, so the recall must move them.
        List(*m_pDlg, IDC_RESOLUTION)->setCurrentIndex(0);
        List(*m_pDlg, IDC_IDLE)->setCurrentIndex(5);

        Click(IDC_CONNECT);

        const QString strAccepted = rt3180 ? kRT3180Accepted : kPKNAccepted;
        QTRY_COMPARE_WITH_TIMEOUT(Text(IDC_STATUS), strAccepted, 5000);
        const auto commands = Commands();
        QCOMPARE(Texts(commands), QStringList({"?:", "S:"}));
        VerifyGap(commands[0].tpTime, commands[1].tpTime, 100ms);

        QTRY_VERIFY_WITH_TIMEOUT(!m_pDlg->Drive().IsReplyTimerPending(), 5000);
        QTRY_COMPARE(List(*m_pDlg, IDC_IDLE)->currentText(), QStringLiteral("20"));
        QCOMPARE(List(*m_pDlg, IDC_RESOLUTION)->currentText(), QStringLiteral("2000"));
        QCOMPARE(List(*m_pDlg, IDC_CURRENT)->currentText(),
                 QString::fromLatin1(rt3180 ? "3.2" : "80"));
        QCOMPARE(Text(IDC_CURRENT_UNIT), QString::fromLatin1(rt3180 ? "A" : "%"));
        QCOMPARE(Text(IDC_REPLY), QString::fromStdString(FirstReply()));
        QVERIFY(!m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled());
        QVERIFY(m_boxes.isEmpty());
    }

    void applySendsTheSettingsPacedAndTheDriveKeepsThem()
    {
        StartSimAndDialog({});
        ConnectAndSettle();
        List(*m_pDlg, IDC_RESOLUTION)->setCurrentIndex(0); // "400"
        List(*m_pDlg, IDC_CURRENT)->setCurrentIndex(9);    // "4" A, code 0
        List(*m_pDlg, IDC_IDLE)->setCurrentIndex(0);       // "0"
        m_pDlg->EnableDlgItem(IDC_APPLY, true);
        m_pDlg->SetDlgItemText(IDC_REPLY, QString());
        m_pSim->ClearLog();

        // What the dialog shows at each of its pauses: replies wait.
        QStringList seenDuringApply;
        SetSleepHook([&](unsigned nMilliseconds) {
            seenDuringApply << Text(IDC_STATUS) + "|" + Text(IDC_REPLY);
            std::this_thread::sleep_for(milliseconds(nMilliseconds));
        });
        Click(IDC_APPLY);
        SetSleepHook({});

        const auto commands = Commands();
        QCOMPARE(Texts(commands), QStringList({"?:", "R:4", "I:0", "ID:0"}));
        const milliseconds gaps[] = {1050ms, 3550ms, 1150ms};
        for (std::size_t i = 0; i < 3; ++i)
            VerifyGap(commands[i].tpTime, commands[i + 1].tpTime, gaps[i]);
        for (const CSimLogEntry& entry : m_pSim->Log()) // 12 bytes, nothing else
            QVERIFY(entry.eKind != CSimLogEntry::EKind::Garbage);

        // The drive answered "?:" within the first pause, yet nothing showed.
        QVERIFY(m_pSim->WaitForEntries(CSimLogEntry::EKind::Reply, 1, 0ms));
        QVERIFY(m_pSim->Log().front().tpTime < commands[1].tpTime);
        QCOMPARE(seenDuringApply.size(), 8);
        for (const QString& strSeen : seenDuringApply)
            QCOMPARE(strSeen, kSending + "|");
        QTRY_COMPARE(Text(IDC_STATUS), kRT3180Accepted);
        QCOMPARE(Text(IDC_REPLY), QString::fromStdString(FirstReply()));

        // A later Recall shows what the drive kept.
        m_pSim->ClearLog();
        m_pDlg->GetMenuItem(ID_RECALL)->trigger();
        QTRY_COMPARE(List(*m_pDlg, IDC_IDLE)->currentText(), QStringLiteral("0"));
        QTRY_COMPARE(List(*m_pDlg, IDC_CURRENT)->currentIndex(), 9);
        QCOMPARE(List(*m_pDlg, IDC_RESOLUTION)->currentText(), QStringLiteral("400"));
    }

    void testSwitchesTheDriveTestOffAndOn()
    {
        StartSimAndDialog({});
        ConnectAndSettle();
        Click(IDC_TEST);
        QCOMPARE(Text(IDC_TEST), QStringLiteral("Test Off"));
        Click(IDC_TEST);
        QCOMPARE(Text(IDC_TEST), QStringLiteral("Test On"));
        QCOMPARE(Texts(Commands()), QStringList({"D:", "P:"}));
        QTRY_COMPARE(Text(IDC_STATUS), kRT3180Accepted);
        QTRY_VERIFY(!m_pDlg->Drive().IsReplyTimerPending());
    }

    void aSilentDriveIsReportedLostUnlessDisconnected()
    {
        CAdapterSimOptions options;
        options.bNeverAnswer = true;
        StartSimAndDialog(options);
        Click(IDC_CONNECT);
        Click(IDC_CONNECT); // Disconnect cancels the pending time-out
        QTest::qWait(3500 + 500);
        QVERIFY(m_boxes.isEmpty());

        m_pSim->ClearLog();
        Click(IDC_CONNECT);
        QTRY_COMPARE_WITH_TIMEOUT(m_boxes.size(), 1, 8000);
        QCOMPARE(m_boxes[0].strText, kLost);
        QCOMPARE(m_boxes[0].nType, unsigned(MB_OK | MB_ICONHAND));
        const auto commands = Commands();
        QCOMPARE(Texts(commands), QStringList({"?:", "S:"}));
        VerifyGap(commands[1].tpTime, m_boxes[0].tpShown, 3500ms);
        QCOMPARE(Text(IDC_STATUS), kLost);
        QCOMPARE(Text(IDC_CONNECT), QStringLiteral("Disconnect"));
        QVERIFY(!m_pDlg->GetDlgItem(IDC_RESOLUTION)->isVisible());
        QVERIFY(m_pDlg->GetDlgItem(IDC_BANNER)->isVisible());
        QVERIFY(m_pDlg->GetDlgItem(IDC_TEST)->isEnabled() && m_pDlg->Drive().IsConnected());
    }

    // The adapter pulled while a reply is awaited: shown at once, once, with
    // no time-out after it and no work while nothing happens; plugged in
    // again, Disconnect and Connect reach the drive.
    void anUnpluggedAdapterIsReportedAtOnceAndReconnects()
    {
        CAdapterSimOptions options;
        options.bNeverAnswer = true;
        StartSimAndDialog(options);
        Click(IDC_CONNECT);
        QVERIFY(m_pDlg->Drive().IsReplyTimerPending());
        const QString strDevice = QString::fromStdString(m_pSim->SlavePath());
        // A hung-up terminal's node goes: its descriptors then read "(deleted)".
        auto held = [&strDevice] {
            const QDir fds(QStringLiteral("/proc/self/fd"));
            const auto entries = fds.entryInfoList(QDir::Files | QDir::System);
            return std::any_of(entries.cbegin(), entries.cend(), [&](const QFileInfo& fd) {
                return QFile::symLinkTarget(fd.filePath()).remove(" (deleted)") == strDevice;
            });
        };
        QVERIFY(held());
        const auto tpPulled = steady_clock::now();
        m_pSim->Stop();
        QTRY_COMPARE_WITH_TIMEOUT(m_boxes.size(), 1, 1000);
        QVERIFY2(m_boxes[0].tpShown - tpPulled < 100ms,
                 qPrintable(QString::number(
                     duration_cast<milliseconds>(m_boxes[0].tpShown - tpPulled).count())));
        QCOMPARE(m_boxes[0].strText, kLost);
        QCOMPARE(Text(IDC_STATUS), kLost);
        QCOMPARE(Text(IDC_CONNECT), QStringLiteral("Disconnect"));
        QVERIFY(!m_pDlg->GetDlgItem(IDC_RESOLUTION)->isVisible());
        QVERIFY(!held()); // the dead device is closed

        timespec cpuBefore{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuBefore);
        QTest::qWait(3500 + 500); // past the reply time-out that was pending
        timespec cpuAfter{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuAfter);
        const auto cpuUsed = seconds(cpuAfter.tv_sec - cpuBefore.tv_sec) +
                             nanoseconds(cpuAfter.tv_nsec - cpuBefore.tv_nsec);
        QVERIFY2(cpuUsed < 200ms, qPrintable(QString::number(cpuUsed.count())));
        QCOMPARE(m_boxes.size(), 1);

        m_pSim = std::make_unique<CAdapterSim>();
        QVERIFY2(m_pSim->Start(), m_pSim->ErrorText().c_str());
        std::string strError;
        QVERIFY2(CreatePortLink(PortLinkPath("COM1"), m_pSim->SlavePath(), strError),
                 strError.c_str());
        Click(IDC_CONNECT);
        QCOMPARE(Text(IDC_CONNECT), QStringLiteral("Connect"));
        ConnectAndSettle();
        QCOMPARE(Text(IDC_STATUS), kRT3180Accepted);
        QCOMPARE(m_boxes.size(), 1);
    }

private:
    void StartSimAndDialog(const CAdapterSimOptions& options)
    {
        m_pSim = std::make_unique<CAdapterSim>(options);
        QVERIFY2(m_pSim->Start(), m_pSim->ErrorText().c_str());
        std::string strError;
        QVERIFY2(CreatePortLink(PortLinkPath("COM1"), m_pSim->SlavePath(), strError),
                 strError.c_str());
        m_pDlg = std::make_unique<CRT3180Dlg>();
        m_pDlg->Create();
        m_pDlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pDlg.get()));
    }

    void ConnectAndSettle()
    {
        Click(IDC_CONNECT);
        QTRY_VERIFY_WITH_TIMEOUT(m_pSim->WaitForEntries(CSimLogEntry::EKind::Reply, 4, 0ms), 5000);
        QTRY_VERIFY(!m_pDlg->Drive().IsReplyTimerPending());
        m_pSim->ClearLog();
    }

    void Click(int nID) { ClickDlgItem(*m_pDlg, nID); }
    QString Text(int nID) const { return DlgItemText(*m_pDlg, nID); }

    std::vector<CSimLogEntry> Commands() const { return SimCommands(*m_pSim); }

    static QStringList Texts(const std::vector<CSimLogEntry>& entries)
    {
        QStringList texts;
        for (const CSimLogEntry& entry : entries)
            texts << QString::fromStdString(entry.strText);
        return texts;
    }

    std::string FirstReply() const
    {
        for (const CSimLogEntry& entry : m_pSim->Log())
            if (entry.eKind == CSimLogEntry::EKind::Reply)
                return entry.strText;
        return {};
    }

    static void VerifyGap(steady_clock::time_point tpFrom, steady_clock::time_point tpTo,
                          milliseconds nominal)
    {
        const auto gap = duration_cast<milliseconds>(tpTo - tpFrom);
        QVERIFY2(
            gap >= nominal - kEarly && gap <= nominal + kLate,
            qPrintable(
                QStringLiteral("gap %1 ms, nominal %2 ms").arg(gap.count()).arg(nominal.count())));
    }

    std::unique_ptr<CTempConfigHome> m_pHome;
    std::unique_ptr<CAdapterSim> m_pSim;
    std::unique_ptr<CRT3180Dlg> m_pDlg;
    MessageBoxHook m_previousBox;
    QList<CTimedBox> m_boxes;
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
