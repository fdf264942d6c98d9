// The three setting lists as the drive and the settings file rely on them:
// texts, item codes, defaults, the two families and who may enable Apply.

#include "DialogSupport.h"
#include "SerialPeer.h"
#include "app/RT3180Dlg.h"
#include "settings/SettingLists.h"
#include "ui/Resource.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace
{

struct CExpectedEntry {
    QString strText;
    int nCode;
};
using CExpectedList = QList<CExpectedEntry>;

const CExpectedList kResolution = {{"400", 4}, {"1000", 1}, {"2000", 2}, {"5000", 5}};
const CExpectedList kPercent = {{"10", 1}, {"20", 2}, {"30", 3}, {"40", 4}, {"50", 5},
                                {"60", 6}, {"70", 7}, {"80", 8}, {"90", 9}, {"100", 0}};
const CExpectedList kAmpere = {{"0.4", 1}, {"0.8", 2}, {"1.2", 3}, {"1.6", 4}, {"2.0", 5},
                               {"2.4", 6}, {"2.8", 7}, {"3.2", 8}, {"3.6", 9}, {"4", 0}};
const CExpectedList kIdle = {{"0", 0},  {"10", 1}, {"20", 2}, {"30", 3},
                             {"40", 4}, {"50", 5}, {"60", 6}, {"70", 7}};

void VerifyList(const QComboBox& list, const CExpectedList& expected, int nSelected)
{
    QCOMPARE(list.count(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(list.itemText(i), expected[i].strText);
        QCOMPARE(list.itemData(i).toInt(), expected[i].nCode);
    }
    QCOMPARE(list.currentIndex(), nSelected);
}

QString UnitText(const CRT3180Dlg& dlg)
{
    return static_cast<QLabel*>(dlg.GetDlgItem(IDC_CURRENT_UNIT))->text();
}

} // namespace

class TestSettingLists : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_pHome = std::make_unique<CTempConfigHome>();
        m_pDlg = std::make_unique<CRT3180Dlg>();
        m_pDlg->Create();
    }
    void cleanup()
    {
        m_pDlg.reset();
        m_pHome.reset();
    }

    void listsStartWithTheirTextsCodesAndDefaults()
    {
        VerifyList(*List(*m_pDlg, IDC_RESOLUTION), kResolution, 2);
        VerifyList(*List(*m_pDlg, IDC_CURRENT), kPercent, 7);
        VerifyList(*List(*m_pDlg, IDC_IDLE), kIdle, 2);
        QCOMPARE(UnitText(*m_pDlg), QStringLiteral("%"));
        QCOMPARE(static_cast<QLabel*>(m_pDlg->GetDlgItem(IDC_IDLE_UNIT))->text(),
                 QStringLiteral("%"));
    }

    void driveFamilySwitchesOnlyTheCurrentList()
    {
        List(*m_pDlg, IDC_RESOLUTION)->setCurrentIndex(0);
        List(*m_pDlg, IDC_IDLE)->setCurrentIndex(5);

        m_pDlg->SetDriveFamily(1);
        VerifyList(*List(*m_pDlg, IDC_CURRENT), kAmpere, 7);
        QCOMPARE(UnitText(*m_pDlg), QStringLiteral("A"));

        // The same family again still resets the user's choice.
        List(*m_pDlg, IDC_CURRENT)->setCurrentIndex(2);
        m_pDlg->SetDriveFamily(1);
        VerifyList(*List(*m_pDlg, IDC_CURRENT), kAmpere, 7);

        m_pDlg->SetDriveFamily(0);
        VerifyList(*List(*m_pDlg, IDC_CURRENT), kPercent, 7);
        QCOMPARE(UnitText(*m_pDlg), QStringLiteral("%"));

        QCOMPARE(List(*m_pDlg, IDC_RESOLUTION)->currentIndex(), 0);
        QCOMPARE(List(*m_pDlg, IDC_IDLE)->currentIndex(), 5);
    }

    void defaultsKeepTheFamilyAndEnableApplyOnlyWhileConnected()
    {
        auto* pApply = m_pDlg->GetDlgItem(IDC_APPLY);
        auto* pDefaults = static_cast<QPushButton*>(m_pDlg->GetDlgItem(IDC_DEFAULTS));
        m_pDlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pDlg.get()));

        m_pDlg->SetDriveFamily(1);
        List(*m_pDlg, IDC_RESOLUTION)->setCurrentIndex(3);
        List(*m_pDlg, IDC_CURRENT)->setCurrentIndex(0);
        List(*m_pDlg, IDC_IDLE)->setCurrentIndex(7);
        pDefaults->setFocus();
        pDefaults->click();
        QCOMPARE(List(*m_pDlg, IDC_RESOLUTION)->currentText(), QStringLiteral("2000"));
        QCOMPARE(List(*m_pDlg, IDC_CURRENT)->currentText(), QStringLiteral("3.2"));
        QCOMPARE(List(*m_pDlg, IDC_IDLE)->currentText(), QStringLiteral("20"));
        QCOMPARE(UnitText(*m_pDlg), QStringLiteral("A"));
        QVERIFY(!pApply->isEnabled());

        QVERIFY(ConnectTo(*m_pDlg, m_peer.Path()));
        pDefaults->click();
        QVERIFY(pApply->isEnabled());
        QCOMPARE(m_pDlg->focusWidget(), pDefaults); // Defaults does not move the focus
    }

    void onlyTheUsersOwnChoiceEnablesApply()
    {
        auto* pApply = m_pDlg->GetDlgItem(IDC_APPLY);
        m_pDlg->ShowSettings(true);
        m_pDlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pDlg.get()));

        // Not connected: a choice changes the list but not Apply.
        List(*m_pDlg, IDC_IDLE)->setFocus();
        QTest::keyClick(List(*m_pDlg, IDC_IDLE), Qt::Key_Down);
        QCOMPARE(List(*m_pDlg, IDC_IDLE)->currentIndex(), 3);
        QVERIFY(!pApply->isEnabled());
        QCOMPARE(m_pDlg->focusWidget(), List(*m_pDlg, IDC_IDLE));

        // Selections made by the program are no choice of the user's.
        QVERIFY(ConnectTo(*m_pDlg, m_peer.Path()));
        m_pDlg->SetDriveFamily(1);
        List(*m_pDlg, IDC_RESOLUTION)->setCurrentIndex(1);
        QVERIFY(!pApply->isEnabled());

        // Connected: each list's choice enables Apply and gives it the focus;
        // a wheel over a list without the focus is no choice.
        auto wheel = [](QComboBox* pList) {
            const QPointF at(pList->rect().center());
            QWheelEvent event(at, pList->mapToGlobal(at), {}, {0, -120}, Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(pList, &event);
        };
        for (QComboBox* pList :
             {List(*m_pDlg, IDC_RESOLUTION), List(*m_pDlg, IDC_CURRENT), List(*m_pDlg, IDC_IDLE)}) {
            pApply->setEnabled(false);
            m_pDlg->GetDlgItem(IDC_DEFAULTS)->setFocus();
            const int nBefore = pList->currentIndex();
            wheel(pList);
            QCOMPARE(pList->currentIndex(), nBefore);
            QVERIFY(!pApply->isEnabled());
            pList->setFocus();
            wheel(pList);
            QVERIFY(pApply->isEnabled());
            QCOMPARE(m_pDlg->focusWidget(), pApply);
        }
    }

private:
    std::unique_ptr<CTempConfigHome> m_pHome;
    CPtyPeer m_peer;
    std::unique_ptr<CRT3180Dlg> m_pDlg;
};

QTEST_MAIN(TestSettingLists)
#include "tst_settinglists.moc"
