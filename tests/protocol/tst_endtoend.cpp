// The real dialog against the simulated adapter over a pseudo-terminal, on
// the real clock: what reaches the drive, with its pacing (within a
// tolerance), and what the dialog makes of the answers.

#include "DialogSupport.h"
#include "TestSupport.h"
#include "app/RT3180Dlg.h"
#include "platform/Clock.h"
#include "port/StoredPort.h"
#include "ui/Resource.h"

#include <QComboBox>
#include <QtTest>
#include <thread>

using namespace std::chrono;
using namespace std::chrono_literals;
using EKind = CSimLogEntry::EKind;

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_pHome = std::make_unique<CTempConfigHome>();
        m_boxes.clear();
        m_previousBox = SetMessageBoxHook([this](const CMessageBoxCall& call) {
            m_boxes.append({call.strText + QString::number(call.nType), steady_clock::now()});
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

    // The drive answers the first six commands: Connect's recall and Apply.
    void connectApplyAndALostDrive_data()
    {
        QTest::addColumn<bool>("rt3180");
        QTest::addColumn<bool>("crlf");
        QTest::newRow("RT3180, CR") << true << false;
        QTest::newRow("PKN61/72, CR LF") << false << true;
    }
    void connectApplyAndALostDrive()
    {
        QFETCH(bool, rt3180);
        QFETCH(bool, crlf);
        m_pSim = std::make_unique<CAdapterSim>(
            CAdapterSimOptions{.eFamily = rt3180 ? EDriveFamily::RT3180 : EDriveFamily::PKN61,
                               .bCrLf = crlf,
                               .nAnswerLimit = 6});
        QVERIFY2(m_pSim->Start(), m_pSim->ErrorText().c_str());
        QVERIFY(SaveStoredPort(QString::fromStdString(m_pSim->SlavePath())));
        m_pDlg = std::make_unique<CRT3180Dlg>();
        m_pDlg->Create();
        m_pDlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pDlg.get()));
        // Away from what the drive holds, so the recall must move them.
        List(*m_pDlg, IDC_RESOLUTION)->setCurrentIndex(0);
        List(*m_pDlg, IDC_IDLE)->setCurrentIndex(5);

        Click(IDC_CONNECT);
        VerifyCommands({"?:", "S:"}, {100ms});
        const QString strAccepted =
            QString(rt3180 ? "RT3180" : "PKN61/72") + " SPI Interface commands accepted!";
        QTRY_COMPARE(Text(IDC_STATUS), strAccepted);
        QTRY_VERIFY(!m_pDlg->Drive().IsReplyTimerPending());
        QTRY_COMPARE(List(*m_pDlg, IDC_IDLE)->currentText(), QStringLiteral("20"));
        QCOMPARE(List(*m_pDlg, IDC_RESOLUTION)->currentText(), QStringLiteral("2000"));
        QCOMPARE(List(*m_pDlg, IDC_CURRENT)->currentText(), QString(rt3180 ? "3.2" : "80"));
        QCOMPARE(Text(IDC_CURRENT_UNIT), QString(rt3180 ? "A" : "%"));
        QCOMPARE(Text(IDC_REPLY), QString::fromStdString(FirstReply().strText));
        QVERIFY(!m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled());

        List(*m_pDlg, IDC_RESOLUTION)->setCurrentIndex(0); // "400"
        List(*m_pDlg, IDC_CURRENT)->setCurrentIndex(9);    // code 0
        List(*m_pDlg, IDC_IDLE)->setCurrentIndex(0);       // "0"
        m_pDlg->EnableDlgItem(IDC_APPLY, true);
        m_pDlg->SetDlgItemText(IDC_REPLY, QString());
        m_pSim->ClearLog();
        QStringList seen; // at each pause of Apply
        SetSleepHook([&](unsigned nMilliseconds) {
            seen << Text(IDC_STATUS) + "|" + Text(IDC_REPLY);
            std::this_thread::sleep_for(milliseconds(nMilliseconds));
        });
        Click(IDC_APPLY);
        SetSleepHook({});
        VerifyCommands({"?:", "R:4", "I:0", "ID:0"}, {1050ms, 3550ms, 1150ms});
        // The drive answered "?:" within the first pause, yet nothing showed.
        QVERIFY(FirstReply().tpTime < SimCommands(*m_pSim)[1].tpTime);
        QCOMPARE(seen, QStringList(8, kStatusSending + QString("|")));
        QTRY_COMPARE(Text(IDC_STATUS), strAccepted);
        QCOMPARE(Text(IDC_REPLY), QString::fromStdString(FirstReply().strText));
        QVERIFY(m_boxes.isEmpty());

        // Unanswered, a Recall is reported lost when its time-out has
        // passed, and the link stays; a Disconnect cancels the time-out.
        m_pSim->ClearLog();
        m_pDlg->GetMenuItem(ID_RECALL)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_boxes.size(), 1, 8000);
        QCOMPARE(m_boxes[0].first, kStatusConnectionLost + QString::number(MB_OK | MB_ICONHAND));
        VerifyCommands({"?:", "S:"}, {100ms, 3500ms});
        QCOMPARE(Text(IDC_STATUS), kStatusConnectionLost);
        QVERIFY(m_pDlg->Drive().IsConnected());
        m_pDlg->GetMenuItem(ID_RECALL)->trigger();
        QVERIFY(m_pDlg->Drive().IsReplyTimerPending());
        Click(IDC_CONNECT);
        QTest::qWait(3500 + 500);
        QCOMPARE(m_boxes.size(), 1);
    }

private:
    void Click(int nID) { ClickDlgItem(*m_pDlg, nID); }
    QString Text(int nID) const { return DlgItemText(*m_pDlg, nID); }
    CSimLogEntry FirstReply() const
    {
        const auto log = m_pSim->Log();
        return *std::find_if(log.begin(), log.end(),
                             [](auto& e) { return e.eKind == EKind::Reply; });
    }

    // The commands the drive has taken, once it has taken them all, and the
    // gaps from each to the next (the last: to the first box). Pacing comes
    // from blocking sleeps: never shorter, a little longer on a busy machine;
    // the drive may read a command late, which shortens the gap after it.
    void VerifyCommands(const QStringList& expected, const QList<milliseconds>& gaps) const
    {
        QVERIFY(m_pSim->WaitForEntries(EKind::Command, expected.size(), 5000ms));
        QStringList texts;
        QList<steady_clock::time_point> times;
        for (const CSimLogEntry& entry : SimCommands(*m_pSim))
            texts << QString::fromStdString(entry.strText), times << entry.tpTime;
        QCOMPARE(texts, expected);
        times << m_boxes.value(0).second;
        for (int i = 0; i < gaps.size(); ++i) {
            const auto gap = duration_cast<milliseconds>(times[i + 1] - times[i]);
            QVERIFY2(gap >= gaps[i] - 20ms && gap <= gaps[i] + 400ms,
                     qPrintable(
                         QString("%1 gap %2: %3 ms").arg(texts.join(' ')).arg(i).arg(gap.count())));
        }
    }

    std::unique_ptr<CTempConfigHome> m_pHome;
    std::unique_ptr<CAdapterSim> m_pSim;
    std::unique_ptr<CRT3180Dlg> m_pDlg;
    MessageBoxHook m_previousBox;
    QList<std::pair<QString, steady_clock::time_point>> m_boxes; // text and type, when shown
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
