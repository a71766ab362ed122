#include "app/Form1.h"
#include "app/QtChinese.h"
#include "list/FileListModel.h"
#include "list/FileListView.h"
#include "list/ListColours.h"
#include "list/ListExport.h"
#include "support/TestSupport.h"
#include "support/WidgetSupport.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDrag>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <memory>
#include <unistd.h>

using namespace testsupport;

class TestForm1 : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QTemporaryDir m_dir;
    QString m_openLog;
    QString m_export; // beside the program
    std::unique_ptr<Form1> m_window;

    // The text colour the list gives a cell.
    QColor foreground(int row, int column) const
    {
        return list()->model()->index(row, column).data(Qt::ForegroundRole).value<QBrush>().color();
    }

    template <typename T> T *child(const char *name) const
    {
        return namedChild<T>(m_window.get(), QString::fromUtf8(name));
    }
    FileListView *list() const { return child<FileListView>("L1"); }
    QString text(const char *label) const { return child<QLabel>(label)->text(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QStringList names() const { return columnOf(m_window->model(), RenameEntry::OriginalName); }
    QPoint rowCenter(int row) const
    {
        return list()->visualRect(list()->model()->index(row, 0)).center();
    }
    void clickRow(int row, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, mods, rowCenter(row));
    }
    void dropFiles(const QStringList &names)
    {
        dropFilesOf(list()->viewport(), m_dir.path(), names);
    }
    // Pulls a row until the list starts its drag; offscreen has no drag
    // loop, so `loop` plays it and returns the action the target took.
    void dragRow(int row, const FileListView::DragRunner &loop)
    {
        list()->setDragRunner(loop);
        const QPoint start = rowCenter(row);
        QTest::mousePress(list()->viewport(), Qt::LeftButton, {}, start);
        QTest::mouseMove(list()->viewport(), start + QPoint(1, 0));
        QTest::mouseMove(list()->viewport(),
                         start + QPoint(QApplication::startDragDistance() + 4, 0));
        QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, start);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Settings, documents and the opener all live in temporary folders.
        QVERIFY(m_home.isValid() && m_dir.isValid());
        qputenv("HOME", m_home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("config")).toUtf8());
        m_openLog = installRecordingOpener(m_home.filePath(QStringLiteral("bin")));
        m_export = QCoreApplication::applicationDirPath() + QStringLiteral("/文件列表.txt");
    }
    void init()
    {
        m_window = std::make_unique<Form1>();
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        QDir(m_export).removeRecursively();
        QFile::remove(m_export);
        QFile::remove(m_openLog);
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void dropsAddEachPathOnceInNaturalOrder()
    {
        QDir(m_dir.path()).mkdir("photos");
        dropFiles({"b2.txt", "a10.txt", "photos", "c.txt"});
        QCOMPARE(names(), (QStringList{"photos", "c", "b2", "a10"}));
        QCOMPARE(text("gs"), QStringLiteral("4个文件"));

        dropFiles({"c.txt"});
        QCOMPARE(m_window->model().store().count(), 4);
        QCOMPARE(text("ts"), QStringLiteral("部分文件已添加"));

        // Clearing forgets the paths, so c is taken again. Selected rows in
        // more runs than are removed one by one go, exactly those.
        QTest::keyClick(m_window.get(), Qt::Key_X, Qt::AltModifier);
        QStringList files{"c.txt"}, kept;
        for (int i = 1; i <= 40; ++i)
            files.push_back(QStringLiteral("s%1").arg(i));
        dropFiles(files);
        for (int row = 0; row <= 40; row += 2) {
            list()->selectionModel()->select(list()->model()->index(row, 0),
                                             QItemSelectionModel::Select |
                                                 QItemSelectionModel::Rows);
            kept.push_back(QStringLiteral("s%1").arg(row + 1));
        }
        child<QAction>("删除选定")->trigger();
        QCOMPARE(names(), kept.mid(0, 20)); // s1, s3 … s39
    }

    void renameAndUndoThroughTheAccessKeys()
    {
        dropFiles({"k1.txt", "k2.txt"});
        QTest::keyClicks(child<QLineEdit>("beforeText"), QStringLiteral("new_"));
        QAction *undo = child<QAction>("撤消更名");
        QTest::keyClick(m_window.get(), Qt::Key_E, Qt::AltModifier);
        QCOMPARE(entriesOf(m_dir.path()), (QStringList{"new_k1.txt", "new_k2.txt"}));
        QVERIFY(undo->isVisible());
        QTRY_COMPARE(readFile(m_openLog), m_dir.path().toUtf8() + '\n');

        QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::AltModifier);
        QCOMPARE(entriesOf(m_dir.path()), (QStringList{"k1.txt", "k2.txt"}));
        QVERIFY(!undo->isVisible());
        // Hidden, neither its access key nor a stray trigger undoes the undo.
        QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::AltModifier);
        undo->trigger();
        QCOMPARE(entriesOf(m_dir.path()), (QStringList{"k1.txt", "k2.txt"}));
    }

    // Files dropped anywhere the list is become rows; a rule box takes no
    // file addresses, only plain text.
    void filesDroppedOnTheHintHeaderOrScrollBarAreTheListsDrop()
    {
        const auto dropHere = [this](QWidget *target, const char *name) {
            const QString path = m_dir.filePath(QString::fromUtf8(name));
            writeFile(path, name);
            return dropOn(target, {path});
        };
        QVERIFY(dropHere(child<QGroupBox>("提示"), "on-hint") != Qt::IgnoreAction);
        QVERIFY(dropHere(child<QPushButton>("Command4"), "on-button") != Qt::IgnoreAction);
        QVERIFY(dropHere(list()->header(), "on-header") != Qt::IgnoreAction);
        QVERIFY(dropHere(list()->verticalScrollBar(), "on-scrollbar") != Qt::IgnoreAction);
        QCOMPARE(columnOf(m_window->model(), RenameEntry::OriginalName),
                 QStringList({"on-hint", "on-button", "on-header", "on-scrollbar"}));

        auto *before = child<QLineEdit>("beforeText");
        QCOMPARE(dropOn(before, {m_dir.filePath("on-hint")}, "file text"), Qt::IgnoreAction);
        QCOMPARE(before->text(), QString());
        QVERIFY(dropOn(before, {}, "x_") != Qt::IgnoreAction); // plain text still drops
        QCOMPARE(before->text(), QStringLiteral("x_"));
    }

    void theKeyboardReachesWhatTheMouseDoes()
    {
        dropFiles({"k1", "k2", "k3"});
        list()->setFocus();
        list()->setCurrentIndex(list()->model()->index(1, 0));
        for (const Qt::Key key : {Qt::Key_F2, Qt::Key_Return}) {
            QTest::keyClick(list(), key);
            auto *dialog = m_window->findChild<QDialog *>("RenText");
            QVERIFY(dialog && dialog->isVisible());
            QCOMPARE(dialog->findChild<QLineEdit *>("Text1")->text(), QStringLiteral("k2"));
            dialog->close();
        }
        // Delete removes the selected rows from the list, not text from a box.
        QTest::keyClick(child<QLineEdit>("beforeText"), Qt::Key_Delete);
        QCOMPARE(m_window->model().store().count(), 3);
        list()->setFocus();
        list()->selectionModel()->select(list()->model()->index(0, 0),
                                         QItemSelectionModel::ClearAndSelect |
                                             QItemSelectionModel::Rows);
        QTest::keyClick(list(), Qt::Key_Delete);
        QCOMPARE(columnOf(m_window->model(), RenameEntry::OriginalName), QStringList({"k2", "k3"}));

        // The Menu key and Shift+F10 open the list's menu.
        auto *menu = child<QMenu>("右键菜单");
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5),
                                  list()->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(list()->viewport(), &menuKey);
        QTRY_VERIFY(menu->isVisible());
        menu->close();
        QTest::keyClick(list(), Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(menu->isVisible());
        menu->close();

        // Ctrl+Tab and Ctrl+PgUp walk the rule tabs from any box, round the
        // ends; moving onto "已有规则" waits for Enter before opening it.
        auto *tabs = child<QTabBar>("TabStrip1");
        QLineEdit *box = child<QLineEdit>("beforeText");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 1);
        QTest::keyClick(box, Qt::Key_PageUp, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), tabs->count() - 1);
        QVERIFY(!m_window->findChild<QDialog *>("列表"));
        tabs->setFocus();
        QTest::keyClick(tabs, Qt::Key_Return);
        auto *rulesDialog = m_window->findChild<QDialog *>("列表");
        QVERIFY(rulesDialog && rulesDialog->isVisible());
        // In its box Tab leaves, as Ctrl+Tab does, while a pasted TAB stays.
        auto *text = rulesDialog->findChild<QPlainTextEdit *>("Text1");
        rulesDialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rulesDialog));
        text->setFocus();
        QTest::keyClick(text, Qt::Key_Tab);
        QVERIFY(!text->hasFocus());
        text->setFocus();
        QTest::keyClick(text, Qt::Key_Tab, Qt::ControlModifier);
        QVERIFY(!text->hasFocus());
        QApplication::clipboard()->setText(QStringLiteral("k2\tnew"));
        text->paste();
        QCOMPARE(text->toPlainText(), QStringLiteral("k2\tnew"));
        rulesDialog->close();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));

        // A start typed into the numbering box is taken with Enter.
        QTest::keyClick(m_window.get(), Qt::Key_PageDown, Qt::ControlModifier); // 添加 again
        QCOMPARE(tabs->currentIndex(), 0);
        tabs->setCurrentIndex(3);
        auto *start = child<QComboBox>("序号combox1");
        start->lineEdit()->selectAll();
        QTest::keyClicks(start->lineEdit(), "7");
        QTest::keyClick(start->lineEdit(), Qt::Key_Return);
        QCOMPARE(columnOf(m_window->model(), RenameEntry::PreviewName), QStringList({"07", "08"}));

        // Every menu of the bar has its Alt key.
        for (QAction *entry : m_window->menuBar()->actions())
            QVERIFY2(entry->text().contains(u'&'), qPrintable(entry->text()));
    }

    void exportWritesUtf8LinesAndReportsAFailure()
    {
        QTest::keyClick(list(), Qt::Key_D, Qt::ControlModifier);
        QVERIFY(!QFileInfo::exists(m_export)); // an empty list exports nothing

        dropFiles({"IMG_0002.jpg", "说明.txt", "IMG_0001.jpg"});
        QTest::keyClick(list(), Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(readFile(m_export), QStringLiteral("说明\r\nIMG_0001\r\nIMG_0002\r\n").toUtf8());
        QTRY_COMPARE(readFile(m_openLog), m_export.toUtf8() + '\n');
        QCOMPARE(child<QLabel>("ts")->text(), QStringLiteral("已导出到 ") + m_export);
        // Run as root, an installed program would otherwise write into /usr/bin.
        QVERIFY(exportFolder(QStringLiteral("/usr/bin")) != QStringLiteral("/usr/bin"));

        // A link of that name is neither followed nor replaced.
        const QString pointedTo = m_dir.filePath(QStringLiteral("elsewhere.txt"));
        writeFile(pointedTo, "mine");
        QFile::remove(m_export);
        QVERIFY(QFile::link(pointedTo, m_export));
        QString refused;
        answerNextMessageBox(&refused);
        child<QAction>("导出列表")->trigger();
        QVERIFY2(refused.contains(m_export), qPrintable(refused));
        QCOMPARE(readFile(pointedTo), QByteArray("mine"));
        QVERIFY(QFileInfo(m_export).isSymLink());

        // A target that cannot be written: the reason and the place, nothing opened.
        QFile::remove(m_export);
        QVERIFY(QDir().mkdir(m_export));
        QString message;
        answerNextMessageBox(&message);
        child<QAction>("导出列表")->trigger();
        QVERIFY2(message.contains(m_export) && !message.contains("：\n"), qPrintable(message));
        QTest::qWait(300);
        QCOMPARE(readFile(m_openLog), m_export.toUtf8() + '\n');
    }

    void rowDragsReorderAndOnlyAnUnacceptedReleaseRemoves()
    {
        dropFiles({"r1", "r2", "r3", "r4", "r5"});
        m_window->model().store().setChecked(3, false);

        // A press and a short move arm reordering; files dragged in still move nothing.
        QTest::mousePress(list()->viewport(), Qt::LeftButton, {}, rowCenter(3));
        QTest::mouseMove(list()->viewport(), rowCenter(3) + QPoint(1, 0));
        QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, rowCenter(3));
        for (int i = 0; i < 3; ++i)
            dropFiles({"r1"});
        QCOMPARE(names(), (QStringList{"r1", "r2", "r3", "r4", "r5"}));

        // A row dragged walks one place per move; dropped on the list, all rows stay.
        QList<int> walk;
        dragRow(3, [&](QDrag &drag) {
            const QPoint top = rowCenter(0);
            QDragEnterEvent enter(top, Qt::MoveAction, drag.mimeData(), Qt::LeftButton, {});
            QDragMoveEvent move(top, Qt::MoveAction, drag.mimeData(), Qt::LeftButton, {});
            QDropEvent drop(top, Qt::MoveAction, drag.mimeData(), Qt::LeftButton, {});
            QApplication::sendEvent(list()->viewport(), &enter);
            for (int i = 0; i < 5; ++i) {
                QApplication::sendEvent(list()->viewport(), &move);
                walk.push_back(static_cast<int>(names().indexOf("r4")));
            }
            QApplication::sendEvent(list()->viewport(), &drop);
            return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
        });
        QCOMPARE(walk, (QList<int>{3, 2, 1, 0, 0}));
        QCOMPARE(names(), (QStringList{"r4", "r1", "r2", "r3", "r5"}));
        QVERIFY(m_window->model().store().entry(0).checked);

        // Esc cancels the drag: nothing goes. Released where nothing takes
        // it: the selected rows go.
        for (bool escape : {true, false}) {
            clickRow(1);
            clickRow(3, Qt::ControlModifier);
            dragRow(3, [&](QDrag &) {
                QCoreApplication::processEvents(); // the drag loop is under way
                if (escape)
                    QTest::keyClick(list(), Qt::Key_Escape);
                return Qt::IgnoreAction;
            });
            QCOMPARE(m_window->model().store().count(), escape ? 5 : 3);
        }
        QCOMPARE(names(), (QStringList{"r4", "r2", "r5"}));
    }

    void doubleClicksAndFolderDropsOpenTheirDialogs()
    {
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QDialog *scan = m_window->findChild<QDialog *>("文件名");
        QVERIFY(scan && scan->isVisible());

        // A lone folder dropped is scanned, not listed; a name in it that is
        // not UTF-8 is left out, and said so once the dialog closes.
        const QString folder = file("photos");
        for (const char *name : {"/p2.jpg", "/p10.jpg", "/cover.jpg"})
            writeFile(folder + QString::fromUtf8(name));
        const QByteArray raw = QFile::encodeName(folder) + "/bad\xff.txt";
        QVERIFY(::close(::open(raw.constData(), O_CREAT | O_WRONLY, 0644)) == 0);
        dropOn(list()->viewport(), {folder});
        QCOMPARE(namedChild<QLineEdit>(scan, QStringLiteral("lj"))->text(), folder);
        QCOMPARE(m_window->model().store().count(), 0);
        QTest::mouseClick(namedChild<QPushButton>(scan, QStringLiteral("Command1")),
                          Qt::LeftButton);
        QCOMPARE(names(), (QStringList{"cover", "p2", "p10"}));
        QCOMPARE(text("ts"), QStringLiteral("（跳过1个名称无法识别的项目）"));
        QTRY_VERIFY(!m_window->findChild<QDialog *>("文件名"));
        QVERIFY(::unlink(raw.constData()) == 0);

        // A row opens the rename dialog on its preview, fully selected.
        m_window->model().store().setCell(2, RenameEntry::PreviewName, QStringLiteral("later"));
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, rowCenter(2));
        auto *name = namedChild<QLineEdit>(m_window.get(), QStringLiteral("Text1"));
        QVERIFY(name->isVisible());
        QCOMPARE(name->selectedText(), QStringLiteral("later"));
    }

    void rowColoursStayReadableOnADarkPalette()
    {
        dropFiles({"photos/", "a.txt"}); // the folder comes first, blue
        m_window->model().store().setOutcome(0, QStringLiteral("失败"),
                                             RenameEntry::Outcome::Failure);
        m_window->model().store().setOutcome(1, QStringLiteral("√成功"),
                                             RenameEntry::Outcome::Success);
        const QList<QPair<int, int>> cells = {{0, RenameEntry::OriginalName},
                                              {0, RenameEntry::PreviewName},
                                              {0, RenameEntry::ResultText},
                                              {1, RenameEntry::ResultText}};
        const QList<QColor> light = {QColor(0, 0, 255), QColor(0, 128, 128), QColor(255, 0, 0),
                                     QColor(0, 0, 0)};
        const auto colours = [&] {
            QList<QColor> shown;
            for (const auto &[row, column] : cells)
                shown.push_back(foreground(row, column));
            return shown;
        };
        QCOMPARE(colours(), light);

        // Fusion's dark colours, for the whole application and then for the
        // list alone: each colour reads on the Base the list really paints.
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(53, 53, 53));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Base, QColor(42, 42, 42));
        dark.setColor(QPalette::Text, Qt::white);
        dark.setColor(QPalette::Button, QColor(53, 53, 53));
        dark.setColor(QPalette::ButtonText, Qt::white);
        const QPalette before = QApplication::palette();
        QPalette darkList = list()->palette();
        darkList.setColor(QPalette::Base, QColor(30, 30, 46));
        darkList.setColor(QPalette::Text, QColor(205, 214, 244));
        for (const bool wholeApplication : {true, false}) {
            if (wholeApplication)
                QApplication::setPalette(dark);
            else
                list()->setPalette(darkList);
            // The application's palette reaches its widgets through the event loop.
            const QColor base = (wholeApplication ? dark : darkList).color(QPalette::Base);
            QTRY_COMPARE(list()->palette().color(QPalette::Active, QPalette::Base), base);
            const QList<QColor> shown = colours();
            for (qsizetype i = 0; i < shown.size(); ++i) {
                QVERIFY2(contrastRatio(shown[i], base) >= 4.5,
                         qPrintable(QStringLiteral("%1 on %2: %3:1")
                                        .arg(shown[i].name(), base.name())
                                        .arg(contrastRatio(shown[i], base))));
                if (i < 3) // black has no hue to keep
                    QCOMPARE(shown[i].hslHue(), light[i].hslHue());
            }
            QApplication::setPalette(before);
        }
        list()->setPalette(QPalette());
        QTRY_COMPARE(colours(), light);
    }

    void qtsOwnTextsAreChinese()
    {
        const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (!QFile::exists(folder + QStringLiteral("/qtbase_zh_CN.qm")))
            QSKIP(qPrintable(QStringLiteral("qt6-translations-l10n is not installed: no "
                                            "qtbase_zh_CN.qm in ") +
                             folder));
        QVERIFY(installQtChinese(*qApp));

        QStringList buttons;
        answerNextMessageBox(nullptr, 3000, &buttons);
        child<QAction>("说明")->trigger();
        QCOMPARE(buttons, QStringList{QStringLiteral("确定")});

        const std::unique_ptr<QMenu> menu(
            child<QLineEdit>("beforeText")->createStandardContextMenu());
        QStringList actions;
        for (const QAction *action : menu->actions())
            actions.push_back(action->text().section(u'\t', 0, 0)); // without the shortcut
        QVERIFY2(actions.contains(QStringLiteral("复制(&C)")), qPrintable(actions.join(u'|')));
    }
};

QTEST_MAIN(TestForm1)
#include "tst_Form1.moc"
