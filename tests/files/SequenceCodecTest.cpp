// The sequence file bytes: the byte reader and writer, encoding, and decoding
// of well-formed, short, over-long and odd files.
#include "files/SequenceCodec.h"
#include "files/ByteReader.h"
#include "files/ByteWriter.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QTest>

#include <limits>
#include <stdexcept>

using files::ByteReader;
using files::ByteWriter;
using files::decodeSequence;
using files::encodeSequence;
using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace {

CClickEntry entry(std::uint32_t delay, std::uint16_t serial, std::uint32_t x, std::uint32_t y, int cursorBack,
                  int clickType)
{
    CClickEntry e;
    e.m_delay = delay;
    e.m_serial = serial;
    e.m_x = x;
    e.m_y = y;
    e.m_cursorBack = cursorBack;
    e.m_clickType = clickType;
    return e;
}

bool sameEntry(const CClickEntry& a, const CClickEntry& b)
{
    return a.m_delay == b.m_delay && a.m_serial == b.m_serial && a.m_x == b.m_x && a.m_y == b.m_y &&
           a.m_cursorBack == b.m_cursorBack && a.m_clickType == b.m_clickType;
}

// The example file: repeat count 5, one click (cursor back, 1000 ms, X 100,
// Y 200, double left click, serial 1).
const Bytes kExample = {
    0x01, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xE8, 0x03, 0x00, 0x00, 0x64,
    0x00, 0x00, 0x00, 0xC8, 0x00, 0x00, 0x00, 0xC8, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00,
};

Bytes header(std::int32_t count, std::int32_t repeat)
{
    ByteWriter w;
    w.appendI32(count);
    w.appendI32(repeat);
    return w.take();
}

void appendRecordBytes(Bytes& bytes, std::int32_t cursorBack, std::uint32_t delay, std::uint32_t x, std::uint32_t y1,
                       std::uint32_t y2, std::int32_t clickType, std::uint16_t serial)
{
    ByteWriter w;
    w.appendI32(cursorBack);
    w.appendU32(delay);
    w.appendU32(x);
    w.appendU32(y1);
    w.appendU32(y2);
    w.appendI32(clickType);
    w.appendU16(serial);
    bytes.insert(bytes.end(), w.bytes().begin(), w.bytes().end());
}

} // namespace

class SequenceCodecTest : public QObject {
    Q_OBJECT

private slots:
    void bytesAreLittleEndianAndTakesStopAtTheEnd()
    {
        ByteWriter w;
        w.appendU32(0x11223344u);
        w.appendI32(-2);
        w.appendU16(0xA1B2);
        const Bytes bytes = w.take();
        QCOMPARE(bytes, (Bytes{0x44, 0x33, 0x22, 0x11, 0xFE, 0xFF, 0xFF, 0xFF, 0xB2, 0xA1}));

        ByteReader r(bytes.data(), 7); // the last value cut short
        std::uint32_t u = 0;
        std::int32_t i = 0;
        QVERIFY(r.takeU32(u) && u == 0x11223344u);
        QVERIFY(!r.takeI32(i)); // three bytes left: fails without moving
        QCOMPARE(r.remaining(), std::size_t(3));
        std::uint16_t s = 0;
        QVERIFY(r.takeU16(s) && s == 0xFFFE);
        QVERIFY(!r.takeU16(s));
        QCOMPARE(r.position(), std::size_t(6));
    }

    void theExampleFile()
    {
        const CClickEntry click = entry(1000, 1, 100, 200, 1, DoubleLeftClick);
        QCOMPARE(encodeSequence(5, {click}), kExample);
        const files::DecodedSequence d = decodeSequence(kExample);
        QVERIFY(d.hasEntryCount && d.hasRepeatCount && !d.endedEarly);
        QCOMPARE(d.entryCount, 1);
        QCOMPARE(d.repeatCount, 5);
        QCOMPARE(d.entries.size(), std::size_t(1));
        QVERIFY(sameEntry(d.entries[0], click));
    }

    void roundTripKeepsEveryValue()
    {
        QCOMPARE(encodeSequence(10000, {}), header(0, 10000)); // an empty sequence is 8 bytes

        // Extremes of every field: full 32-bit delays and coordinates (a
        // position left of the primary screen is held as its bit pattern),
        // the largest serial, click types outside 0..3.
        const std::vector<CClickEntry> entries = {
            entry(0, 0, 0, 0, 0, SingleLeftClick),
            entry(4294967295u, 65535, 4294967295u, 2147483648u, 1, DoubleRightClick),
            entry(1, 7, static_cast<std::uint32_t>(-5), 1080, 0, -1),
            entry(250, 3, 1919, 0, 1, 17),
        };
        const Bytes bytes = encodeSequence(-3, entries);
        QCOMPARE(bytes.size(), std::size_t(8 + 26 * 4));
        const files::DecodedSequence d = decodeSequence(bytes);
        QCOMPARE(d.repeatCount, -3);
        QCOMPARE(d.entries.size(), entries.size());
        for (std::size_t k = 0; k < entries.size(); ++k)
            QVERIFY2(sameEntry(d.entries[k], entries[k]), qPrintable(QString("entry %1").arg(k)));
    }

    void cursorBackIsSavedAsOneButLoadedAsStored()
    {
        const Bytes saved = encodeSequence(0, {entry(10, 1, 2, 3, 5, 0), entry(10, 1, 2, 3, -1, 0)});
        QCOMPARE(Bytes(saved.begin() + 8, saved.begin() + 12), (Bytes{1, 0, 0, 0}));
        QCOMPARE(Bytes(saved.begin() + 34, saved.begin() + 38), (Bytes{1, 0, 0, 0}));

        Bytes stored = header(1, 0);
        appendRecordBytes(stored, 5, 20, 30, 111, 222, 1, 9); // the two Y copies differ
        const files::DecodedSequence d = decodeSequence(stored);
        QCOMPARE(d.entries.size(), std::size_t(1));
        QCOMPARE(d.entries[0].m_cursorBack, 5);
        QCOMPARE(d.entries[0].m_y, 222u);
    }

    void incompleteAndOddFiles_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<bool>("hasCount");
        QTest::addColumn<bool>("hasRepeat");
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("endedEarly");
        const std::int32_t max = std::numeric_limits<std::int32_t>::max();
        for (int size = 0; size < 8; ++size)
            QTest::addRow("%d bytes", size)
                << Bytes(kExample.begin(), kExample.begin() + size) << (size >= 4) << false << 0 << true;
        Bytes twoOfFive = encodeSequence(2, {entry(1, 1, 1, 1, 0, 0), entry(2, 2, 2, 2, 0, 1)});
        twoOfFive[0] = 5;
        twoOfFive.insert(twoOfFive.end(), 25, 0xAB); // a third record one byte short
        QTest::newRow("count beyond the records") << twoOfFive << true << true << 2 << true;
        Bytes trailing = kExample;
        trailing.insert(trailing.end(), 30, 0x01); // more than a record's worth
        QTest::newRow("bytes after the last record") << trailing << true << true << 1 << false;
        for (std::int32_t count : {0, -1, std::numeric_limits<std::int32_t>::min()}) {
            Bytes bytes = header(count, 4);
            bytes.insert(bytes.end(), kExample.begin() + 8, kExample.end());
            QTest::addRow("count %d", count) << bytes << true << true << 0 << false;
        }
        QTest::newRow("huge count, no records") << header(max, 1) << true << true << 0 << true;
        Bytes oneOfMany = kExample;
        oneOfMany[3] = 0x7F;
        QTest::newRow("huge count, one record") << oneOfMany << true << true << 1 << true;
    }
    void incompleteAndOddFiles()
    {
        QFETCH(Bytes, bytes);
        QFETCH(bool, hasCount);
        QFETCH(bool, hasRepeat);
        QFETCH(int, entries);
        QFETCH(bool, endedEarly);
        const files::DecodedSequence d = decodeSequence(bytes);
        QCOMPARE(d.hasEntryCount, hasCount);
        QCOMPARE(d.hasRepeatCount, hasRepeat);
        QCOMPARE(d.entries.size(), std::size_t(entries));
        QCOMPARE(d.endedEarly, endedEarly);
        // Memory follows the records present, not the count stated.
        QVERIFY(d.entries.capacity() <= std::size_t(entries));
    }

    void countTooLargeForTheHeaderIsRefused()
    {
        ByteWriter w;
        const std::size_t tooMany = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) + 1;
        QVERIFY_THROWS_EXCEPTION(std::length_error, files::appendSequenceHeader(w, tooMany, 0));
        QCOMPARE(w.size(), std::size_t(0));
        files::appendSequenceHeader(w, tooMany - 1, 0);
        QCOMPARE(w.bytes(), header(std::numeric_limits<std::int32_t>::max(), 0));
    }
};

QUORVEL_TEST_MAIN_CORE(SequenceCodecTest)
#include "SequenceCodecTest.moc"
