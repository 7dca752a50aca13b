// The main window and the About box come up with every control of their
// templates: class, text, position and size, and tab order; the control an
// Alt+letter reaches, and the names screen readers hear.
#include "app/CAboutDlg.h"
#include "framework/AccessibleNames.h"
#include "framework/DialogMnemonic.h"
#include "framework/DialogUnits.h"
#include "framework/HotKeyEdit.h"
#include "framework/ListView.h"
#include "res/Resource.h"
#include "res/Resources.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace quorvel::test;

namespace {

enum Kind { Group, Label, Edit, Combo, Check, Button, DefaultButton, List, HotKey, Icon };

struct Expected {
    int id;
    Kind kind;
    const char* text;
    int x, y, cx, cy;
    bool tabStop;
};

// The main window's controls in template order.
const Expected kMain[] = {
    {-1, Group, "Add / Edit Mouse Click", 7, 7, 406, 83, false},
    {-1, Label, "&X Co-ordinate :", 21, 22, 48, 8, false},
    {1000, Edit, "", 74, 20, 40, 14, true},
    {-1, Label, "&Y Co-ordinate :", 21, 38, 48, 8, false},
    {1001, Edit, "", 74, 37, 40, 14, true},
    {-1, Label, "Click &Type :", 31, 53, 38, 8, false},
    {1002, Combo, "", 74, 53, 154, 65, true},
    {1011, Check, "&Curosr Back :", 27, 69, 55, 10, true},
    {-1, Label, "&Delay before Click :", 86, 70, 62, 8, false},
    {1015, Edit, "", 152, 68, 40, 14, true},
    {-1, Label, "Milli Second(s)", 194, 71, 46, 8, false},
    {1004, DefaultButton, "&Add", 240, 22, 70, 21, true},
    {1005, Button, "&Update", 239, 47, 70, 21, true},
    {-1, Group, "List Of Mouse Clicks in Sequence", 7, 98, 406, 158, false},
    {1003, List, "", 16, 111, 298, 137, true},
    {1007, Button, "Move &Up", 324, 141, 70, 21, true},
    {1008, Button, "Move &Down", 324, 169, 70, 21, true},
    {1006, Button, "De&lete", 324, 197, 70, 21, true},
    {1012, Button, "Delete A&ll", 323, 225, 70, 21, true},
    {1009, Button, "&Load Clicks", 324, 22, 70, 21, true},
    {1010, Button, "&Save Clicks", 324, 47, 70, 21, true},
    {1013, Button, "S&tart", 324, 113, 70, 21, true},
    {1017, HotKey, "", 123, 266, 80, 14, false},
    {-1, Label, "Get Mouse Cursor Position :", 30, 268, 88, 8, false},
    {-1, Group, "Hot Keys", 7, 251, 406, 57, false},
    {1018, Button, "Assign", 206, 266, 50, 14, false},
    {1019, Button, "Clear", 260, 266, 50, 14, false},
    {1020, Check, "Show On Hot Key Press", 316, 268, 92, 10, false},
    {-1, Label, "Start / Stop Mouse Clicks :", 32, 287, 86, 8, false},
    {1021, HotKey, "", 123, 284, 80, 14, true},
    {1022, Button, "Assign", 205, 284, 50, 14, true},
    {1023, Button, "Clear", 260, 284, 50, 14, true},
    {-1, Label, "Repeat Count :", 300, 74, 49, 8, false},
    {1024, Edit, "", 355, 71, 40, 14, true},
};

bool isKind(QWidget* w, Kind kind)
{
    switch (kind) {
    case Group: return qobject_cast<QGroupBox*>(w);
    case Label:
    case Icon: return qobject_cast<QLabel*>(w);
    case Edit: return qobject_cast<QLineEdit*>(w) && !qobject_cast<HotKeyEdit*>(w);
    case Combo: return qobject_cast<QComboBox*>(w);
    case Check: return qobject_cast<QCheckBox*>(w);
    case Button: return qobject_cast<QPushButton*>(w) && !static_cast<QPushButton*>(w)->isDefault();
    case DefaultButton: return qobject_cast<QPushButton*>(w) && static_cast<QPushButton*>(w)->isDefault();
    case List: return qobject_cast<ListView*>(w);
    case HotKey: return qobject_cast<HotKeyEdit*>(w);
    }
    return false;
}

QString textOf(QWidget* w)
{
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    return QString();
}

// Dialog units in pixels, each rounded to the nearest pixel on its own.
QRect pixelsOf(const DialogUnits& units, int x, int y, int cx, int cy)
{
    const auto px = [&](int v) { return int(std::lround(v * units.baseX() / 4.0)); };
    const auto py = [&](int v) { return int(std::lround(v * units.baseY() / 8.0)); };
    return QRect(px(x), py(y), px(cx), py(cy));
}

// The dialog's controls in template order; they must be all its widgets
// (menus are not controls).
QList<QWidget*> controlsOf(CDialog* dialog)
{
    QList<QWidget*> out;
    for (const BuiltControl& c : dialog->Controls())
        out << c.widget;
    int widgets = 0;
    for (QObject* child : dialog->children())
        if (qobject_cast<QWidget*>(child) && !qobject_cast<QMenu*>(child))
            ++widgets;
    return widgets == out.size() ? out : QList<QWidget*>();
}

} // namespace

class DialogTemplateTest : public QObject {
    Q_OBJECT
private slots:
    void dialogUnitsFollowTheFont();
    void mainWindowHasEveryControlInPlace();
    void tabOrderIsTemplateOrder();
    void controlStyles();
    void aboutBox();
    void mnemonicSearch();
    void screenReaderNames();
};

void DialogTemplateTest::dialogUnitsFollowTheFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    const QFontMetrics m(font);
    const int letters = m.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const DialogUnits units = DialogUnits::forFont(font);
    QCOMPARE(units.baseX(), (letters / 26 + 1) / 2);
    QCOMPARE(units.baseY(), m.height());
    // A common Windows dialog font; halves and more round up.
    const DialogUnits windows(6, 13);
    QCOMPARE(windows.toPixels(7, 7, 406, 83), QRect(11, 11, 609, 135));
    QCOMPARE(windows.toPixels(21, 38, 62, 8), QRect(32, 62, 93, 13));
    QCOMPARE(windows.toPixels(-7, -3, 0, 1), QRect(-11, -5, 0, 2));
}

void DialogTemplateTest::mainWindowHasEveryControlInPlace()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    const DialogUnits units = DialogUnits::forFont(dlg.font());
    QCOMPARE(dlg.size(), pixelsOf(units, 0, 0, 420, 315).size());

    const QList<QWidget*> controls = controlsOf(&dlg);
    QCOMPARE(controls.size(), 34);
    for (int i = 0; i < 34; ++i) {
        const Expected& e = kMain[i];
        QWidget* w = controls[i];
        const QString where = QStringLiteral("control #%1 (id %2)").arg(i + 1).arg(e.id);
        QVERIFY2(isKind(w, e.kind), qPrintable(where + " has the wrong class: " + w->metaObject()->className()));
        if (e.id != -1)
            QCOMPARE(dlg.GetDlgItem(e.id), w);
        if (e.kind != Edit && e.kind != HotKey && e.kind != Combo && e.kind != List)
            QCOMPARE(textOf(w), QString::fromUtf8(e.text));
        const QRect expected = pixelsOf(units, e.x, e.y, e.cx, e.cy);
        QCOMPARE(w->pos(), expected.topLeft());
        QCOMPARE(w->width(), expected.width());
        if (e.kind != Combo) // a closed combo box is one line high
            QCOMPARE(w->height(), expected.height());
        QVERIFY2(w->isVisibleTo(&dlg), qPrintable(where));
    }
}

void DialogTemplateTest::tabOrderIsTemplateOrder()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QList<QWidget*> expected;
    for (const Expected& e : kMain)
        if (e.tabStop)
            expected << dlg.GetDlgItem(e.id);

    QList<QWidget*> chain;
    QWidget* w = expected.front();
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->parentWidget() == &dlg)
            chain << w;
        w = w->nextInFocusChain();
    } while (w != expected.front() && chain.size() < 100);
    QCOMPARE(chain, expected);

    // Group boxes lie behind the controls they frame, so none of them takes
    // a click meant for a control.
    for (const Expected& e : kMain) {
        if (e.id == -1)
            continue;
        QWidget* control = dlg.GetDlgItem(e.id);
        const QPoint centre = control->geometry().center();
        QWidget* hit = dlg.childAt(centre);
        while (hit && hit->parentWidget() != &dlg)
            hit = hit->parentWidget();
        QVERIFY2(hit == control, qPrintable(QStringLiteral("control %1 is covered").arg(e.id)));
    }

    // Controls without a tab stop still take the focus when clicked.
    for (int id : {1017, 1018, 1019, 1020})
        QCOMPARE(dlg.GetDlgItem(id)->focusPolicy(), Qt::ClickFocus);
}

void DialogTemplateTest::controlStyles()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    for (int id : {1000, 1001, 1015, 1024}) {
        auto* edit = qobject_cast<QLineEdit*>(dlg.GetDlgItem(id));
        QVERIFY(edit->validator());
        QString text = QStringLiteral("12a");
        int pos = 0;
        QCOMPARE(edit->validator()->validate(text, pos), QValidator::Invalid);
        text = QStringLiteral("4294967295");
        QCOMPARE(edit->validator()->validate(text, pos), QValidator::Acceptable);
    }
    QCOMPARE(dlg.GetDlgItem(1011)->layoutDirection(), Qt::RightToLeft);
    QCOMPARE(dlg.GetDlgItem(1020)->layoutDirection(), Qt::LeftToRight);
    auto* combo = qobject_cast<QComboBox*>(dlg.GetDlgItem(1002));
    QVERIFY(!combo->isEditable());
    QCOMPARE(combo->count(), 4);
    const QStringList texts = {"Single Left Click", "Single Right Click", "Double Left Click", "Double Right Click"};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(combo->itemText(i), texts[i]);
    // Label mnemonics move the focus to the control after the label.
    const QList<QWidget*> controls = controlsOf(&dlg);
    QCOMPARE(qobject_cast<QLabel*>(controls[5])->buddy(), dlg.GetDlgItem(1002));
    QCOMPARE(qobject_cast<QLabel*>(controls[8])->buddy(), dlg.GetDlgItem(1015));
    QVERIFY(dlg.windowTitle().startsWith(QLatin1String("Quorvel Software Utility")));
    QVERIFY(dlg.acceptDrops());
}

void DialogTemplateTest::aboutBox()
{
    DialogFixture f;
    CAboutDlg about;
    about.Create();
    const QList<QWidget*> controls = controlsOf(&about);
    QCOMPARE(controls.size(), 4);
    QVERIFY(!qobject_cast<QLabel*>(controls[0])->pixmap().isNull());
    QCOMPARE(qobject_cast<QLabel*>(controls[1])->text(), QStringLiteral("Quorvel Software Utility v1.1"));
    auto* ok = qobject_cast<QPushButton*>(controls[2]);
    QVERIFY(ok && ok->isDefault());
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(about.GetDlgItem(IDOK), ok);
    QVERIFY(!qobject_cast<QLabel*>(controls[3])->text().isEmpty());
    QVERIFY(about.windowTitle().startsWith(QLatin1String("About Quorvel Software Utility")));
    const DialogUnits units = DialogUnits::forFont(about.font());
    QCOMPARE(about.size(), pixelsOf(units, 0, 0, 251, 71).size());
    QCOMPARE(ok->geometry(), pixelsOf(units, 174, 43, 70, 21));
}

void DialogTemplateTest::mnemonicSearch()
{
    const std::vector<ControlTemplate>& source = res::dialogTemplate(IDD_CLICKER_DIALOG)->controls;
    std::vector<MnemonicControl> controls;
    for (const ControlTemplate& c : source)
        controls.push_back(mnemonicControl(c));
    const auto at = [&source](int id) {
        return int(std::find_if(source.begin(), source.end(), [id](const ControlTemplate& c) { return c.id == id; }) -
                   source.begin());
    };
    using A = MnemonicTarget::Action;
    const auto go = [&](int from, char letter) {
        const MnemonicTarget t = findMnemonicTarget(controls, at(from), QLatin1Char(letter));
        return std::make_pair(t.index, t.action);
    };
    const auto want = [&](int id, A action) { return std::make_pair(at(id), action); };
    QVERIFY(go(IDC_Y, 'd') == want(IDC_DELAY, A::Focus));         // its label comes first: past it
    QVERIFY(go(IDC_DELAY, 'D') == want(IDC_MOVE_DOWN, A::Focus)); // shared: the next match only
    QVERIFY(go(IDC_MOVE_DOWN, 'd') == want(IDC_DELAY, A::Focus)); // wraps
    QVERIFY(go(IDC_X, 'a') == want(IDC_ADD, A::Press));           // its own letter
    controls[size_t(at(IDC_UPDATE))].available = false;           // passed over, no longer shares U
    QVERIFY(go(IDC_X, 'u') == want(IDC_MOVE_UP, A::Press));
    QVERIFY(go(IDC_X, 'z').second == A::None);
    QCOMPARE(mnemonicLetter(QStringLiteral("Fish && &Chips")), QLatin1Char('c'));
}

void DialogTemplateTest::screenReaderNames()
{
    const DialogTemplate& t = *res::dialogTemplate(IDD_CLICKER_DIALOG);
    const std::vector<AccessibleText> texts = accessibleTexts(t);
    QStringList named;
    for (size_t i = 0; i < texts.size(); ++i)
        if (!texts[i].name.isEmpty() || !texts[i].description.isEmpty())
            named << QStringLiteral("%1 %2|%3").arg(t.controls[i].id).arg(texts[i].name, texts[i].description);
    const QString m = QStringLiteral("Get Mouse Cursor Position"), s = QStringLiteral("Start / Stop Mouse Clicks");
    QCOMPARE(named, (QStringList{"1000 X Co-ordinate|", "1001 Y Co-ordinate|", "1002 Click Type|",
                                 "1015 Delay before Click|", "1003 List Of Mouse Clicks in Sequence|",
                                 "1017 " + m + "|", // its label follows it on its row
                                 "1018 |" + m + " hot key", "1019 |" + m + " hot key", "1021 " + s + "|",
                                 "1022 |" + s + " hot key", "1023 |" + s + " hot key", "1024 Repeat Count|"}));
    HotKeyEdit edit;
    const QAccessible::State state = QAccessible::queryAccessibleInterface(&edit)->state();
    QVERIFY(state.editable && !state.readOnly);
}

QUORVEL_TEST_MAIN(DialogTemplateTest)
#include "tst_dialogtemplate.moc"
