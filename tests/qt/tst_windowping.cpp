// The program's application object with its window, in a process of its own:
// while Apply waits it still answers the window manager (a _NET_WM_PING on an
// Xvfb screen comes back before Apply ends), and the stop signals end it as
// Exit does.

#include "QtSupport.h"
#include "SimSupport.h"

#include <QtTest>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <xcb/xcb.h>

class TestWindowPing : public QObject
{
    Q_OBJECT

private slots:
    void pingAnsweredDuringApply()
    {
        const QString strXvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (strXvfb.isEmpty())
            QSKIP("Xvfb is not installed");
        m_xvfb.start(strXvfb,
                     {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        const QByteArray display = ":" + ReadLine(m_xvfb).trimmed();
        CAdapterSim sim;
        QVERIFY(sim.Start());
        const QByteArray line = Start(display, {"apply", QString::fromStdString(sim.SlavePath())});
        unsigned long long nWindow = 0;
        QVERIFY2(std::sscanf(line.constData(), "WINDOW %llu", &nWindow) == 1, line.constData());

        xcb_connection_t* pConnection = xcb_connect(display.constData(), nullptr);
        const auto disconnect = qScopeGuard([pConnection] { xcb_disconnect(pConnection); });
        auto atom = [pConnection](const char* pszName) {
            auto* pReply = xcb_intern_atom_reply(
                pConnection, xcb_intern_atom(pConnection, 0, std::strlen(pszName), pszName), {});
            const xcb_atom_t atom = pReply ? pReply->atom : 0;
            std::free(pReply);
            return atom;
        };
        // The answer is sent to the root window, as to a window manager.
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(pConnection)).data->root;
        const uint32_t nMask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(pConnection, root, XCB_CW_EVENT_MASK, &nMask);
        xcb_client_message_event_t ping{XCB_CLIENT_MESSAGE,   32, 0, xcb_window_t(nWindow),
                                        atom("WM_PROTOCOLS"), {}};
        ping.data.data32[0] = atom("_NET_WM_PING");
        ping.data.data32[2] = ping.window;
        xcb_send_event(pConnection, 0, ping.window, 0, reinterpret_cast<const char*>(&ping));
        xcb_flush(pConnection);
        bool bAnswered = false;
        for (QDeadlineTimer deadline(20000); !bAnswered && !deadline.hasExpired(); QTest::qSleep(1))
            while (xcb_generic_event_t* pEvent = xcb_poll_for_event(pConnection)) {
                const auto* pAnswer = reinterpret_cast<xcb_client_message_event_t*>(pEvent);
                bAnswered |= (pEvent->response_type & 0x7f) == XCB_CLIENT_MESSAGE &&
                             pAnswer->type == ping.type &&
                             std::memcmp(&pAnswer->data, &ping.data, sizeof ping.data) == 0;
                std::free(pEvent);
            }
        QVERIFY2(bAnswered, "the ping was never answered");
        m_helper.waitForReadyRead(0);
        QVERIFY2(!m_helper.readAllStandardOutput().contains("DONE"), "answered only after Apply");
        QVERIFY(m_helper.waitForFinished(30000));
    }

    // SIGTERM, SIGINT and SIGHUP end the program as Exit does, at once: the
    // terminal left as it was found, and Apply stopped before its next command.
    void stopSignalsCloseLikeExit_data()
    {
        QTest::addColumn<int>("nSignal");
        QTest::addColumn<QString>("strMode");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("SIGTERM connected") << SIGTERM << "idle" << QStringList{"--log", "FILE"};
        QTest::newRow("SIGINT connected") << SIGINT << "idle" << QStringList{"--log", "FILE"};
        QTest::newRow("SIGHUP in Apply") << SIGHUP << "apply" << QStringList{};
    }
    void stopSignalsCloseLikeExit()
    {
        QFETCH(int, nSignal);
        QFETCH(QString, strMode);
        QFETCH(QStringList, log); // every byte on the link, timed (the lines' form: tests/cli)
        CAdapterSim sim;
        QVERIFY(sim.Start());
        const QString strDevice = QString::fromStdString(sim.SlavePath());
        const QString strLog = m_home.Path() + "/" + QTest::currentDataTag() + ".log";
        const QByteArray line =
            Start({}, QStringList{strMode, strDevice} + log.replaceInStrings("FILE", strLog));
        QVERIFY2(line.startsWith(strMode == "idle" ? "CONNECTED" : "WINDOW"), line.constData());

        QCOMPARE(kill(pid_t(m_helper.processId()), nSignal), 0);
        QVERIFY(m_helper.waitForFinished(1000) && m_helper.exitStatus() == QProcess::NormalExit);
        QCOMPARE(m_helper.exitCode(), 0);
        // Connect's query and settings, then at most Apply's first command.
        const QString received = SimCommands(sim).join("");
        QVERIFY2(received.startsWith("?:S:") && received.size() <= (strMode == "idle" ? 4 : 6),
                 qPrintable(received));
        int nExclusive = 1;
        const int nFd = open(QFile::encodeName(strDevice), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(ioctl(nFd, TIOCGEXCL, &nExclusive) == 0 && close(nFd) == 0);
        QCOMPARE(nExclusive, 0);
        const QByteArray text = ReadFile(strLog);
        QCOMPARE(text.contains(" TX 3f 3a |?:|\n"), !log.isEmpty());
        QVERIFY(log.isEmpty() || QDateTime::fromString(text.left(23), Qt::ISODateWithMs).isValid());
    }

    void cleanup()
    {
        for (QProcess* pProcess : {&m_helper, &m_xvfb}) { // the X server last
            pProcess->kill();
            pProcess->waitForFinished(5000);
        }
    }

private:
    // helper_pingable, in a configuration folder of the test's own, on the X
    // display given or else on none: its first line, and its errors.
    QByteArray Start(const QString& strDisplay, const QStringList& args)
    {
        qputenv("DISPLAY", strDisplay.toLocal8Bit()); // for the helper: ours is set up
        qputenv("QT_QPA_PLATFORM", strDisplay.isEmpty() ? "offscreen" : "xcb");
        m_helper.start(QCoreApplication::applicationDirPath() + "/helper_pingable", args);
        return ReadLine(m_helper) + m_helper.readAllStandardError();
    }

    CTempConfigHome m_home;
    QProcess m_helper;
    QProcess m_xvfb;
};

QTEST_MAIN(TestWindowPing)
#include "tst_windowping.moc"
