// The compact row store must give back exactly the text it was given, through
// inserts, deletes, rewrites and compactions, and stay small.
#include "framework/RowStore.h"
#include "support/TestEnvironment.h"

#include <QRandomGenerator>
#include <QtTest>

#include <vector>

class RowStoreTest : public QObject {
    Q_OBJECT
private slots:
    void textsComeBackExactly_data();
    void textsComeBackExactly();
    void randomEditsMatchAPlainModel();
    void columnCountChangeKeepsCells();
    void clickRowsStayCompact();
};

void RowStoreTest::textsComeBackExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("zero") << QStringLiteral("0");
    QTest::newRow("leading zero is not a number") << QStringLiteral("007");
    QTest::newRow("largest 32-bit") << QStringLiteral("4294967295");
    QTest::newRow("past 32 bits") << QStringLiteral("4294967296");
    QTest::newRow("eleven digits") << QStringLiteral("12345678901");
    QTest::newRow("negative") << QStringLiteral("-1");
    QTest::newRow("blank before") << QStringLiteral(" 5");
    QTest::newRow("click type") << QStringLiteral("Single Left Click");
    QTest::newRow("long") << QString(300, QLatin1Char('x'));
    QTest::newRow("non-latin") << QStringLiteral("Zürich ✓ 東京");
}

void RowStoreTest::textsComeBackExactly()
{
    QFETCH(QString, text);
    RowStore store(3);
    store.insertRow(0);
    store.setText(0, 1, text);
    QCOMPARE(store.text(0, 1), text);
    QCOMPARE(store.text(0, 0), QString());
    QCOMPARE(store.text(0, 2), QString());
}

// Every operation is applied to the store and to a vector of strings; after
// each the two must agree cell for cell. Enough rewrites of rows that are not
// the last one force several compactions of the arena.
void RowStoreTest::randomEditsMatchAPlainModel()
{
    constexpr int kColumns = 4;
    RowStore store(kColumns);
    std::vector<std::vector<QString>> model;
    std::vector<std::intptr_t> data;
    QRandomGenerator random(1234);
    const QStringList samples = {QString(), QStringLiteral("1"), QStringLiteral("65536"), QStringLiteral("No"),
                                 QStringLiteral("Yes"), QStringLiteral("Double Right Click"),
                                 QString(70, QLatin1Char('q')), QStringLiteral("0042")};
    for (int step = 0; step < 60000; ++step) {
        const int op = static_cast<int>(random.bounded(10));
        const int rows = static_cast<int>(model.size());
        if (op < 3 || rows == 0) {
            const int at = static_cast<int>(random.bounded(rows + 1));
            store.insertRow(at);
            model.insert(model.begin() + at, std::vector<QString>(kColumns));
            data.insert(data.begin() + at, 0);
        } else if (op == 3) {
            const int at = static_cast<int>(random.bounded(rows));
            store.removeRow(at);
            model.erase(model.begin() + at);
            data.erase(data.begin() + at);
        } else if (op == 4) {
            const int at = static_cast<int>(random.bounded(rows));
            const std::intptr_t value = static_cast<std::intptr_t>(random.generate()) - (1 << 30);
            store.setData(at, value);
            data[static_cast<size_t>(at)] = value;
        } else {
            const int at = static_cast<int>(random.bounded(rows));
            const int column = static_cast<int>(random.bounded(kColumns));
            QString text = samples[static_cast<int>(random.bounded(samples.size()))];
            if (op == 9)
                text = QString::number(random.generate());
            store.setText(at, column, text);
            model[static_cast<size_t>(at)][static_cast<size_t>(column)] = text;
        }
        if (step % 5000 == 0 || step == 59999) {
            QCOMPARE(store.rowCount(), static_cast<int>(model.size()));
            for (int r = 0; r < store.rowCount(); ++r) {
                QCOMPARE(store.data(r), data[static_cast<size_t>(r)]);
                for (int c = 0; c < kColumns; ++c)
                    QCOMPARE(store.text(r, c), model[static_cast<size_t>(r)][static_cast<size_t>(c)]);
            }
        }
    }
    store.clear();
    QCOMPARE(store.rowCount(), 0);
}

void RowStoreTest::columnCountChangeKeepsCells()
{
    RowStore store(2);
    store.insertRow(0);
    store.setText(0, 0, QStringLiteral("12"));
    store.setText(0, 1, QStringLiteral("Yes"));
    store.setColumnCount(4);
    QCOMPARE(store.text(0, 0), QStringLiteral("12"));
    QCOMPARE(store.text(0, 1), QStringLiteral("Yes"));
    QCOMPARE(store.text(0, 3), QString());
    store.setText(0, 3, QStringLiteral("1000"));
    QCOMPARE(store.text(0, 3), QStringLiteral("1000"));
    store.setColumnCount(1);
    QCOMPARE(store.text(0, 0), QStringLiteral("12"));
    QCOMPARE(store.text(0, 1), QString());
}

// A click row (serial, type, X, Y, cursor back, delay) written cell by cell,
// as the dialog writes it, takes a few dozen bytes, not a string per cell.
void RowStoreTest::clickRowsStayCompact()
{
    constexpr int kRows = 200000;
    RowStore store(6);
    for (int i = 0; i < kRows; ++i) {
        store.insertRow(i);
        store.setText(i, 0, QString::number(i + 1));
        store.setText(i, 1, QStringLiteral("Double Left Click"));
        store.setText(i, 2, QString::number(1920 - i % 1920));
        store.setText(i, 3, QString::number(i % 1080));
        store.setText(i, 4, i % 2 ? QStringLiteral("Yes") : QStringLiteral("No"));
        store.setText(i, 5, QString::number(1000 + i % 7));
    }
    const double perRow = static_cast<double>(store.memoryUsage()) / kRows;
    QVERIFY2(perRow < 64.0, qPrintable(QStringLiteral("%1 bytes per row").arg(perRow)));
    QCOMPARE(store.text(kRows - 1, 0), QString::number(kRows));
    QCOMPARE(store.text(12345, 2), QString::number(1920 - 12345 % 1920));
}

QUORVEL_TEST_MAIN_CORE(RowStoreTest)
#include "tst_rowstore.moc"
