// The shortcuts taken for large lists must give the same results as the
// plain way: ordering by folded keys, rows built in place, removal of a
// scattered selection, and the view repainting only the rows on screen.

#include "app/Form1.h"
#include "list/FileListModel.h"
#include "list/FileListView.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <numeric>
#include <random>

namespace {

// Remembers the region of the viewport's last paint.
class PaintRecorder : public QObject
{
public:
    explicit PaintRecorder(QWidget *target) : QObject(target) { target->installEventFilter(this); }
    QRegion painted;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return QObject::eventFilter(watched, event);
    }
};

QStringList namesOf(const FileListModel &model)
{
    QStringList names;
    for (const RenameEntry &e : model.entries())
        names << e.originalName;
    return names;
}

} // namespace

class LargeListPaths : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sortMatchesCaseInsensitiveCompare()
    {
        // Letters whose folding is not ASCII, a character outside the BMP
        // (Deseret, which has case), lone surrogates, ties that differ only
        // by case, and names that are prefixes of others.
        QStringList names =
            QString::fromUtf8("b B a Ä ä straße STRASSE Ǆ ǆ ǅ K k ab Ab A 10 9 Σ ς σ "
                              "İ i ı I 文件 Ω")
                .split(u' ');
        names << QString::fromUtf16(u"\U00010400x") << QString::fromUtf16(u"\U00010428") << ""
              << QString(QChar(0xD800)) << QString(QChar(0xDC00)) + "z";
        FileListModel model;
        QStringList paths;
        for (int i = 0; i < names.size(); ++i)
            paths << QStringLiteral("/p%1/").arg(i) + names.at(i) + ".txt";
        model.appendPaths(paths);

        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            QStringList expected = namesOf(model);
            const auto less = [](const QString &a, const QString &b) {
                return QString::compare(a, b, Qt::CaseInsensitive) < 0;
            };
            if (order == Qt::AscendingOrder)
                std::stable_sort(expected.begin(), expected.end(), less);
            else
                std::stable_sort(expected.begin(), expected.end(),
                                 [&](const QString &a, const QString &b) { return less(b, a); });
            model.setSort(RenameEntry::OriginalName, order);
            QCOMPARE(namesOf(model), expected);
            // Every row moved whole: its path still ends in its name.
            for (const RenameEntry &e : model.entries())
                QVERIFY2(e.fullPath.endsWith("/" + e.originalName + ".txt"),
                         qPrintable(e.fullPath));
        }
    }

    void sortKeepsSelectionOnTheSameRows()
    {
        FileListModel model;
        QStringList paths;
        std::vector<int> numbers(300);
        std::iota(numbers.begin(), numbers.end(), 0);
        std::shuffle(numbers.begin(), numbers.end(), std::mt19937(7));
        for (int n : numbers)
            paths << QStringLiteral("/p/n%1.txt").arg(n, 3, 10, QLatin1Char('0'));
        model.appendPaths(paths);
        QItemSelectionModel selection(&model);
        selection.select(model.index(5, 0),
                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const QString picked = model.entry(5).fullPath;
        model.setSort(RenameEntry::OriginalName, Qt::AscendingOrder);
        for (int row = 0; row < model.count(); ++row)
            QCOMPARE(model.entry(row).originalName,
                     QStringLiteral("n%1").arg(row, 3, 10, QLatin1Char('0')));
        const QModelIndexList rows = selection.selectedRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(model.entry(rows.front().row()).fullPath, picked);
    }

    void appendPathsBuildsRowsAfterTheOldOnes()
    {
        FileListModel model;
        model.appendPaths({"/p/old.txt"});
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        const QStringList paths = {"/p/a.txt", "/p/folder", "/p/b.tar.gz"};
        model.appendPaths(paths);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted.front().at(1).toInt(), 1);
        QCOMPARE(inserted.front().at(2).toInt(), 3);
        QCOMPARE(model.count(), 4);
        QCOMPARE(model.entry(0).fullPath, QStringLiteral("/p/old.txt"));
        for (int i = 0; i < paths.size(); ++i) {
            const RenameEntry expected = FileListModel::entryFromPath(paths.at(i));
            for (int column = 0; column < RenameEntry::ColumnCount; ++column)
                QCOMPARE(model.entry(i + 1).cell(column), expected.cell(column));
            QCOMPARE(model.entry(i + 1).blue, expected.blue);
        }
        model.appendPaths({});
        QCOMPARE(inserted.size(), 1);
    }

    void removeSelectedTakesExactlyTheSelectedRows()
    {
        Form1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QStringList paths;
        for (int i = 0; i < 400; ++i)
            paths << QStringLiteral("/p/f%1.txt").arg(i, 4, 10, QLatin1Char('0'));
        window.addDroppedPaths(paths);
        auto *list = window.findChild<FileListView *>("L1");
        QItemSelectionModel *selection = list->selectionModel();
        // Every third row, a block, then one row of the block taken back as
        // a Ctrl+click does.
        QItemSelection chosen;
        for (int row = 0; row < 200; row += 3)
            chosen.select(window.model().index(row, 0), window.model().index(row, 0));
        chosen.select(window.model().index(300, 0), window.model().index(349, 0));
        selection->select(chosen, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        selection->select(window.model().index(320, 0),
                          QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
        QStringList expected;
        for (int row = 0; row < 400; ++row) {
            const bool removed =
                (row < 200 && row % 3 == 0) || (row >= 300 && row < 350 && row != 320);
            if (!removed)
                expected << window.model().entry(row).fullPath;
        }
        window.findChild<QAction *>("删除选定")->trigger();
        QStringList left;
        for (const RenameEntry &e : window.model().entries())
            left << e.fullPath;
        QCOMPARE(left, expected);
    }

    void ruleChangeRepaintsTheRowsOnScreen()
    {
        FileListModel model;
        QStringList paths;
        for (int i = 0; i < 5000; ++i)
            paths << QStringLiteral("/p/f%1.txt").arg(i);
        model.appendPaths(paths);
        FileListView view;
        view.setModel(&model);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.scrollTo(model.index(2500, 0), QAbstractItemView::PositionAtCenter);
        QCoreApplication::processEvents();
        auto *recorder = new PaintRecorder(view.viewport());

        // A change to rows far from the screen paints nothing.
        model.editRows(RenameEntry::PreviewName, RenameEntry::PreviewName,
                       [](RenameEntry &e, int row) {
                           if (row > 100)
                               return false;
                           e.previewName = "x";
                           return true;
                       });
        QCoreApplication::processEvents();
        QVERIFY(recorder->painted.isEmpty());

        // A change over the whole list repaints the rows on screen.
        model.editRows(RenameEntry::PreviewName, RenameEntry::PreviewName, [](RenameEntry &e, int) {
            e.previewName = "y";
            return true;
        });
        QTRY_VERIFY(!recorder->painted.isEmpty());
        const QModelIndex middle = view.indexAt(view.viewport()->rect().center());
        QVERIFY(middle.isValid());
        QVERIFY(recorder->painted.contains(view.visualRect(model.index(middle.row(), 1))));
    }
};

QTEST_MAIN(LargeListPaths)
#include "tst_LargeListPaths.moc"
