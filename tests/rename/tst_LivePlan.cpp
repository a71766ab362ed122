// The plan as the user meets it: marks and the count under the list follow
// the typing, and the batches do what the marks said, through the real window.
#include "app/Form1.h"
#include "list/FileListModel.h"
#include "list/FileListView.h"
#include "rename/LivePlan.h"
#include "support/TestSupport.h"
#include "support/WidgetSupport.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace testsupport;

class TestLivePlan : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QTemporaryDir m_dir;
    std::unique_ptr<Form1> m_window;

    template <typename T> T *child(const char *name) const
    {
        return namedChild<T>(m_window.get(), QString::fromUtf8(name));
    }
    FileListModel &model() const { return m_window->model(); }
    FileListView *list() const { return child<FileListView>("L1"); }
    QString planLabel() const { return child<QLabel>("planLabel")->text(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QVariant preview(int row, int role) const
    {
        return model().data(model().index(row, RenameEntry::PreviewName), role);
    }
    void drop(const QStringList &names)
    {
        QStringList paths;
        for (const QString &name : names)
            paths << file(name);
        dropOn(list()->viewport(), paths);
    }
    // The pasted one-column list of 已有规则: line k becomes row k's preview.
    void paste(const QStringList &names)
    {
        auto *tabs = child<QTabBar>("TabStrip1");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(6).center());
        QWidget *dialog = child<QWidget>("列表");
        namedChild<QPlainTextEdit>(dialog, "Text1")->insertPlainText(names.join(u'\n'));
        QTest::mouseClick(namedChild<QPushButton>(dialog, "Command1"), Qt::LeftButton);
    }
    void press(Qt::Key key) { QTest::keyClick(m_window.get(), key, Qt::AltModifier); }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("HOME", m_home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", m_home.filePath("config").toUtf8());
        installRecordingOpener(m_home.filePath("bin"));
    }
    void init()
    {
        m_window = std::make_unique<Form1>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void marksAndTheCountFollowTheTyping()
    {
        for (const char *name : {"a.txt", "b.txt", "p_a.txt"})
            writeFile(file(name), name);
        drop({"a.txt", "b.txt"});
        QLineEdit *before = child<QLineEdit>("beforeText");
        QTest::keyClicks(before, "p");
        QCOMPARE(planLabel(), QString());
        QVERIFY(!preview(0, Qt::ToolTipRole).isValid());

        // "p_a.txt" is taken by a file outside the list.
        QTest::keyClicks(before, "_");
        QCOMPARE(planLabel(), QStringLiteral("1 个文件将无法更名"));
        QVERIFY(preview(0, Qt::ToolTipRole).toString().startsWith(QStringLiteral("将失败：")));
        QVERIFY(!preview(0, Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(!preview(1, Qt::ToolTipRole).isValid() &&
                !preview(1, Qt::DecorationRole).isValid());
        QCOMPARE(preview(0, Qt::DisplayRole).toString(), QStringLiteral("p_a")); // the cell as ever

        // An unchecked row is no part of the batch.
        model().setData(model().index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
        QCOMPARE(planLabel(), QString());
        model().setData(model().index(0, 0), Qt::Checked, Qt::CheckStateRole);
        QTest::keyClick(before, Qt::Key_Backspace);
        QCOMPARE(planLabel(), QString());
        QVERIFY(!preview(0, Qt::DecorationRole).isValid());

        // A file put in the way meanwhile shows once the window is active again.
        QTest::keyClicks(before, "_");
        QFile::remove(file("p_a.txt"));
        QCOMPARE(planLabel(), QStringLiteral("1 个文件将无法更名"));
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(m_window.get(), &activate);
        QCOMPARE(planLabel(), QString());
    }

    void aSecondPressRenamesNothingAndTheRedoGivesTheSameNames()
    {
        QDir().mkpath(file("photos"));
        writeFile(file("notes"), "notes");
        drop({"photos", "notes"});
        QTest::keyClicks(child<QLineEdit>("AfterText"), ".2019");
        press(Qt::Key_E);
        QCOMPARE(entriesOf(m_dir.path()), (QStringList{"notes.2019", "photos.2019"}));
        press(Qt::Key_E);
        QCOMPARE(entriesOf(m_dir.path()), (QStringList{"notes.2019", "photos.2019"}));
        QCOMPARE(child<QLabel>("ts")->text(),
                 QStringLiteral("重命名完成,一共0条文件 成功 0条;失败0条"));

        press(Qt::Key_Z);
        QCOMPARE(entriesOf(m_dir.path()), (QStringList{"notes", "photos"}));
        QCOMPARE(columnOf(model(), RenameEntry::Extension), (QStringList{"", ""}));
        press(Qt::Key_E);
        QCOMPARE(entriesOf(m_dir.path()), (QStringList{"notes.2019", "photos.2019"}));
    }

    void undoAfterAHeaderClickRestoresAChain()
    {
        writeFile(file("b"), "B");
        writeFile(file("a"), "A");
        drop({"b", "a"});
        paste({"c", "b"}); // b→c, then a→b into the name b has left
        press(Qt::Key_E);
        QCOMPARE(readFile(file("c")) + readFile(file("b")), QByteArray("BA"));

        // Descending by name: the row that must go second is on top now.
        QHeaderView *header = list()->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
        QCOMPARE(columnOf(model(), RenameEntry::OriginalName), (QStringList{"c", "b"}));
        press(Qt::Key_Z);
        QCOMPARE(entriesOf(m_dir.path()), (QStringList{"a", "b"}));
        QCOMPARE(readFile(file("a")) + readFile(file("b")), QByteArray("AB"));
    }

    void aLongListIsMarkedAsAPlanOfTheWholeListWouldMarkIt()
    {
        // Planned block by block as the pass goes, over many blocks.
        QStringList paths;
        for (int i = 0; i < 30000; ++i) {
            const QString name = QStringLiteral("f%1.txt").arg(i, 5, 10, QLatin1Char('0'));
            if (i % 10 < 4) // the others are missing
                writeFile(file(name));
            paths << file(name);
        }
        m_window->addDroppedPaths(paths);
        // Without its last digit a name is the one of the row above it, or
        // of a file further down.
        QTest::keyClicks(child<QComboBox>("zzFindText")->lineEdit(), "\\d$");
        const RowStore &rows = model().store();
        const auto marks = [&rows] {
            std::vector<PlanMark> all;
            for (const RenameEntry &e : rows.entries())
                all.push_back(e.mark);
            return all;
        };
        const std::vector<PlanMark> followed = marks();
        QCOMPARE(rows.entry(2).previewName, QStringLiteral("f0000"));
        QSet<int> reasons;
        for (const PlanMark &mark : followed)
            reasons.insert(int(mark.reason));
        QVERIFY2(reasons.size() >= 3, "too few kinds of outcome to tell plans apart");

        m_window->findChild<LivePlan *>()->replan();
        QVERIFY(marks() == followed);
    }

    void aLargeDropAgainAddsOnlyItsNewFilesAndFindsThem()
    {
        // Large enough to be read ahead on a second thread.
        QStringList names;
        for (int i = 0; i < 1500; ++i)
            names << QStringLiteral("f%1").arg(i);
        for (const QString &name : names + QStringList{"new1", "new2"})
            writeFile(file(name));
        drop(names);
        drop(names); // nothing new: no rows, and no read left running
        QCOMPARE(model().store().count(), 1500);
        drop(names + QStringList{"new2", "new1"});
        const RowStore &rows = model().store();
        QCOMPARE(rows.count(), 1502);
        for (int r = 0; r < rows.count(); ++r)
            QVERIFY2(rows.entry(r).disk.entry >= 0 && rows.entry(r).inode != 0,
                     qPrintable(rows.entry(r).fullPath));
    }

    void twoSpellingsOfOneFileRenameItOnceAndTouchNothingElse()
    {
        writeFile(file("dir/a.txt"), "A");
        writeFile(file("dir/b.txt"), "B");
        QVERIFY(QFile::link(file("dir"), file("link")));
        drop({"dir/b.txt", "dir/a.txt", "link/b.txt"});
        paste({"c", "b", "z"});
        // The third row's file is the first row's: renamed away before it comes.
        QVERIFY(preview(2, Qt::ToolTipRole).toString().contains(QStringLiteral("第 1 行")));
        QCOMPARE(planLabel(), QStringLiteral("1 个文件将无法更名"));
        press(Qt::Key_E);
        QCOMPARE(entriesOf(file("dir")), (QStringList{"b.txt", "c.txt"}));
        QCOMPARE(readFile(file("dir/c.txt")) + readFile(file("dir/b.txt")), QByteArray("BA"));
        QCOMPARE(model().store().entry(2).outcome, RenameEntry::Outcome::Failure);
    }
};

QTEST_MAIN(TestLivePlan)
#include "tst_LivePlan.moc"
