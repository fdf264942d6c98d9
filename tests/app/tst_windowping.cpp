// While Apply waits, the window still answers the window manager: a
// _NET_WM_PING sent to it on an Xvfb screen comes back before Apply ends.

#include "SerialPeer.h"
#include "TestSupport.h"

#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace
{

xcb_atom_t Atom(xcb_connection_t* pConnection, const char* pszName)
{
    xcb_intern_atom_reply_t* pReply = xcb_intern_atom_reply(
        pConnection, xcb_intern_atom(pConnection, 0, std::strlen(pszName), pszName), nullptr);
    const xcb_atom_t atom = pReply ? pReply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(pReply);
    return atom;
}

} // namespace

class TestWindowPing : public QObject
{
    Q_OBJECT

private slots:
    void pingAnsweredDuringApply();
    void stopSignalsCloseLikeExit_data();
    void stopSignalsCloseLikeExit();
};

void TestWindowPing::pingAnsweredDuringApply()
{
    const QString strXvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (strXvfb.isEmpty())
        QSKIP("Xvfb is not installed");
    QProcess xvfb;
    xvfb.start(strXvfb, {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
    const auto stopXvfb = qScopeGuard([&xvfb] {
        xvfb.terminate();
        xvfb.waitForFinished(5000);
    });
    const QByteArray display = ":" + ReadLine(xvfb).trimmed();
    QVERIFY(display.size() > 1);

    QTemporaryDir config;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    QProcess helper;
    helper.setProcessEnvironment(env);
    helper.start(QCoreApplication::applicationDirPath() + "/helper_pingable");
    const auto stopHelper = qScopeGuard([&helper] {
        helper.kill();
        helper.waitForFinished(5000);
    });
    const QByteArray line = ReadLine(helper);
    unsigned long long nWindow = 0;
    QVERIFY2(std::sscanf(line.constData(), "WINDOW %llu", &nWindow) == 1,
             (line + helper.readAllStandardError()).constData());

    xcb_connection_t* pConnection = xcb_connect(display.constData(), nullptr);
    const auto disconnect = qScopeGuard([pConnection] { xcb_disconnect(pConnection); });
    QVERIFY(!xcb_connection_has_error(pConnection));
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(pConnection)).data->root;
    // The answer is sent to the root window, as to a window manager.
    const uint32_t nMask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(pConnection, root, XCB_CW_EVENT_MASK, &nMask);
    const xcb_atom_t protocols = Atom(pConnection, "WM_PROTOCOLS");
    const xcb_atom_t ping = Atom(pConnection, "_NET_WM_PING");

    xcb_client_message_event_t message = {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(nWindow);
    message.type = protocols;
    message.data.data32[0] = ping;
    message.data.data32[1] = XCB_CURRENT_TIME;
    message.data.data32[2] = xcb_window_t(nWindow);
    const auto tpSent = std::chrono::steady_clock::now();
    xcb_send_event(pConnection, 0, xcb_window_t(nWindow), XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(pConnection);

    bool bAnswered = false;
    while (!bAnswered && std::chrono::steady_clock::now() - tpSent < std::chrono::seconds(20)) {
        xcb_generic_event_t* pEvent = xcb_poll_for_event(pConnection);
        if (!pEvent) {
            QTest::qSleep(1);
            continue;
        }
        if ((pEvent->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
            const auto* pAnswer = reinterpret_cast<xcb_client_message_event_t*>(pEvent);
            bAnswered = pAnswer->type == protocols && pAnswer->data.data32[0] == ping &&
                        pAnswer->data.data32[2] == xcb_window_t(nWindow);
        }
        std::free(pEvent);
    }
    QVERIFY2(bAnswered, "the ping was never answered");
    const auto waited = std::chrono::steady_clock::now() - tpSent;
    helper.waitForReadyRead(0);
    QVERIFY2(!helper.readAllStandardOutput().contains("DONE"), "answered only after Apply");
    qInfo("ping answered after %.1f ms", std::chrono::duration<double, std::milli>(waited).count());
    QVERIFY(helper.waitForFinished(30000));
}

// SIGTERM, SIGINT and SIGHUP end the program as Exit does, at once: the
// terminal left as it was found, and Apply stopped before its next command.
void TestWindowPing::stopSignalsCloseLikeExit_data()
{
    QTest::addColumn<int>("nSignal");
    QTest::addColumn<QString>("strMode");
    QTest::newRow("SIGTERM connected") << SIGTERM << "idle";
    QTest::newRow("SIGINT connected") << SIGINT << "idle";
    QTest::newRow("SIGHUP in Apply") << SIGHUP << "apply";
}

void TestWindowPing::stopSignalsCloseLikeExit()
{
    QFETCH(int, nSignal);
    QFETCH(QString, strMode);
    QTemporaryDir config;
    CPtyPeer peer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    QProcess helper;
    helper.setProcessEnvironment(env);
    helper.start(QCoreApplication::applicationDirPath() + "/helper_pingable",
                 {strMode, peer.Path()});
    const auto stopHelper = qScopeGuard([&helper] {
        helper.kill();
        helper.waitForFinished(5000);
    });
    const QByteArray line = ReadLine(helper);
    QVERIFY2(line.startsWith(strMode == "idle" ? "CONNECTED" : "WINDOW"),
             (line + helper.readAllStandardError()).constData());

    QCOMPARE(kill(pid_t(helper.processId()), nSignal), 0);
    QVERIFY(helper.waitForFinished(1000));
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    QCOMPARE(helper.exitCode(), 0);
    // Connect's query and settings, then at most Apply's first command.
    const QByteArray received = peer.Receive(64, 100);
    QVERIFY2(received.startsWith("?:S:") && received.size() <= (strMode == "idle" ? 4 : 6),
             received.constData());
    const int nFd = open(QFile::encodeName(peer.Path()), O_RDWR | O_NOCTTY | O_NONBLOCK);
    int nExclusive = 1; // one we may not open is still exclusive
    if (nFd >= 0) {
        ioctl(nFd, TIOCGEXCL, &nExclusive);
        close(nFd);
    }
    QCOMPARE(nExclusive, 0);
}

QTEST_MAIN(TestWindowPing)
#include "tst_windowping.moc"
