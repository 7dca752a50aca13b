// The editing commands: numbering that is never renumbered, the selection
// each command leaves, the modified flag, and the edit fields left alone.
#include "framework/ListView.h"
#include "res/Resource.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QtTest>

using namespace quorvel::test;

namespace {

QStringList serials(CClickerDlg& dlg)
{
    QStringList out;
    for (int r = 0; r < dlg.m_list.GetItemCount(); ++r)
        out << dlg.m_list.GetItemText(r, 0);
    return out;
}

QStringList xs(CClickerDlg& dlg)
{
    QStringList out;
    for (int r = 0; r < dlg.m_list.GetItemCount(); ++r)
        out << dlg.m_list.GetItemText(r, 2);
    return out;
}

int selected(CClickerDlg& dlg)
{
    int count = 0;
    return dlg.GetSelectedRow(count);
}

// Adds rows through the dialog as a user would, with X = 10, 20, 30...
void addRows(CClickerDlg& dlg, int n)
{
    for (int i = 1; i <= n; ++i) {
        setControlText(dlg, IDC_X, QString::number(10 * i));
        dlg.OnAdd();
    }
}

// Clicks row `row` of the list with the mouse.
void clickRow(CClickerDlg& dlg, int row)
{
    processPostedEvents(); // what the window does between two user actions
    ListView* view = dlg.m_list.GetWidget();
    const QRect cell = view->visualRect(view->model()->index(row, 2));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

const QString kSelectMessage = QStringLiteral("Please select a mouse click from the list to continue.");

} // namespace

class EditCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void addAppendsAndSelects();
    void deletingTheFirstThenAddingRepeatsANumber();
    void updateTakesTheSerialOfTheLastClickedRow();
    void deleteSelectsTheRowThatTakesItsPlace();
    void movesSwapRowsAndKeepNumbers();
    void noChangeLeavesModifiedAlone();
    void commandsNeedingASelectionSayWhenThereIsNone();
    void editFieldsAreLeftAlone();
    void clickingARowLoadsItAndRefreshesTheRepeatCount();
    void keyboardSelectionLoadsNothing();
};

void EditCommandsTest::addAppendsAndSelects()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    setControlText(dlg, IDC_X, QStringLiteral("640"));
    setControlText(dlg, IDC_Y, QStringLiteral("480"));
    setControlText(dlg, IDC_CLICK_TYPE, QStringLiteral("Double Right Click"));
    setControlText(dlg, IDC_DELAY, QStringLiteral("25"));
    dlg.OnAdd();
    QCOMPARE(dlg.m_list.GetItemCount(), 1);
    QCOMPARE(selected(dlg), 0);
    QCOMPARE(dlg.m_list.GetItemText(0, 1), QStringLiteral("Double Right Click"));
    QCOMPARE(dlg.m_list.GetItemText(0, 2), QStringLiteral("640"));
    QCOMPARE(dlg.m_list.GetItemText(0, 3), QStringLiteral("480"));
    QCOMPARE(dlg.m_list.GetItemText(0, 5), QStringLiteral("25"));
    QCOMPARE(dlg.m_modified, 1);
    // Enter in an edit field presses the default button, Add.
    dlg.show();
    QTest::keyClick(dlg.GetDlgItem(IDC_Y), Qt::Key_Return);
    QCOMPARE(dlg.m_list.GetItemCount(), 2);
    QCOMPARE(selected(dlg), 1);
    QVERIFY(f.boxes.shown.empty());
}

void EditCommandsTest::deletingTheFirstThenAddingRepeatsANumber()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, 3);
    dlg.SelectRow(0);
    dlg.OnDelete();
    dlg.OnAdd();
    QCOMPARE(serials(dlg), (QStringList{"2", "3", "3"}));
}

void EditCommandsTest::updateTakesTheSerialOfTheLastClickedRow()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, 1);
    setControlText(dlg, IDC_X, QStringLiteral("99"));
    dlg.OnUpdate(); // nothing was clicked since the start: serial 0
    QCOMPARE(serials(dlg), QStringList{"0"});
    QCOMPARE(xs(dlg), QStringList{"99"});
    QCOMPARE(selected(dlg), 0);

    addRows(dlg, 2); // rows "0", "2", "3"
    dlg.show();
    clickRow(dlg, 1);
    QCOMPARE(dlg.m_editEntry.m_serial, std::uint16_t(2));
    dlg.OnAdd(); // the new row "4" is selected
    QCOMPARE(selected(dlg), 3);
    dlg.OnUpdate();
    QCOMPARE(serials(dlg), (QStringList{"0", "2", "3", "2"}));
    QCOMPARE(selected(dlg), 3);
}

void EditCommandsTest::deleteSelectsTheRowThatTakesItsPlace()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, 4);
    dlg.SelectRow(3);
    dlg.OnDelete(); // the last: the new last row
    QCOMPARE(xs(dlg), (QStringList{"10", "20", "30"}));
    QCOMPARE(selected(dlg), 2);
    dlg.SelectRow(1);
    dlg.OnDelete(); // a middle row: the one that moved up
    QCOMPARE(xs(dlg), (QStringList{"10", "30"}));
    QCOMPARE(selected(dlg), 1);
    QCOMPARE(serials(dlg), (QStringList{"1", "3"}));
    dlg.OnDelete();
    dlg.OnDelete(); // the only row
    QCOMPARE(dlg.m_list.GetItemCount(), 0);
    QCOMPARE(selected(dlg), -1);
    QVERIFY(f.boxes.shown.empty());
}

void EditCommandsTest::movesSwapRowsAndKeepNumbers()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, 2);
    dlg.SelectRow(0);
    dlg.OnMoveDown();
    QCOMPARE(xs(dlg), (QStringList{"20", "10"}));
    QCOMPARE(serials(dlg), (QStringList{"2", "1"}));
    QCOMPARE(selected(dlg), 1);
    dlg.m_modified = 0;
    dlg.OnMoveDown(); // already last: nothing
    QCOMPARE(xs(dlg), (QStringList{"20", "10"}));
    QCOMPARE(dlg.m_modified, 0);
    dlg.OnMoveUp();
    QCOMPARE(xs(dlg), (QStringList{"10", "20"}));
    QCOMPARE(serials(dlg), (QStringList{"1", "2"}));
    QCOMPARE(selected(dlg), 0);
    QCOMPARE(dlg.m_modified, 1);
    QVERIFY(f.boxes.shown.empty());
}

void EditCommandsTest::noChangeLeavesModifiedAlone()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.OnDeleteAll(); // empty list
    QCOMPARE(dlg.m_modified, 0);
    addRows(dlg, 2);
    dlg.m_modified = 0;
    dlg.SelectRow(0);
    dlg.OnMoveUp();
    QCOMPARE(dlg.m_modified, 0);
    dlg.OnDeleteAll();
    QCOMPARE(dlg.m_modified, 1);
    QCOMPARE(dlg.m_list.GetItemCount(), 0);
    QVERIFY(f.boxes.shown.empty());
}

void EditCommandsTest::commandsNeedingASelectionSayWhenThereIsNone()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, 2);
    dlg.m_list.SetItemState(1, 0, LVIS_SELECTED);
    dlg.m_modified = 0;
    setControlText(dlg, IDC_X, QStringLiteral("5"));
    dlg.OnUpdate();
    dlg.OnDelete();
    dlg.OnMoveUp();
    dlg.OnMoveDown();
    QCOMPARE(f.boxes.texts(), QStringList(4, kSelectMessage));
    QCOMPARE(f.boxes.shown[0].type & MB_TYPEMASK, UINT(MB_OK));
    QCOMPARE(xs(dlg), (QStringList{"10", "20"}));
    QCOMPARE(dlg.m_modified, 0);
    QCOMPARE(dlg.m_editEntry.m_x, 20u); // Update transferred nothing
}

void EditCommandsTest::editFieldsAreLeftAlone()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    addRows(dlg, 3);
    setControlText(dlg, IDC_X, QStringLiteral("777"));
    setControlText(dlg, IDC_DELAY, QStringLiteral("not yet"));
    dlg.SelectRow(1);
    dlg.OnMoveUp();
    dlg.OnMoveDown();
    dlg.OnDelete();
    dlg.OnDeleteAll();
    QCOMPARE(dlg.GetDlgItemText(IDC_X), QStringLiteral("777"));
    QCOMPARE(dlg.GetDlgItemText(IDC_DELAY), QStringLiteral("not yet"));
    QCOMPARE(dlg.m_editEntry.m_x, 30u);
    QVERIFY(f.boxes.shown.empty());
}

void EditCommandsTest::clickingARowLoadsItAndRefreshesTheRepeatCount()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(4294967196u, 300, 3, 1, 4321));
    dlg.InsertClickRow(-1, makeEntry(1, 2));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("55")); // typed, no button pressed
    dlg.m_modified = 0;
    dlg.show();
    clickRow(dlg, 0);
    QCOMPARE(dlg.GetDlgItemText(IDC_X), QStringLiteral("4294967196"));
    QCOMPARE(dlg.GetDlgItemText(IDC_Y), QStringLiteral("300"));
    QCOMPARE(dlg.GetDlgItemText(IDC_DELAY), QStringLiteral("4321"));
    QCOMPARE(qobject_cast<QComboBox*>(dlg.GetDlgItem(IDC_CLICK_TYPE))->currentIndex(), 3);
    QVERIFY(qobject_cast<QAbstractButton*>(dlg.GetDlgItem(IDC_CURSOR_BACK))->isChecked());
    QCOMPARE(dlg.GetDlgItemText(IDC_REPEAT_COUNT), QStringLiteral("0"));
    QCOMPARE(dlg.m_modified, 0); // the click changes nothing
}

void EditCommandsTest::keyboardSelectionLoadsNothing()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(11, 11));
    dlg.InsertClickRow(-1, makeEntry(22, 22));
    dlg.show();
    clickRow(dlg, 0);
    QCOMPARE(dlg.GetDlgItemText(IDC_X), QStringLiteral("11"));
    QTest::keyClick(dlg.m_list.GetWidget(), Qt::Key_Down);
    QCOMPARE(selected(dlg), 1);
    QCOMPARE(dlg.GetDlgItemText(IDC_X), QStringLiteral("11"));
}

QUORVEL_TEST_MAIN(EditCommandsTest)
#include "tst_editcommands.moc"
