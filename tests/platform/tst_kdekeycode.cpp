// Stored hot keys as the key codes of KDE's global shortcut service.
#include "platform/Platform.h"
#include "platform/kde/KdeKeyCode.h"

#include <QtTest>

using namespace platform;
using platform::kde::kdeKeyCodeFor;

class TestKdeKeyCode : public QObject {
    Q_OBJECT
private slots:
    void keyCodes();
};

void TestKdeKeyCode::keyCodes()
{
    QCOMPARE(kdeKeyCodeFor(kModControl | kModAlt, 'P'), 0x0C000050); // Ctrl+Alt+P
    QCOMPARE(kdeKeyCodeFor(kModShift | kModWin, '7'), 0x12000037);
    QCOMPARE(kdeKeyCodeFor(0, 0x74), 0x01000034);           // F5
    QCOMPARE(kdeKeyCodeFor(kModControl, 0x87), 0x05000047); // F24
    QCOMPARE(kdeKeyCodeFor(kModControl, 0x67), 0x24000037); // the keypad's 7
    QCOMPARE(kdeKeyCodeFor(kModAlt, 0x25), 0x09000012);     // Left
    QCOMPARE(kdeKeyCodeFor(kModControl, 0xBA), 0);          // a punctuation key
}

QTEST_APPLESS_MAIN(TestKdeKeyCode)
#include "tst_kdekeycode.moc"
