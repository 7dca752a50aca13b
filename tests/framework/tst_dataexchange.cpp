// The data exchange: numbers parsed strictly, fields taken over in order, and
// a failure that stops at its control with the focus there.
#include "framework/DataExchange.h"
#include "res/Resource.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

using namespace quorvel::test;

class DataExchangeTest : public QObject {
    Q_OBJECT
private slots:
    void parsing();
    void notANumberStopsAtItsField();
    void repeatCountOutOfRangeIsStoredThenRefused();
    void emptyFieldIsNotANumber();
    void fieldsToControls();
};

void DataExchangeTest::parsing()
{
    DWORD d = 7;
    QVERIFY(ParseDword(QStringLiteral(" 12 "), d));
    QCOMPARE(d, 12u);
    QVERIFY(ParseDword(QStringLiteral("4294967295"), d));
    QCOMPARE(d, 4294967295u);
    d = 7;
    for (const char* bad : {"", " ", "12a", "a12", "4294967296", "99999999999999999999", "-1", "+1", "1 2"})
        QVERIFY2(!ParseDword(QString::fromLatin1(bad), d) && d == 7, bad);

    int i = 7;
    QVERIFY(ParseInt(QStringLiteral("-2147483648"), i));
    QCOMPARE(i, std::numeric_limits<int>::min());
    QVERIFY(ParseInt(QStringLiteral("+10000"), i));
    QCOMPARE(i, 10000);
    i = 7;
    for (const char* bad : {"", "-", "2147483648", "-2147483649", "1e3", "0x10"})
        QVERIFY2(!ParseInt(QString::fromLatin1(bad), i) && i == 7, bad);
}

void DataExchangeTest::notANumberStopsAtItsField()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    setControlText(dlg, IDC_X, QStringLiteral("15"));
    setControlText(dlg, IDC_Y, QStringLiteral("abc"));
    setControlText(dlg, IDC_DELAY, QStringLiteral("77"));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("5"));
    qobject_cast<QCheckBox*>(dlg.GetDlgItem(IDC_CURSOR_BACK))->setChecked(true);
    qobject_cast<QComboBox*>(dlg.GetDlgItem(IDC_CLICK_TYPE))->setCurrentIndex(2);

    QCOMPARE(dlg.UpdateData(TRUE), FALSE);
    QCOMPARE(dlg.m_editEntry.m_x, 15u); // before the failing field: taken over
    QCOMPARE(dlg.m_editEntry.m_y, 0u);  // the failing field and those after it: unchanged
    QCOMPARE(dlg.m_editEntry.m_cursorBack, 0);
    QCOMPARE(dlg.m_editEntry.m_delay, 1000u);
    QCOMPARE(dlg.m_editEntry.m_clickType, 0);
    QCOMPARE(dlg.m_repeatCount, 0);

    QCOMPARE(f.boxes.shown.size(), size_t(1));
    QCOMPARE(f.boxes.shown[0].caption, QStringLiteral("Quorvel"));
    QCOMPARE(f.boxes.shown[0].type & MB_ICONMASK, UINT(MB_ICONEXCLAMATION));
    auto* y = qobject_cast<QLineEdit*>(dlg.GetDlgItem(IDC_Y));
    QCOMPARE(dlg.focusWidget(), y);
    QCOMPARE(y->selectedText(), QStringLiteral("abc"));
}

void DataExchangeTest::repeatCountOutOfRangeIsStoredThenRefused()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    setControlText(dlg, IDC_X, QStringLiteral("1"));
    setControlText(dlg, IDC_Y, QStringLiteral("2"));
    setControlText(dlg, IDC_DELAY, QStringLiteral("3"));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("10001"));
    qobject_cast<QCheckBox*>(dlg.GetDlgItem(IDC_CURSOR_BACK))->setChecked(true);
    qobject_cast<QComboBox*>(dlg.GetDlgItem(IDC_CLICK_TYPE))->setCurrentIndex(3);
    qobject_cast<QCheckBox*>(dlg.GetDlgItem(IDC_SHOW_ON_HOTKEY_PRESS))->setChecked(false);

    QCOMPARE(dlg.UpdateData(TRUE), FALSE);
    QCOMPARE(dlg.m_editEntry.m_x, 1u);
    QCOMPARE(dlg.m_editEntry.m_y, 2u);
    QCOMPARE(dlg.m_editEntry.m_cursorBack, 1);
    QCOMPARE(dlg.m_editEntry.m_delay, 3u);
    QCOMPARE(dlg.m_editEntry.m_clickType, 3);
    QCOMPARE(dlg.m_bShowOnHotKeyPress, 0);
    QCOMPARE(dlg.m_repeatCount, 10001);
    QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("Please enter an integer between 0 and 10000.")});
    auto* repeat = qobject_cast<QLineEdit*>(dlg.GetDlgItem(IDC_REPEAT_COUNT));
    QCOMPARE(dlg.focusWidget(), repeat);
    QCOMPARE(repeat->selectedText(), QStringLiteral("10001"));

    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("10000"));
    QCOMPARE(dlg.UpdateData(TRUE), TRUE);
    QCOMPARE(dlg.m_repeatCount, 10000);
}

void DataExchangeTest::emptyFieldIsNotANumber()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    setControlText(dlg, IDC_X, QString());
    QCOMPARE(dlg.UpdateData(TRUE), FALSE);
    QCOMPARE(f.boxes.shown.size(), size_t(1));
    QCOMPARE(dlg.focusWidget(), dlg.GetDlgItem(IDC_X));
}

void DataExchangeTest::fieldsToControls()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.m_editEntry = makeEntry(4294967196u, 7, 1, 1, 250);
    dlg.m_repeatCount = 42;
    dlg.m_bShowOnHotKeyPress = 0;
    QCOMPARE(dlg.UpdateData(FALSE), TRUE);
    QCOMPARE(dlg.GetDlgItemText(IDC_X), QStringLiteral("4294967196"));
    QCOMPARE(dlg.GetDlgItemText(IDC_Y), QStringLiteral("7"));
    QCOMPARE(dlg.GetDlgItemText(IDC_DELAY), QStringLiteral("250"));
    QCOMPARE(dlg.GetDlgItemText(IDC_REPEAT_COUNT), QStringLiteral("42"));
    QCOMPARE(qobject_cast<QComboBox*>(dlg.GetDlgItem(IDC_CLICK_TYPE))->currentIndex(), 1);
    QVERIFY(qobject_cast<QCheckBox*>(dlg.GetDlgItem(IDC_CURSOR_BACK))->isChecked());
    QVERIFY(!qobject_cast<QCheckBox*>(dlg.GetDlgItem(IDC_SHOW_ON_HOTKEY_PRESS))->isChecked());
    QVERIFY(f.boxes.shown.empty());
}

QUORVEL_TEST_MAIN(DataExchangeTest)
#include "tst_dataexchange.moc"
