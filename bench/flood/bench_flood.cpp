// A device that talks without end, against the real dialog connected to a
// pseudo-terminal: the time the GUI thread spends on each received byte at
// the wire's 960 bytes a second and at the terminal's full speed, the
// program's memory while the flood lasts, whether a reply in the midst of it
// is still recognised, and how long Exit then takes. Prints a Markdown table.
// Run it under Xvfb (QT_QPA_PLATFORM=xcb) for painted lamps; offscreen else.

#include "BenchSupport.h"
#include "SerialPeer.h"
#include "core/dialog/RT3180Dlg.h"
#include "core/dialog/Resource.h"
#include "posix/SettingsPortStore.h"
#include "qt/app/DialogWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace
{
using Clock = std::chrono::steady_clock;

constexpr int kWireSeconds = 10;
constexpr int kFloodSeconds = 30;
constexpr int kReplyAtSecond = 25;
constexpr double kWireBytesPerSecond = 960.0;

// Times the GUI thread's handling of every chunk of received bytes.
class CTimingApp : public QApplication
{
public:
    using QApplication::QApplication;

    std::atomic<qint64> m_nBytes{0};
    std::atomic<qint64> m_nHandlingNs{0};

    bool notify(QObject* pReceiver, QEvent* pEvent) override
    {
        if (pEvent->type() != CReceivedEvent::EventType())
            return QApplication::notify(pReceiver, pEvent);
        const auto nBytes =
            static_cast<qint64>(static_cast<CReceivedEvent*>(pEvent)->Bytes().size());
        const Clock::time_point start = Clock::now();
        const bool bHandled = QApplication::notify(pReceiver, pEvent);
        m_nHandlingNs += std::chrono::nanoseconds(Clock::now() - start).count();
        m_nBytes += nBytes;
        return bHandled;
    }
};

qint64 ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void Row(const char* pMeasure, const QString& strValue)
{
    std::printf("| %s | %s |\n", pMeasure, qPrintable(strValue));
}

double Seconds(Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

// The connect's pauses pass at once; then the real clock with the window's
// pump, as the program has it.
class CConnectFastClock : public IClock
{
public:
    CSteadyClock::time_point Now() override { return m_bReal ? m_pump.Now() : m_now; }
    void SleepUntil(CSteadyClock::time_point deadline) override
    {
        m_bReal ? m_pump.SleepUntil(deadline) : void(m_now = std::max(m_now, deadline));
    }
    bool WaitUntil(CSteadyClock::time_point deadline) override
    {
        return m_bReal ? m_pump.WaitUntil(deadline) : (SleepUntil(deadline), true);
    }

    bool m_bReal = false;

private:
    CPreciseClock m_precise;
    CPumpClock m_pump{m_precise};
    CSteadyClock::time_point m_now = CSteadyClock::now();
};

// The window with its boxes answered at once, telling when the reply line
// shows the family's answer.
class CFloodWindow : public CDialogWindow
{
public:
    using CDialogWindow::CDialogWindow;
    void MessageBox(const CMessageBoxCall&) override {}
    void SetDlgItemText(int nID, const std::string& strText) override
    {
        if (nID == IDC_REPLY && strText == "PKN61/72" && m_replyAt == Clock::time_point{})
            m_replyAt = Clock::now();
        CDialogWindow::SetDlgItemText(nID, strText);
    }

    Clock::time_point m_replyAt{};
};
} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    CTimingApp app(argc, argv);

    CPtyPeer peer;
    CConnectFastClock clock;
    CFloodWindow dlg(&clock);
    dlg.Create();
    dlg.show();
    if (!peer.IsValid() || !CSettingsPortStore().Save(peer.Path().toStdString())) {
        std::fprintf(stderr, "cannot open a pseudo-terminal\n");
        return 1;
    }
    dlg.Dlg().OnConnect();
    clock.m_bReal = true;
    if (!dlg.IsConnected()) {
        std::fprintf(stderr, "cannot connect\n");
        return 1;
    }
    peer.Receive(4, 500); // the connect's query and settings request

    // The wire's rate: one byte every 1.04 ms, never a line end.
    std::atomic<bool> bFlooding{true};
    std::atomic<qint64> nFloodSent{0};
    qint64 nRssBefore = 0, nRssAt20 = 0, nRssAt30 = 0;
    qint64 nWireBytes = 0, nWireNs = 0, nFloodBytes = 0, nFloodNs = 0;
    Clock::time_point replySent{}, exitAsked{};
    std::thread peerThread([&] {
        const Clock::time_point wireStart = Clock::now();
        for (int i = 0; i < int(kWireSeconds * kWireBytesPerSecond); ++i) {
            std::this_thread::sleep_until(
                wireStart + std::chrono::microseconds(qint64(i * 1e6 / kWireBytesPerSecond)));
            peer.Send("U");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        std::fprintf(stderr, "wire rate done\n");
        QMetaObject::invokeMethod(
            &app,
            [&] {
                nWireBytes = app.m_nBytes.exchange(0);
                nWireNs = app.m_nHandlingNs.exchange(0);
                nRssBefore = ResidentKiB();
            },
            Qt::BlockingQueuedConnection);

        // Full speed: as fast as the terminal takes it, a reply in the midst.
        const QByteArray noise(4096, 'U');
        const Clock::time_point floodStart = Clock::now();
        bool bReplied = false;
        while (Clock::now() - floodStart < std::chrono::seconds(kFloodSeconds)) {
            if (!bReplied && Clock::now() - floodStart >= std::chrono::seconds(kReplyAtSecond)) {
                replySent = Clock::now();
                peer.Send("\rPKN61/72\r");
                bReplied = true;
            }
            if (nRssAt20 == 0 && Clock::now() - floodStart >= std::chrono::seconds(20))
                QMetaObject::invokeMethod(&app, [&] { nRssAt20 = ResidentKiB(); });
            peer.Send(noise);
            nFloodSent += noise.size();
        }
        QMetaObject::invokeMethod(
            &app,
            [&] {
                nRssAt30 = ResidentKiB();
                nFloodBytes = app.m_nBytes.load();
                nFloodNs = app.m_nHandlingNs.load();
            },
            Qt::BlockingQueuedConnection);
        std::fprintf(stderr, "flood done\n");
        // Exit while the flood goes on, as a click on it.
        exitAsked = Clock::now();
        QMetaObject::invokeMethod(static_cast<QAbstractButton*>(dlg.GetDlgItem(IDCANCEL)),
                                  &QAbstractButton::click, Qt::QueuedConnection);
        while (bFlooding && peer.Send(noise)) {
        }
    });
    dlg.exec();
    const Clock::time_point exitDone = Clock::now();
    // The port is closed: what the peer still writes is read here, so that
    // its thread sees the end.
    bFlooding = false;
    const int nSlave = peer.OwnSlave();
    std::atomic<bool> bPeerDone{false};
    std::thread drain([&] {
        char buffer[4096];
        pollfd fd{nSlave, POLLIN, 0};
        while (!bPeerDone) {
            if (poll(&fd, 1, 10) > 0 && read(nSlave, buffer, sizeof buffer) <= 0)
                break;
        }
    });
    peerThread.join();
    bPeerDone = true;
    drain.join();

    std::printf("A talking device against the window (%s); %s; load average %s\n\n",
                qgetenv("QT_QPA_PLATFORM").constData(), qPrintable(MachineText()),
                qPrintable(LoadAverage()));
    std::printf("| Measure | Value |\n|---|---|\n");
    Row("Wire rate (960 bytes/s, 10 s): bytes handled",
        QString::number(nWireBytes) + QStringLiteral(" of ") +
            QString::number(int(kWireSeconds * kWireBytesPerSecond)));
    Row("Wire rate: GUI thread time per received byte",
        QStringLiteral("%1 ms").arg(nWireBytes ? nWireNs / 1e6 / double(nWireBytes) : 0.0, 0, 'f',
                                    3));
    Row("Full speed (30 s): bytes handled per second",
        QString::number(qint64(double(nFloodBytes) / kFloodSeconds)));
    Row("Full speed: GUI thread time per received byte",
        QStringLiteral("%1 ms").arg(nFloodBytes ? nFloodNs / 1e6 / double(nFloodBytes) : 0.0, 0,
                                    'f', 4));
    Row("Resident memory before the flood",
        QStringLiteral("%1 MiB").arg(nRssBefore / 1024.0, 0, 'f', 1));
    Row("Growth after 20 s of flood",
        QStringLiteral("%1 MiB").arg((nRssAt20 - nRssBefore) / 1024.0, 0, 'f', 1));
    Row("Growth after 30 s of flood",
        QStringLiteral("%1 MiB").arg((nRssAt30 - nRssBefore) / 1024.0, 0, 'f', 1));
    Row("Reply line sent in the flood, recognised after",
        dlg.m_replyAt == Clock::time_point{}
            ? QStringLiteral("never")
            : QStringLiteral("%1 ms").arg(Seconds(dlg.m_replyAt - replySent) * 1000, 0, 'f', 1));
    Row("Exit clicked during the flood, dialog closed after",
        QStringLiteral("%1 ms").arg(Seconds(exitDone - exitAsked) * 1000, 0, 'f', 1));
    return 0;
}
