// The hot-key field and the key mapping under it: Qt keys to virtual-key
// codes and back, agreement with the X11 back end's key table, and the field
// taking combinations from real key events.
#include "framework/CHotKeyCtrl.h"
#include "framework/HotKeyEdit.h"
#include "framework/KeyMapping.h"
#include "platform/x11/KeyTable.h"
#include "support/TestEnvironment.h"

#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A dialog with a default button, a hot-key field and a plain field after it.
struct Form {
    Form()
    {
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(edit = new HotKeyEdit);
        layout->addWidget(next = new QLineEdit);
        layout->addWidget(ok = new QPushButton(QStringLiteral("&Add")));
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, [this] { ++okPressed; });
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        edit->setFocus();
    }
    QDialog dialog;
    HotKeyEdit* edit = nullptr;
    QLineEdit* next = nullptr;
    QPushButton* ok = nullptr;
    int okPressed = 0;
};

// One key event alone, with the modifier state as X reports it: a modifier
// key's own bit is not yet set on its press and still set on its release.
// (QTest's keyPress and keyRelease add events for the modifier keys.)
void press(QWidget* w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(w, &event);
}
void release(QWidget* w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(w, &event);
}

} // namespace

class HotKeyEditTest : public QObject {
    Q_OBJECT
private slots:
    void qtKeysToVirtualKeys_data();
    void qtKeysToVirtualKeys();
    void everyGrabbableKeyCanBeTypedAndBack();
    void everyTypedKeyCanBeGrabbed();
    void modifiersBothWays();
    void describesInWords_data();
    void describesInWords();
    void takesACombination();
    void modifiersAloneShowButDoNotCount();
    void backspaceOrDeleteAloneEmpties();
    void keysWithoutACodeAreNotTaken();
    void dialogKeysKeepTheirMeaning();
    void mnemonicsDoNotFireInTheField();
    void controlHandleReadsAndWrites();
};

void HotKeyEditTest::qtKeysToVirtualKeys_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<int>("virtualKey");
    QTest::newRow("P") << int(Qt::Key_P) << false << 0x50;
    QTest::newRow("7") << int(Qt::Key_7) << false << 0x37;
    QTest::newRow("keypad 7") << int(Qt::Key_7) << true << 0x67;
    QTest::newRow("F12") << int(Qt::Key_F12) << false << 0x7B;
    QTest::newRow("F24") << int(Qt::Key_F24) << false << 0x87;
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << false << 0x22;
    QTest::newRow("keypad Home, Num Lock off") << int(Qt::Key_Home) << true << 0x24;
    QTest::newRow("keypad *") << int(Qt::Key_Asterisk) << true << 0x6A;
    QTest::newRow("Shift+8 gives *") << int(Qt::Key_Asterisk) << false << 0x38;
    QTest::newRow("keypad /") << int(Qt::Key_Slash) << true << 0x6F;
    QTest::newRow("/") << int(Qt::Key_Slash) << false << 0xBF;
    QTest::newRow("Shift+1 gives !") << int(Qt::Key_Exclam) << false << 0x31;
    QTest::newRow("Shift+0 gives )") << int(Qt::Key_ParenRight) << false << 0x30;
    QTest::newRow("Shift+; gives :") << int(Qt::Key_Colon) << false << 0xBA;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << true << 0x0D;
    QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << false << 0x09;
    QTest::newRow("Control alone") << int(Qt::Key_Control) << false << 0;
    QTest::newRow("a dead key") << int(Qt::Key_Dead_Acute) << false << 0;
    QTest::newRow("a letter of another layout") << int(Qt::Key_Adiaeresis) << false << 0;
}

void HotKeyEditTest::qtKeysToVirtualKeys()
{
    QFETCH(int, qtKey);
    QFETCH(bool, keypad);
    QFETCH(int, virtualKey);
    QCOMPARE(int(VirtualKeyFromQtKey(qtKey, keypad)), virtualKey);
}

void HotKeyEditTest::everyGrabbableKeyCanBeTypedAndBack()
{
    // Whatever the back end can grab, the field must be able to take.
    int grabbable = 0;
    for (WORD vk = 1; vk <= 0xFF; ++vk) {
        if (platform::x11::keysymForVirtualKey(vk) == 0)
            continue;
        ++grabbable;
        bool keypad = false;
        const int qtKey = QtKeyFromVirtualKey(vk, &keypad);
        QVERIFY2(qtKey != 0, qPrintable(QString::number(vk, 16)));
        QCOMPARE(VirtualKeyFromQtKey(qtKey, keypad), vk);
        // And through the keysym, as a key event from X brings it.
        QCOMPARE(WORD(platform::x11::virtualKeyForKeysym(platform::x11::keysymForVirtualKey(vk))), vk);
    }
    QVERIFY(grabbable > 100);
    QCOMPARE(QtKeyFromVirtualKey(0x07), 0);
}

void HotKeyEditTest::everyTypedKeyCanBeGrabbed()
{
    // And whatever the field takes, the back end can grab.
    for (int qtKey = 0x20; qtKey <= 0x7E; ++qtKey) {
        for (bool keypad : {false, true}) {
            const WORD vk = VirtualKeyFromQtKey(qtKey, keypad);
            if (vk != 0)
                QVERIFY2(platform::x11::keysymForVirtualKey(vk) != 0, qPrintable(QString::number(qtKey, 16)));
        }
    }
    for (int qtKey = Qt::Key_Escape; qtKey <= Qt::Key_F35; ++qtKey) {
        const WORD vk = VirtualKeyFromQtKey(qtKey, false);
        if (vk != 0)
            QVERIFY2(platform::x11::keysymForVirtualKey(vk) != 0, qPrintable(QString::number(qtKey, 16)));
    }
}

void HotKeyEditTest::modifiersBothWays()
{
    QCOMPARE(HotKeyModifiersFromQt(Qt::ControlModifier | Qt::AltModifier), WORD(HOTKEYF_CONTROL | HOTKEYF_ALT));
    QCOMPARE(HotKeyModifiersFromQt(Qt::MetaModifier | Qt::KeypadModifier), WORD(HOTKEYF_EXT));
    for (WORD bits = 0; bits < 16; ++bits)
        QCOMPARE(HotKeyModifiersFromQt(QtModifiersFromHotKey(bits)), bits);
    QCOMPARE(HotKeyModifierOfKey(Qt::Key_Super_L), WORD(HOTKEYF_EXT));
    QCOMPARE(HotKeyModifierOfKey(Qt::Key_AltGr), WORD(0));
}

void HotKeyEditTest::describesInWords_data()
{
    QTest::addColumn<int>("virtualKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << 0 << 0 << "None";
    QTest::newRow("Ctrl+Alt+P") << 0x50 << int(HOTKEYF_ALT | HOTKEYF_CONTROL) << "Ctrl + Alt + P";
    QTest::newRow("all four, in order") << 0x70 << 0x0F << "Ctrl + Shift + Alt + Win + F1";
    QTest::newRow("a key alone") << 0x22 << 0 << "Page Down";
    QTest::newRow("keypad") << 0x67 << int(HOTKEYF_SHIFT) << "Shift + Num 7";
    QTest::newRow("modifiers alone") << 0 << int(HOTKEYF_CONTROL) << "Ctrl + ";
}

void HotKeyEditTest::describesInWords()
{
    QFETCH(int, virtualKey);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QCOMPARE(HotKeyEdit::describe(WORD(virtualKey), WORD(modifiers)), text);
}

void HotKeyEditTest::takesACombination()
{
    Form f;
    QSignalSpy changed(f.edit, &HotKeyEdit::hotKeyChanged);
    QCOMPARE(f.edit->text(), QStringLiteral("None"));
    QTest::keyClick(f.edit, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("Ctrl + Alt + P"));
    QCOMPARE(f.edit->virtualKey(), WORD(0x50));
    QCOMPARE(f.edit->modifiers(), WORD(HOTKEYF_CONTROL | HOTKEYF_ALT));
    QCOMPARE(changed.count(), 1);

    // A later combination replaces it; a key alone counts too.
    QTest::keyClick(f.edit, Qt::Key_F5);
    QCOMPARE(f.edit->text(), QStringLiteral("F5"));
    QTest::keyClick(f.edit, Qt::Key_9, Qt::ShiftModifier | Qt::KeypadModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("Shift + Num 9"));
    QTest::keyClick(f.edit, Qt::Key_Exclam, Qt::ShiftModifier | Qt::ControlModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("Ctrl + Shift + 1"));
    QCOMPARE(changed.count(), 4);
}

void HotKeyEditTest::modifiersAloneShowButDoNotCount()
{
    Form f;
    f.edit->setHotKey(0x50, HOTKEYF_CONTROL | HOTKEYF_ALT);

    press(f.edit, Qt::Key_Control);
    QCOMPARE(f.edit->text(), QStringLiteral("Ctrl + "));
    press(f.edit, Qt::Key_Shift, Qt::ControlModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("Ctrl + Shift + "));
    QCOMPARE(f.edit->virtualKey(), WORD(0x50)); // still the combination it held
    release(f.edit, Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("Ctrl + "));
    release(f.edit, Qt::Key_Control, Qt::ControlModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("Ctrl + Alt + P"));

    // Modifiers let go after a key leave the new combination shown.
    press(f.edit, Qt::Key_Meta);
    press(f.edit, Qt::Key_D, Qt::MetaModifier);
    release(f.edit, Qt::Key_D, Qt::MetaModifier);
    release(f.edit, Qt::Key_Meta, Qt::MetaModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("Win + D"));
    QCOMPARE(f.edit->modifiers(), WORD(HOTKEYF_EXT));

    // Leaving the field while a modifier is held drops it.
    press(f.edit, Qt::Key_Alt);
    QCOMPARE(f.edit->text(), QStringLiteral("Alt + "));
    f.next->setFocus();
    QCOMPARE(f.edit->text(), QStringLiteral("Win + D"));
}

void HotKeyEditTest::backspaceOrDeleteAloneEmpties()
{
    Form f;
    QSignalSpy changed(f.edit, &HotKeyEdit::hotKeyChanged);
    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete}) {
        f.edit->setHotKey(0x50, HOTKEYF_CONTROL);
        QTest::keyClick(f.edit, key);
        QCOMPARE(f.edit->text(), QStringLiteral("None"));
        QCOMPARE(f.edit->virtualKey(), WORD(0));
        QCOMPARE(f.edit->modifiers(), WORD(0));
    }
    QCOMPARE(changed.count(), 2);
    // With a modifier they are keys like any other.
    QTest::keyClick(f.edit, Qt::Key_Delete, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("Ctrl + Alt + Delete"));
}

void HotKeyEditTest::keysWithoutACodeAreNotTaken()
{
    Form f;
    f.edit->setHotKey(0x53, HOTKEYF_CONTROL);
    press(f.edit, Qt::Key_Control);
    press(f.edit, Qt::Key_Adiaeresis, Qt::ControlModifier);
    release(f.edit, Qt::Key_Adiaeresis, Qt::ControlModifier);
    QCOMPARE(f.edit->virtualKey(), WORD(0x53));
    QCOMPARE(f.edit->text(), QStringLiteral("Ctrl + "));
    release(f.edit, Qt::Key_Control, Qt::ControlModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("Ctrl + S"));
}

void HotKeyEditTest::dialogKeysKeepTheirMeaning()
{
    Form f;
    f.edit->setHotKey(0x50, HOTKEYF_CONTROL);
    QTest::keyClick(f.edit, Qt::Key_Return);
    QCOMPARE(f.okPressed, 1); // the default button
    QTest::keyClick(f.edit, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.next);
    QCOMPARE(f.edit->text(), QStringLiteral("Ctrl + P"));

    // With Ctrl or Alt they are combinations.
    f.edit->setFocus();
    QTest::keyClick(f.edit, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("Ctrl + Tab"));
    QCOMPARE(QApplication::focusWidget(), f.edit);
    QTest::keyClick(f.edit, Qt::Key_Return, Qt::AltModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("Alt + Enter"));
    QCOMPARE(f.okPressed, 1);
}

void HotKeyEditTest::mnemonicsDoNotFireInTheField()
{
    // The window tries its shortcuts (Alt+A for "&Add") only for a key whose
    // ShortcutOverride the focused widget leaves alone.
    Form f;
    const auto overrides = [](QWidget* w, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(QEvent::ShortcutOverride, key, modifiers);
        event.ignore();
        QApplication::sendEvent(w, &event);
        return event.isAccepted();
    };
    QVERIFY(overrides(f.edit, Qt::Key_A, Qt::AltModifier));
    QVERIFY(overrides(f.edit, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier));
    QVERIFY(!overrides(f.edit, Qt::Key_Escape, Qt::NoModifier));
    QVERIFY(!overrides(f.next, Qt::Key_A, Qt::AltModifier)); // an ordinary field lets it through
    QTest::keyClick(f.edit, Qt::Key_A, Qt::AltModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("Alt + A"));
    QCOMPARE(f.okPressed, 0);
}

void HotKeyEditTest::controlHandleReadsAndWrites()
{
    Form f;
    CHotKeyCtrl control;
    WORD vk = 1, mods = 1;
    control.GetHotKey(vk, mods); // not attached yet: empty
    QCOMPARE(vk, WORD(0));
    QCOMPARE(mods, WORD(0));
    control.Attach(f.edit);
    control.SetHotKey(0x41, HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT);
    QCOMPARE(f.edit->text(), QStringLiteral("Ctrl + Shift + Alt + A"));
    QTest::keyClick(f.edit, Qt::Key_F9, Qt::ShiftModifier);
    control.GetHotKey(vk, mods);
    QCOMPARE(vk, WORD(0x78));
    QCOMPARE(mods, WORD(HOTKEYF_SHIFT));
}

QUORVEL_TEST_MAIN(HotKeyEditTest)
#include "tst_hotkeyedit.moc"
