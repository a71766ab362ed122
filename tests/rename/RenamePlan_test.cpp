#include "rename/RenamePlan.h"

#include "list/RowStore.h"
#include "rename/DiskView.h"

#include <QMap>

#include <gtest/gtest.h>

namespace {

// Folders that live in memory: every name a new inode, "/l" another
// spelling of "/d".
class MemoryFolders : public FolderReader
{
public:
    void add(const QString &path, const QStringList &names)
    {
        Folder &folder = m_folders[path] = Folder();
        folder.id = ++m_next;
        for (const QString &name : names)
            folder.entries.append({name, ++m_next});
    }
    void link(const QString &link, const QString &path) { m_links[link] = path; }
    // Someone puts another file under the name.
    void replace(const QString &path, const QString &name)
    {
        Folder &folder = m_folders[path];
        for (auto &entry : folder.entries) {
            if (entry.first == name)
                entry.second = ++m_next;
        }
        ++folder.changed;
    }

    // The folder now lists these names, in this order: those it had keep
    // their inodes.
    void relist(const QString &path, const QStringList &names)
    {
        Folder &folder = m_folders[path];
        QList<QPair<QString, quint64>> entries;
        for (const QString &name : names) {
            quint64 inode = ++m_next;
            for (const auto &[had, hadInode] : std::as_const(folder.entries))
                inode = had == name ? hadInode : inode;
            entries.append({name, inode});
        }
        folder.entries = entries;
        ++folder.changed;
    }

    std::optional<FolderStamp> stamp(const QString &path) override
    {
        const auto it = m_folders.constFind(m_links.value(path, path));
        if (it == m_folders.constEnd())
            return std::nullopt;
        return FolderStamp{FileId{1, it->id}, it->changed, it->changed};
    }

    FolderRead read(const QString &path) override
    {
        FolderRead read;
        const std::optional<FolderStamp> stamp = this->stamp(path);
        if (!stamp)
            return read;
        read.state = FolderRead::State::Listed;
        read.stamp = *stamp;
        read.stampTrusted = true;
        for (const auto &[name, inode] : m_folders.value(m_links.value(path, path)).entries)
            read.listing.add(name, inode, FolderListing::Kind::Other);
        return read;
    }

private:
    struct Folder
    {
        quint64 id = 0;
        qint64 changed = 0;
        QList<QPair<QString, quint64>> entries;
    };
    QMap<QString, Folder> m_folders;
    QMap<QString, QString> m_links;
    quint64 m_next = 100;
};

// A verdict as the tables below write it: "ok", "ok!" with a note, "skip",
// "-" outside the batch, or the failure's reason with the other row's
// display position.
std::string written(const RowVerdict &verdict)
{
    using A = RowVerdict::Action;
    const PlanMark &m = verdict.mark;
    const std::string other = "@" + std::to_string(m.other + 1);
    switch (verdict.action) {
    case A::None:
        return "-";
    case A::Skip:
        return "skip";
    case A::Rename:
        return m.isNote() ? "ok!" : "ok";
    case A::Fail:
        break;
    }
    switch (m.reason) {
    case PlanReason::BadName:
        return std::string("bad") + "/0hc."[m.detail];
    case PlanReason::NameTooLong:
        return "long" + std::to_string(m.other);
    case PlanReason::SameTarget:
        return "same" + other;
    case PlanReason::TargetExists:
        return "exists";
    case PlanReason::TargetHeldBelow:
        return "below" + other;
    case PlanReason::TargetHeldStays:
        return "stays" + other;
    case PlanReason::SourceMissing:
        return "missing";
    case PlanReason::SourceReplaced:
        return "replaced";
    case PlanReason::SameFile:
        return "samefile" + other;
    default:
        return "?";
    }
}

class PlanTest : public ::testing::Test
{
protected:
    PlanTest()
    {
        auto folders = std::make_unique<MemoryFolders>();
        m_folders = folders.get();
        m_disk = std::make_unique<DiskView>(std::move(folders));
        m_folders->link("/l", "/d");
    }

    // Rows "path>preview", paths under /d unless they start with "/"; a
    // leading "-" leaves the row unchecked.
    void addRows(const QStringList &rows)
    {
        for (QString row : rows) {
            const bool checked = !row.startsWith(u'-');
            if (!checked)
                row.remove(0, 1);
            const qsizetype cut = row.indexOf(u'>');
            const QString path = row.left(cut);
            m_model.appendPaths({path.startsWith(u'/') ? path : "/d/" + path});
            m_model.setCell(m_model.count() - 1, RenameEntry::PreviewName, row.mid(cut + 1));
            m_model.setChecked(m_model.count() - 1, checked);
        }
        m_disk->resolve(m_model, 0, m_model.count() - 1);
    }

    std::string plan() const
    {
        std::string text;
        for (const RowVerdict &verdict : planRenameBatch(*m_disk, m_model.entries()))
            text += (text.empty() ? "" : " ") + written(verdict);
        return text;
    }

    MemoryFolders *m_folders = nullptr;
    std::unique_ptr<DiskView> m_disk;
    RowStore m_model;
};

} // namespace

TEST_F(PlanTest, EveryRowGetsTheOutcomeOfTheSinglePassTopToBottom)
{
    const QString chinese255(85, QChar(0x4E2D)), chinese258(86, QChar(0x4E2D));
    const struct
    {
        const char *what;
        QStringList files;
        QStringList rows;
        std::string expected;
    } cases[] = {
        {"names that are no name",
         {"a", "b", "c", "d", "e", "f", "tab\tname", "g", "h"},
         {"a>x/y", QStringLiteral("b>x") + QChar(0) + "y", QStringLiteral("c>x") + QChar(0xD83D),
          "d>x\ny", "e>.", "f>..", "tab\tname>tab\tnew", "g>" + chinese258, "h>" + chinese255},
         "bad/ bad0 badh badc bad. bad. ok long258 ok"},
        {"unchanged, unchecked, no preview",
         {"a.txt", "b.txt", "c.txt"},
         {"a.txt>a", "-b.txt>x", "c.txt>"},
         "skip - -"},
        {"two rows, one name", {"a", "b"}, {"a>x", "b>x"}, "ok same@1"},
        {"a name held outside the batch", {"a", "c"}, {"a>c"}, "exists"},
        {"a chain in the wrong order", {"a", "b"}, {"a>b", "b>c"}, "below@2 ok"},
        {"a chain in the right order", {"a", "b"}, {"b>c", "a>b"}, "ok ok"},
        {"a swap", {"a", "b"}, {"a>b", "b>a"}, "below@2 stays@1"},
        {"a 3-cycle", {"a", "b", "c"}, {"a>b", "b>c", "c>a"}, "below@2 below@3 stays@1"},
        {"a name held by a row that stays", {"a", "b"}, {"-a>x", "b>a"}, "- stays@1"},
        {"a file that is gone", {"a"}, {"gone>x", "a>gone"}, "missing ok"},
        // The file at /l/b.txt after the second row is a.txt's: never renamed
        // for b.txt's row, whatever the spelling of its folder.
        {"two spellings of one file",
         {"a.txt", "b.txt"},
         {"b.txt>c", "a.txt>b", "/l/b.txt>z", "/d//b.txt>y"},
         "ok ok samefile@1 samefile@1"},
        {"a name that reads like another",
         {QStringLiteral("cafe\u0301"), "x", "y"},
         {QStringLiteral("x>caf\u00e9"), "y>cafe"},
         "ok! ok"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        m_model.clear();
        m_disk->clear();
        m_folders->add("/d", c.files);
        addRows(c.rows);
        EXPECT_EQ(plan(), c.expected);
    }
    // The preview cell says why, naming the other row by its position.
    EXPECT_EQ(planMarkToolTip(PlanMark{PlanReason::TargetHeldBelow, 0, 1}).left(4),
              QStringLiteral("将失败："));
    EXPECT_TRUE(planMarkToolTip(PlanMark{PlanReason::SameFile, 0, 0}).contains("第 1 行"));
}

TEST_F(PlanTest, ARowWhosePathNowHoldsAnotherFileFailsOnceTheFolderIsReadAgain)
{
    m_folders->add("/d", {"a.txt", "b.txt"});
    addRows({"a.txt>x", "b.txt>y"});
    EXPECT_FALSE(m_disk->refresh(m_model)); // nothing changed: nothing read
    EXPECT_EQ(plan(), "ok ok");
    m_folders->replace("/d", "a.txt");
    EXPECT_TRUE(m_disk->refresh(m_model));
    EXPECT_EQ(plan(), "replaced ok");
}

TEST_F(PlanTest, AFolderReadAgainInAnotherOrderIsTakenNameByName)
{
    m_folders->add("/d", {"a.txt", "b.txt", "c.txt", "d.txt"});
    addRows({"a.txt>x", "b.txt>y", "c.txt>e", "d.txt>w"});
    EXPECT_EQ(plan(), "ok ok ok ok");
    // b.txt went, e.txt came, d.txt is another file now; the rest moved up.
    m_folders->relist("/d", {"c.txt", "a.txt", "e.txt", "d.txt"});
    m_folders->replace("/d", "d.txt");
    EXPECT_TRUE(m_disk->refresh(m_model));
    EXPECT_EQ(plan(), "ok missing exists replaced");
}

TEST_F(PlanTest, UndoTakesEveryChainFromItsFreeEndWhateverTheListOrder)
{
    // After b→c, a→b and e→f, f→e (a swap no single pass makes, but a list
    // can hold), shown in an order that undoes nothing when taken top down.
    m_folders->add("/d", {"b", "c", "e", "f", "z"});
    addRows({"c>", "b>", "e>", "f>", "z>"});
    const QStringList previous = {"/d/b", "/d/a", "/d/f", "/d/e", ""};
    for (int row = 0; row < m_model.count(); ++row)
        m_model.setCell(row, RenameEntry::PreviousPath, previous[row]);
    EXPECT_EQ(undoOrder(*m_disk, m_model.entries()), (std::vector<int>{1, 0, 3, 2, 4}));
    std::string verdicts;
    for (const RowVerdict &v : planUndoBatch(*m_disk, m_model.entries()))
        verdicts += written(v) + " ";
    EXPECT_EQ(verdicts, "ok ok stays@4 below@3 - ");
}
