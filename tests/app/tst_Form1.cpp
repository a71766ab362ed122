#include "app/Form1.h"
#include "app/Twips.h"
#include "list/FileListModel.h"
#include "support/TestSupport.h"
#include "support/WidgetSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <memory>

using namespace testsupport;

class TestForm1 : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Form1> m_window;
    QTemporaryDir m_dir;

    template <typename T> T *child(const QString &name) const
    {
        return namedChild<T>(m_window.get(), name);
    }
    QTreeView *list() const { return child<QTreeView>(QStringLiteral("L1")); }
    QString text(const char *label) const
    {
        return child<QLabel>(QString::fromUtf8(label))->text();
    }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QStringList column(int c) const { return columnOf(m_window->model(), c); }
    void dropFiles(const QStringList &names)
    {
        dropFilesOf(list()->viewport(), m_dir.path(), names);
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_window = std::make_unique<Form1>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() { m_window.reset(); }

    void startsWithTitleMenusColumnsAndTexts()
    {
        QCOMPARE(m_window->windowTitle(),
                 QStringLiteral("【Quib】文件批量重命名   V1.21 20190129"));
        QCOMPARE(text("gs"), QStringLiteral("还未添加文件"));
        QCOMPARE(text("ts"), QStringLiteral("温馨提示:可直接拖动文件到列表中"));
        QVERIFY(child<QGroupBox>(QStringLiteral("提示"))->isVisible());

        // Captions of the top-level menu bar, left to right.
        QStringList captions;
        for (QAction *a : m_window->menuBar()->actions())
            if (a->isVisible())
                captions.push_back(a->text());
        QCOMPARE(captions, (QStringList{"编辑列表", "获取文件名(&F)", "清空列表(&X)",
                                        "开始更名(&E)", "关于"}));
        QCOMPARE(child<QAction>(QStringLiteral("全选"))->shortcut(), QKeySequence("Ctrl+A"));
        QCOMPARE(child<QAction>(QStringLiteral("导出列表"))->shortcut(), QKeySequence("Ctrl+D"));
        QVERIFY(!child<QAction>(QStringLiteral("撤消更名"))->isVisible());

        QAbstractItemModel *model = list()->model();
        QCOMPARE(model->columnCount(), 8);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("原文件名 蓝色表示文件夹与无后缀文件"));
        QCOMPARE(model->headerData(7, Qt::Horizontal).toString(), QStringLiteral("排序名称"));
        int hidden = 0;
        for (int c = 0; c < 8; ++c)
            hidden += list()->isColumnHidden(c) ? 1 : 0;
        QCOMPARE(hidden, 4);
        QVERIFY(list()->isColumnHidden(3) && list()->isColumnHidden(7));

        // Rule defaults: the numbering boxes and the template written by the
        // first numbering run.
        QCOMPARE(child<QComboBox>(QStringLiteral("序号combox1"))->currentText(),
                 QStringLiteral("1"));
        QCOMPARE(child<QComboBox>(QStringLiteral("序号combox2"))->currentText(),
                 QStringLiteral("1"));
        QCOMPARE(child<QComboBox>(QStringLiteral("序号combox3"))->currentText(),
                 QStringLiteral("2"));
        QCOMPARE(child<QComboBox>(QStringLiteral("序号mb"))->currentText(), QStringLiteral("#"));
        QVERIFY(child<QCheckBox>(QStringLiteral("序号check"))->isChecked());
        QCOMPARE(child<QComboBox>(QStringLiteral("序号combox1"))->itemText(0), QStringLiteral("0"));
        QCOMPARE(child<QComboBox>(QStringLiteral("添加combox1"))->count(), 50);
        QCOMPARE(child<QComboBox>(QStringLiteral("添加combox1"))->currentText(), QString());
        QCOMPARE(child<QComboBox>(QStringLiteral("zzFindText"))->itemText(2),
                 QString::fromUtf16(u"[一-\uFA29]"));
        QCOMPARE(child<QComboBox>(QStringLiteral("zzFindText"))->currentText(), QString());
        QCOMPARE(child<QTabBar>(QStringLiteral("TabStrip1"))->count(), 7);
        QCOMPARE(m_window->ruleMarker(), QString());
    }

    void dropOrdersByNaturalKeyAndRefusesRepeats()
    {
        dropFiles({"b2.txt", "a10.txt", "c.txt"});
        QCOMPARE(column(RenameEntry::OriginalName), (QStringList{"c", "b2", "a10"}));
        QCOMPARE(text("gs"), QStringLiteral("3个文件"));
        QVERIFY(!child<QGroupBox>(QStringLiteral("提示"))->isVisible());
        for (const RenameEntry &e : m_window->model().entries())
            QVERIFY(e.checked);
        QCOMPARE(list()->model()->data(list()->model()->index(0, 0), Qt::CheckStateRole).toInt(),
                 int(Qt::Checked));

        dropFiles({"c.txt"});
        QCOMPARE(m_window->model().count(), 3);
        QCOMPARE(text("ts"), QStringLiteral("部分文件已添加"));
        QCOMPARE(text("gs"), QStringLiteral("3个文件"));

        // A click on the list takes the message away.
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(text("ts"), QString());

        // Text (not files) adds nothing but rewrites the count.
        child<QLabel>(QStringLiteral("gs"))->setText(QStringLiteral("x"));
        dropOn(list()->viewport(), {}, QStringLiteral("just text"));
        QCOMPARE(text("gs"), QStringLiteral("3个文件"));
        QCOMPARE(m_window->model().count(), 3);
    }

    void folderAmongFilesIsOneBlueRowAndASingleFolderAddsNothing()
    {
        QDir(m_dir.path()).mkdir(QStringLiteral("photos"));
        dropFiles({"photos", "x1.jpg"});
        QCOMPARE(m_window->model().count(), 2);
        const RenameEntry &folder = m_window->model().entry(0);
        QCOMPARE(folder.originalName, QStringLiteral("photos"));
        QCOMPARE(list()
                     ->model()
                     ->data(list()->model()->index(0, 0), Qt::ForegroundRole)
                     .value<QBrush>()
                     .color(),
                 QColor(0, 0, 255));

        QDir(m_dir.path()).mkdir(QStringLiteral("other"));
        dropFiles({"other"});
        QCOMPARE(m_window->model().count(), 2);
        QCOMPARE(text("gs"), QStringLiteral("2个文件"));
    }

    void rowsDroppedLaterStartFromTheirOwnName()
    {
        dropFiles({"a.txt"});
        QTest::keyClicks(child<QLineEdit>(QStringLiteral("AfterText")), QStringLiteral("_x"));
        dropFiles({"b.txt"});
        QTest::keyClicks(child<QLineEdit>(QStringLiteral("ZfText")), QStringLiteral("-"));
        QCOMPARE(column(RenameEntry::PreviewName), (QStringList{"-a_x", "-b"}));
    }

    void renamesOnDiskAndUndoes()
    {
        // A stand-in opener first in PATH records what would be opened.
        const QString log = installRecordingOpener(file(QStringLiteral("bin")));

        dropFiles({"r1.txt", "r2.txt"});
        QTest::keyClicks(child<QLineEdit>(QStringLiteral("beforeText")), QStringLiteral("new_"));
        QTest::mouseClick(child<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(text("ts"), QStringLiteral("重命名完成,一共2条文件 成功 2条;失败0条"));
        QVERIFY(QFileInfo::exists(file("new_r1.txt")) && QFileInfo::exists(file("new_r2.txt")));
        QVERIFY(!QFileInfo::exists(file("r1.txt")));
        QCOMPARE(column(RenameEntry::ResultText), (QStringList{"√成功", "√成功"}));
        QCOMPARE(m_window->ruleMarker(), QString());
        QVERIFY(child<QAction>(QStringLiteral("撤消更名"))->isVisible());
        QTRY_COMPARE(readFile(log).trimmed(), m_dir.path().toUtf8());

        child<QAction>(QStringLiteral("撤消更名"))->trigger();
        QVERIFY(QFileInfo::exists(file("r1.txt")) && QFileInfo::exists(file("r2.txt")));
        QVERIFY(!child<QAction>(QStringLiteral("撤消更名"))->isVisible());
        QCOMPARE(column(RenameEntry::OriginalName), (QStringList{"r1", "r2"}));
    }

    void renameOfAnEmptyListOnlySaysSo()
    {
        QTest::mouseClick(child<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(text("ts"), QStringLiteral("还未添加文件"));
        QVERIFY(!child<QAction>(QStringLiteral("撤消更名"))->isVisible());
    }

    void layoutFollowsTheWindowAndSkipsNegativeSizes()
    {
        const Twips twips(m_window.get());
        m_window->resize(900, 600);
        QCOMPARE(list()->width(), m_window->frameGeometry().width() - twips.toPixels(300));
        QCOMPARE(list()->height(), m_window->frameGeometry().height() - twips.toPixels(2625));
        auto *strip = child<QGroupBox>(QStringLiteral("Frame1"));
        QCOMPARE(strip->y(), list()->y() + list()->height());
        const int height = list()->height();
        m_window->resize(700, twips.toPixels(600));
        QCOMPARE(list()->height(), height);
        QCOMPARE(list()->width(), m_window->frameGeometry().width() - twips.toPixels(300));
    }

    void rightClickMenuOnlyOverRows()
    {
        auto *menu = child<QMenu>(QStringLiteral("右键菜单"));
        QTest::mousePress(list()->viewport(), Qt::RightButton, {}, QPoint(10, 10));
        QVERIFY(!menu->isVisible());
        dropFiles({"m.txt"});
        QTest::mousePress(list()->viewport(), Qt::RightButton, {}, QPoint(10, 10));
        QVERIFY(menu->isVisible());
        menu->close();
    }
};

QTEST_MAIN(TestForm1)
#include "tst_Form1.moc"
