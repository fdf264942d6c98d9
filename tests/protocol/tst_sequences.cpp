// The command sequences of the drive link on a virtual clock: every pause it
// takes is recorded instead of slept, with what the drive received just
// before it, so order, bytes and pacing are checked exactly.

#include "SerialPeer.h"
#include "TestSupport.h"
#include "platform/Clock.h"
#include "protocol/DriveProtocol.h"

#include <QtTest>
#include <atomic>
#include <thread>

class TestSequences : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_pPeer = std::make_unique<CPtyPeer>();
        m_pDrive = std::make_unique<CDriveProtocol>();
        connect(m_pDrive.get(), &CDriveProtocol::txLampChanged, [this](int n) { m_bTxLit = n; });
        connect(m_pDrive.get(), &CDriveProtocol::rxLampChanged, [this](int n) { m_bRxLit = n; });
        connect(m_pDrive.get(), &CDriveProtocol::statusChanged,
                [this](const QString& strText) { m_strStatus = strText; });
        connect(m_pDrive.get(), &CDriveProtocol::connectionLost, [this] { ++m_nLost; });
        m_previousSleep = SetSleepHook([this](unsigned nMilliseconds) { Record(nMilliseconds); });
        m_pauses.clear();
        m_strStatus.clear();
        m_nLost = 0;
        QVERIFY(m_pDrive->Connect(m_pPeer->Path()));
        QVERIFY(m_pauses.isEmpty()); // opening sends nothing
        QVERIFY(m_pDrive->IsTestOn() && !m_pDrive->IsRecallPending());
    }
    void cleanup()
    {
        SetSleepHook(std::move(m_previousSleep));
        m_pDrive.reset();
        m_pPeer.reset();
    }

    // A pause reads "<ms>[ lit] <received before it> <armed time-out> <status>";
    // the last entry is what was sent after the last pause.
    void sequencesArePaced_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QStringList>("pauses");
        QTest::newRow("recall") << "recall"
                                << QStringList{"50 lit - 0 ", "50 ?: 3500 ", "50 lit - 3500 ",
                                               "S:"};
        auto apply = [](const QStringList& commands) {
            QStringList pauses{"100 lit - 0",   "1000 ?: 3500",
                               "50 lit - 3500", "3500 " + commands[0] + " 5000",
                               "50 lit - 5000", "1100 " + commands[1] + " 3500",
                               "50 lit - 3500", "1100 " + commands[2] + " 3500"};
            for (QString& strPause : pauses)
                strPause += QStringLiteral(" ") + kStatusSending;
            return pauses << "";
        };
        QTest::newRow("apply 400, 100, 0") << "apply 4 0 0" << apply({"R:4", "I:0", "ID:0"});
        QTest::newRow("apply, no selection") << "apply -1 5 7" << apply({"R:-", "I:5", "ID:7"});
        QTest::newRow("test off, on")
            << "test test"
            << QStringList{"100 lit - 0 ", "1000 D: 3500 ", "100 lit - 3500 ", "1000 P: 3500 ", ""};
    }
    void sequencesArePaced()
    {
        QFETCH(QString, what);
        QFETCH(QStringList, pauses);
        const QStringList words = what.split(' ');
        if (words[0] == "apply")
            m_pDrive->Apply({words[1].toInt(), words[2].toInt(), words[3].toInt()});
        for (const QString& strWord : words)
            if (strWord == "recall")
                m_pDrive->Recall();
            else if (strWord == "test")
                m_pDrive->Test();
        QCOMPARE(m_pauses << Drain(), pauses);
        QCOMPARE(m_pDrive->IsRecallPending(), words[0] == "recall");
        QCOMPARE(m_pDrive->IsTestOn(), true);
        QCOMPARE(m_strStatus, words[0] == "apply" ? kStatusSending : ""); // until the drive answers
    }

    // Disconnected, nothing is sent, and the port is free for another
    // program; a failed Connect leaves it so.
    void nothingIsSentWhileDisconnected()
    {
        m_pDrive->Recall();
        m_pDrive->Disconnect();
        QVERIFY(!m_pDrive->IsReplyTimerPending());
        QVERIFY(CSerialPort().Open(m_pPeer->Path()));
        CMessageBoxRecorder boxes;
        QVERIFY(!m_pDrive->Connect("/nonexistent/tty"));
        QCOMPARE(boxes.Texts(), QStringList({"Unable to open /nonexistent/tty"}));
        Sent();
        m_pDrive->Apply({2, 8, 2});
        m_pDrive->Recall();
        m_pDrive->Test();
        QVERIFY(m_pDrive->IsRecallPending() && m_pDrive->IsTestOn() && !m_pDrive->IsConnected());
        QCOMPARE(Sent(), "");
    }

    // The bytes already received count before a time-out. A time-out leaves
    // the port open: every command still goes out. A hang-up closes it.
    void timeOutReportsTheLossAndKeepsThePort()
    {
        m_pDrive->Recall();
        for (char ch : QByteArray("PKN61/72 ready\r"))
            QCoreApplication::postEvent(m_pDrive.get(), new CReceivedByteEvent(ch));
        m_pDrive->OnTimer(); // the reply came first: no time-out
        QCOMPARE(m_nLost, 0);
        m_pDrive->SetReplyTimer(3500);
        m_pDrive->OnTimer();
        QCOMPARE(m_nLost, 1);
        QCOMPARE(m_strStatus, kStatusConnectionLost);
        QVERIFY(m_pDrive->IsConnected() && !m_pDrive->IsReplyTimerPending());
        Sent();
        m_pDrive->Recall();
        QCOMPARE(Sent(), "?: S:");
        m_pDrive->Apply({2, 8, 2});
        QCOMPARE(Sent(), "?: R:2 I:8 ID:2");
        m_pDrive->Test();
        QCOMPARE(Sent(), "D:");

        m_pPeer->Hangup();
        QTRY_COMPARE(m_nLost, 2);
        QVERIFY(m_pDrive->IsConnected() && ReaderThreads().isEmpty());
    }

    // Work between the waits (painting, a slow display) takes virtual time
    // here; the writes still go out at their deadlines from the start, and a
    // step that cannot make its deadline keeps the following gaps whole.
    void writesKeepTheirDeadlines_data()
    {
        QTest::addColumn<int>("nWork"); // ms at every lamp change
        QTest::addColumn<QList<int>>("writes");
        QTest::newRow("10 ms") << 10 << QList<int>{100, 1150, 4700, 5850};
        QTest::newRow("longer than a lead-in") << 200 << QList<int>{200, 1400, 5100, 6400};
    }
    void writesKeepTheirDeadlines()
    {
        QFETCH(int, nWork);
        QFETCH(QList<int>, writes);
        QList<int> written;
        const CSteadyClock::time_point start = Now();
        connect(m_pDrive.get(), &CDriveProtocol::txLampChanged, [&](int nState) {
            if (!nState)
                written << int(
                    std::chrono::duration_cast<std::chrono::milliseconds>(Now() - start).count());
            m_bWorking = true;
            Sleep(unsigned(nWork));
            m_bWorking = false;
        });
        m_pDrive->Apply({2, 8, 2});
        QCOMPARE(written, writes);
    }

    // While a sequence waits, the window may handle its own events; the
    // drive's bytes, its time-out and its hang-up wait for the end, as if
    // the thread slept. A hang-up stops the sequence: nothing more is sent.
    void eventsWaitForTheSequence()
    {
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
        QCOMPARE(m_pauses, QStringList({"50 lit - 0 ", "50 ?: 3500 ", "50 lit - 3500 "}));
        QCOMPARE(Sent(), "?: S:");
        QCOMPARE(replies, QStringList({"PKN61/72 ready"}));
        QCOMPARE(m_strStatus, "PKN61/72 SPI Interface commands accepted!");
        QCOMPARE(m_nLost, 0);
        QVERIFY(!m_pDrive->IsReplyTimerPending());

        QCoreApplication::postEvent(m_pDrive.get(), new QEvent(PROC_KOLV_HANGUP));
        m_pDrive->Apply({2, 8, 2});
        SetWaitPump(previous);
        QCOMPARE(m_pauses, QStringList({"100 lit - 0 " + QString(kStatusSending)}));
        QCOMPARE(Sent(), "");
        QCOMPARE(m_nLost, 1);
        QVERIFY(m_pDrive->IsConnected() && !m_pDrive->IsReplyTimerPending());
    }

    // A wait the program's stop cuts short ends the sequence after the
    // command written last: the next one is not sent.
    void stopEndsTheSequenceBeforeTheNextCommand()
    {
        int nWaits = 0;
        const WaitPump previous =
            SetWaitPump([&nWaits](CSteadyClock::time_point) { return ++nWaits == 1; });
        m_pDrive->Apply({2, 8, 2});
        SetWaitPump(previous);
        QCOMPARE(Sent(), "?:");
        QVERIFY(m_pDrive->IsConnected());
    }

    // Bytes that come while a sequence runs are held within the reader's
    // bound: a device that talks on meanwhile waits in the terminal, and all
    // of it arrives once the sequence has ended.
    void talkDuringASequenceIsHeldWithinBounds()
    {
        constexpr qint64 kTalk = 1024 * 1024;
        std::atomic<qint64> nSent{0};
        std::thread talker([&] {
            while (nSent < kTalk && m_pPeer->Send(QByteArray(4096, 'U')))
                nSent += 4096;
        });
        const auto finish = qScopeGuard([&] { m_pPeer->Hangup(), talker.join(); });
        qint64 nSentInSequence = 0;
        const WaitPump previous = SetWaitPump([&](CSteadyClock::time_point) {
            QElapsedTimer timer;
            for (timer.start(); timer.elapsed() < 50;)
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
    // The commands sent since the last look.
    QString Sent()
    {
        QStringList sent;
        for (const QString& strPause : std::exchange(m_pauses, {}))
            sent << strPause.split(' ').at(strPause.contains(" lit ") ? 2 : 1);
        sent << QString::fromLatin1(Drain());
        sent.removeAll("-");
        sent.removeAll("");
        return sent.join(' ');
    }

    void Record(unsigned nMilliseconds)
    {
        if (m_bRxLit || m_bWorking)
            return; // the pulse of a received byte, not a command's pause
        // Once the lamp is out again, the command is on its way.
        const QByteArray sent = m_bTxLit ? m_pPeer->Receive(64, 0) : m_pPeer->Receive(1, 1000);
        const int nTimeout = m_pDrive->IsReplyTimerPending() ? m_pDrive->ReplyTimerInterval() : 0;
        m_pauses << QStringLiteral("%1%2 %3 %4 %5")
                        .arg(nMilliseconds)
                        .arg(m_bTxLit ? " lit" : "")
                        .arg(sent.isEmpty() ? "-" : QString::fromLatin1(sent))
                        .arg(nTimeout)
                        .arg(m_strStatus);
    }

    std::unique_ptr<CPtyPeer> m_pPeer;
    std::unique_ptr<CDriveProtocol> m_pDrive;
    SleepHook m_previousSleep;
    QStringList m_pauses;
    QString m_strStatus;
    bool m_bTxLit = false, m_bRxLit = false, m_bWorking = false;
    int m_nLost = 0;
};

QTEST_MAIN(TestSequences)
#include "tst_sequences.moc"
