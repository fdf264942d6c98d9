// Shows the main dialog, lights the TX lamp and then blocks the GUI thread
// for a second, as the command sequences do. Just before blocking it prints
// "LIT tx ty UNLIT rx ry": the screen positions of the lit TX and the unlit
// RX lamp (top left of the 15 x 15 picture). After the pause: "AWAKE".

#include "app/RT3180Dlg.h"
#include "controls/LedIndicator.h"
#include "platform/Clock.h"
#include "ui/Resource.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <cstdio>

namespace
{
QPoint LampOnScreen(const CLedIndicator* pLed)
{
    return pLed->mapToGlobal(QPoint(1, (pLed->height() + 1) / 2 - 7));
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CRT3180Dlg dlg;
    dlg.Create();
    dlg.move(10, 10);
    dlg.show();

    QElapsedTimer waited;
    waited.start();
    while (!(dlg.windowHandle() && dlg.windowHandle()->isExposed())) {
        if (waited.elapsed() > 20000)
            return 2;
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    QApplication::processEvents();

    auto* pTx = static_cast<CLedIndicator*>(dlg.GetDlgItem(IDC_TX_LED));
    auto* pRx = static_cast<CLedIndicator*>(dlg.GetDlgItem(IDC_RX_LED));
    pTx->SetLedState(1);
    const QPoint tx = LampOnScreen(pTx), rx = LampOnScreen(pRx);
    std::printf("LIT %d %d UNLIT %d %d\n", tx.x(), tx.y(), rx.x(), rx.y());
    std::fflush(stdout);
    Sleep(1000);
    std::printf("AWAKE\n");
    std::fflush(stdout);
    return 0;
}
