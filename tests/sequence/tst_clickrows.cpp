// A click written as a row reads back as the same click, with the row
// format's rules for serial numbers, cursor back, delays and coordinates.
#include "res/Resource.h"
#include "framework/ListView.h"
#include "sequence/RowText.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace quorvel::test;

class ClickRowsTest : public QObject {
    Q_OBJECT
private slots:
    void leadingNumber_data();
    void leadingNumber();
    void columns();
    void appendNumbersByRowCount();
    void insertAtPositionShowsTheSerial();
    void roundTripKeepsEveryField_data();
    void roundTripKeepsEveryField();
    void readingRules();
    void cellsReadAsTheirText_data();
    void cellsReadAsTheirText();
    void insertLeavesSelectionAndSetsModified();
    void selectedRow();
};

void ClickRowsTest::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    QTest::addColumn<uint>("value");
    QTest::newRow("plain") << "1000" << true << 1000u;
    QTest::newRow("largest") << "4294967295" << true << 4294967295u;
    QTest::newRow("left of the screen") << "4294967196" << true << 4294967196u;
    QTest::newRow("negative wraps") << "-100" << true << 4294967196u;
    QTest::newRow("blanks and sign") << "  +12" << true << 12u;
    QTest::newRow("trailing text") << "15ms" << true << 15u;
    QTest::newRow("serial past 16 bits") << "65536" << true << 65536u;
    QTest::newRow("empty") << "" << false << 0u;
    QTest::newRow("word") << "No" << false << 0u;
    QTest::newRow("sign only") << "-" << false << 0u;
    QTest::newRow("huge keeps its low bits") << "99999999999999999999" << true << uint(0xFFFFFFFFull * 10 & 0xFFFFFFFF);
}

void ClickRowsTest::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, found);
    QFETCH(uint, value);
    const auto n = rowtext::leadingNumber(text);
    QCOMPARE(n.has_value(), found);
    if (found)
        QCOMPARE(*n, value);
}

void ClickRowsTest::columns()
{
    DialogFixture f;
    f.start();
    ListModel* model = f.dlg().m_list.Model();
    const QStringList headers = {"Sr No", "Click Type", "X", "Y", "Cursor Back", "Delay (Milli Seconds)"};
    const int widths[] = {35, 100, 50, 50, 75, 115};
    QCOMPARE(model->columnCount(), 6);
    for (int c = 0; c < 6; ++c) {
        QCOMPARE(model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), headers[c]);
        QCOMPARE(f.dlg().m_list.GetColumnWidth(c), widths[c]);
        const auto align = model->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>();
        QCOMPARE(align & Qt::AlignHorizontal_Mask, c == 0 ? Qt::AlignLeft : Qt::AlignHCenter);
    }
    QCOMPARE(f.dlg().m_list.GetExtendedStyle(), DWORD(0x21));
    QCOMPARE(f.dlg().m_list.GetItemCount(), 0);
}

void ClickRowsTest::appendNumbersByRowCount()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QCOMPARE(dlg.InsertClickRow(-1, makeEntry(1, 1, 0, 0, 1000, 77)), 0);
    QCOMPARE(dlg.m_list.GetItemText(0, 0), QStringLiteral("1")); // the entry's serial plays no part
    dlg.InsertClickRow(-1, makeEntry(2, 2));
    dlg.InsertClickRow(-1, makeEntry(3, 3));
    dlg.m_list.DeleteItem(0);
    QCOMPARE(dlg.InsertClickRow(-1, makeEntry(4, 4)), 2);
    QStringList serials;
    for (int r = 0; r < dlg.m_list.GetItemCount(); ++r)
        serials << dlg.m_list.GetItemText(r, 0);
    QCOMPARE(serials, (QStringList{"2", "3", "3"}));
}

void ClickRowsTest::insertAtPositionShowsTheSerial()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(1, 1));
    QCOMPARE(dlg.InsertClickRow(0, makeEntry(5, 5, 0, 0, 1000, 0)), 0);
    QCOMPARE(dlg.m_list.GetItemText(0, 0), QStringLiteral("0"));
    QCOMPARE(dlg.InsertClickRow(2, makeEntry(6, 6, 0, 0, 1000, 65535)), 2);
    QCOMPARE(dlg.m_list.GetItemText(2, 0), QStringLiteral("65535"));

    // A row numbered 65536 (the append after 65535 rows) reads back as 0.
    dlg.m_list.SetItemText(1, 0, QStringLiteral("65536"));
    CClickEntry e;
    dlg.ReadClickRow(1, e);
    QCOMPARE(e.m_serial, std::uint16_t(0));
    dlg.InsertClickRow(0, e);
    QCOMPARE(dlg.m_list.GetItemText(0, 0), QStringLiteral("0"));
}

void ClickRowsTest::roundTripKeepsEveryField_data()
{
    QTest::addColumn<uint>("x");
    QTest::addColumn<uint>("y");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("cursorBack");
    QTest::addColumn<uint>("delay");
    QTest::addColumn<int>("readBackCursor");
    QTest::newRow("ordinary") << 100u << 200u << 2 << 0 << 1000u << 0;
    QTest::newRow("zero delay") << 0u << 0u << 0 << 1 << 0u << 1;
    QTest::newRow("longest delay") << 1u << 1u << 3 << 0 << 4294967295u << 0;
    QTest::newRow("left of and above the screen") << 4294967196u << 4294967295u << 1 << 0 << 5u << 0;
    QTest::newRow("past the signed range") << 2147483648u << 3000000000u << 0 << 0 << 5u << 0;
    QTest::newRow("cursor back 5 reads as 1") << 9u << 9u << 0 << 5 << 5u << 1;
    QTest::newRow("unknown click type kept") << 9u << 9u << 7 << 0 << 5u << 0;
    QTest::newRow("negative click type kept") << 9u << 9u << -2 << 0 << 5u << 0;
}

void ClickRowsTest::roundTripKeepsEveryField()
{
    QFETCH(uint, x);
    QFETCH(uint, y);
    QFETCH(int, type);
    QFETCH(int, cursorBack);
    QFETCH(uint, delay);
    QFETCH(int, readBackCursor);
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    const int row = dlg.InsertClickRow(0, makeEntry(x, y, type, cursorBack, delay, 321));
    QCOMPARE(dlg.m_list.GetItemText(row, 4), cursorBack ? QStringLiteral("Yes") : QStringLiteral("No"));
    QCOMPARE(dlg.m_list.GetItemText(row, 5), QString::number(delay));
    CClickEntry e;
    dlg.ReadClickRow(row, e);
    QCOMPARE(e.m_x, x);
    QCOMPARE(e.m_y, y);
    QCOMPARE(e.m_clickType, type);
    QCOMPARE(e.m_cursorBack, readBackCursor);
    QCOMPARE(e.m_delay, delay);
    QCOMPARE(e.m_serial, std::uint16_t(321));
}

void ClickRowsTest::readingRules()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(1, 2, 2));
    CListCtrl& list = dlg.m_list;
    list.SetItemText(0, 1, QStringLiteral("Single Right Click")); // column 1 is never read
    list.SetItemText(0, 4, QStringLiteral("yEs"));
    list.SetItemText(0, 5, QStringLiteral("soon"));
    CClickEntry e;
    e.m_delay = 4242;
    dlg.ReadClickRow(0, e);
    QCOMPARE(e.m_clickType, 2);
    QCOMPARE(e.m_cursorBack, 1);
    QCOMPARE(e.m_delay, 4242u); // no number: left as it was

    list.SetItemText(0, 4, QString());
    list.SetItemText(0, 0, QStringLiteral("x"));
    list.SetItemText(0, 2, QStringLiteral("left"));
    dlg.ReadClickRow(0, e);
    QCOMPARE(e.m_cursorBack, 0);
    QCOMPARE(e.m_serial, std::uint16_t(0));
    QCOMPARE(e.m_x, 0u);
}

void ClickRowsTest::cellsReadAsTheirText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("number") << QStringLiteral("4294967295");
    QTest::newRow("past 32 bits") << QStringLiteral("4294967296");
    QTest::newRow("leading zeros") << QStringLiteral("0070000");
    QTest::newRow("negative") << QStringLiteral("-100");
    QTest::newRow("blank and tail") << QStringLiteral(" 42abc");
    QTest::newRow("empty") << QString();
    QTest::newRow("word") << QStringLiteral("YES");
    QTest::newRow("long, kept as UTF-8") << QStringLiteral("  65537") + QString(60, QLatin1Char('z'));
}

// However the list keeps a cell (as a number, a shared text or plain
// UTF-8), reading the row gives what the cell's text says.
void ClickRowsTest::cellsReadAsTheirText()
{
    QFETCH(QString, text);
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(1, 2, 0, 1, 3));
    for (int column : {0, 2, 3, 4, 5})
        dlg.m_list.SetItemText(0, column, text);
    CClickEntry e;
    e.m_delay = 77;
    dlg.ReadClickRow(0, e);
    QCOMPARE(e.m_serial, static_cast<std::uint16_t>(rowtext::numberOrZero(text) & 0xFFFF));
    QCOMPARE(e.m_x, rowtext::numberOrZero(text));
    QCOMPARE(e.m_y, rowtext::numberOrZero(text));
    QCOMPARE(e.m_cursorBack, rowtext::cursorBackFromText(text));
    QCOMPARE(e.m_delay, rowtext::leadingNumber(text).value_or(77));
}

void ClickRowsTest::insertLeavesSelectionAndSetsModified()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QCOMPARE(dlg.m_modified, 0);
    for (int i = 0; i < 3; ++i)
        dlg.InsertClickRow(-1, makeEntry(i, i));
    QCOMPARE(dlg.m_modified, 1);
    dlg.SelectRow(1);
    dlg.InsertClickRow(-1, makeEntry(9, 9));
    dlg.InsertClickRow(3, makeEntry(9, 9));
    int count = 0;
    QCOMPARE(dlg.GetSelectedRow(count), 1);
    QCOMPARE(count, 5);

    dlg.m_modified = 0;
    CClickEntry e;
    dlg.ReadClickRow(2, e);
    QCOMPARE(dlg.m_modified, 0);
    QCOMPARE(dlg.m_list.GetItemCount(), 5);
}

void ClickRowsTest::selectedRow()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    int count = 99;
    QCOMPARE(dlg.GetSelectedRow(count), -1);
    QCOMPARE(count, 0);
    dlg.InsertClickRow(-1, makeEntry(1, 1));
    dlg.InsertClickRow(-1, makeEntry(2, 2));
    dlg.SelectRow(0);
    dlg.SelectRow(1); // one selected row at a time
    QCOMPARE(dlg.GetSelectedRow(count), 1);
    QCOMPARE(count, 2);
    QCOMPARE(dlg.m_list.GetNextItem(1, LVNI_SELECTED), -1);
}

QUORVEL_TEST_MAIN(ClickRowsTest)
#include "tst_clickrows.moc"
