#include "list/RowStore.h"
#include "rules/PreviewChain.h"
#include "rules/PreviewLimit.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// A coded rule that puts `before` in front of the base and `after` behind it.
PreviewChain::RowRule around(const QString &before, const QString &after = QString())
{
    return [before, after](const QString &base, const RenameEntry &, QString &out) {
        out = before + base + after;
        return true;
    };
}

// Real files, named as given, in a folder of their own.
class PreviewChainTest : public ::testing::Test
{
protected:
    void add(const QStringList &names)
    {
        QStringList paths;
        for (const QString &name : names) {
            paths.push_back(m_dir.filePath(name));
            writeFile(paths.back());
        }
        m_rows.appendPaths(paths);
    }
    QStringList column(int column) const { return columnOf(m_rows, column); }

    QTemporaryDir m_dir;
    RowStore m_rows;
    PreviewChain m_chain{m_rows};
};

} // namespace

// The same rule again starts over from the base it saved; another rule
// builds on the previews; a rule that leaves a row alone still saves its
// base; an unchecked row keeps its preview and base through all of it.
TEST_F(PreviewChainTest, EachRuleBuildsOnTheLastAndAgainOnItsOwnBase)
{
    add({"a.txt", "b.txt", "c.txt"});
    m_rows.setCell(2, RenameEntry::PreviewName, "kept");
    m_rows.setChecked(2, false);
    EXPECT_EQ(m_chain.checkedRowCount(), 2);

    m_chain.runPass(u'B', around("x_"));
    m_chain.runPass(u'B', around("y_"));
    EXPECT_EQ(column(RenameEntry::PreviewName), QStringList({"y_a", "y_b", "kept"}));
    EXPECT_EQ(column(RenameEntry::TempName), QStringList({"a", "b", "c"}));
    EXPECT_EQ(m_chain.ruleMarker(), "B");

    m_chain.runPass(u'D', around("", "!"));
    m_chain.runPass(u'D', around("", "?"));
    EXPECT_EQ(column(RenameEntry::PreviewName), QStringList({"y_a?", "y_b?", "kept"}));
    EXPECT_EQ(column(RenameEntry::TempName), QStringList({"y_a", "y_b", "c"}));

    m_chain.runPass(u'E', [](const QString &base, const RenameEntry &row, QString &out) {
        out = "e" + base;
        return row.originalName != "b";
    });
    EXPECT_EQ(column(RenameEntry::PreviewName), QStringList({"ey_a?", "y_b?", "kept"}));
    EXPECT_EQ(column(RenameEntry::TempName), QStringList({"y_a?", "y_b?", "c"}));
    EXPECT_EQ(m_chain.ruleMarker(), "E");

    // A row dropped after the last rule ran has no preview yet: it starts
    // from its name, not from an empty text.
    add({"late.txt"});
    m_chain.runPass(u'F', around("f"));
    EXPECT_EQ(m_rows.entry(3).previewName, "flate");
}

// After a batch, a refill or a drop on the empty list the next rule starts
// from the names on disk; an empty list runs no rule and keeps the marker.
TEST_F(PreviewChainTest, EventsRestartTheChainAndAnEmptyListKeepsIt)
{
    add({"a.txt"});
    const std::pair<const char *, void (PreviewChain::*)()> restarts[] = {
        {"batchRan", &PreviewChain::batchRan},
        {"listRefilled", &PreviewChain::listRefilled},
        {"rowsDroppedOnEmptyList", &PreviewChain::rowsDroppedOnEmptyList}};
    for (const auto &[name, restart] : restarts) {
        m_chain.runPass(u'B', around("x_"));
        m_chain.runPass(u'D', around("", "!"));
        (m_chain.*restart)();
        EXPECT_EQ(m_chain.ruleMarker(), "") << name;
        m_chain.runPass(u'D', around("", "?"));
        EXPECT_EQ(m_rows.entry(0).previewName, "a?") << name;
        EXPECT_EQ(m_rows.entry(0).tempName, "a") << name;
    }

    m_rows.clear();
    bool ran = false;
    m_chain.runPass(u'C', [&ran](const QString &, const RenameEntry &, QString &) {
        ran = true;
        return true;
    });
    EXPECT_FALSE(ran);
    EXPECT_EQ(m_chain.ruleMarker(), "D");
}

// A new row's name, base and preview share one text; restoring the previews
// shares them again. Writing a preview in place must never write into the
// name on disk or the saved base, and stops at the preview limit.
TEST_F(PreviewChainTest, PreviewsWrittenInPlaceLeaveTheTextsTheyShared)
{
    add({"name.txt"});
    for (int round = 0; round < 2; ++round) {
        m_chain.runPass(u'B', around("long_prefix_"));
        m_chain.runPass(u'B', around("p"));
        EXPECT_EQ(m_rows.entry(0).previewName, "pname");
        EXPECT_EQ(m_rows.entry(0).originalName, "name");
        EXPECT_EQ(m_rows.entry(0).tempName, "name");
        m_rows.restorePreview();
        m_chain.batchRan();
    }
    m_chain.runPass(u'C', around(QString(3000, u'x')));
    EXPECT_EQ(m_rows.entry(0).previewName.size(), rules::kMaxPreviewLength);
}

// The whole name and the extensions write checked rows alone, and leave
// RuleMarker and the saved bases to the chain: the rule it names starts
// again from its base and keeps the new extension.
TEST_F(PreviewChainTest, WholeNameAndExtensionsStayOutsideTheChain)
{
    add({"a.txt", "b.jpg", "noext", "off.txt"});
    m_rows.setChecked(3, false);
    m_chain.runPass(u'B', around("x_"));

    m_chain.nameCheckedRows(QString());
    EXPECT_EQ(column(RenameEntry::PreviewName), QStringList({"x_a", "x_b", "x_noext", ""}));
    m_chain.nameCheckedRows(QString(3000, u'n'));
    EXPECT_EQ(m_rows.entry(0).previewName.size(), rules::kMaxPreviewLength);
    EXPECT_EQ(m_rows.entry(3).previewName, "");

    m_chain.renameExtensions([](const RenameEntry &row, QString &extension) {
        extension = row.extension.toUpper();
        return !row.extension.isEmpty();
    });
    EXPECT_EQ(column(RenameEntry::Extension), QStringList({".TXT", ".JPG", "", ".txt"}));
    EXPECT_EQ(column(RenameEntry::PreviewName).mid(0, 2), QStringList({"a", "b"}));
    EXPECT_EQ(m_rows.entry(2).previewName.size(), rules::kMaxPreviewLength); // left alone
    EXPECT_EQ(m_chain.ruleMarker(), "B");
    EXPECT_EQ(column(RenameEntry::TempName), QStringList({"a", "b", "noext", "off"}));

    m_chain.runPass(u'B', around("y_"));
    EXPECT_EQ(column(RenameEntry::PreviewName), QStringList({"y_a", "y_b", "y_noext", ""}));
    EXPECT_EQ(m_rows.entry(0).extension, ".TXT");
}
