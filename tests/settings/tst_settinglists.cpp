// The three setting lists as the drive and the settings file rely on them:
// texts, item codes, defaults, the two families and who may enable Apply.

#include "TestSupport.h"
#include "app/RT3180Dlg.h"
#include "app/Resource.h"
#include "settings/SettingLists.h"

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
        VerifyList(*m_pDlg->m_cbResolution, kResolution, 2);
        VerifyList(*m_pDlg->m_cbCurrent, kPercent, 7);
        VerifyList(*m_pDlg->m_cbIdle, kIdle, 2);
        QCOMPARE(UnitText(*m_pDlg), QStringLiteral("%"));
        QCOMPARE(static_cast<QLabel*>(m_pDlg->GetDlgItem(IDC_IDLE_UNIT))->text(),
                 QStringLiteral("%"));
    }

    void driveFamilySwitchesOnlyTheCurrentList()
    {
        m_pDlg->m_cbResolution->setCurrentIndex(0);
        m_pDlg->m_cbIdle->setCurrentIndex(5);

        m_pDlg->SetDriveFamily(1);
        VerifyList(*m_pDlg->m_cbCurrent, kAmpere, 7);
        QCOMPARE(UnitText(*m_pDlg), QStringLiteral("A"));
        QCOMPARE(GetSelectedCode(*m_pDlg->m_cbCurrent), 8);

        // The same family again still resets the user's choice.
        m_pDlg->m_cbCurrent->setCurrentIndex(2);
        m_pDlg->SetDriveFamily(1);
        VerifyList(*m_pDlg->m_cbCurrent, kAmpere, 7);

        m_pDlg->SetDriveFamily(0);
        VerifyList(*m_pDlg->m_cbCurrent, kPercent, 7);
        QCOMPARE(UnitText(*m_pDlg), QStringLiteral("%"));

        QCOMPARE(m_pDlg->m_cbResolution->currentIndex(), 0);
        QCOMPARE(m_pDlg->m_cbIdle->currentIndex(), 5);
    }

    void defaultsKeepTheFamilyAndEnableApplyOnlyWhileConnected()
    {
        auto* pApply = m_pDlg->GetDlgItem(IDC_APPLY);
        auto* pDefaults = static_cast<QPushButton*>(m_pDlg->GetDlgItem(IDC_DEFAULTS));
        m_pDlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pDlg.get()));

        m_pDlg->SetDriveFamily(1);
        m_pDlg->m_cbResolution->setCurrentIndex(3);
        m_pDlg->m_cbCurrent->setCurrentIndex(0);
        m_pDlg->m_cbIdle->setCurrentIndex(7);
        pDefaults->setFocus();
        pDefaults->click();
        QCOMPARE(m_pDlg->m_cbResolution->currentText(), QStringLiteral("2000"));
        QCOMPARE(m_pDlg->m_cbCurrent->currentText(), QStringLiteral("3.2"));
        QCOMPARE(m_pDlg->m_cbIdle->currentText(), QStringLiteral("20"));
        QCOMPARE(UnitText(*m_pDlg), QStringLiteral("A"));
        QVERIFY(!pApply->isEnabled());

        m_pDlg->m_bConnected = true;
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
        m_pDlg->m_cbIdle->setFocus();
        QTest::keyClick(m_pDlg->m_cbIdle, Qt::Key_Down);
        QCOMPARE(m_pDlg->m_cbIdle->currentIndex(), 3);
        QVERIFY(!pApply->isEnabled());
        QCOMPARE(m_pDlg->focusWidget(), m_pDlg->m_cbIdle);

        // Selections made by the program are no choice of the user's.
        m_pDlg->m_bConnected = true;
        m_pDlg->SetDriveFamily(1);
        m_pDlg->m_cbResolution->setCurrentIndex(1);
        QVERIFY(!pApply->isEnabled());

        // Connected: each list's choice enables Apply and gives it the focus.
        for (QComboBox* pList : {m_pDlg->m_cbResolution, m_pDlg->m_cbCurrent, m_pDlg->m_cbIdle}) {
            pApply->setEnabled(false);
            pList->setFocus();
            QTest::keyClick(pList, Qt::Key_Up);
            QVERIFY(pApply->isEnabled());
            QCOMPARE(m_pDlg->focusWidget(), pApply);
        }
    }

    void selectionsOutsideTheListLeaveNoneAndGiveNoCode()
    {
        SetCurSel(*m_pDlg->m_cbIdle, 8);
        QCOMPARE(m_pDlg->m_cbIdle->currentIndex(), -1);
        QCOMPARE(GetSelectedCode(*m_pDlg->m_cbIdle), -1);
        SetCurSel(*m_pDlg->m_cbIdle, -1);
        QCOMPARE(m_pDlg->m_cbIdle->currentIndex(), -1);
        SetCurSel(*m_pDlg->m_cbIdle, 0);
        QCOMPARE(GetSelectedCode(*m_pDlg->m_cbIdle), 0);
    }

private:
    std::unique_ptr<CTempConfigHome> m_pHome;
    std::unique_ptr<CRT3180Dlg> m_pDlg;
};

QTEST_MAIN(TestSettingLists)
#include "tst_settinglists.moc"
