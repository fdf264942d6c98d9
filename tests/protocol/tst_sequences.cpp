// The drive link on a virtual clock: every pause it takes is logged instead
// of slept, with what the drive received just before it, among what the link
// reported, so order, bytes and pacing are exact. Reply lines as the drive
// may send them, fed in as the reader hands them on: what the link reports,
// in order, and whether a line counts as an answer (stops the timer).

#include "SerialPeer.h"
#include "platform/Clock.h"
#include "protocol/DriveProtocol.h"

#include <QtTest>
#include <atomic>
#include <thread>

class TestDriveLink : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_pPeer = std::make_unique<CPtyPeer>();
        m_pDrive = std::make_unique<CDriveProtocol>();
        connect(m_pDrive.get(), &CDriveProtocol::txLampChanged, [this](int nState) {
            m_bTxLit = nState;
            m_bWorking = true; // painting, a slow display: virtual time too
            Sleep(m_nWork);
            m_bWorking = false;
        });
        connect(m_pDrive.get(), &CDriveProtocol::rxLampChanged, [this](int n) { m_bRxLit = n; });
        auto note = [this](const char* pszWhat) {
            return [this, pszWhat](int n) { m_log << pszWhat + QString::number(n); };
        };
        connect(m_pDrive.get(), &CDriveProtocol::familyIdentified, note("f"));
        connect(m_pDrive.get(), &CDriveProtocol::resolutionRecalled, note("r"));
        connect(m_pDrive.get(), &CDriveProtocol::currentRecalled, note("c"));
        connect(m_pDrive.get(), &CDriveProtocol::idleRecalled, note("i"));
        connect(m_pDrive.get(), &CDriveProtocol::statusChanged, [this](const QString& str) {
            m_log << "s:" + (str == kStatusConnectionLost ? "lost" : str.section(' ', 0, 0));
        });
        connect(m_pDrive.get(), &CDriveProtocol::replyChanged,
                [this](const QString& str) { m_log << "<" + str + ">"; });
        connect(m_pDrive.get(), &CDriveProtocol::connectionLost, [this] { m_log << "lost"; });
        SetSleepHook([this](unsigned nMilliseconds) { Record(nMilliseconds); });
        m_log.clear();
        m_nWork = 0;
        QVERIFY(m_pDrive->Connect(m_pPeer->Path()));
    }
    void cleanup()
    {
        SetSleepHook({});
        m_pDrive.reset();
        m_pPeer.reset();
    }

    // A pause reads "<ms>[*: lamp lit] <received before it> <armed time-out>".
    // The writes go out at their deadlines from the start, whatever work the
    // lamp changes take, and a step that cannot make its deadline keeps the
    // following gaps whole.
    void sequencesArePaced_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<uint>("work"); // ms at each lamp change
        QTest::addColumn<QString>("log");
        QTest::newRow("recall") << "recall" << 0u << "50* - 0, 50 ?: 3500, 50* - 3500, then S:";
        QTest::newRow("apply 400, 100, 0")
            << "apply 4 0 0" << 0u
            << "s:Sending, 100* - 0, 1000 ?: 3500, 50* - 3500, 3500 R:4 5000, 50* - 5000, "
               "1100 I:0 3500, 50* - 3500, 1100 ID:0 3500, then ";
        QTest::newRow("apply, no selection, work 10 ms")
            << "apply -1 5 7" << 10u
            << "s:Sending, 90* - 0, 990 ?: 3500, 40* - 3500, 3490 R:- 5000, 40* - 5000, "
               "1090 I:5 3500, 40* - 3500, 1090 ID:7 3500, then ";
        QTest::newRow("apply, work longer than a lead-in")
            << "apply 2 8 2" << 200u
            << "s:Sending, 800 ?: 3500, 3300 R:2 5000, 900 I:8 3500, 900 ID:2 3500, then ";
        QTest::newRow("test off, on")
            << "test test" << 0u << "100* - 0, 1000 D: 3500, 100* - 3500, 1000 P: 3500, then ";
    }
    void sequencesArePaced()
    {
        QFETCH(QString, what);
        QFETCH(uint, work);
        QFETCH(QString, log);
        m_nWork = work;
        const QStringList words = what.split(' ');
        if (words[0] == "apply")
            m_pDrive->Apply({words[1].toInt(), words[2].toInt(), words[3].toInt()});
        for (const QString& strWord : words)
            if (strWord == "recall")
                m_pDrive->Recall();
            else if (strWord == "test")
                m_pDrive->Test();
        QCOMPARE((m_log << "then " + Drain()).join(", "), log);
        QCOMPARE(m_pDrive->IsRecallPending(), words[0] == "recall");
    }

    // The bytes already received count before a time-out. A time-out leaves
    // the port open: every command still goes out. Disconnected, there is no
    // time-out, the port is free for another program and nothing is sent.
    // A hang-up closes the port.
    void timeOutKeepsThePortDisconnectReleasesIt()
    {
        m_pDrive->Recall();
        QCOMPARE(Sent(), "?: S:");
        for (char ch : QByteArray("PKN61/72 ready\r"))
            QCoreApplication::postEvent(m_pDrive.get(), new CReceivedByteEvent(ch));
        m_pDrive->OnTimer(); // the reply came first: no time-out
        m_pDrive->SetReplyTimer(3500);
        m_pDrive->OnTimer();
        QCOMPARE(Sent(), "f0 <PKN61/72 ready> s:PKN61/72 s:lost lost");
        QVERIFY(m_pDrive->IsConnected() && !m_pDrive->IsReplyTimerPending());
        m_pDrive->Recall();
        m_pDrive->Apply({2, 8, 2});
        m_pDrive->Test();
        QCOMPARE(Sent(), "?: s:Sending S: ?: R:2 I:8 ID:2 D:"); // S: found at the next pause

        m_pDrive->Disconnect();
        QVERIFY(!m_pDrive->IsReplyTimerPending() && !m_pDrive->IsConnected());
        QVERIFY(CSerialPort().Open(m_pPeer->Path()));
        m_pDrive->Apply({2, 8, 2});
        m_pDrive->Recall();
        m_pDrive->Test();
        QCOMPARE(Sent(), "");

        QVERIFY(m_pDrive->Connect(m_pPeer->Path()));
        m_pPeer->Hangup();
        QTRY_VERIFY(m_log.contains("lost"));
        QCOMPARE(Sent(), "s:lost lost");
        QVERIFY(m_pDrive->IsConnected() && ReaderThreads().isEmpty());
    }

    // While a sequence waits, the window may handle its own events; the
    // drive's bytes, its time-out and its hang-up wait for the end, as if
    // the thread slept. A hang-up, or the program's stop, ends the sequence
    // before the next command.
    void eventsWaitForTheSequence()
    {
        int nWaits = 0;
        const WaitPump previous = SetWaitPump([&nWaits](CSteadyClock::time_point) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            return ++nWaits != 100;
        });
        for (char ch : QByteArray("PKN61/72 ready\r"))
            QCoreApplication::postEvent(m_pDrive.get(), new CReceivedByteEvent(ch));
        m_pDrive->SetReplyTimer(0); // expires in the first wait; the first command re-arms it
        m_pDrive->Recall();
        QCOMPARE(Sent(), "?: f0 <PKN61/72 ready> s:PKN61/72 S:");

        QCoreApplication::postEvent(m_pDrive.get(), new QEvent(PROC_KOLV_HANGUP));
        m_pDrive->Apply({2, 8, 2});
        QCOMPARE(Sent(), "s:Sending s:lost lost");

        QVERIFY(m_pDrive->Connect(m_pPeer->Path()));
        nWaits = 98; // the second wait of the next sequence is cut short
        m_pDrive->Apply({2, 8, 2});
        SetWaitPump(previous);
        QCOMPARE(Sent(), "s:Sending ?:");
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
        const auto finish = qScopeGuard([&] {
            QTRY_COMPARE_WITH_TIMEOUT(nSent.load(), kTalk, 10000); // then all of it arrives
            talker.join();
        });
        qint64 nSentInSequence = 0;
        const WaitPump previous = SetWaitPump([&](CSteadyClock::time_point) {
            QTest::qWait(50);
            nSentInSequence = nSent;
            return true;
        });
        m_pDrive->Apply({2, 8, 2});
        SetWaitPump(previous);
        // The reader's bound and the terminal's buffer: some kilobytes.
        QVERIFY2(nSentInSequence < kTalk / 16, qPrintable(QString::number(nSentInSequence)));
    }

    // Events: f family flag, r/c/i list position recalled, s: status, <reply>.
    void linesAreActedOnInOrder_data()
    {
        QTest::addColumn<bool>("recall");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("events");
        auto row = [](const char* name, bool recall, const QByteArray& bytes,
                      const QString& events) { QTest::newRow(name) << recall << bytes << events; };
        row("upper case", true, "RESOLUTION: 1000\r", "r1 s:RT3180");
        row("line feed before", true, "\nresolution: 2000\r", "r2 s:RT3180");
        // The value is the line without as many characters as the token has,
        // counted from the line's start, so text before the token counts.
        row("from the start", true, "resolution 5000, resolution: 400\r", "r3 s:RT3180");
        row("current from the start", true, "motor current 90, current: 20\r", "c8 s:RT3180");
        row("resolution: last hit", true, "resolution: 400 or 5000\r", "r3 s:RT3180");
        row("idle: first hit", true, "idle current: 70 10\r", "i1 s:RT3180");
        row("idle 0", true, "idle current: 0\r", "i0 s:RT3180");
        row("idle 5 answers, selects nothing", true, "idle current: 5\r", "s:RT3180");
        row("current 100", true, "current: 100\r", "c9 s:RT3180");
        row("current 10", true, "current: 10\r", "c0 s:RT3180");
        row("current: last hit", true, "current: 90 20\r", "c8 s:RT3180");
        row("current: 10 tested first", true, "current: 100 20\r", "c1 s:RT3180");
        row("three in a row", true, "resolution: 5000\rcurrent: 60\ridle current: 70\r",
            "r3 s:RT3180 c5 s:RT3180 i7 s:RT3180");
        row("settings after Apply", false, "resolution: 400\rcurrent: 100\ridle current: 10\r", "");
        row("RT3180", false, " \tRT3180 SPI Interface\n\r", "f1 <RT3180 SPI Interface> s:RT3180");
        row("line feed inside", false, "PKN61\n/72\r", "f0 <PKN61\n/72> s:PKN61/72");
        row("both families", false, "rt3180 or pkn61/72\r",
            "f1 <rt3180 or pkn61/72> s:RT3180 f0 <rt3180 or pkn61/72> s:PKN61/72");
        // The acknowledgement shows the text held before the line's own family.
        row("accepted, then family", false, "PKN61\rI:8 accepted by RT3180\r",
            "f0 <PKN61> s:PKN61/72 s:PKN61/72 f1 <I:8 accepted by RT3180> s:RT3180");
        row("family later", true, "current: 20\rPKN61/72\r",
            "c1 s:RT3180 f0 <PKN61/72> s:PKN61/72");
        row("acknowledgement", false, "R:4 ACCEPTED\r", "s:RT3180");
        row("bytes outside ASCII", false, QByteArray("RT3180 \xB0\0x\r", 11),
            "f1 <" + QString::fromLatin1("RT3180 \xB0\0x", 10) + "> s:RT3180");
        row("unknown line", true, "hello drive\r", "");
        row("empty line", true, "\r", "");
        row("no carriage return yet", true, "resolution: 5000", "");
    }
    void linesAreActedOnInOrder()
    {
        QFETCH(bool, recall);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, events);
        m_pDrive->Disconnect();
        if (recall)
            m_pDrive->Recall(); // not connected: recall mode on, nothing sent
        m_pDrive->SetReplyTimer(3500);
        m_pDrive->OnReceiveBytes(bytes);
        QCOMPARE(m_log.join(' '), events);
        // Every line acted on refreshes the status and counts as an answer.
        QCOMPARE(!m_pDrive->IsReplyTimerPending(), events.contains("s:"));
        QCOMPARE(m_pDrive->ReceivedLine(),
                 QString::fromLatin1(bytes.mid(bytes.lastIndexOf('\r') + 1)));
    }

    // A device that never ends its line costs bounded memory, and the next
    // reply still counts.
    void endlessLineIsBoundedAndTheNextReplyCounts()
    {
        m_pDrive->OnReceiveBytes(QByteArray(100'000, 'x'));
        QVERIFY(m_pDrive->ReceivedLine().size() <= 8192);
        m_pDrive->OnReceiveBytes("\rPKN61/72\r");
        QCOMPARE(m_log.join(' '), "f0 <PKN61/72> s:PKN61/72");
    }

private:
    // What the drive has received and not yet been looked at.
    QByteArray Drain() { return m_pPeer->Receive(64, 50); }
    // What the drive received and what the link reported since the last
    // look, without the pauses.
    QString Sent()
    {
        QStringList seen;
        for (const QString& str : std::exchange(m_log, {}))
            seen << (str[0].isDigit() ? str.split(' ')[1] : str);
        seen << QString::fromLatin1(Drain());
        return seen.join(' ').remove("- ").trimmed();
    }

    void Record(unsigned nMilliseconds)
    {
        if (m_bRxLit || m_bWorking)
            return; // the pulse of a received byte, not a command's pause
        // Once the lamp is out again, the command is on its way.
        const QByteArray sent = m_bTxLit ? m_pPeer->Receive(64, 0) : m_pPeer->Receive(1, 1000);
        const int nTimeout = m_pDrive->IsReplyTimerPending() ? m_pDrive->ReplyTimerInterval() : 0;
        m_log << QStringLiteral("%1%2 %3 %4")
                     .arg(nMilliseconds)
                     .arg(m_bTxLit ? "*" : "")
                     .arg(sent.isEmpty() ? "-" : QString::fromLatin1(sent))
                     .arg(nTimeout);
    }

    std::unique_ptr<CPtyPeer> m_pPeer;
    std::unique_ptr<CDriveProtocol> m_pDrive;
    QStringList m_log; // pauses among what the link reported
    bool m_bTxLit = false, m_bRxLit = false, m_bWorking = false;
    unsigned m_nWork = 0;
};

QTEST_MAIN(TestDriveLink)
#include "tst_sequences.moc"
