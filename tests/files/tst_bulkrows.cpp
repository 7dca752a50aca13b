// Rows appended in bulk must be indistinguishable from rows inserted one at
// a time: in the compact row store, in the list model, and in the sequence
// list where a load puts them.
#include "files/SequenceRows.h"
#include "framework/ListView.h"
#include "framework/RowStore.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

using namespace quorvel::test;

namespace {

QStringList storeContents(const RowStore& store)
{
    QStringList out;
    for (int r = 0; r < store.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < store.columnCount(); ++c)
            cells << store.text(r, c);
        cells << QString::number(store.data(r));
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

QStringList listContents(CClickerDlg& dlg)
{
    QStringList out;
    for (int r = 0; r < dlg.m_list.GetItemCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 6; ++c)
            cells << dlg.m_list.GetItemText(r, c);
        cells << QString::number(dlg.m_list.GetItemData(r));
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

// Clicks with every kind of value a row shows differently.
std::vector<CClickEntry> awkwardEntries()
{
    std::vector<CClickEntry> entries = {
        makeEntry(0, 0, SingleLeftClick, 0, 0, 7),
        makeEntry(4294967295u, 2147483648u, SingleRightClick, 1, 4294967295u, 65535),
        makeEntry(127, 128, DoubleLeftClick, 5, 16384),
        makeEntry(1, 2, DoubleRightClick, -1, 1000),
        makeEntry(3, 4, -1, 0, 1),
        makeEntry(5, 6, 4, 0, 2),
        makeEntry(7, 8, 1000000, 1, 3),
    };
    for (int i = 0; i < 300; ++i)
        entries.push_back(makeEntry(static_cast<std::uint32_t>(i * 7), static_cast<std::uint32_t>(i), i % 4, i % 3,
                                    static_cast<std::uint32_t>(i * 13)));
    return entries;
}

} // namespace

class BulkRowsTest : public QObject {
    Q_OBJECT
private slots:
    void storeAppendReadsLikeInsertAndSetText();
    void appendedRowsSurviveLaterEdits();
    void modelAnnouncesOneInsertion();
    void clickRowsMatchInsertClickRow_data();
    void clickRowsMatchInsertClickRow();
    void appendingNoClicksChangesNothing();
};

void BulkRowsTest::storeAppendReadsLikeInsertAndSetText()
{
    const std::vector<QStringList> rows = {
        {"1", "Single Left Click", "0", "4294967295", "Yes", "1000"},
        {"007", "", "-1", " 5", "No", "4294967296"},
        {QString(300, QLatin1Char('x')), "Zürich ✓ 東京", "128", "16384", "2097152", "268435456"},
        {"only", "two"},                                // the other cells stay empty
        {"1", "2", "3", "4", "5", "6", "7", "8"},       // cells past the last column are dropped
        {},
    };
    RowStore byCell(6);
    RowStore whole(6);
    std::intptr_t data = -5;
    for (const QStringList& row : rows) {
        const int r = byCell.rowCount();
        byCell.insertRow(r);
        for (int c = 0; c < row.size() && c < 6; ++c)
            byCell.setText(r, c, row[c]);
        byCell.setData(r, data);
        std::vector<RowCell> cells(row.begin(), row.end());
        whole.appendRow(cells.data(), static_cast<int>(cells.size()), data);
        ++data;
    }
    // Numbers given as numbers read back as their decimal text.
    for (std::uint32_t value : {0u, 1u, 127u, 128u, 16383u, 16384u, 2147483648u, 4294967295u}) {
        const int r = byCell.rowCount();
        byCell.insertRow(r);
        byCell.setText(r, 0, QString::number(value));
        byCell.setText(r, 5, QStringLiteral("Yes"));
        const RowCell cells[] = {RowCell::number(value), {}, {}, {}, {}, QStringLiteral("Yes")};
        whole.appendRow(cells, 6, 0);
    }
    QCOMPARE(storeContents(whole), storeContents(byCell));
}

// Rewrites, removals and the compactions they cause treat appended rows like
// any other; a plain list of strings is the reference.
void BulkRowsTest::appendedRowsSurviveLaterEdits()
{
    constexpr int kColumns = 3;
    RowStore store(kColumns);
    std::vector<QStringList> model;
    QRandomGenerator random(99);
    for (int i = 0; i < 2000; ++i) {
        const QStringList row = {QString::number(i), QStringLiteral("No"), QString::number(random.bounded(100000))};
        const RowCell cells[] = {RowCell::number(static_cast<std::uint32_t>(i)), row[1], row[2]};
        store.appendRow(cells, kColumns, i);
        model.push_back(row);
    }
    const QString longText(400, QLatin1Char('q'));
    for (int step = 0; step < 6000; ++step) {
        const int r = static_cast<int>(random.bounded(static_cast<quint32>(model.size())));
        if (step % 10 == 9) {
            store.removeRow(r);
            model.erase(model.begin() + r);
        } else {
            const int c = static_cast<int>(random.bounded(kColumns));
            const QString text = longText + QString::number(step);
            store.setText(r, c, text);
            model[static_cast<size_t>(r)][c] = text;
        }
    }
    QCOMPARE(store.rowCount(), static_cast<int>(model.size()));
    for (int r = 0; r < store.rowCount(); ++r)
        for (int c = 0; c < kColumns; ++c)
            QCOMPARE(store.text(r, c), model[static_cast<size_t>(r)][c]);
}

void BulkRowsTest::modelAnnouncesOneInsertion()
{
    ListModel model;
    model.insertColumn(0, QStringLiteral("A"), 0);
    model.insertColumn(1, QStringLiteral("B"), 0);
    model.insertRow(0, QStringLiteral("first"));
    model.announceAppendedRows(); // what the event loop does after the handler
    QSignalSpy aboutToInsert(&model, &QAbstractItemModel::rowsAboutToBeInserted);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    bool cellsStartedEmpty = true;
    const int first = model.appendRows(4, [&](int k, RowCell* cells) {
        for (int c = 0; c < 2; ++c)
            cellsStartedEmpty = cellsStartedEmpty && cells[c].isEmpty();
        cells[0] = RowCell::number(static_cast<std::uint32_t>(k));
        if (k % 2 == 0)
            cells[1] = QStringLiteral("even");
        return std::intptr_t(100 + k);
    });
    QCOMPARE(first, 1);
    QVERIFY(cellsStartedEmpty);
    QCOMPARE(aboutToInsert.count(), 1);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted[0][1].toInt(), 1);
    QCOMPARE(inserted[0][2].toInt(), 4);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(reset.count(), 0);
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.text(0, 0), QStringLiteral("first"));
    QCOMPARE(model.text(3, 0), QStringLiteral("2"));
    QCOMPARE(model.text(3, 1), QStringLiteral("even"));
    QCOMPARE(model.text(4, 1), QString());
    QCOMPARE(model.itemData(4), std::intptr_t(103));

    QCOMPARE(model.appendRows(0, [](int, RowCell*) { return std::intptr_t(0); }), 5);
    QCOMPARE(inserted.count(), 1);
}

void BulkRowsTest::clickRowsMatchInsertClickRow_data()
{
    QTest::addColumn<int>("rowsBefore");
    QTest::newRow("empty list") << 0;
    QTest::newRow("after three rows") << 3;
}

void BulkRowsTest::clickRowsMatchInsertClickRow()
{
    QFETCH(int, rowsBefore);
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.show();
    ListView* view = dlg.m_list.GetWidget();
    const std::vector<CClickEntry> entries = awkwardEntries();
    const auto addRowsBefore = [&] {
        dlg.m_list.DeleteAllItems();
        for (int i = 0; i < rowsBefore; ++i)
            dlg.InsertClickRow(-1, makeEntry(9, 9));
        if (rowsBefore > 0)
            dlg.m_list.DeleteItem(0); // numbering goes by the row count, not the last number
        dlg.m_modified = 0;
    };
    const auto lastRowVisible = [&] {
        processPostedEvents();
        const QModelIndex last = view->model()->index(view->model()->rowCount() - 1, 0);
        return view->viewport()->rect().contains(view->visualRect(last));
    };

    addRowsBefore();
    for (const CClickEntry& e : entries)
        dlg.InsertClickRow(-1, e);
    const QStringList oneByOne = listContents(dlg);
    QVERIFY(lastRowVisible());

    addRowsBefore();
    view->scrollToTop();
    QSignalSpy inserted(dlg.m_list.Model(), &QAbstractItemModel::rowsInserted);
    QCOMPARE(files::appendClickRows(dlg, entries), static_cast<int>(entries.size()));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(dlg.m_modified, 1);
    QCOMPARE(listContents(dlg), oneByOne);
    QVERIFY(lastRowVisible());
}

void BulkRowsTest::appendingNoClicksChangesNothing()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    QSignalSpy inserted(dlg.m_list.Model(), &QAbstractItemModel::rowsInserted);
    QCOMPARE(files::appendClickRows(dlg, {}), 0);
    QCOMPARE(dlg.m_modified, 0);
    QCOMPARE(inserted.count(), 0);
}

QUORVEL_TEST_MAIN(BulkRowsTest)
#include "tst_bulkrows.moc"
