#include "app/Form1.h"
#include "list/FileListModel.h"
#include "support/TestSupport.h"
#include "support/WidgetSupport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <memory>

using namespace testsupport;

class TestKeyboard : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Form1> m_window;
    std::unique_ptr<QTemporaryDir> m_dir;

    template <typename T> T *child(const QString &name) const
    {
        return namedChild<T>(m_window.get(), name);
    }
    QString file(const QString &name) const { return m_dir->filePath(name); }
    void dropFiles(const QStringList &names)
    {
        dropFilesOf(child<QTreeView>(QStringLiteral("L1"))->viewport(), m_dir->path(), names);
    }
    void pressAlt(Qt::Key key) { QTest::keyClick(m_window.get(), key, Qt::AltModifier); }
    QString message() const { return child<QLabel>(QStringLiteral("ts"))->text(); }

    // What a screen reader is told the widget is called.
    static QString spokenName(QWidget *widget)
    {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
        return iface ? iface->text(QAccessible::Name) : QString();
    }

    static bool holdsFocus(QWidget *widget)
    {
        QWidget *focus = QApplication::focusWidget();
        return focus && (focus == widget || widget->isAncestorOf(focus));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        // The batch opens the folder in the file manager: record it instead.
        static QTemporaryDir bin;
        installRecordingOpener(bin.path());
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_window = std::make_unique<Form1>();
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        m_dir.reset();
    }

    void menuAccessKeysRunTheirCommands()
    {
        dropFiles({QStringLiteral("k1.txt"), QStringLiteral("k2.txt")});
        auto *before = child<QLineEdit>(QStringLiteral("beforeText"));
        before->setFocus();
        QTest::keyClicks(before, QStringLiteral("new_"));

        // Alt+Z does nothing before a batch: the item is hidden.
        QVERIFY(!child<QAction>(QStringLiteral("撤消更名"))->isVisible());
        pressAlt(Qt::Key_Z);
        QVERIFY(QFileInfo::exists(file(QStringLiteral("k1.txt"))));

        pressAlt(Qt::Key_E);
        QVERIFY(QFileInfo::exists(file(QStringLiteral("new_k1.txt"))));
        QVERIFY(QFileInfo::exists(file(QStringLiteral("new_k2.txt"))));
        QVERIFY(child<QAction>(QStringLiteral("撤消更名"))->isVisible());

        pressAlt(Qt::Key_Z);
        QVERIFY(QFileInfo::exists(file(QStringLiteral("k1.txt"))));
        QVERIFY(!QFileInfo::exists(file(QStringLiteral("new_k1.txt"))));
        QVERIFY(!child<QAction>(QStringLiteral("撤消更名"))->isVisible());

        pressAlt(Qt::Key_X);
        QCOMPARE(m_window->model().count(), 0);
        QVERIFY(QFileInfo::exists(file(QStringLiteral("k1.txt"))));

        QVERIFY(!m_window->findChild<QDialog *>(QStringLiteral("文件名")));
        pressAlt(Qt::Key_F);
        auto *scan = m_window->findChild<QDialog *>(QStringLiteral("文件名"));
        QVERIFY(scan && scan->isVisible());
        scan->close();
    }

    void everyControlIsNamedAfterItsCaption()
    {
        const QList<std::pair<const char *, const char *>> expected = {
            {"beforeText", "文本前添加"},
            {"AfterText", "文本后添加"},
            {"添加check", "扩展添加从第"},
            {"添加combox1", "扩展添加从第"},
            {"ZfText", "字符后添加"},
            {"DeleteText", "删除文件名中"},
            {"删除combox1", "扩展删除从第"},
            {"删除combox2", "个字符开始 删除"},
            {"FindText", "把文件名中的"},
            {"ReplaceText", "替换成"},
            {"序号combox1", "起始值"},
            {"序号combox2", "增值"},
            {"序号combox3", "位数"},
            {"序号check", "不足位补齐"},
            {"序号mb", "模板"},
            {"zzFindText", "查找"},
            {"zzReplaceText", "替换成"},
            {"整体Text", "文件名改成"},
            {"后缀Text", "后缀名统一改成"},
            {"后缀Op2", "后缀名改成小写"},
            {"Command1", "开始更名 (Alt+E)"},
            {"Command4", "获取文件夹(含子目录)中文件"},
            {"L1", "文件列表"},
        };
        for (const auto &[name, caption] : expected) {
            auto *widget = child<QWidget>(QString::fromUtf8(name));
            // On Linux a drop-down list speaks its value; its name is told
            // by the edit inside, which holds the focus.
            if (auto *box = qobject_cast<QComboBox *>(widget)) {
                QCOMPARE(box->accessibleName(), QString::fromUtf8(caption));
                widget = box->lineEdit();
            }
            QCOMPARE(spokenName(widget), QString::fromUtf8(caption));
        }

        // Whatever control the window gains later must be named too.
        const auto widgets = m_window->findChildren<QWidget *>();
        for (QWidget *widget : widgets) {
            if (widget->window() != m_window.get() || !widget->isVisibleTo(m_window.get()))
                continue;
            QString name;
            if (auto *box = qobject_cast<QComboBox *>(widget))
                name = box->accessibleName();
            else if (qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLineEdit *>(widget))
                name = spokenName(widget);
            else
                continue;
            QVERIFY2(!name.isEmpty(), qPrintable(widget->objectName()));
        }

        // A label right before its box is that box's buddy.
        const auto labels = m_window->findChildren<QLabel *>();
        const auto labelOf = [&labels](const QString &text) -> QLabel * {
            for (QLabel *label : labels)
                if (label->text() == text)
                    return label;
            return nullptr;
        };
        QCOMPARE(labelOf(QStringLiteral("文本前添加"))->buddy(),
                 child<QWidget>(QStringLiteral("beforeText")));
        QCOMPARE(labelOf(QStringLiteral("模板"))->buddy(),
                 child<QWidget>(QStringLiteral("序号mb")));
    }

    void tabFollowsEachFramesSentence()
    {
        auto *tabs = child<QTabBar>(QStringLiteral("TabStrip1"));
        const QStringList frames = {"添加Frame", "删除Frame", "替换Frame",
                                    "序号Frame", "正则Frame", "整体Frame"};
        for (int index = 0; index < frames.size(); ++index) {
            tabs->setCurrentIndex(index);
            auto *frame = child<QGroupBox>(frames.at(index));
            // Option buttons side by side are one stop, walked with the arrows.
            QList<QWidget *> sentence;
            for (int i = 0; i < frame->layout()->count(); ++i) {
                QWidget *w = frame->layout()->itemAt(i)->widget();
                if (!w || !(w->focusPolicy() & Qt::TabFocus))
                    continue;
                if (qobject_cast<QRadioButton *>(w) && !sentence.isEmpty() &&
                    qobject_cast<QRadioButton *>(sentence.back()))
                    continue;
                sentence.push_back(w);
            }
            QVERIFY2(sentence.size() >= 2, qPrintable(frames.at(index)));
            sentence.front()->setFocus(Qt::TabFocusReason);
            QVERIFY(holdsFocus(sentence.front()));
            for (qsizetype i = 1; i < sentence.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QVERIFY2(
                    holdsFocus(sentence.at(i)),
                    qPrintable(frames.at(index) + QLatin1Char(' ') + sentence.at(i)->objectName()));
            }
            // Past the end of the sentence the focus never enters a frame
            // that is not shown.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            for (const QString &other : frames) {
                if (other != frames.at(index))
                    QVERIFY(!child<QGroupBox>(other)->isAncestorOf(QApplication::focusWidget()));
            }
        }
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_Keyboard.moc"
