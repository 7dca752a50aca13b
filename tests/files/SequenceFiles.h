// Sequence files for the tests, written and read as plain bytes in a
// temporary folder.
#pragma once

#include "files/SequenceCodec.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <vector>

namespace quorvel::test {

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

inline QByteArray sequenceBytes(std::int32_t repeatCount, const std::vector<CClickEntry>& entries)
{
    const std::vector<std::uint8_t> bytes = files::encodeSequence(repeatCount, entries);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// The file the program should write for these rows: each serial is the row's
// 1-based place, as a list filled by appending shows it.
inline QByteArray numberedSequenceBytes(std::int32_t repeatCount, std::vector<CClickEntry> entries)
{
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i].m_serial = static_cast<std::uint16_t>(i + 1);
    return sequenceBytes(repeatCount, entries);
}

} // namespace quorvel::test
