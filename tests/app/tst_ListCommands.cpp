// Mouse events go through the window system layer, as on a desktop, so
// QGuiApplication::mouseButtons() follows them; the list relies on it to
// tell a drag released outside from one cancelled with Esc.
#define QTEST_QPA_MOUSE_HANDLING

#include "app/Form1.h"
#include "list/FileListModel.h"
#include "list/FileListView.h"
#include "list/ListExport.h"
#include "support/TestSupport.h"
#include "support/WidgetSupport.h"

#include <QAction>
#include <QCursor>
#include <QDialog>
#include <QDrag>
#include <QEventLoop>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

using namespace testsupport;

namespace {

// Plays the desktop's drag loop where the platform has none (offscreen:
// QDrag::exec returns at once). Like Qt's own drag it eats the mouse and
// keys while it runs, turns mouse moves into drag events for the widget
// under the pointer, drops on release when that widget accepts, and cancels
// on Esc.
class StandInDrag : public QObject
{
public:
    Qt::DropAction run(QDrag &drag)
    {
        m_data = drag.mimeData();
        m_result = Qt::IgnoreAction;
        m_target = nullptr;
        m_accepted = false;
        qApp->installEventFilter(this);
        // A test whose steps never end the drag fails instead of hanging.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, &m_loop, &QEventLoop::quit);
        watchdog.start(10000);
        m_loop.exec();
        qApp->removeEventFilter(this);
        return m_result;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            event->accept(); // no shortcuts while dragging
            return true;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
                leaveTarget();
                m_loop.quit();
            }
            return true;
        case QEvent::KeyRelease:
            return true;
        case QEvent::MouseMove: {
            const auto *move = static_cast<QMouseEvent *>(event);
            moveTo(move->globalPosition().toPoint(), move->buttons(), move->modifiers());
            return true;
        }
        case QEvent::MouseButtonRelease: {
            const auto *release = static_cast<QMouseEvent *>(event);
            dropAt(release->globalPosition().toPoint(), release->buttons(), release->modifiers());
            m_loop.quit();
            // The source gets its release once the drag is over, as with Qt's drag.
            QCoreApplication::postEvent(watched, release->clone());
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        default:
            return false;
        }
    }

private:
    static constexpr Qt::DropActions kActions = Qt::MoveAction | Qt::CopyAction;

    // The widget a drop at a global point goes to, found as Qt does.
    static QWidget *dropSiteAt(const QPoint &global)
    {
        QWidget *w = QApplication::widgetAt(global);
        while (w && !w->isWindow() && !w->acceptDrops())
            w = w->parentWidget();
        return w && w->acceptDrops() ? w : nullptr;
    }

    void leaveTarget()
    {
        if (m_target) {
            QDragLeaveEvent leave;
            QApplication::sendEvent(m_target, &leave);
        }
        m_target = nullptr;
        m_accepted = false;
    }

    void moveTo(const QPoint &global, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
    {
        QWidget *site = dropSiteAt(global);
        if (site != m_target) {
            leaveTarget();
            m_target = site;
            if (site) {
                QDragEnterEvent enter(site->mapFromGlobal(global), kActions, m_data, buttons, mods);
                QApplication::sendEvent(site, &enter);
                m_accepted = enter.isAccepted();
                m_action = enter.dropAction();
            }
        }
        if (!m_target)
            return;
        QDragMoveEvent move(m_target->mapFromGlobal(global), kActions, m_data, buttons, mods);
        if (m_accepted) {
            move.setDropAction(m_action);
            move.accept();
        }
        QApplication::sendEvent(m_target, &move);
        m_accepted = move.isAccepted();
        m_action = move.dropAction();
    }

    void dropAt(const QPoint &global, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
    {
        moveTo(global, buttons, mods);
        if (!m_target || !m_accepted) {
            leaveTarget();
            return;
        }
        QDropEvent drop(QPointF(m_target->mapFromGlobal(global)), kActions, m_data, buttons, mods);
        drop.setDropAction(m_action);
        QApplication::sendEvent(m_target, &drop);
        m_result = drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
        m_target = nullptr;
    }

    QEventLoop m_loop;
    const QMimeData *m_data = nullptr;
    QPointer<QWidget> m_target;
    bool m_accepted = false;
    Qt::DropAction m_action = Qt::IgnoreAction;
    Qt::DropAction m_result = Qt::IgnoreAction;
};

const QString kExportName = QStringLiteral("文件列表.txt");
const QString kDragHint =
    QStringLiteral("按住不放可以手动拖动排序.如果拖到列表外面，可删除选定的记录");

} // namespace

class TestListCommands : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QTemporaryDir m_dir;
    QString m_openLog;
    StandInDrag m_standIn;
    std::unique_ptr<Form1> m_window;

    template <typename T> T *child(const QString &name) const
    {
        return namedChild<T>(m_window.get(), name);
    }
    FileListView *list() const { return child<FileListView>(QStringLiteral("L1")); }
    QAction *action(const char *name) const { return child<QAction>(QString::fromUtf8(name)); }
    QString text(const char *label) const
    {
        return child<QLabel>(QString::fromUtf8(label))->text();
    }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString exportPath() const
    {
        return QDir(QCoreApplication::applicationDirPath()).filePath(kExportName);
    }
    QStringList column(int c) const { return columnOf(m_window->model(), c); }
    QStringList names() const { return column(RenameEntry::OriginalName); }
    int rowOf(const QString &name) const { return static_cast<int>(names().indexOf(name)); }
    QPoint rowCenter(int row) const
    {
        return list()->visualRect(list()->model()->index(row, 0)).center();
    }
    QStringList openedPaths() const
    {
        const QString log = QString::fromUtf8(readFile(m_openLog));
        return log.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    void dropFiles(const QStringList &names)
    {
        dropFilesOf(list()->viewport(), m_dir.path(), names);
    }
    void clickRow(int row, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, mods, rowCenter(row));
    }
    void clickHeader(int section)
    {
        QHeaderView *header = list()->header();
        const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    // Moves the pointer to a point of the list's viewport while the button is held.
    void dragPointerTo(const QPoint &viewportPos)
    {
        QTest::mouseMove(list()->viewport(), viewportPos);
    }
    // Presses on a row and pulls it until the view starts its drag; steps
    // run once the drag is under way and must end it (release or Esc).
    void dragRow(int row, const std::function<void()> &steps)
    {
        bool ran = false;
        QTimer poll;
        poll.setInterval(5);
        connect(&poll, &QTimer::timeout, this, [this, &poll, &ran, &steps] {
            if (!list()->rowDragActive())
                return;
            poll.stop();
            ran = true;
            steps();
        });
        poll.start();
        const QPoint start = rowCenter(row);
        // A desktop drag begins where the pointer is.
        QCursor::setPos(list()->viewport()->mapToGlobal(start));
        QTest::mousePress(list()->viewport(), Qt::LeftButton, {}, start);
        dragPointerTo(start + QPoint(1, 0));
        dragPointerTo(start + QPoint(QApplication::startDragDistance() + 4, 0));
        QVERIFY2(ran, "the row drag did not start");
        QVERIFY(!list()->rowDragActive());
    }
    // Sends a file manager's drag over a point of the list, without a drop.
    void fileDragOver(const QPoint &pos, const QString &path, int times)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list()->viewport(), &enter);
        for (int i = 0; i < times; ++i) {
            QDragMoveEvent move(pos + QPoint(0, i % 2), Qt::CopyAction, &data, Qt::LeftButton,
                                Qt::NoModifier);
            QApplication::sendEvent(list()->viewport(), &move);
        }
        QDragLeaveEvent leave;
        QApplication::sendEvent(list()->viewport(), &leave);
    }
    QDialog *dialog(const char *name) const
    {
        return m_window->findChild<QDialog *>(QString::fromUtf8(name));
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Nothing of the user's: settings, documents and the opener all live
        // in temporary folders. Set before anything reads them.
        QVERIFY(m_home.isValid() && m_dir.isValid());
        qputenv("HOME", m_home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toUtf8());

        m_openLog = installRecordingOpener(m_home.filePath(QStringLiteral("bin")));
    }

    void init()
    {
        QFile::remove(exportPath());
        QFile::remove(m_openLog);
        m_window = std::make_unique<Form1>();
        m_window->move(120, 80);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        // Offscreen, QDrag::exec returns at once; play the drag loop instead.
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            list()->setDragRunner([this](QDrag &drag) { return m_standIn.run(drag); });
    }

    void cleanup()
    {
        m_window.reset();
        QDir(exportPath()).removeRecursively();
        QFile::remove(exportPath());
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void headerClicksShareOneDirectionAndKeepTiesInOrder()
    {
        // No digits: every sort key is empty, so the drop keeps this order.
        dropFiles({"b.txt", "a.jpg", "c.txt", "d.png"});
        QCOMPARE(names(), (QStringList{"b", "a", "c", "d"}));

        clickHeader(RenameEntry::Extension); // first click: descending
        QCOMPARE(names(), (QStringList{"b", "c", "d", "a"}));
        clickHeader(RenameEntry::OriginalName); // next click, other column: ascending
        QCOMPARE(names(), (QStringList{"a", "b", "c", "d"}));
        clickHeader(RenameEntry::OriginalName);
        QCOMPARE(names(), (QStringList{"d", "c", "b", "a"}));
        // Ascending by extension; c and b share .txt and keep their order.
        clickHeader(RenameEntry::Extension);
        QCOMPARE(names(), (QStringList{"a", "d", "c", "b"}));

        // A later drop sorts by the hidden key again, in the current direction.
        dropFiles({"x1.txt"});
        QCOMPARE(names(), (QStringList{"a", "d", "c", "b", "x1"}));
    }

    void selectionCommandsRemoveRowsAndClearAll()
    {
        dropFiles({"a.txt", "b.txt", "c.txt"});
        m_window->model().setChecked(1, false);

        // Rows a and c selected: only b is left, and a's file stays known.
        clickRow(0);
        clickRow(2, Qt::ControlModifier);
        action("删除选定")->trigger();
        QCOMPARE(names(), QStringList{"b"});
        QVERIFY(!m_window->model().entry(0).checked);
        QCOMPARE(text("gs"), QStringLiteral("3个文件"));
        dropFiles({"a.txt"});
        QCOMPARE(names(), QStringList{"b"});
        QCOMPARE(text("ts"), QStringLiteral("部分文件已添加"));

        // Clearing forgets the dropped paths: the same drop is now taken.
        action("清空")->trigger();
        QCOMPARE(m_window->model().count(), 0);
        QCOMPARE(text("ts"), QString());
        dropFiles({"a.txt", "b.txt", "c.txt"});
        QCOMPARE(names(), (QStringList{"a", "b", "c"}));
        QCOMPARE(text("gs"), QStringLiteral("3个文件"));

        // Ctrl+A selects every row without touching the check boxes.
        m_window->model().setChecked(2, false);
        clickRow(1);
        QSignalSpy selectAll(action("全选"), &QAction::triggered);
        QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(selectAll.size(), 1);
        QCOMPARE(list()->selectionModel()->selectedRows().size(), 3);
        QVERIFY(!m_window->model().entry(2).checked);
        action("全不选")->trigger();
        QCOMPARE(list()->selectionModel()->selectedRows().size(), 0);
        action("删除选定")->trigger();
        QCOMPARE(m_window->model().count(), 3);

        // The menu's 全选 and 删除选定 empty the list; the count stays.
        action("全选")->trigger();
        action("删除选定")->trigger();
        QCOMPARE(m_window->model().count(), 0);
        QCOMPARE(text("gs"), QStringLiteral("3个文件"));
        QVERIFY(!child<QGroupBox>(QStringLiteral("提示"))->isVisible());
    }

    void restoringThePreviewAlsoResetsUncheckedRows()
    {
        dropFiles({"x.txt", "y.txt"});
        QTest::keyClicks(child<QLineEdit>(QStringLiteral("beforeText")), QStringLiteral("p_"));
        QCOMPARE(column(RenameEntry::PreviewName), (QStringList{"p_x", "p_y"}));
        m_window->model().setChecked(1, false);
        m_window->model().setCell(1, RenameEntry::TempName, QStringLiteral("zz"));
        const QString marker = m_window->ruleMarker();

        action("预览列恢复成原样")->trigger();
        QCOMPARE(column(RenameEntry::PreviewName), (QStringList{"x", "y"}));
        QCOMPARE(column(RenameEntry::TempName), (QStringList{"x", "y"}));
        QCOMPARE(column(RenameEntry::Extension), (QStringList{".txt", ".txt"}));
        QVERIFY(!m_window->model().entry(1).checked);
        QCOMPARE(m_window->ruleMarker(), marker);
    }

    void exportWritesTheNamesBesideTheProgramAndOpensThem()
    {
        // Nothing to export: no file, nothing opened.
        QTest::keyClick(list(), Qt::Key_D, Qt::ControlModifier);
        QVERIFY(!QFileInfo::exists(exportPath()));

        dropFiles({"IMG_0001.jpg", "说明.txt", "IMG_0002.jpg"});
        clickHeader(RenameEntry::OriginalName);
        clickHeader(RenameEntry::OriginalName);
        QCOMPARE(names(), (QStringList{"IMG_0001", "IMG_0002", "说明"}));

        clickRow(0);
        QTest::keyClick(list(), Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(readFile(exportPath()),
                 QByteArray("IMG_0001\r\nIMG_0002\r\n") + QStringLiteral("说明").toUtf8() + "\r\n");
        QTRY_COMPARE(openedPaths(), QStringList{exportPath()});

        // A second export replaces the file.
        clickRow(2);
        action("删除选定")->trigger();
        action("导出列表")->trigger();
        QCOMPARE(readFile(exportPath()), QByteArray("IMG_0001\r\nIMG_0002\r\n"));
        QTRY_COMPARE(openedPaths().size(), 2);

        // A target that cannot be written: a message with the reason and the
        // place, nothing opened, no row changed.
        QFile::remove(exportPath());
        QVERIFY(QDir().mkdir(exportPath()));
        const std::vector<RenameEntry> before = m_window->model().entries();
        QString message;
        answerNextMessageBox(&message);
        action("导出列表")->trigger();
        QVERIFY2(message.startsWith(QStringLiteral("无法写入文件列表：")), qPrintable(message));
        QVERIFY(message.contains(exportPath()));
        const QString reason = message.section(QLatin1Char('\n'), 0, 0).mid(9);
        QVERIFY2(!reason.isEmpty(), qPrintable(message));
        QCOMPARE(names(), (QStringList{"IMG_0001", "IMG_0002"}));
        QCOMPARE(column(RenameEntry::FullPath),
                 (QStringList{before[0].fullPath, before[1].fullPath}));
        QTest::qWait(300);
        QCOMPARE(openedPaths().size(), 2);

        // A program folder that cannot take the file sends it to the documents.
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QVERIFY(documents.startsWith(m_home.path()));
        const ExportResult fallback =
            exportNames(m_window->model(), m_home.filePath(QStringLiteral("missing")));
        QVERIFY(fallback.written);
        QCOMPARE(fallback.path, QDir(documents).filePath(kExportName));
        QCOMPARE(readFile(fallback.path), QByteArray("IMG_0001\r\nIMG_0002\r\n"));
    }

    void draggingARowWalksItOnePlacePerEvent()
    {
        QStringList files;
        for (int i = 1; i <= 10; ++i)
            files.push_back(i == 4 ? QStringLiteral("r04")
                                   : QStringLiteral("r%1.txt").arg(i, 2, 10, QLatin1Char('0')));
        dropFiles(files);
        QCOMPARE(rowOf(QStringLiteral("r04")), 3);
        m_window->model().setCell(3, RenameEntry::PreviewName, QStringLiteral("prev4"));
        m_window->model().setChecked(3, false);
        const RenameEntry moved = m_window->model().entry(3);

        QList<int> positions;
        QStringList messages;
        dragRow(3, [&] {
            const QPoint top = rowCenter(0);
            for (int i = 0; i < 5; ++i) {
                dragPointerTo(top + QPoint(0, i % 2 ? -2 : 2));
                positions.push_back(rowOf(QStringLiteral("r04")));
            }
            messages.push_back(text("ts"));
            QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, top);
        });
        QCOMPARE(positions, (QList<int>{3, 2, 1, 0, 0}));
        QCOMPARE(messages, QStringList{kDragHint});

        // Released over the list: nothing removed, the row kept everything.
        QCOMPARE(m_window->model().count(), 10);
        QCOMPARE(names().mid(0, 5), (QStringList{"r04", "r01", "r02", "r03", "r05"}));
        const RenameEntry &top = m_window->model().entry(0);
        QVERIFY(top.checked);
        QCOMPARE(top.previewName, QStringLiteral("prev4"));
        QCOMPARE(top.fullPath, moved.fullPath);
        QCOMPARE(list()->currentIndex().row(), 0);
        QCOMPARE(text("ts"), QString());
        QCOMPARE(text("gs"), QStringLiteral("10个文件"));

        // Dragging down past the last row takes it to the bottom.
        dragRow(0, [&] {
            const QPoint below = rowCenter(9) + QPoint(0, 60);
            for (int i = 0; i < 12; ++i)
                dragPointerTo(below + QPoint(0, i % 2));
            QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, rowCenter(9));
        });
        QCOMPARE(rowOf(QStringLiteral("r04")), 9);
        QCOMPARE(m_window->model().count(), 10);
    }

    void rowsDraggedOutAreRemovedUnlessTheDragIsCancelled()
    {
        dropFiles({"a1.txt", "b2.txt", "c3.txt", "d4.txt"});
        clickRow(1);
        clickRow(2, Qt::ControlModifier);

        // Esc with the button still held cancels: nothing is removed.
        dragRow(2, [&] {
            dragPointerTo(rowCenter(0));
            dragPointerTo(QPoint(-150, -150));
            QTest::keyClick(list(), Qt::Key_Escape);
        });
        QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, rowCenter(2));
        QCOMPARE(m_window->model().count(), 4);
        QCOMPARE(text("ts"), QString());

        // Let go where nothing takes the drop: the selected rows go.
        clickRow(1);
        clickRow(2, Qt::ControlModifier);
        QString during;
        dragRow(2, [&] {
            dragPointerTo(rowCenter(2) + QPoint(0, 5));
            during = text("ts");
            const QPoint outside =
                list()->viewport()->mapFromGlobal(m_window->mapToGlobal(QPoint(-60, -60)));
            dragPointerTo(outside);
            QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, outside);
        });
        QCOMPARE(during, kDragHint);
        QCOMPARE(names(), (QStringList{"a1", "d4"}));
        QCOMPARE(text("gs"), QStringLiteral("4个文件"));
        QCOMPARE(text("ts"), QString());

        // Let go over a part of the window that takes no drops: same.
        clickRow(0);
        dragRow(0, [&] {
            const QWidget *button = child<QPushButton>(QStringLiteral("Command1"));
            const QPoint over =
                list()->viewport()->mapFromGlobal(button->mapToGlobal(button->rect().center()));
            dragPointerTo(over);
            QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, over);
        });
        QCOMPARE(names(), QStringList{"d4"});
    }

    void filesDraggedOverTheListNeverReorder()
    {
        dropFiles({"f1.txt", "f2.txt", "f3.txt", "f4.txt"});
        m_window->model().setChecked(3, false);
        writeFile(file("new.txt"));

        // Armed by a press and a short move on the last row, but no drag.
        QTest::mousePress(list()->viewport(), Qt::LeftButton, {}, rowCenter(3));
        dragPointerTo(rowCenter(3) + QPoint(1, 0));
        QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, rowCenter(3) + QPoint(1, 0));
        QCOMPARE(list()->currentIndex().row(), 3);
        fileDragOver(rowCenter(0), file("new.txt"), 6);
        QCOMPARE(names(), (QStringList{"f1", "f2", "f3", "f4"}));
        QVERIFY(!m_window->model().entry(3).checked);

        // After a row drag has ended, file drags still move nothing.
        dragRow(3, [&] {
            dragPointerTo(rowCenter(3) + QPoint(0, 3));
            QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, rowCenter(3));
        });
        QCOMPARE(names(), (QStringList{"f1", "f2", "f3", "f4"}));
        clickRow(3);
        fileDragOver(rowCenter(0), file("new.txt"), 6);
        QCOMPARE(names(), (QStringList{"f1", "f2", "f3", "f4"}));
        QVERIFY(text("ts") != kDragHint);
    }

    void doubleClicksOpenTheScanOrTheRenameDialog()
    {
        const QString remembered = m_home.filePath(QStringLiteral("remembered"));
        {
            QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quib工具"));
            store.setValue(QStringLiteral("文件批量重命名/获取文件名称路径"), remembered);
        }

        // Empty list: the folder scan, with the remembered folder.
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QDialog *scan = dialog("文件名");
        QVERIFY(scan && scan->isVisible());
        QVERIFY(!dialog("RenText"));
        QCOMPARE(scan->findChild<QLineEdit *>(QStringLiteral("lj"))->text(), remembered);
        scan->close();
        QTRY_VERIFY(!dialog("文件名"));

        // A single folder dropped: the scan opens on it, the list stays empty.
        const QString folder = file(QStringLiteral("photos"));
        for (const char *name : {"p2.jpg", "p10.jpg", "cover.jpg"})
            writeFile(folder + QLatin1Char('/') + QString::fromUtf8(name));
        dropOn(list()->viewport(), {folder});
        scan = dialog("文件名");
        QVERIFY(scan && scan->isVisible());
        QCOMPARE(scan->findChild<QLineEdit *>(QStringLiteral("lj"))->text(), folder);
        QCOMPARE(m_window->model().count(), 0);
        QCOMPARE(text("gs"), QStringLiteral("还未添加文件"));
        QVERIFY(!text("ts").isEmpty());

        // Scanning it fills the list.
        QTest::mouseClick(scan->findChild<QPushButton *>(QStringLiteral("Command1")),
                          Qt::LeftButton);
        QCOMPARE(names(), (QStringList{"cover", "p2", "p10"}));
        QCOMPARE(text("gs"), QStringLiteral("3个文件"));
        QCOMPARE(text("ts"), QString());
        QCOMPARE(m_window->ruleMarker(), QString());
        QVERIFY(!child<QGroupBox>(QStringLiteral("提示"))->isVisible());
        QTRY_VERIFY(!dialog("文件名"));

        // A second scan replaces the rows and resets the rule marker.
        QTest::keyClicks(child<QLineEdit>(QStringLiteral("beforeText")), QStringLiteral("n_"));
        QCOMPARE(m_window->ruleMarker(), QStringLiteral("B"));
        const QString other = file(QStringLiteral("other"));
        writeFile(other + QStringLiteral("/o1.txt"));
        // A name that is not UTF-8 is left out, and the main window says so
        // after the dialog has closed.
        const QByteArray raw = QFile::encodeName(other) + "/bad\xff.txt";
        QVERIFY(::close(::open(raw.constData(), O_CREAT | O_WRONLY, 0644)) == 0);
        action("获取文件名")->trigger();
        scan = dialog("文件名");
        QVERIFY(scan);
        auto *path = scan->findChild<QLineEdit *>(QStringLiteral("lj"));
        QCOMPARE(path->text(), folder); // the last scanned folder was remembered
        path->setText(other);
        QTest::mouseClick(scan->findChild<QPushButton *>(QStringLiteral("Command1")),
                          Qt::LeftButton);
        QCOMPARE(names(), QStringList{"o1"});
        QCOMPARE(text("gs"), QStringLiteral("1个文件"));
        QCOMPARE(text("ts"), QStringLiteral("（跳过1个名称无法识别的项目）"));
        QCOMPARE(m_window->ruleMarker(), QString());
        QTRY_VERIFY(!dialog("文件名"));

        // A row without a preview: the rename dialog with the whole name selected.
        dropFiles({"q1.txt", "q2.txt"});
        QCOMPARE(names(), (QStringList{"o1", "q1", "q2"}));
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, rowCenter(1));
        QDialog *rename = dialog("RenText");
        QVERIFY(rename && rename->isVisible());
        QVERIFY(!dialog("文件名"));
        auto *name = rename->findChild<QLineEdit *>(QStringLiteral("Text1"));
        QCOMPARE(name->text(), QStringLiteral("q1"));
        QCOMPARE(name->selectedText(), QStringLiteral("q1"));

        // A row with a preview shows the preview.
        m_window->model().setCell(2, RenameEntry::PreviewName, QStringLiteral("later"));
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, rowCenter(2));
        QCOMPARE(name->text(), QStringLiteral("later"));
        QCOMPARE(name->selectedText(), QStringLiteral("later"));
    }
};

QTEST_MAIN(TestListCommands)
#include "tst_ListCommands.moc"
