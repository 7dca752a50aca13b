// The translation of hot keys between Windows virtual-key codes and X11
// keysyms and modifier masks, and the names shown for virtual-key codes.
#include "platform/Platform.h"
#include "platform/VirtualKeyName.h"
#include "platform/x11/KeyTable.h"
#include "support/TestEnvironment.h"

#include <QtTest>

#include <X11/X.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace platform;
using namespace platform::x11;

class TestKeyTable : public QObject {
    Q_OBJECT

private slots:
    void runsMapBothWays();
    void namedKeysMapBothWays_data();
    void namedKeysMapBothWays();
    void otherKeysymsOfTheSameKeysAreAccepted();
    void everyMappedCodeComesBack();
    void keysWithoutEquivalentMapToNothing();
    void modifierBitsMapBothWays();
    void lockAndButtonStateIsIgnored();
    void keyNames_data();
    void keyNames();
    void everyMappedCodeHasAName();
};

void TestKeyTable::runsMapBothWays()
{
    for (std::uint32_t i = 0; i < 26; ++i) {
        QCOMPARE(keysymForVirtualKey(0x41 + i), XK_a + i);
        QCOMPARE(virtualKeyForKeysym(XK_a + i), 0x41 + i);
        QCOMPARE(virtualKeyForKeysym(XK_A + i), 0x41 + i);
    }
    for (std::uint32_t i = 0; i < 10; ++i) {
        QCOMPARE(keysymForVirtualKey(0x30 + i), XK_0 + i);
        QCOMPARE(virtualKeyForKeysym(XK_0 + i), 0x30 + i);
        QCOMPARE(keysymForVirtualKey(0x60 + i), XK_KP_0 + i);
        QCOMPARE(virtualKeyForKeysym(XK_KP_0 + i), 0x60 + i);
    }
    for (std::uint32_t i = 0; i < 24; ++i) {
        QCOMPARE(keysymForVirtualKey(0x70 + i), XK_F1 + i);
        QCOMPARE(virtualKeyForKeysym(XK_F1 + i), 0x70 + i);
    }
    // The ends of the runs, spelled out by name.
    QCOMPARE(keysymForVirtualKey(0x5A), XStringToKeysym("z"));
    QCOMPARE(keysymForVirtualKey(0x87), XStringToKeysym("F24"));
    QCOMPARE(keysymForVirtualKey(0x69), XStringToKeysym("KP_9"));
}

void TestKeyTable::namedKeysMapBothWays_data()
{
    QTest::addColumn<uint>("virtualKey");
    QTest::addColumn<QString>("keysymName");
    const std::pair<uint, const char*> rows[] = {
        {0x2D, "Insert"},       {0x2E, "Delete"},       {0x24, "Home"},        {0x23, "End"},
        {0x21, "Prior"},        {0x22, "Next"},         {0x25, "Left"},        {0x26, "Up"},
        {0x27, "Right"},        {0x28, "Down"},         {0x6A, "KP_Multiply"}, {0x6B, "KP_Add"},
        {0x6C, "KP_Separator"}, {0x6D, "KP_Subtract"},  {0x6E, "KP_Decimal"},  {0x6F, "KP_Divide"},
        {0xBA, "semicolon"},    {0xBB, "equal"},        {0xBC, "comma"},       {0xBD, "minus"},
        {0xBE, "period"},       {0xBF, "slash"},        {0xC0, "grave"},       {0xDB, "bracketleft"},
        {0xDC, "backslash"},    {0xDD, "bracketright"}, {0xDE, "apostrophe"},  {0x13, "Pause"},
        {0x2C, "Print"},        {0x20, "space"},        {0x09, "Tab"},         {0x0D, "Return"},
        {0x1B, "Escape"},       {0x08, "BackSpace"},    {0x14, "Caps_Lock"},   {0x91, "Scroll_Lock"},
        {0x90, "Num_Lock"},     {0x5D, "Menu"},
    };
    for (const auto& [virtualKey, name] : rows)
        QTest::newRow(name) << virtualKey << QString(name);
}

void TestKeyTable::namedKeysMapBothWays()
{
    QFETCH(uint, virtualKey);
    QFETCH(QString, keysymName);
    const KeySym keysym = XStringToKeysym(keysymName.toLatin1().constData());
    QVERIFY(keysym != NoSymbol);
    QCOMPARE(keysymForVirtualKey(virtualKey), keysym);
    QCOMPARE(virtualKeyForKeysym(keysym), virtualKey);
}

void TestKeyTable::otherKeysymsOfTheSameKeysAreAccepted()
{
    QCOMPARE(virtualKeyForKeysym(XK_KP_Enter), 0x0Du);
    QCOMPARE(virtualKeyForKeysym(XK_ISO_Left_Tab), 0x09u);
    QCOMPARE(virtualKeyForKeysym(XK_Sys_Req), 0x2Cu);
    QCOMPARE(virtualKeyForKeysym(XK_Break), 0x13u);
    // ...but a code maps to the key's main keysym.
    QCOMPARE(keysymForVirtualKey(0x0D), static_cast<KeySym>(XK_Return));
    QCOMPARE(keysymForVirtualKey(0x09), static_cast<KeySym>(XK_Tab));
}

void TestKeyTable::everyMappedCodeComesBack()
{
    int mapped = 0;
    for (std::uint32_t virtualKey = 0; virtualKey < 256; ++virtualKey) {
        const KeySym keysym = keysymForVirtualKey(virtualKey);
        if (keysym == NoSymbol)
            continue;
        ++mapped;
        QVERIFY2(virtualKeyForKeysym(keysym) == virtualKey, qPrintable(QString::number(virtualKey, 16)));
    }
    // 26 letters, 10 digits, 24 function keys, 10 keypad digits and 38 others.
    QCOMPARE(mapped, 108);
}

void TestKeyTable::keysWithoutEquivalentMapToNothing()
{
    for (std::uint32_t virtualKey : {0x00u, 0x07u, 0x10u, 0x11u, 0x12u, 0x5Bu, 0x88u, 0xFFu, 0x141u})
        QCOMPARE(keysymForVirtualKey(virtualKey), static_cast<KeySym>(NoSymbol));
    for (KeySym keysym : {KeySym(NoSymbol), KeySym(XK_Shift_L), KeySym(XK_Control_R), KeySym(XK_eacute),
                          KeySym(XK_KP_Home), KeySym(XK_F25)})
        QCOMPARE(virtualKeyForKeysym(keysym), 0u);
}

void TestKeyTable::modifierBitsMapBothWays()
{
    QCOMPARE(xModifiersForModBits(kModAlt), static_cast<unsigned>(Mod1Mask));
    QCOMPARE(xModifiersForModBits(kModControl), static_cast<unsigned>(ControlMask));
    QCOMPARE(xModifiersForModBits(kModShift), static_cast<unsigned>(ShiftMask));
    QCOMPARE(xModifiersForModBits(kModWin), static_cast<unsigned>(Mod4Mask));
    QCOMPARE(xModifiersForModBits(kModAlt | kModControl), static_cast<unsigned>(Mod1Mask | ControlMask));
    // MOD_NOREPEAT (0x4000) and unknown bits have no mask.
    QCOMPARE(xModifiersForModBits(0x4000 | 0x10 | kModShift), static_cast<unsigned>(ShiftMask));
    for (std::uint32_t bits = 0; bits < 16; ++bits)
        QCOMPARE(modBitsForXModifiers(xModifiersForModBits(bits)), bits);
}

void TestKeyTable::lockAndButtonStateIsIgnored()
{
    const unsigned int noise = LockMask | Mod2Mask | Mod3Mask | Mod5Mask | Button1Mask | Button3Mask;
    QCOMPARE(modBitsForXModifiers(noise), 0u);
    QCOMPARE(modBitsForXModifiers(noise | ControlMask | Mod1Mask), kModControl | kModAlt);
    QCOMPARE(relevantXModifiers(noise | ShiftMask | Mod4Mask), static_cast<unsigned>(ShiftMask | Mod4Mask));
    QCOMPARE(relevantXModifiers(noise), 0u);
}

void TestKeyTable::keyNames_data()
{
    QTest::addColumn<uint>("virtualKey");
    QTest::addColumn<QString>("name");
    QTest::newRow("letter") << 0x50u << "P";
    QTest::newRow("digit") << 0x30u << "0";
    QTest::newRow("F5") << 0x74u << "F5";
    QTest::newRow("F24") << 0x87u << "F24";
    QTest::newRow("keypad digit") << 0x67u << "Num 7";
    QTest::newRow("keypad multiply") << 0x6Au << "Num *";
    QTest::newRow("keypad decimal") << 0x6Eu << "Num .";
    QTest::newRow("page up") << 0x21u << "Page Up";
    QTest::newRow("space") << 0x20u << "Space";
    QTest::newRow("escape") << 0x1Bu << "Esc";
    QTest::newRow("semicolon") << 0xBAu << ";";
    QTest::newRow("backslash") << 0xDCu << "\\";
    QTest::newRow("no key") << 0u << "";
    QTest::newRow("unnamed") << 0xE8u << "Key 0xE8";
}

void TestKeyTable::keyNames()
{
    QFETCH(uint, virtualKey);
    QFETCH(QString, name);
    QCOMPARE(QString::fromStdString(virtualKeyName(virtualKey)), name);
}

void TestKeyTable::everyMappedCodeHasAName()
{
    for (std::uint32_t virtualKey = 1; virtualKey < 256; ++virtualKey) {
        if (keysymForVirtualKey(virtualKey) == NoSymbol)
            continue;
        const std::string name = virtualKeyName(virtualKey);
        QVERIFY2(!name.empty() && name.rfind("Key 0x", 0) != 0, qPrintable(QString::number(virtualKey, 16)));
    }
}

QUORVEL_TEST_MAIN_CORE(TestKeyTable)
#include "tst_keytable.moc"
