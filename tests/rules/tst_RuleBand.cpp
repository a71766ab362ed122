// Drives every naming rule through the real rule band of a real main window:
// rows come from files dropped onto the list, fields are typed into, items
// are picked from the real drop-down lists, boxes are clicked.
#include "app/Form1.h"
#include "app/Twips.h"
#include "list/FileListModel.h"
#include "rules/ExistingRulesDialog.h"
#include "support/TestSupport.h"
#include "support/WidgetSupport.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <functional>
#include <memory>

using namespace testsupport;

class TestRuleBand : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Form1> m_window;
    QTemporaryDir m_binDir;

    template <typename T> T *child(const QString &name) const
    {
        return namedChild<T>(m_window.get(), name);
    }
    QLineEdit *edit(const QString &name) const { return child<QLineEdit>(name); }
    QComboBox *box(const QString &name) const { return child<QComboBox>(name); }
    FileListModel &model() const { return m_window->model(); }
    QString marker() const { return m_window->ruleMarker(); }
    QString message() const { return child<QLabel>(QStringLiteral("ts"))->text(); }
    QString file(const QString &name) const { return m_dir->filePath(name); }

    QStringList column(int c) const { return columnOf(model(), c); }
    QStringList previews() const { return column(RenameEntry::PreviewName); }
    int rowOf(const QString &originalName) const
    {
        for (int i = 0; i < model().count(); ++i)
            if (model().entry(i).originalName == originalName)
                return i;
        qFatal("no row %s", qPrintable(originalName));
    }
    const RenameEntry &row(const QString &originalName) const
    {
        return model().entry(rowOf(originalName));
    }
    QString preview(const QString &originalName) const { return row(originalName).previewName; }

    // Files (with their own name as content unless given) or, for names
    // ending in "/", folders; dropped together onto the list as a file
    // manager would.
    void dropFiles(const QStringList &names)
    {
        dropFilesOf(child<QTreeView>(QStringLiteral("L1"))->viewport(), m_dir->path(), names);
    }

    void clickTab(const QString &caption)
    {
        auto *tabs = child<QTabBar>(QStringLiteral("TabStrip1"));
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->tabText(i) == caption) {
                const QPoint at = tabs->tabRect(i).center();
                QVERIFY(tabs->rect().contains(at));
                QTest::mouseClick(tabs, Qt::LeftButton, {}, at);
                return;
            }
        }
        QFAIL("no such tab");
    }

    // Puts the keyboard focus into a box, the text cursor at its end.
    static void focus(QLineEdit *line)
    {
        if (!line->hasFocus()) {
            line->setFocus(Qt::MouseFocusReason);
            QTest::keyClick(line, Qt::Key_End);
        }
    }

    // Types text one character at a time into the focused box; characters
    // beyond ASCII arrive as an input method's commit, the way Chinese text
    // is entered.
    static void type(QLineEdit *line, const QString &text)
    {
        focus(line);
        for (const QChar c : text) {
            if (c.unicode() < 0x7f) {
                QTest::keyClick(line, char(c.unicode()));
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(line, &commit);
            }
        }
    }

    // Replaces a box's text as a user does: select all, then type over the
    // selection (or delete it when the new text is empty).
    static void retype(QLineEdit *line, const QString &text)
    {
        focus(line);
        QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(line, Qt::Key_Backspace);
        else
            type(line, text);
    }
    static void retype(QComboBox *combo, const QString &text) { retype(combo->lineEdit(), text); }

    // Picks an item the way a user does: opens the drop-down list, walks to
    // the item with the arrow keys and takes it with Enter.
    static bool pick(QComboBox *combo, int index)
    {
        combo->showPopup();
        QAbstractItemView *view = combo->view();
        if (!view->isVisible())
            return false;
        for (int guard = 0; view->currentIndex().row() != index && guard < 100; ++guard)
            QTest::keyClick(view,
                            view->currentIndex().isValid() && view->currentIndex().row() > index
                                ? Qt::Key_Up
                                : Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return);
        return !view->isVisible() && combo->currentIndex() == index;
    }

    void click(const QString &name) { QTest::mouseClick(child<QWidget>(name), Qt::LeftButton); }
    void doubleClick(const QString &name)
    {
        QWidget *w = child<QWidget>(name);
        if (auto *combo = qobject_cast<QComboBox *>(w))
            w = combo->lineEdit();
        QTest::mouseDClick(w, Qt::LeftButton);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // A stand-in opener first in PATH: a rename batch must not start a
        // real file manager.
        QVERIFY(m_binDir.isValid());
        installRecordingOpener(m_binDir.path());
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_window = std::make_unique<Form1>();
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        m_dir.reset();
    }

    void addBeforeAfterAndAtPosition()
    {
        dropFiles({QStringLiteral("photo.jpg")});
        QSignalSpy changes(&model(), &FileListModel::dataChanged);

        type(edit(QStringLiteral("beforeText")), QStringLiteral("x_"));
        type(edit(QStringLiteral("AfterText")), QStringLiteral("_y"));
        QCOMPARE(preview(QStringLiteral("photo")), QStringLiteral("x_photo_y"));
        QCOMPARE(marker(), QStringLiteral("B"));

        // Rule A over B's result; the empty position box reads as 0.
        type(edit(QStringLiteral("ZfText")), QStringLiteral("new_"));
        QCOMPARE(preview(QStringLiteral("photo")), QStringLiteral("new_x_photo_y"));
        QCOMPARE(marker(), QStringLiteral("A"));
        QCOMPARE(row(QStringLiteral("photo")).tempName, QStringLiteral("x_photo_y"));

        // After restoring the previews, A starts again from the name on disk.
        child<QAction>(QStringLiteral("预览列恢复成原样"))->trigger();
        QCOMPARE(marker(), QStringLiteral("A"));
        retype(edit(QStringLiteral("ZfText")), QStringLiteral("new_"));
        QCOMPARE(preview(QStringLiteral("photo")), QStringLiteral("new_photo"));

        // Typing a position runs nothing by itself.
        QComboBox *position = box(QStringLiteral("添加combox1"));
        changes.clear();
        type(position->lineEdit(), QStringLiteral("3"));
        QCOMPARE(changes.count(), 0);
        QCOMPARE(preview(QStringLiteral("photo")), QStringLiteral("new_photo"));

        // Picking an item runs rule A.
        QVERIFY(pick(position, 1));
        QCOMPARE(position->currentText(), QStringLiteral("2"));
        QCOMPARE(preview(QStringLiteral("photo")), QStringLiteral("phnew_oto"));
        QVERIFY(pick(position, 4));
        QCOMPARE(preview(QStringLiteral("photo")), QStringLiteral("photonew_"));

        // A click on the check box runs rule A with what was typed.
        retype(position, QStringLiteral("2.5"));
        QCOMPARE(preview(QStringLiteral("photo")), QStringLiteral("photonew_"));
        click(QStringLiteral("添加check"));
        QCOMPARE(preview(QStringLiteral("photo")), QStringLiteral("phnew_oto"));
        retype(position, QStringLiteral("9"));
        click(QStringLiteral("添加check"));
        QCOMPARE(preview(QStringLiteral("photo")), QStringLiteral("photonew_"));

        // A double click empties the position box without a run; the next
        // run reads the empty box as 0.
        changes.clear();
        doubleClick(QStringLiteral("添加combox1"));
        QCOMPARE(position->currentText(), QString());
        QCOMPARE(changes.count(), 0);
        focus(edit(QStringLiteral("ZfText")));
        QTest::keyClick(edit(QStringLiteral("ZfText")), Qt::Key_Backspace);
        QCOMPARE(preview(QStringLiteral("photo")), QStringLiteral("newphoto"));
        QCOMPARE(model().entry(0).extension, QStringLiteral(".jpg"));
    }

    void typedNumbersWaitForAClick()
    {
        dropFiles({QStringLiteral("photo.jpg")});
        QLineEdit *before = edit(QStringLiteral("beforeText"));
        type(before, QStringLiteral("x_"));
        QSignalSpy changes(&model(), &FileListModel::dataChanged);

        // A position typed and left for another box runs nothing: B then
        // goes on from its saved base instead of from a run of A.
        QComboBox *position = box(QStringLiteral("添加combox1"));
        QTest::mouseClick(position->lineEdit(), Qt::LeftButton);
        QVERIFY(position->lineEdit()->hasFocus());
        type(position->lineEdit(), QStringLiteral("3"));
        QTest::mouseClick(before, Qt::LeftButton);
        QVERIFY(before->hasFocus());
        QCOMPARE(changes.count(), 0);
        QCOMPARE(marker(), QStringLiteral("B"));
        type(before, QStringLiteral("y"));
        QCOMPARE(preview(QStringLiteral("photo")), QStringLiteral("x_yphoto"));

        // Nor does Enter in a numbering box, or leaving it.
        clickTab(QStringLiteral("以序号命名"));
        changes.clear();
        QComboBox *start = box(QStringLiteral("序号combox1"));
        QTest::mouseClick(start->lineEdit(), Qt::LeftButton);
        retype(start, QStringLiteral("5"));
        QTest::keyClick(start->lineEdit(), Qt::Key_Return);
        QTest::mouseClick(box(QStringLiteral("序号combox3"))->lineEdit(), Qt::LeftButton);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(marker(), QStringLiteral("B"));
    }

    void deleteTextAndSpan()
    {
        const QString eighty(80, u'n');
        dropFiles({QStringLiteral("abcdef.txt"), QStringLiteral("banana.txt"), eighty + ".txt"});
        clickTab(QStringLiteral("删除"));
        QSignalSpy changes(&model(), &FileListModel::dataChanged);
        QComboBox *start = box(QStringLiteral("删除combox1"));
        QComboBox *count = box(QStringLiteral("删除combox2"));

        // Gated by the check box: typing a start and a count changes nothing.
        type(start->lineEdit(), QStringLiteral("2"));
        type(count->lineEdit(), QStringLiteral("3"));
        QCOMPARE(changes.count(), 0);
        QCOMPARE(marker(), QString());

        click(QStringLiteral("删除check"));
        QCOMPARE(preview(QStringLiteral("abcdef")), QStringLiteral("aef"));
        QCOMPARE(preview(QStringLiteral("banana")), QStringLiteral("bna"));
        QCOMPARE(preview(eighty).size(), 77);
        QCOMPARE(marker(), QStringLiteral("D"));

        // An empty or zero start does nothing at all.
        changes.clear();
        retype(start, QString());
        retype(start, QStringLiteral("0"));
        QCOMPARE(changes.count(), 0);
        QCOMPARE(preview(QStringLiteral("abcdef")), QStringLiteral("aef"));

        // A start beyond a name leaves that name whole: the preview of the
        // previous start must not survive.
        retype(start, QStringLiteral("7"));
        QCOMPARE(preview(QStringLiteral("abcdef")), QStringLiteral("abcdef"));
        QCOMPARE(preview(QStringLiteral("banana")), QStringLiteral("banana"));
        QCOMPARE(preview(eighty).size(), 77);

        // Picking an item fires the change and the click: both runs must
        // give the result of the picked count.
        changes.clear();
        retype(start, QStringLiteral("1"));
        retype(count, QStringLiteral("60"));
        QVERIFY(pick(count, 2));
        QCOMPARE(preview(QStringLiteral("abcdef")), QStringLiteral("def"));
        QCOMPARE(preview(eighty).size(), 77);
        QVERIFY(changes.count() >= 1);
        QVERIFY(pick(start, 1));
        QCOMPARE(preview(QStringLiteral("abcdef")), QStringLiteral("aef"));
        QCOMPARE(preview(QStringLiteral("banana")), QStringLiteral("bna"));

        // Unchecking runs the rule, which gives up: previews stay.
        click(QStringLiteral("删除check"));
        QCOMPARE(preview(QStringLiteral("abcdef")), QStringLiteral("aef"));
        QCOMPARE(marker(), QStringLiteral("D"));

        // Rule C builds on D's previews (the marker names D).
        type(edit(QStringLiteral("DeleteText")), QStringLiteral("a"));
        QCOMPARE(preview(QStringLiteral("banana")), QStringLiteral("bn"));
        QCOMPARE(preview(QStringLiteral("abcdef")), QStringLiteral("ef"));
        QCOMPARE(marker(), QStringLiteral("C"));
        type(edit(QStringLiteral("DeleteText")), QStringLiteral("a"));
        QCOMPARE(preview(QStringLiteral("banana")), QStringLiteral("bna"));

        // From the names on disk: C then D on C's previews.
        child<QAction>(QStringLiteral("预览列恢复成原样"))->trigger();
        retype(edit(QStringLiteral("DeleteText")), QStringLiteral("a"));
        QCOMPARE(preview(QStringLiteral("banana")), QStringLiteral("bnn"));
        QCOMPARE(preview(QStringLiteral("abcdef")), QStringLiteral("bcdef"));
        retype(start, QStringLiteral("1"));
        retype(count, QStringLiteral("1"));
        click(QStringLiteral("删除check"));
        QCOMPARE(preview(QStringLiteral("banana")), QStringLiteral("nn"));
        QCOMPARE(row(QStringLiteral("banana")).tempName, QStringLiteral("bnn"));

        // Emptying DeleteText runs C with nothing to delete: the base again.
        QTest::mouseDClick(edit(QStringLiteral("DeleteText")), Qt::LeftButton);
        QCOMPARE(preview(QStringLiteral("banana")), QStringLiteral("nn"));
        QCOMPARE(marker(), QStringLiteral("C"));
    }

    void replaceText()
    {
        dropFiles({QStringLiteral("abcab.txt")});
        clickTab(QStringLiteral("替换"));
        QLineEdit *find = edit(QStringLiteral("FindText"));
        QLineEdit *replacement = edit(QStringLiteral("ReplaceText"));

        type(replacement, QStringLiteral("x"));
        QCOMPARE(marker(), QStringLiteral("E"));
        QCOMPARE(preview(QStringLiteral("abcab")), QStringLiteral("abcab"));
        type(find, QStringLiteral("a"));
        QCOMPARE(preview(QStringLiteral("abcab")), QStringLiteral("xbcxb"));
        type(find, QStringLiteral("b"));
        QCOMPARE(preview(QStringLiteral("abcab")), QStringLiteral("xcx"));

        // Emptying FindText runs nothing: the last replacement stays until
        // ReplaceText changes.
        QSignalSpy changes(&model(), &FileListModel::dataChanged);
        QTest::mouseDClick(find, Qt::LeftButton);
        QCOMPARE(find->text(), QString());
        QCOMPARE(changes.count(), 0);
        QCOMPARE(preview(QStringLiteral("abcab")), QStringLiteral("xcx"));
        type(replacement, QStringLiteral("y"));
        QCOMPARE(preview(QStringLiteral("abcab")), QStringLiteral("abcab"));
    }

    void numbering()
    {
        dropFiles({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
        QCOMPARE(column(RenameEntry::OriginalName),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        clickTab(QStringLiteral("以序号命名"));
        QSignalSpy changes(&model(), &FileListModel::dataChanged);
        QComboBox *startBox = box(QStringLiteral("序号combox1"));
        QComboBox *incrementBox = box(QStringLiteral("序号combox2"));
        QComboBox *digitsBox = box(QStringLiteral("序号combox3"));
        QComboBox *templateBox = box(QStringLiteral("序号mb"));

        // The defaults: start 1, increment 1, two digits, template "#".
        click(QStringLiteral("序号check"));
        QCOMPARE(previews(), (QStringList{"1", "2", "3"}));
        QCOMPARE(marker(), QStringLiteral("F"));
        click(QStringLiteral("序号check"));
        QCOMPARE(previews(), (QStringList{"01", "02", "03"}));

        // An unchecked row keeps its preview and uses up no number.
        model().setChecked(1, false);
        QVERIFY(pick(templateBox, 0));
        QCOMPARE(previews(), (QStringList{"01 a", "02", "02 c"}));

        // Typing into the number boxes runs nothing until a click event.
        changes.clear();
        retype(startBox, QStringLiteral("5"));
        retype(digitsBox, QStringLiteral("3"));
        retype(incrementBox, QStringLiteral("7"));
        QCOMPARE(changes.count(), 0);
        QVERIFY(pick(incrementBox, 4));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(previews(), (QStringList{"005 a", "02", "010 c"}));
        model().setChecked(1, true);

        // Repeated template edits start from the saved base: "&File" does not grow.
        retype(templateBox, QStringLiteral("IMG_#_&File"));
        QCOMPARE(previews(), (QStringList{"IMG_005_a", "IMG_010_b", "IMG_015_c"}));

        // An emptied template gets "#" back, with exactly one run.
        changes.clear();
        focus(templateBox->lineEdit());
        QTest::keyClick(templateBox->lineEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(templateBox->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(templateBox->currentText(), QStringLiteral("#"));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(previews(), (QStringList{"005", "010", "015"}));

        // Typing the template gives what was typed, not a longer preset
        // that starts with it.
        retype(templateBox, QStringLiteral("N"));
        QCOMPARE(previews(), (QStringList{"N", "N", "N"}));
        retype(templateBox, QStringLiteral("#"));
        QCOMPARE(templateBox->currentText(), QStringLiteral("#"));
        QCOMPARE(previews(), (QStringList{"005", "010", "015"}));

        // Presets that read the entry and its file.
        QVERIFY(pick(templateBox, 2));
        const QString parent = QFileInfo(m_dir->path()).fileName();
        QCOMPARE(model().entry(0).previewName, QStringLiteral("005 ") + parent);
        // Picking a preset fires the change and the click: the second run
        // must not number on from the first.
        changes.clear();
        QVERIFY(pick(templateBox, 1));
        QCOMPARE(previews(), (QStringList{"005", "010", "015"}));

        // After another rule, numbering builds on its previews and saves them.
        clickTab(QStringLiteral("添加"));
        type(edit(QStringLiteral("AfterText")), QStringLiteral("_z"));
        QCOMPARE(previews(), (QStringList{"005_z", "010_z", "015_z"}));
        clickTab(QStringLiteral("以序号命名"));
        QVERIFY(pick(templateBox, 0));
        QCOMPARE(previews(), (QStringList{"005 005_z", "010 010_z", "015 015_z"}));
        QCOMPARE(model().entry(0).tempName, QStringLiteral("005_z"));

        // An increment that reads below 1 stops the rule; the marker stays.
        clickTab(QStringLiteral("添加"));
        type(edit(QStringLiteral("AfterText")), QStringLiteral("!"));
        clickTab(QStringLiteral("以序号命名"));
        retype(incrementBox, QString());
        changes.clear();
        click(QStringLiteral("序号check"));
        QCOMPARE(changes.count(), 0);
        QCOMPARE(marker(), QStringLiteral("B"));

        // Numbers far beyond 32 bits in every box never crash or hang.
        for (QComboBox *b : {startBox, incrementBox, digitsBox, templateBox})
            retype(b, QStringLiteral("1e99"));
        retype(templateBox, QStringLiteral("#1e99"));
        click(QStringLiteral("序号check"));
        QCOMPARE(marker(), QStringLiteral("F"));
        QVERIFY(model().entry(0).previewName.endsWith(QStringLiteral("21474836471e99")));
        click(QStringLiteral("序号check"));
        QVERIFY(model().entry(0).previewName.endsWith(QStringLiteral("21474836471e99")));
    }

    void regexReplace()
    {
        dropFiles({QStringLiteral("a1b22.txt"), QStringLiteral("abc-def.txt")});
        clickTab(QStringLiteral("正则表达式命名"));
        QComboBox *pattern = box(QStringLiteral("zzFindText"));
        QComboBox *replacement = box(QStringLiteral("zzReplaceText"));
        QSignalSpy changes(&model(), &FileListModel::dataChanged);

        // A preset picked from the list: change and click both run, with
        // the same result.
        QVERIFY(pick(pattern, 0));
        QCOMPARE(pattern->currentText(), QStringLiteral("[0-9]"));
        QCOMPARE(preview(QStringLiteral("a1b22")), QStringLiteral("ab"));
        QCOMPARE(marker(), QStringLiteral("G"));
        type(replacement->lineEdit(), QStringLiteral("#"));
        QCOMPARE(preview(QStringLiteral("a1b22")), QStringLiteral("a#b##"));

        retype(pattern, QStringLiteral("(\\w+)-(\\w+)"));
        retype(replacement, QStringLiteral("$2-$1"));
        QCOMPARE(preview(QStringLiteral("abc-def")), QStringLiteral("def-abc"));

        // An invalid pattern: a message, previews and marker unchanged.
        clickTab(QStringLiteral("添加"));
        type(edit(QStringLiteral("beforeText")), QStringLiteral("p"));
        QCOMPARE(preview(QStringLiteral("abc-def")), QStringLiteral("pdef-abc"));
        clickTab(QStringLiteral("正则表达式命名"));
        changes.clear();
        retype(pattern, QStringLiteral("["));
        QCOMPARE(pattern->currentText(), QStringLiteral("["));
        QVERIFY(message().startsWith(QStringLiteral("正则命令格式错误")));
        QVERIFY(message().size() > QStringLiteral("正则命令格式错误").size());
        QCOMPARE(changes.count(), 0);
        QCOMPARE(marker(), QStringLiteral("B"));
        QCOMPARE(preview(QStringLiteral("abc-def")), QStringLiteral("pdef-abc"));

        // Emptying the pattern runs nothing: previews and the message stay.
        const QString error = message();
        QTest::keyClick(pattern->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(pattern->currentText(), QString());
        QCOMPARE(message(), error);
        QCOMPARE(changes.count(), 0);

        // A valid pattern clears the message and works on B's previews.
        retype(replacement, QStringLiteral("_"));
        QCOMPARE(message(), QString()); // every run clears the label
        type(pattern->lineEdit(), QStringLiteral("[a-c]"));
        QCOMPARE(message(), QString());
        QCOMPARE(preview(QStringLiteral("abc-def")), QStringLiteral("pdef-___"));
        QCOMPARE(row(QStringLiteral("abc-def")).tempName, QStringLiteral("pdef-abc"));
        QCOMPARE(marker(), QStringLiteral("G"));

        // A double click on the replacement empties it and deletes the matches.
        doubleClick(QStringLiteral("zzReplaceText"));
        QCOMPARE(replacement->currentText(), QString());
        QCOMPARE(preview(QStringLiteral("abc-def")), QStringLiteral("pdef-"));

        // A double click on the pattern empties it without a run.
        changes.clear();
        doubleClick(QStringLiteral("zzFindText"));
        QCOMPARE(pattern->currentText(), QString());
        QCOMPARE(changes.count(), 0);
        QCOMPARE(preview(QStringLiteral("abc-def")), QStringLiteral("pdef-"));
    }

    void letterCaseAndExtensionCase()
    {
        dropFiles({QStringLiteral("Photo_2019.jpg"), QStringLiteral("photos/")});
        const QString file = QStringLiteral("Photo_2019");
        const QString folder = QStringLiteral("photos");
        QCOMPARE(row(folder).extension, QString());

        type(edit(QStringLiteral("beforeText")), QStringLiteral("x_"));
        QCOMPARE(preview(folder), QStringLiteral("x_photos"));
        clickTab(QStringLiteral("整体"));
        click(QStringLiteral("整体Op1"));
        QCOMPARE(preview(file), QStringLiteral("X_PHOTO_2019"));
        QCOMPARE(marker(), QStringLiteral("H"));
        click(QStringLiteral("整体Op2"));
        QVERIFY(!child<QRadioButton>(QStringLiteral("整体Op1"))->isChecked());
        QCOMPARE(preview(file), QStringLiteral("x_photo_2019"));
        QCOMPARE(marker(), QStringLiteral("I"));

        // B after I builds on the lower-cased previews.
        clickTab(QStringLiteral("添加"));
        type(edit(QStringLiteral("beforeText")), QStringLiteral("Y"));
        QCOMPARE(preview(file), QStringLiteral("x_Yx_photo_2019"));
        QCOMPARE(row(file).tempName, QStringLiteral("x_photo_2019"));

        // The extension rules reset previews and keep marker and base names.
        clickTab(QStringLiteral("整体"));
        click(QStringLiteral("后缀Op1"));
        QCOMPARE(row(file).extension, QStringLiteral(".JPG"));
        QCOMPARE(preview(file), file);
        QCOMPARE(row(folder).extension, QString());
        QCOMPARE(preview(folder), folder);
        QCOMPARE(marker(), QStringLiteral("B"));
        QCOMPARE(row(file).tempName, QStringLiteral("x_photo_2019"));

        // The marker's rule recomputes from the base and keeps the extension.
        clickTab(QStringLiteral("添加"));
        focus(edit(QStringLiteral("beforeText")));
        QTest::keyClick(edit(QStringLiteral("beforeText")), Qt::Key_Backspace);
        QCOMPARE(preview(file), QStringLiteral("x_x_photo_2019"));
        QCOMPARE(row(file).extension, QStringLiteral(".JPG"));
        clickTab(QStringLiteral("整体"));
        click(QStringLiteral("后缀Op2"));
        QCOMPARE(row(file).extension, QStringLiteral(".jpg"));
        QCOMPARE(marker(), QStringLiteral("B"));

        // Unchecked rows are left alone by the extension rules.
        model().setChecked(rowOf(file), false);
        click(QStringLiteral("后缀Op1"));
        QCOMPARE(row(file).extension, QStringLiteral(".jpg"));
    }

    void wholeNameAndExtensionText()
    {
        dropFiles({QStringLiteral("a.tar.gz"), QStringLiteral("notes."), QStringLiteral("plain"),
                   QStringLiteral("p.png"), QStringLiteral("off.txt")});
        QCOMPARE(row(QStringLiteral("notes")).extension, QStringLiteral("."));
        model().setChecked(rowOf(QStringLiteral("off")), false);
        type(edit(QStringLiteral("AfterText")), QStringLiteral("_1"));
        clickTab(QStringLiteral("整体"));
        QLineEdit *whole = edit(QStringLiteral("整体Text"));
        QLineEdit *extension = edit(QStringLiteral("后缀Text"));

        type(whole, QStringLiteral("abc"));
        QCOMPARE(previews(), (QStringList{"abc", "abc", "abc", "abc", ""}));
        QTest::mouseDClick(whole, Qt::LeftButton);
        QCOMPARE(whole->text(), QString());
        QCOMPARE(preview(QStringLiteral("p")), QStringLiteral("abc"));
        QCOMPARE(marker(), QStringLiteral("B"));

        type(extension, QStringLiteral("jpg"));
        QCOMPARE(row(QStringLiteral("a.tar")).extension, QStringLiteral(".jpg"));
        QCOMPARE(row(QStringLiteral("notes")).extension, QStringLiteral(".jpg"));
        QCOMPARE(row(QStringLiteral("p")).extension, QStringLiteral(".jpg"));
        QCOMPARE(preview(QStringLiteral("p")), QStringLiteral("p"));
        QCOMPARE(row(QStringLiteral("plain")).extension, QString());
        QCOMPARE(preview(QStringLiteral("plain")), QStringLiteral("abc"));
        QCOMPARE(row(QStringLiteral("off")).extension, QStringLiteral(".txt"));
        QCOMPARE(marker(), QStringLiteral("B"));
        QCOMPARE(row(QStringLiteral("p")).tempName, QStringLiteral("p"));

        // A double click puts the extensions on disk back.
        QTest::mouseDClick(extension, Qt::LeftButton);
        QCOMPARE(extension->text(), QString());
        QCOMPARE(row(QStringLiteral("a.tar")).extension, QStringLiteral(".gz"));
        QCOMPARE(row(QStringLiteral("notes")).extension, QStringLiteral("."));
        QCOMPARE(row(QStringLiteral("p")).extension, QStringLiteral(".png"));

        // B, the marker's rule, recomputes from its bases.
        clickTab(QStringLiteral("添加"));
        type(edit(QStringLiteral("AfterText")), QStringLiteral("2"));
        QCOMPARE(preview(QStringLiteral("p")), QStringLiteral("p_12"));
        QCOMPARE(preview(QStringLiteral("off")), QString());
    }

    void tabStrip()
    {
        auto *addFrame = child<QGroupBox>(QStringLiteral("添加Frame"));
        const int bandTop = Twips(m_window.get()).toPixels(480);
        const auto framesInBand = [addFrame, bandTop] {
            int shown = 0;
            const auto frames = addFrame->parentWidget()->findChildren<QGroupBox *>(
                QString(), Qt::FindDirectChildrenOnly);
            for (QGroupBox *frame : frames)
                if (frame->y() <= bandTop + 5)
                    ++shown;
            return shown;
        };
        QCOMPARE(framesInBand(), 1);

        clickTab(QStringLiteral("正则表达式命名"));
        QCOMPARE(child<QGroupBox>(QStringLiteral("正则Frame"))->y(), bandTop);
        QCOMPARE(framesInBand(), 1);

        QString text;
        answerNextMessageBox(&text);
        clickTab(QStringLiteral("已有规则"));
        QCOMPARE(text, QStringLiteral("还未添加要命名的文件到列表中"));
        QVERIFY(m_window->findChildren<ExistingRulesDialog *>().isEmpty());
        QCOMPARE(framesInBand(), 0);

        clickTab(QStringLiteral("添加"));
        QCOMPARE(addFrame->y(), bandTop);
        QCOMPARE(framesInBand(), 1);

        dropFiles({QStringLiteral("one.txt")});
        clickTab(QStringLiteral("已有规则"));
        const auto dialogs = m_window->findChildren<ExistingRulesDialog *>();
        QCOMPARE(dialogs.size(), 1);
        QCOMPARE(dialogs.front()->objectName(), QStringLiteral("列表"));
        QVERIFY(dialogs.front()->isVisible());
        QCOMPARE(framesInBand(), 0);

        // Clicking the tab again shows the dialog that is open.
        clickTab(QStringLiteral("已有规则"));
        QCOMPARE(m_window->findChildren<ExistingRulesDialog *>(), dialogs);
        QVERIFY(dialogs.front()->isVisible());
        dialogs.front()->hide();
        clickTab(QStringLiteral("已有规则"));
        QCOMPARE(m_window->findChildren<ExistingRulesDialog *>(), dialogs);
        QVERIFY(dialogs.front()->isVisible());

        clickTab(QStringLiteral("添加"));
        QCOMPARE(addFrame->y(), bandTop);
    }

    // Every edit that runs a rule: it must pass over unchecked rows, and on
    // an empty list it must change nothing, not even the marker.
    void everyRuleSkipsUncheckedRowsAndAnEmptyListKeepsTheMarker()
    {
        dropFiles({QStringLiteral("keep.txt"), QStringLiteral("move.txt")});
        const int kept = rowOf(QStringLiteral("keep"));
        type(edit(QStringLiteral("beforeText")), QStringLiteral("b_"));
        model().setChecked(kept, false);
        const RenameEntry before = model().entry(kept);
        QCOMPARE(before.previewName, QStringLiteral("b_keep"));

        const auto unchanged = [&] {
            const RenameEntry &now = model().entry(kept);
            return now.previewName == before.previewName && now.tempName == before.tempName &&
                   now.extension == before.extension;
        };
        const std::function<void()> passes[] = {
            [&] { type(edit(QStringLiteral("AfterText")), QStringLiteral("a")); },
            [&] { type(edit(QStringLiteral("ZfText")), QStringLiteral("z")); },
            [&] { QVERIFY(pick(box(QStringLiteral("添加combox1")), 2)); },
            [&] {
                retype(box(QStringLiteral("添加combox1")), QStringLiteral("1"));
                click(QStringLiteral("添加check"));
            },
            [&] { type(edit(QStringLiteral("DeleteText")), QStringLiteral("e")); },
            [&] {
                type(box(QStringLiteral("删除combox1"))->lineEdit(), QStringLiteral("1"));
                type(box(QStringLiteral("删除combox2"))->lineEdit(), QStringLiteral("1"));
                click(QStringLiteral("删除check"));
            },
            [&] { type(edit(QStringLiteral("FindText")), QStringLiteral("o")); },
            [&] { type(edit(QStringLiteral("ReplaceText")), QStringLiteral("a")); },
            [&] { click(QStringLiteral("序号check")); },
            [&] { QVERIFY(pick(box(QStringLiteral("序号mb")), 0)); },
            [&] { QVERIFY(pick(box(QStringLiteral("zzFindText")), 1)); },
            [&] { click(QStringLiteral("整体Op1")); },
            [&] { click(QStringLiteral("整体Op2")); },
            [&] { click(QStringLiteral("后缀Op1")); },
            [&] { type(edit(QStringLiteral("整体Text")), QStringLiteral("w")); },
            [&] { type(edit(QStringLiteral("后缀Text")), QStringLiteral("x")); },
        };
        QSignalSpy changes(&model(), &FileListModel::dataChanged);
        for (const auto &pass : passes) {
            changes.clear();
            pass();
            QVERIFY(changes.count() > 0); // the pass did act on the checked row
            QVERIFY(unchanged());
        }

        const QString last = marker();
        child<QAction>(QStringLiteral("清空列表"))->trigger();
        QCOMPARE(model().count(), 0);
        changes.clear();
        for (const auto &pass : passes) {
            pass();
            QCOMPARE(marker(), last);
        }
        QCOMPARE(changes.count(), 0);
        QCOMPARE(model().count(), 0);
    }

    void theNextRuleAfterARenameStartsFromTheNewName()
    {
        dropFiles({QStringLiteral("r1.txt"), QStringLiteral("r2.txt")});
        type(edit(QStringLiteral("beforeText")), QStringLiteral("new_"));
        QTest::mouseClick(child<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
        QVERIFY(QFileInfo::exists(file(QStringLiteral("new_r1.txt"))));
        QCOMPARE(column(RenameEntry::OriginalName),
                 (QStringList{QStringLiteral("new_r1"), QStringLiteral("new_r2")}));
        QCOMPARE(marker(), QString());

        // B again: its saved bases ("r1") are stale; it starts from the new names.
        type(edit(QStringLiteral("AfterText")), QStringLiteral("_z"));
        QCOMPARE(previews(), (QStringList{"new_new_r1_z", "new_new_r2_z"}));
        QCOMPARE(model().entry(0).tempName, QStringLiteral("new_r1"));
    }
};

QTEST_MAIN(TestRuleBand)
#include "tst_RuleBand.moc"
