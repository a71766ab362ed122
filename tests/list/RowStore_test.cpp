#include "list/PathPart.h"
#include "list/RowStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>

TEST(PathPart, SplitsAtTheLastSlashAndTheLastDotOfTheName)
{
    // path, then file name, base name, extension, drive, parent
    const QStringList cases[] = {{"/d/v1.2/a.tar.gz", "a.tar.gz", "a.tar", "gz", "", "/d/v1.2"},
                                 {"/d/v1.2/README", "README", "README", "", "", "/d/v1.2"},
                                 {"/top", "top", "top", "", "", ""}};
    for (const QStringList &c : cases)
        for (int selector = 0; selector < 5; ++selector)
            EXPECT_EQ(PathPart(c[0], selector), c[selector + 1]) << c[0].toStdString() << selector;

    // A trailing dot stays in the extension cell: an unchanged name reassembles.
    const RenameEntry notes = RowStore::entryFromPath("/d/notes.");
    EXPECT_EQ(notes.originalName + "|" + notes.extension + "|" + QString::number(notes.blue),
              "notes|.|1");

    // Paths enter the list cleaned; ".." and links stay, as only the disk knows them.
    const QStringList cleaned[] = {{"/a//b/./c/", "/a/b/c"},
                                   {"/a/.", "/a"},
                                   {"//", "/"},
                                   {"/a/../b", "/a/../b"},
                                   {"rel//x", "rel/x"}};
    for (const QStringList &c : cleaned)
        EXPECT_EQ(cleanedPath(c[0]), c[1]) << c[0].toStdString();
}

TEST(RowStore, SortIsStableAndCaseInsensitive)
{
    // Non-ASCII folding, Deseret (cased, beyond the BMP), a lone surrogate, case-only ties.
    QStringList names =
        QString::fromUtf8("b B a Ä ä straße STRASSE Ǆ ǆ ǅ Σ ς σ İ i ı 𐐀x 𐐨").split(u' ');
    names << QString(QChar(0xD800)) << "";
    RowStore model;
    for (int i = 0; i < names.size(); ++i)
        model.appendPaths({QStringLiteral("/p%1/").arg(i) + names.at(i) + ".txt"});
    for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        QStringList expected = names;
        std::stable_sort(expected.begin(), expected.end(), [&](const QString &a, const QString &b) {
            const int c = QString::compare(a, b, Qt::CaseInsensitive);
            return order == Qt::AscendingOrder ? c < 0 : c > 0;
        });
        model.setSort(RenameEntry::OriginalName, order);
        EXPECT_EQ(testsupport::columnOf(model, RenameEntry::OriginalName), expected);
        // Every row moved whole: its path still ends in its name.
        for (const RenameEntry &e : model.entries())
            EXPECT_TRUE(e.fullPath.endsWith("/" + e.originalName + ".txt"));
    }
}

TEST(RowStore, RemovesManyScatteredRowsExactly)
{
    // Over sixteen runs, some given twice or out of range: the one-pass compaction.
    RowStore model;
    QStringList paths;
    for (int i = 0; i < 100; ++i)
        paths << QStringLiteral("/p/f%1.txt").arg(i);
    model.appendPaths(paths);
    std::vector<int> rows = {99, -1, 100};
    for (int i = 0; i < 100; i += 3)
        rows.push_back(i);
    model.removeRowsAt(rows);
    for (int i = 99; i >= 0; i -= 3)
        paths.removeAt(i);
    EXPECT_EQ(testsupport::columnOf(model, RenameEntry::FullPath), paths);
}

TEST(RowStore, RowsMadeInTheirSortedPlacesEndAsAppendingThenSortingLeavesThem)
{
    // Keys repeat (names with the same first number, none at all), digits
    // run past four, and rows already in the list take part in the order.
    const QStringList stems = {"IMG_", "a", "Ä", "x.y", "", "file 7 of 9", "2019-05-01 "};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 random(seed);
        const auto pick = [&](int n) { return int(random() % unsigned(n)); };
        const auto paths = [&](int count) {
            QStringList list;
            for (int i = 0; i < count; ++i)
                list << QStringLiteral("/d%1/").arg(pick(3)) + stems[pick(stems.size())] +
                            (pick(4) ? QString::number(pick(40000)) : QString()) +
                            (pick(2) ? QStringLiteral(".jpg") : QString());
            list.removeDuplicates();
            return list;
        };
        const Qt::SortOrder order = pick(2) ? Qt::AscendingOrder : Qt::DescendingOrder;
        // Half of the drops land on an empty list.
        const QStringList before = pick(2) ? paths(pick(20)) : QStringList();
        const QStringList dropped = paths(1 + pick(60));
        RowStore made, sorted;
        for (RowStore *rows : {&made, &sorted})
            rows->appendPaths(before);
        made.appendAndSortByKey(cleanedPaths(dropped), order);
        sorted.appendPaths(dropped);
        sorted.setSort(RenameEntry::SortKey, order);
        for (const int column : {int(RenameEntry::FullPath), int(RenameEntry::SortKey)})
            ASSERT_EQ(testsupport::columnOf(made, column).join(u'|').toStdString(),
                      testsupport::columnOf(sorted, column).join(u'|').toStdString())
                << "seed " << seed;
        ASSERT_TRUE(made.sortEnabled() && made.sortColumn() == RenameEntry::SortKey &&
                    made.sortOrder() == order)
            << "seed " << seed;
    }
}
