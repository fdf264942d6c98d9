// The real dialog against the simulated adapter over a pseudo-terminal, on
// the real clock: what reaches the drive, with its pacing (within a
// tolerance), and what the dialog makes of the answers.

#include "DialogSupport.h"
#include "TestSupport.h"
#include "app/RT3180Dlg.h"
#include "port/StoredPort.h"
#include "ui/Resource.h"

#include <QComboBox>
#include <QtTest>

using namespace std::chrono;
using namespace std::chrono_literals;

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
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
        const CTempConfigHome home;
        const CMessageBoxRecorder boxes;
        CAdapterSim sim(
            {.eFamily = rt3180 ? EDriveFamily::RT3180 : EDriveFamily::PKN61, .bCrLf = crlf});
        QVERIFY2(sim.Start(), sim.ErrorText().c_str());
        QVERIFY(SaveStoredPort(QString::fromStdString(sim.SlavePath())));
        CRT3180Dlg dlg;
        dlg.Create();
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QString strFamily = rt3180 ? "RT3180" : "PKN61/72";
        const QString strAccepted = strFamily + " SPI Interface commands accepted!";
        // Away from what the drive holds, so the recall must move them.
        List(dlg, IDC_RESOLUTION)->setCurrentIndex(0);
        List(dlg, IDC_IDLE)->setCurrentIndex(5);

        const auto tpClick = steady_clock::now();
        ClickDlgItem(dlg, IDC_CONNECT);
        // Once the drive has taken both: each command is written after its
        // pauses (50 ms before "?:", 50 + 50 more before "S:"); the drive
        // reads it then, or later on a busy machine, never earlier.
        QVERIFY(sim.WaitForEntries(CSimLogEntry::EKind::Command, 2, 5000ms));
        const auto commands = SimCommands(sim);
        QVERIFY(commands.size() == 2 && commands[0].strText == "?:" && commands[1].strText == "S:");
        for (auto [nCommand, after] : {std::pair{0, 50ms}, {1, 150ms}}) {
            const auto read = duration_cast<milliseconds>(commands[nCommand].tpTime - tpClick);
            QVERIFY2(read >= after && read < after + 1000ms,
                     qPrintable(QString::number(read.count())));
        }
        QTRY_COMPARE(DlgItemText(dlg, IDC_STATUS), strAccepted);
        QTRY_COMPARE(List(dlg, IDC_IDLE)->currentText(), QStringLiteral("20"));
        QCOMPARE(List(dlg, IDC_RESOLUTION)->currentText(), QStringLiteral("2000"));
        QCOMPARE(List(dlg, IDC_CURRENT)->currentText(), QString(rt3180 ? "3.2" : "80"));
        QCOMPARE(DlgItemText(dlg, IDC_CURRENT_UNIT), QString(rt3180 ? "A" : "%"));
        QCOMPARE(DlgItemText(dlg, IDC_REPLY), strFamily + " stepper drive, SPI link ready");
        QVERIFY(!dlg.GetDlgItem(IDC_APPLY)->isEnabled());
        QVERIFY(boxes.Calls().isEmpty());
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
