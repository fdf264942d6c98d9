// The command sequences of the drive link on a virtual clock: every pause it
// takes is recorded instead of slept, with what the drive received just
// before it, so order, bytes and pacing are checked exactly.

#include "SerialPeer.h"
#include "TestSupport.h"
#include "platform/Clock.h"
#include "platform/RegisteredMessage.h"
#include "protocol/Commands.h"
#include "protocol/DriveProtocol.h"

#include <QtTest>
#include <atomic>
#include <thread>

namespace
{
const QString kSending = QStringLiteral("Sending the New Settings,  wait ...");
const QString kLost = QStringLiteral("PKN61/72 & RT3180 SPI Interface Connection Lost!");
} // namespace

class TestSequences : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_pHome = std::make_unique<CTempConfigHome>();
        m_pPeer = std::make_unique<CPtyPeer>();
        LinkCom1(m_pPeer->Path());
        m_pBoxes = std::make_unique<CMessageBoxRecorder>();
        m_pDrive = std::make_unique<CDriveProtocol>();
        connect(m_pDrive.get(), &CDriveProtocol::txLampChanged,
                [this](int nState) { m_bTxLit = nState != 0; });
        connect(m_pDrive.get(), &CDriveProtocol::rxLampChanged,
                [this](int nState) { m_bRxLit = nState != 0; });
        connect(m_pDrive.get(), &CDriveProtocol::statusChanged,
                [this](const QString& strText) { m_strStatus = strText; });
        connect(m_pDrive.get(), &CDriveProtocol::connectionLost, [this] { ++m_nLost; });
        m_previousSleep = SetSleepHook([this](unsigned nMilliseconds) { Record(nMilliseconds); });
    }
    void cleanup()
    {
        SetSleepHook(std::move(m_previousSleep));
        m_pDrive.reset();
        m_pBoxes.reset();
        m_pPeer.reset();
        m_pHome.reset();
        m_pauses.clear();
        m_statusAtPauses.clear();
        m_strStatus.clear();
        m_nLost = 0;
    }

    // A pause reads "<ms>[ lit] <received before it> <armed time-out>".
    void connectAndRecallAskTwice()
    {
        QVERIFY(m_pDrive->Connect(QStringLiteral("COM1")));
        QVERIFY(m_pauses.isEmpty()); // opening sends nothing
        QVERIFY(m_pDrive->IsConnected() && m_pDrive->IsTestOn() && !m_pDrive->IsRecallPending());
        m_pDrive->Recall();
        QCOMPARE(m_pauses, QStringList({"50 lit - 0", "50 ?: 3500", "50 lit - 3500"}));
        QCOMPARE(Drain(), QByteArray("S:"));
        QVERIFY(m_pDrive->IsRecallPending());
    }

    void applySendsTheSettingsPaced_data()
    {
        QTest::addColumn<QList<int>>("codes"); // resolution, current, idle
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("400, 100, 0") << QList<int>{4, 0, 0} << QStringList{"R:4", "I:0", "ID:0"};
        QTest::newRow("defaults") << QList<int>{2, 8, 2} << QStringList{"R:2", "I:8", "ID:2"};
        QTest::newRow("no selection") << QList<int>{-1, 5, 7} << QStringList{"R:-", "I:5", "ID:7"};
    }
    void applySendsTheSettingsPaced()
    {
        QFETCH(QList<int>, codes);
        QFETCH(QStringList, commands);
        QVERIFY(m_pDrive->Connect(QStringLiteral("COM1")));
        m_pDrive->Recall();
        Restart();

        m_pDrive->Apply({codes[0], codes[1], codes[2]});
        QCOMPARE(m_pauses, QStringList({"100 lit - 3500", "1000 ?: 3500", "50 lit - 3500",
                                        "3500 " + commands[0] + " 5000", "50 lit - 5000",
                                        "1100 " + commands[1] + " 3500", "50 lit - 3500",
                                        "1100 " + commands[2] + " 3500"}));
        QCOMPARE(m_statusAtPauses.first(), kSending);
        QVERIFY(!m_pDrive->IsRecallPending());
        QCOMPARE(m_strStatus, kSending); // until the drive answers
    }

    void testTogglesAfterItsCommand()
    {
        QVERIFY(m_pDrive->Connect(QStringLiteral("COM1")));
        m_pDrive->Recall();
        for (const char* pszCommand : {"D:", "P:", "D:"}) {
            Restart();
            const bool bWasOn = m_pDrive->IsTestOn();
            m_pDrive->Test();
            QCOMPARE(m_pauses, QStringList({"100 lit - 3500",
                                            QStringLiteral("1000 %1 3500").arg(pszCommand)}));
            QCOMPARE(m_pDrive->IsTestOn(), !bWasOn);
        }
        // A new connection counts the drive's test as on again.
        m_pDrive->Disconnect();
        QVERIFY(!m_pDrive->IsTestOn());
        QVERIFY(m_pDrive->Connect(QStringLiteral("COM1")));
        Restart();
        m_pDrive->Test();
        QCOMPARE(m_pauses.last(), QStringLiteral("1000 D: 3500"));
    }

    void nothingIsSentWhileDisconnected()
    {
        m_pDrive->Apply({2, 8, 2});
        m_pDrive->Recall();
        m_pDrive->Test();
        QVERIFY(m_pDrive->IsRecallPending() && !m_pDrive->IsTestOn());
        QVERIFY(m_pauses.isEmpty());
        QCOMPARE(Drain(), QByteArray());
    }

    void failedConnectStaysDisconnected()
    {
        LinkCom1("/nonexistent/tty");
        QVERIFY(!m_pDrive->Connect(QStringLiteral("COM1")));
        QCOMPARE(m_pBoxes->Texts(), QStringList({"Unable to open COM1"}));
        QCOMPARE(m_pBoxes->Calls().first().nType, unsigned(MB_OK | MB_ICONSTOP));
        QVERIFY(!m_pDrive->IsConnected() && !m_pDrive->IsTestOn());
        QVERIFY(m_pauses.isEmpty());
    }

    void disconnectCancelsTheTimeOutAndReleasesThePort()
    {
        QVERIFY(m_pDrive->Connect(QStringLiteral("COM1")));
        m_pDrive->Recall();
        Restart();
        m_pDrive->Disconnect();
        QVERIFY(m_pauses.isEmpty());
        QCOMPARE(Drain(), QByteArray());
        QVERIFY(!m_pDrive->IsConnected() && !m_pDrive->IsReplyTimerPending());
        CSerialPort other; // another program can have the port now
        QVERIFY(other.Open(m_pPeer->Path()));
    }

    void timeOutReportsTheLossAfterTheBytesAlreadyReceived()
    {
        QVERIFY(m_pDrive->Connect(QStringLiteral("COM1")));
        m_pDrive->Recall();
        for (char ch : QByteArray("PKN61/72 ready\r"))
            QCoreApplication::postEvent(m_pDrive.get(), new CReceivedByteEvent(ch));
        m_pDrive->OnTimer(); // the reply came first: no time-out
        QCOMPARE(m_nLost, 0);

        m_pDrive->SetReplyTimer(3500);
        m_pDrive->OnTimer();
        QCOMPARE(m_nLost, 1);
        QCOMPARE(m_strStatus, kLost);
        // The port stays open and commands still go out.
        QVERIFY(m_pDrive->IsConnected() && !m_pDrive->IsReplyTimerPending());
        Restart();
        m_pDrive->Recall();
        QCOMPARE(Drain(), QByteArray("S:"));
    }

    // Work between the waits (painting, a slow display) takes virtual time
    // here; the writes still go out at their deadlines from the start, and a
    // step that cannot make its deadline keeps the following gaps whole.
    void writesKeepTheirDeadlines_data()
    {
        QTest::addColumn<int>("nWork"); // ms at every lamp change
        QTest::addColumn<QList<int>>("writes");
        QTest::newRow("no work") << 0 << QList<int>{100, 1150, 4700, 5850};
        QTest::newRow("10 ms") << 10 << QList<int>{100, 1150, 4700, 5850};
        QTest::newRow("longer than a lead-in") << 200 << QList<int>{200, 1400, 5100, 6400};
    }
    void writesKeepTheirDeadlines()
    {
        QFETCH(int, nWork);
        QFETCH(QList<int>, writes);
        QVERIFY(m_pDrive->Connect(QStringLiteral("COM1")));
        QList<int> written;
        CSteadyClock::time_point start;
        connect(m_pDrive.get(), &CDriveProtocol::txLampChanged, [&](int nState) {
            if (!nState)
                written << int(
                    std::chrono::duration_cast<std::chrono::milliseconds>(Now() - start).count());
            m_bWorking = true;
            Sleep(unsigned(nWork));
            m_bWorking = false;
        });
        start = Now();
        m_pDrive->Apply({2, 8, 2});
        QCOMPARE(written, writes);
    }

    // While a sequence waits, the window may handle its own events; the
    // drive's bytes and time-out wait for the end, as if the thread slept.
    void bytesAndTimeOutWaitForTheSequence()
    {
        QVERIFY(m_pDrive->Connect(QStringLiteral("COM1")));
        QStringList replies;
        connect(m_pDrive.get(), &CDriveProtocol::replyChanged,
                [&](const QString& strReply) { replies << strReply; });
        const WaitPump previous = SetWaitPump([](CSteadyClock::time_point) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            return true;
        });
        for (char ch : QByteArray("PKN61/72 ready\r"))
            QCoreApplication::postEvent(m_pDrive.get(), new CReceivedByteEvent(ch));
        m_pDrive->SetReplyTimer(0); // expires in the first wait; the first command re-arms it
        m_pDrive->Recall();
        SetWaitPump(previous);
        QCOMPARE(m_statusAtPauses, QStringList({"", "", ""}));
        QCOMPARE(replies, QStringList({"PKN61/72 ready"}));
        QCOMPARE(m_nLost, 0);
        QVERIFY(!m_pDrive->IsReplyTimerPending());
    }

    // A hang-up met in a wait stops the sequence: nothing more is sent, and
    // the loss is reported once, when the sequence has ended.
    void hangupEndsTheSequence()
    {
        QVERIFY(m_pDrive->Connect(QStringLiteral("COM1")));
        const WaitPump previous = SetWaitPump([](CSteadyClock::time_point) {
            QCoreApplication::processEvents();
            return true;
        });
        QCoreApplication::postEvent(m_pDrive.get(), new QEvent(PROC_KOLV_HANGUP));
        m_pDrive->Apply({2, 8, 2});
        SetWaitPump(previous);
        QCOMPARE(m_pauses, QStringList({"100 lit - 0"}));
        QCOMPARE(m_nLost, 1);
        QCOMPARE(Drain(), QByteArray());
        QVERIFY(m_pDrive->IsConnected() && !m_pDrive->IsReplyTimerPending());
    }

    // A wait the program's stop cuts short ends the sequence after the
    // command written last: the next one is not sent.
    void stopEndsTheSequenceBeforeTheNextCommand()
    {
        QVERIFY(m_pDrive->Connect(QStringLiteral("COM1")));
        int nWaits = 0;
        const WaitPump previous =
            SetWaitPump([&nWaits](CSteadyClock::time_point) { return ++nWaits == 1; });
        m_pDrive->Apply({2, 8, 2});
        SetWaitPump(previous);
        QCOMPARE(Drain(), CommandBytes(kApplySequence[0].eCommand, {2, 8, 2}, false));
        QVERIFY(m_pDrive->IsConnected());
    }

    // Bytes that come while a sequence runs are held within the reader's
    // bound: a device that talks on meanwhile waits in the terminal, and all
    // of it arrives once the sequence has ended.
    void talkDuringASequenceIsHeldWithinBounds()
    {
        QVERIFY(m_pDrive->Connect(QStringLiteral("COM1")));
        constexpr qint64 kTalk = 1024 * 1024;
        std::atomic<qint64> nSent{0};
        std::atomic<bool> bDone{false};
        std::thread talker([&] {
            const QByteArray noise(4096, 'U');
            while (nSent < kTalk && m_pPeer->Send(noise))
                nSent += noise.size();
            bDone = true;
        });
        const auto finish = qScopeGuard([&] {
            QTRY_VERIFY_WITH_TIMEOUT(bDone, 10000);
            talker.join();
        });
        qint64 nSentInSequence = 0;
        const WaitPump previous = SetWaitPump([&](CSteadyClock::time_point) {
            QElapsedTimer timer;
            timer.start();
            while (timer.elapsed() < 50)
                QCoreApplication::processEvents();
            nSentInSequence = nSent;
            return true;
        });
        m_pDrive->Apply({2, 8, 2});
        SetWaitPump(previous);
        QVERIFY2(nSentInSequence < kTalk / 4, qPrintable(QString::number(nSentInSequence)));
        QTRY_COMPARE_WITH_TIMEOUT(nSent.load(), kTalk, 10000);
    }

private:
    // What the drive has received and not yet been looked at.
    QByteArray Drain() { return m_pPeer->Receive(64, 50); }
    void Restart()
    {
        Drain();
        m_pauses.clear();
        m_statusAtPauses.clear();
    }

    void Record(unsigned nMilliseconds)
    {
        if (m_bRxLit || m_bWorking)
            return; // the pulse of a received byte, not a command's pause
        // Once the lamp is out again, the command is on its way.
        const QByteArray sent = m_bTxLit ? m_pPeer->Receive(64, 0) : m_pPeer->Receive(1, 1000);
        const int nTimeout = m_pDrive->IsReplyTimerPending() ? m_pDrive->ReplyTimerInterval() : 0;
        m_pauses << QStringLiteral("%1%2 %3 %4")
                        .arg(nMilliseconds)
                        .arg(m_bTxLit ? " lit" : "")
                        .arg(sent.isEmpty() ? "-" : QString::fromLatin1(sent))
                        .arg(nTimeout);
        m_statusAtPauses << m_strStatus;
    }

    std::unique_ptr<CTempConfigHome> m_pHome;
    std::unique_ptr<CPtyPeer> m_pPeer;
    std::unique_ptr<CMessageBoxRecorder> m_pBoxes;
    std::unique_ptr<CDriveProtocol> m_pDrive;
    SleepHook m_previousSleep;
    QStringList m_pauses, m_statusAtPauses;
    QString m_strStatus;
    bool m_bTxLit = false, m_bRxLit = false, m_bWorking = false;
    int m_nLost = 0;
};

QTEST_MAIN(TestSequences)
#include "tst_sequences.moc"
