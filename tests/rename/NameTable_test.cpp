#include "rename/NameTable.h"

#include <QMap>

#include <gtest/gtest.h>

#include <random>

// Names from a few letters and dots collide, run long probe chains and cut
// into pieces in every way; the table must find exactly what a plain map
// holds after adds, removals, renames and bulk adds, in any order.
TEST(NameTable, FindsWhatAPlainMapHoldsThroughEveryEdit)
{
    for (unsigned seed = 1; seed <= 300 && !::testing::Test::HasFailure(); ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        const auto below = [&](int n) { return int(random() % unsigned(n)); };
        const auto randomName = [&] {
            static const QString letters = QStringLiteral("ab.照");
            QString name;
            for (int i = 1 + below(7); i > 0; --i)
                name += letters[below(int(letters.size()))];
            return name;
        };
        NameTable table;
        QMap<QString, int> expected; // name -> number
        QMap<int, QString> byNumber;
        const auto has = [&](const QString &name) { return expected.contains(name); };
        for (int step = 0; step < 400; ++step) {
            const QString name = randomName();
            const int what = below(10);
            if (what < 4 && !has(name)) {
                const int n = what == 0 ? table.addUnindexed(name) : table.add(name);
                expected[name] = n;
                byNumber[n] = name;
            } else if (what < 6 && !byNumber.isEmpty()) {
                const int n = byNumber.keys()[below(int(byNumber.size()))];
                expected.remove(byNumber.take(n));
                table.remove(n);
            } else if (what < 8 && !byNumber.isEmpty() && !has(name)) {
                const int n = byNumber.keys()[below(int(byNumber.size()))];
                expected.remove(byNumber[n]);
                expected[name] = n;
                byNumber[n] = name;
                table.rename(n, name);
            } else {
                table.index();
                // Every name, whole and as a preview with its extension.
                for (int probe = 0; probe < 12; ++probe) {
                    const QString asked = randomName();
                    const qsizetype cut = below(int(asked.size()) + 1);
                    const int found = table.find(
                        NameKey(QStringView(asked).left(cut), QStringView(asked).mid(cut)));
                    EXPECT_EQ(found, expected.value(asked, -1)) << asked.toStdString();
                    if (found >= 0) {
                        EXPECT_EQ(table.name(found), asked);
                    }
                }
            }
        }
        table.index();
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            EXPECT_EQ(table.find(it.key()), it.value());
    }
}
