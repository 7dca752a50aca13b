// The rows of a report list, kept compactly: one 16-byte header per row and
// the row's cells encoded back to back in one shared byte arena. A cell that
// is a plain decimal number is kept as a number, a text that repeats (such as
// a click-type name) as an index into a small pool of texts, anything else as
// UTF-8. A million rows of a click sequence take about 35 MB.
#pragma once

#include <QString>

#include <algorithm>
#include <cstdint>
#include <QHash>
#include <vector>

// One cell of a row appended whole (RowStore::appendRow): empty, a text, an
// unsigned number that stands for its decimal text without making it, or a
// text the store has already taken in (RowStore::prepareCell).
class RowCell {
public:
    RowCell() = default;
    RowCell(const QString& text) : m_text(text) {}
    static RowCell number(std::uint32_t value) { return RowCell(Kind::Number, value); }
    bool isEmpty() const { return m_kind == Kind::Text && m_text.isEmpty(); }

    // Cells are copied once per cell of every row appended in bulk; the
    // text is left alone when neither side has one.
    RowCell(const RowCell&) = default;
    RowCell& operator=(const RowCell& other)
    {
        if (!m_text.isNull() || !other.m_text.isNull())
            m_text = other.m_text;
        m_value = other.m_value;
        m_kind = other.m_kind;
        return *this;
    }

private:
    friend class RowStore;
    enum class Kind : std::uint8_t { Text, Number, Pooled };
    RowCell(Kind kind, std::uint32_t value) : m_value(value), m_kind(kind) {}

    QString m_text;
    std::uint32_t m_value = 0; // Number: the value; Pooled: the index in the store's pool
    Kind m_kind = Kind::Text;
};

class RowStore {
public:
    explicit RowStore(int columnCount = 1);

    int columnCount() const { return m_columnCount; }
    // Changing the column count keeps the existing cells of the columns that
    // stay; new columns start empty.
    void setColumnCount(int count);

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    // Inserts an empty row at `index` (0..rowCount()).
    void insertRow(int index);
    // Appends `count` empty rows.
    void appendRows(int count);
    // Appends one row with these cells, in column order (missing cells are
    // empty, extra ones dropped), and this item data. The row reads back as
    // one inserted at the end and then given each text with setText.
    void appendRow(const RowCell* cells, int count, std::intptr_t data);
    // `text` as a cell to append to many rows: stored as setText would
    // store it, but looked up once rather than for every row.
    RowCell prepareCell(const QString& text);
    // Makes room for `rows` rows in all.
    void reserveRows(int rows) { m_rows.reserve(static_cast<size_t>(std::max(0, rows))); }
    void removeRow(int index);
    void clear();

    QString text(int row, int column) const;

    // A cell seen without making its text.
    struct CellView {
        enum class Kind { Empty, Number, Text };
        Kind kind = Kind::Empty;
        std::uint32_t number = 0;      // Number: the cell's text is this value in decimal
        const QString* text = nullptr; // Text: the text when the store keeps it whole, else null (see text())
    };
    // The first `count` cells of `row` (cells past the last column are
    // empty), in one pass over the row's bytes; allocates nothing.
    void cells(int row, CellView* out, int count) const;
    void setText(int row, int column, const QString& text);
    std::intptr_t data(int row) const { return m_rows[static_cast<size_t>(row)].data; }
    void setData(int row, std::intptr_t data) { m_rows[static_cast<size_t>(row)].data = data; }

    // Bytes held for rows, cells and pooled texts (capacity, not size).
    size_t memoryUsage() const;

private:
    struct Row {
        std::intptr_t data = 0;
        std::uint32_t offset = 0; // into m_arena
        std::uint32_t size = 0;   // encoded bytes of all cells; 0 = every cell empty
    };

    // Appends the encoding of `text` to `out`.
    void encodeCell(const QString& text, std::vector<std::uint8_t>& out);
    // The index of `text` in the pool, adding it when there is room; -1 when
    // it is not kept there.
    int poolIndex(const QString& text);
    static void encodeNumber(std::uint32_t value, std::vector<std::uint8_t>& out);
    void appendToArena(Row& row, const std::vector<std::uint8_t>& bytes);
    QString decodeCell(const std::uint8_t*& p) const;
    static void skipCell(const std::uint8_t*& p);
    void replaceRowBytes(Row& row, const std::vector<std::uint8_t>& bytes);
    void compact();

    int m_columnCount;
    std::vector<Row> m_rows;
    std::vector<std::uint8_t> m_arena;
    size_t m_garbage = 0;
    std::vector<QString> m_pool;
    QHash<QString, std::uint32_t> m_poolIndex;
    std::vector<std::uint8_t> m_scratch;
};
