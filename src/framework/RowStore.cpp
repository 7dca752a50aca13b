#include "framework/RowStore.h"

#include <QByteArray>

#include <algorithm>
#include <cassert>

namespace {

// Cell tags.
enum : std::uint8_t {
    kEmpty = 0,
    kNumber = 1, // varint value; the text is its canonical decimal form
    kPooled = 2, // varint index into the text pool
    kRaw = 3,    // varint length, then UTF-8 bytes
};

// Texts longer than this, or arriving once the pool is full, are kept raw.
constexpr int kPoolableLength = 48;
constexpr size_t kPoolCapacity = 1024;

void putVarint(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    while (value >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(value));
}

std::uint32_t getVarint(const std::uint8_t*& p)
{
    std::uint32_t value = 0;
    int shift = 0;
    while (*p & 0x80) {
        value |= static_cast<std::uint32_t>(*p++ & 0x7F) << shift;
        shift += 7;
    }
    value |= static_cast<std::uint32_t>(*p++) << shift;
    return value;
}

// The value of `text` when it is exactly the decimal form of an unsigned
// 32-bit number (no sign, no spaces, no leading zero), so that decoding the
// number gives the same text back.
bool canonicalNumber(const QString& text, std::uint32_t& value)
{
    const int n = static_cast<int>(text.size());
    if (n == 0 || n > 10 || (n > 1 && text[0] == QLatin1Char('0')))
        return false;
    std::uint64_t v = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        v = v * 10 + static_cast<std::uint64_t>(c.unicode() - '0');
    }
    if (v > 0xFFFFFFFFu)
        return false;
    value = static_cast<std::uint32_t>(v);
    return true;
}

} // namespace

RowStore::RowStore(int columnCount) : m_columnCount(std::max(1, columnCount)) {}

void RowStore::setColumnCount(int count)
{
    count = std::max(1, count);
    if (count == m_columnCount)
        return;
    const int keep = std::min(count, m_columnCount);
    std::vector<std::uint8_t> bytes;
    for (Row& row : m_rows) {
        if (row.size == 0)
            continue;
        bytes.clear();
        const std::uint8_t* p = m_arena.data() + row.offset;
        for (int c = 0; c < keep; ++c) {
            const std::uint8_t* start = p;
            skipCell(p);
            bytes.insert(bytes.end(), start, p);
        }
        for (int c = keep; c < count; ++c)
            bytes.push_back(kEmpty);
        replaceRowBytes(row, bytes);
    }
    m_columnCount = count;
}

void RowStore::insertRow(int index)
{
    assert(index >= 0 && index <= rowCount());
    m_rows.insert(m_rows.begin() + index, Row{});
}

void RowStore::appendRows(int count)
{
    m_rows.resize(m_rows.size() + static_cast<size_t>(std::max(0, count)));
}

void RowStore::appendRow(const RowCell* cells, int count, std::intptr_t data)
{
    m_scratch.clear();
    for (int c = 0; c < m_columnCount; ++c) {
        if (c >= count) {
            m_scratch.push_back(kEmpty);
            continue;
        }
        switch (cells[c].m_kind) {
        case RowCell::Kind::Number:
            encodeNumber(cells[c].m_value, m_scratch);
            break;
        case RowCell::Kind::Pooled:
            m_scratch.push_back(kPooled);
            putVarint(m_scratch, cells[c].m_value);
            break;
        case RowCell::Kind::Text:
            encodeCell(cells[c].m_text, m_scratch);
            break;
        }
    }
    Row row;
    row.data = data;
    appendToArena(row, m_scratch);
    m_rows.push_back(row);
}

void RowStore::removeRow(int index)
{
    assert(index >= 0 && index < rowCount());
    m_garbage += m_rows[static_cast<size_t>(index)].size;
    m_rows.erase(m_rows.begin() + index);
    if (m_rows.empty()) {
        m_arena.clear();
        m_garbage = 0;
    }
}

void RowStore::clear()
{
    std::vector<Row>().swap(m_rows);
    std::vector<std::uint8_t>().swap(m_arena);
    m_garbage = 0;
}

QString RowStore::text(int row, int column) const
{
    const Row& r = m_rows[static_cast<size_t>(row)];
    if (r.size == 0 || column < 0 || column >= m_columnCount)
        return QString();
    const std::uint8_t* p = m_arena.data() + r.offset;
    for (int c = 0; c < column; ++c)
        skipCell(p);
    return decodeCell(p);
}

void RowStore::cells(int row, CellView* out, int count) const
{
    const Row& r = m_rows[static_cast<size_t>(row)];
    const std::uint8_t* p = r.size ? m_arena.data() + r.offset : nullptr;
    for (int c = 0; c < count; ++c) {
        CellView& cell = out[c];
        cell = CellView();
        if (!p || c >= m_columnCount)
            continue;
        switch (*p++) {
        case kNumber:
            cell.kind = CellView::Kind::Number;
            cell.number = getVarint(p);
            break;
        case kPooled:
            cell.kind = CellView::Kind::Text;
            cell.text = &m_pool[getVarint(p)];
            break;
        case kRaw:
            cell.kind = CellView::Kind::Text;
            p += getVarint(p);
            break;
        default:
            break;
        }
    }
}

void RowStore::setText(int row, int column, const QString& text)
{
    if (column < 0 || column >= m_columnCount)
        return;
    Row& r = m_rows[static_cast<size_t>(row)];
    m_scratch.clear();
    const std::uint8_t* p = r.size ? m_arena.data() + r.offset : nullptr;
    for (int c = 0; c < m_columnCount; ++c) {
        const std::uint8_t* start = p;
        if (p)
            skipCell(p);
        if (c == column)
            encodeCell(text, m_scratch);
        else if (start)
            m_scratch.insert(m_scratch.end(), start, p);
        else
            m_scratch.push_back(kEmpty);
    }
    replaceRowBytes(r, m_scratch);
}

void RowStore::replaceRowBytes(Row& row, const std::vector<std::uint8_t>& bytes)
{
    const bool atEnd = row.size != 0 && row.offset + row.size == m_arena.size();
    if (atEnd) {
        // The row written last (the usual case while rows are appended and
        // filled cell by cell): rewrite it in place.
        m_arena.resize(row.offset);
    } else {
        m_garbage += row.size;
        if (m_garbage > (1u << 20) && m_garbage > m_arena.size() / 2) {
            row.size = 0; // its old bytes are dropped by the compaction
            compact();
        }
    }
    appendToArena(row, bytes);
}

void RowStore::appendToArena(Row& row, const std::vector<std::uint8_t>& bytes)
{
    row.offset = static_cast<std::uint32_t>(m_arena.size());
    row.size = static_cast<std::uint32_t>(bytes.size());
    if (m_arena.capacity() < m_arena.size() + bytes.size())
        m_arena.reserve(std::max(m_arena.size() + bytes.size(), m_arena.capacity() + m_arena.capacity() / 2 + 256));
    m_arena.insert(m_arena.end(), bytes.begin(), bytes.end());
}

void RowStore::compact()
{
    std::vector<std::uint8_t> arena;
    arena.reserve(m_arena.size() - std::min(m_garbage, m_arena.size()) + 256);
    for (Row& row : m_rows) {
        if (row.size == 0)
            continue;
        const auto begin = m_arena.begin() + row.offset;
        row.offset = static_cast<std::uint32_t>(arena.size());
        arena.insert(arena.end(), begin, begin + row.size);
    }
    m_arena.swap(arena);
    m_garbage = 0;
}

void RowStore::encodeCell(const QString& text, std::vector<std::uint8_t>& out)
{
    if (text.isEmpty()) {
        out.push_back(kEmpty);
        return;
    }
    std::uint32_t number = 0;
    if (canonicalNumber(text, number)) {
        encodeNumber(number, out);
        return;
    }
    if (const int index = poolIndex(text); index >= 0) {
        out.push_back(kPooled);
        putVarint(out, static_cast<std::uint32_t>(index));
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    out.push_back(kRaw);
    putVarint(out, static_cast<std::uint32_t>(utf8.size()));
    out.insert(out.end(), utf8.begin(), utf8.end());
}

int RowStore::poolIndex(const QString& text)
{
    if (text.size() > kPoolableLength)
        return -1;
    auto it = m_poolIndex.find(text);
    if (it == m_poolIndex.end()) {
        if (m_pool.size() >= kPoolCapacity)
            return -1;
        it = m_poolIndex.insert(text, static_cast<std::uint32_t>(m_pool.size()));
        m_pool.push_back(text);
    }
    return static_cast<int>(it.value());
}

RowCell RowStore::prepareCell(const QString& text)
{
    std::uint32_t number = 0;
    if (text.isEmpty())
        return RowCell();
    if (canonicalNumber(text, number))
        return RowCell::number(number);
    if (const int index = poolIndex(text); index >= 0)
        return RowCell(RowCell::Kind::Pooled, static_cast<std::uint32_t>(index));
    return RowCell(text);
}

void RowStore::encodeNumber(std::uint32_t value, std::vector<std::uint8_t>& out)
{
    out.push_back(kNumber);
    putVarint(out, value);
}

QString RowStore::decodeCell(const std::uint8_t*& p) const
{
    switch (*p++) {
    case kNumber:
        return QString::number(getVarint(p));
    case kPooled:
        return m_pool[getVarint(p)];
    case kRaw: {
        const std::uint32_t length = getVarint(p);
        const QString text = QString::fromUtf8(reinterpret_cast<const char*>(p), static_cast<qsizetype>(length));
        p += length;
        return text;
    }
    default:
        return QString();
    }
}

void RowStore::skipCell(const std::uint8_t*& p)
{
    switch (*p++) {
    case kNumber:
    case kPooled:
        getVarint(p);
        break;
    case kRaw:
        p += getVarint(p);
        break;
    default:
        break;
    }
}

size_t RowStore::memoryUsage() const
{
    size_t bytes = m_rows.capacity() * sizeof(Row) + m_arena.capacity() + m_scratch.capacity();
    for (const QString& s : m_pool)
        bytes += sizeof(QString) + static_cast<size_t>(s.capacity()) * sizeof(QChar);
    return bytes;
}
