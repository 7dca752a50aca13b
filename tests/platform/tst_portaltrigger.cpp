// Stored hot keys (virtual key and MOD_ bits) as the desktop portal's
// shortcut triggers, and back.
#include "platform/Platform.h"
#include "platform/portal/PortalTrigger.h"

#include <QtTest>

using namespace platform;
using namespace platform::portal;

class TestPortalTrigger : public QObject {
    Q_OBJECT
private slots:
    void triggersBothWays_data();
    void triggersBothWays();
    void whatCannotBeATrigger();
};

void TestPortalTrigger::triggersBothWays_data()
{
    QTest::addColumn<uint>("modifiers");
    QTest::addColumn<uint>("virtualKey");
    QTest::addColumn<QString>("trigger");
    QTest::newRow("letter") << uint(kModControl | kModAlt) << 0x53u << "CTRL+ALT+s";
    QTest::newRow("digit") << uint(kModShift) << 0x37u << "SHIFT+7";
    QTest::newRow("F-key alone") << 0u << 0x74u << "F5";
    QTest::newRow("F24") << uint(kModWin) << 0x87u << "LOGO+F24";
    QTest::newRow("all four in order") << uint(kModWin | kModShift | kModAlt | kModControl) << 0x5Au
                                       << "CTRL+ALT+SHIFT+LOGO+z";
    QTest::newRow("keypad") << uint(kModControl) << 0x67u << "CTRL+KP_7";
}

void TestPortalTrigger::triggersBothWays()
{
    QFETCH(uint, modifiers);
    QFETCH(uint, virtualKey);
    QFETCH(QString, trigger);
    QCOMPARE(QString::fromStdString(triggerFor({modifiers, virtualKey})), trigger);
    const auto back = combinationForTrigger(trigger.toStdString());
    QVERIFY(back);
    QCOMPARE(back->modifiers, modifiers);
    QCOMPARE(back->virtualKey, virtualKey);
}

void TestPortalTrigger::whatCannotBeATrigger()
{
    // Read back as a desktop may spell them.
    QCOMPARE(combinationForTrigger("ctrl+Alt+S"), (HotKeyCombination{kModControl | kModAlt, 0x53}));
    // No key, two keys, an empty part, Num Lock as a modifier, an unknown key.
    for (const char* text : {"", "CTRL", "CTRL+ALT", "a+b", "CTRL++s", "NUM+s", "CTRL+nosuchkey"})
        QVERIFY2(!combinationForTrigger(text), text);
    // A key with no name in the keyboard's vocabulary has no trigger.
    QCOMPARE(triggerFor({kModControl, 0xFF}), std::string());
}

QTEST_GUILESS_MAIN(TestPortalTrigger)
#include "tst_portaltrigger.moc"
