// 100,000 seeded inputs for the decoder: random bytes, damaged valid files and
// files that state huge or negative counts. Each one is checked by
// checkDecoder (SequenceDecoderCheck.h) under AddressSanitizer.
#include "SequenceDecoderCheck.h"

#include "files/SequenceCodec.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QTest>

#include <limits>
#include <random>

using Bytes = std::vector<std::uint8_t>;

namespace {

class InputMaker {
public:
    explicit InputMaker(std::uint64_t seed) : m_random(seed) {}

    Bytes randomBytes()
    {
        Bytes bytes(below(200));
        for (std::uint8_t& b : bytes)
            b = static_cast<std::uint8_t>(m_random());
        return bytes;
    }

    Bytes validFile()
    {
        std::vector<CClickEntry> entries(below(12));
        for (CClickEntry& e : entries) {
            e.m_delay = static_cast<std::uint32_t>(m_random());
            e.m_serial = static_cast<std::uint16_t>(m_random());
            e.m_x = static_cast<std::uint32_t>(m_random());
            e.m_y = static_cast<std::uint32_t>(m_random());
            e.m_cursorBack = static_cast<int>(below(2));
            e.m_clickType = static_cast<int>(below(4));
        }
        return files::encodeSequence(static_cast<std::int32_t>(below(10001)), entries);
    }

    // A valid file with one to four faults: flipped bytes, a cut, junk at
    // the end, or a count that says something else.
    Bytes damagedFile()
    {
        Bytes bytes = validFile();
        for (std::size_t n = 1 + below(4); n > 0; --n) {
            switch (below(4)) {
            case 0:
                if (!bytes.empty())
                    bytes[below(bytes.size())] ^= static_cast<std::uint8_t>(1 + below(255));
                break;
            case 1:
                bytes.resize(below(bytes.size() + 1));
                break;
            case 2:
                for (std::size_t k = below(40); k > 0; --k)
                    bytes.push_back(static_cast<std::uint8_t>(m_random()));
                break;
            default:
                setCount(bytes, oddCount());
                break;
            }
        }
        return bytes;
    }

    // A header stating a huge, negative or boundary count over little data.
    Bytes hugeCountFile()
    {
        Bytes bytes = below(2) ? validFile() : Bytes(8 + below(60), 0x5A);
        setCount(bytes, oddCount());
        return bytes;
    }

private:
    std::size_t below(std::size_t n) { return n ? static_cast<std::size_t>(m_random() % n) : 0; }

    std::int32_t oddCount()
    {
        static const std::int32_t kCounts[] = {std::numeric_limits<std::int32_t>::max(),
                                               std::numeric_limits<std::int32_t>::min(),
                                               -1,
                                               0,
                                               1,
                                               2,
                                               1000000,
                                               0x7FFFFFF0,
                                               0x10000000};
        if (below(3) == 0)
            return static_cast<std::int32_t>(m_random());
        return kCounts[below(sizeof kCounts / sizeof kCounts[0])];
    }

    static void setCount(Bytes& bytes, std::int32_t count)
    {
        for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(count) >> (8 * i));
    }

    std::mt19937_64 m_random;
};

} // namespace

class SequenceDecoderRandomTest : public QObject {
    Q_OBJECT

private slots:
    void hundredThousandInputsKeepEveryProperty()
    {
        const std::uint64_t seed = 20240611;
        InputMaker maker(seed);
        for (int i = 0; i < 100000; ++i) {
            Bytes input;
            switch (i % 4) {
            case 0:
                input = maker.randomBytes();
                break;
            case 1:
                input = maker.damagedFile();
                break;
            case 2:
                input = maker.hugeCountFile();
                break;
            default:
                input = maker.validFile();
                break;
            }
            const std::string failure = files::test::checkDecoder(input.data(), input.size());
            if (!failure.empty())
                QFAIL(qPrintable(QString("seed %1, input %2 (%3 bytes): %4")
                                     .arg(seed)
                                     .arg(i)
                                     .arg(input.size())
                                     .arg(QString::fromStdString(failure))));
        }
    }
};

QUORVEL_TEST_MAIN_CORE(SequenceDecoderRandomTest)
#include "SequenceDecoderRandomTest.moc"
