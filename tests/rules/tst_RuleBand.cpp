// Drives the rules through the real band of a real main window and files dropped on its list.
#include "app/Form1.h"
#include "list/FileListModel.h"
#include "rules/ExistingRulesDialog.h"
#include "rules/PreviewChain.h"
#include "rules/PreviewLimit.h"
#include "shared/Twips.h"
#include "support/WidgetSupport.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <algorithm>
#include <functional>
#include <memory>

using namespace testsupport;

class TestRuleBand : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Form1> m_window;
    QTemporaryDir m_binDir;

    QWidget *child(const QString &name) const { return namedChild<QWidget>(m_window.get(), name); }
    QLineEdit *line(const QString &name) const
    {
        auto *combo = qobject_cast<QComboBox *>(child(name));
        return combo ? combo->lineEdit() : qobject_cast<QLineEdit *>(child(name));
    }
    void type(const QString &name, const QString &text) { QTest::keyClicks(line(name), text); }
    void retype(const QString &name, const QString &text)
    {
        QTest::keyClick(line(name), Qt::Key_A, Qt::ControlModifier);
        type(name, text);
    }
    void click(const QString &name) { QTest::mouseClick(child(name), Qt::LeftButton); }
    // Opens the drop-down list, walks to the item with the arrow keys, takes it with Enter.
    bool pick(const QString &name, int index)
    {
        auto *combo = qobject_cast<QComboBox *>(child(name));
        combo->showPopup();
        QAbstractItemView *view = combo->view();
        for (int guard = 0; view->currentIndex().row() != index && guard < 100; ++guard)
            QTest::keyClick(view, view->currentIndex().row() > index ? Qt::Key_Up : Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return);
        return !view->isVisible() && combo->currentIndex() == index;
    }
    void clickTab(const QString &caption)
    {
        auto *tabs = qobject_cast<QTabBar *>(child("TabStrip1"));
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == caption)
                return QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(i).center());
        QFAIL("no such tab");
    }
    QList<int> shownFrameTops() const
    {
        QList<int> tops;
        for (QGroupBox *frame : child("TabStrip1")->parentWidget()->findChildren<QGroupBox *>())
            if (frame->isVisible())
                tops.push_back(frame->y());
        return tops;
    }
    FileListModel &model() const { return m_window->model(); }
    QString marker() const { return m_window->previewChain().ruleMarker(); }
    QStringList previews() const { return columnOf(model(), RenameEntry::PreviewName); }
    QString message() const { return qobject_cast<QLabel *>(child("ts"))->text(); }
    // Rule passes seen by a spy on dataChanged; the plan's marks come with roles.
    static int passes(const QSignalSpy &changes)
    {
        return int(std::count_if(changes.begin(), changes.end(), [](const QList<QVariant> &args) {
            return args.at(2).value<QList<int>>().isEmpty();
        }));
    }
    void dropFiles(const QStringList &names)
    {
        dropFilesOf(namedChild<QTreeView>(m_window.get(), "L1")->viewport(), m_dir->path(), names);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_binDir.isValid());
        installRecordingOpener(m_binDir.path()); // a rename must not start a file manager
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_window = std::make_unique<Form1>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    // Each box that runs a rule shows its tab's frame alone in the band,
    // changes the checked row, records its rule and passes over the
    // unchecked row; on an empty list it changes nothing, not even the marker.
    void everyRuleRunsFromItsBoxes()
    {
        dropFiles({"keep.txt", "Move.txt"});
        type("beforeText", "b_");
        model().store().setChecked(0, false);
        const RenameEntry kept = model().store().entry(0);
        // clang-format off
        const struct { const char *tab; std::function<void()> act; char marker; } passes[] = {
            {"添加", [&] { type("AfterText", "a"); }, 'B'},
            {"添加", [&] { type("ZfText", "z"); }, 'A'},
            {"添加", [&] { QVERIFY(pick("添加combox1", 2)); }, 'A'},
            {"添加", [&] { retype("添加combox1", "1"); click("添加check"); }, 'A'},
            {"删除", [&] { type("DeleteText", "e"); }, 'C'},
            {"删除", [&] { type("删除combox1", "1"); type("删除combox2", "1"); click("删除check"); }, 'D'},
            {"替换", [&] { type("FindText", "o"); }, 'E'},
            {"替换", [&] { type("ReplaceText", "a"); }, 'E'},
            {"以序号命名", [&] { click("序号check"); }, 'F'},
            {"以序号命名", [&] { QVERIFY(pick("序号mb", 0)); }, 'F'},
            {"正则表达式命名", [&] { QVERIFY(pick("zzFindText", 0)); }, 'G'},
            {"整体", [&] { click("整体Op1"); }, 'H'},
            {"整体", [&] { click("整体Op2"); }, 'I'},
            // The extension and whole-name rules keep the marker.
            {"整体", [&] { click("后缀Op1"); }, 'I'},
            {"整体", [&] { type("整体Text", "w"); }, 'I'},
            {"整体", [&] { type("后缀Text", "x"); }, 'I'}};
        // clang-format on
        for (const auto &pass : passes) {
            clickTab(pass.tab);
            QCOMPARE(shownFrameTops(), QList<int>{Twips(m_window.get()).toPixels(480)});
            const RenameEntry before = model().store().entry(1);
            pass.act();
            const RenameEntry &now = model().store().entry(1);
            QVERIFY(now.previewName != before.previewName || now.extension != before.extension);
            QCOMPARE(marker(), QString(pass.marker));
            const RenameEntry &off = model().store().entry(0);
            QVERIFY(off.previewName == kept.previewName && off.tempName == kept.tempName &&
                    off.extension == kept.extension);
        }

        // An invalid pattern says why and changes nothing.
        clickTab("正则表达式命名");
        QSignalSpy changes(&model(), &FileListModel::dataChanged);
        retype("zzFindText", "[");
        QVERIFY(qobject_cast<QLabel *>(child("ts"))->text().startsWith("正则命令格式错误"));
        QCOMPARE(changes.count(), 0);

        namedChild<QAction>(m_window.get(), "清空列表")->trigger();
        for (const auto &pass : passes) {
            clickTab(pass.tab);
            pass.act();
        }
        QCOMPARE(marker(), QStringLiteral("I"));
        QCOMPARE(changes.count(), 0);
    }

    // Only a pick runs a rule from a combo box, and nothing completes what
    // was typed. The same rule run again starts from the base it saved;
    // another rule builds on the previous previews; rows dropped later, and
    // the names a rename left, start from the names on disk.
    void theRuleMarkerChoosesEachRowsBase()
    {
        dropFiles({"photo.jpg"});
        type("beforeText", "x_");
        QSignalSpy changes(&model(), &FileListModel::dataChanged);
        QTest::mouseClick(line("添加combox1"), Qt::LeftButton);
        QVERIFY(line("添加combox1")->hasFocus());
        type("添加combox1", "3");
        QTest::keyClick(line("添加combox1"), Qt::Key_Return);
        click("beforeText");
        QVERIFY(line("beforeText")->hasFocus());
        QCOMPARE(changes.count(), 0);
        type("beforeText", "y");
        QCOMPARE(previews(), QStringList{"x_yphoto"});
        type("ZfText", "n");
        type("ZfText", "n");
        QCOMPARE(previews(), QStringList{"x_ynnphoto"});

        dropFiles({"late.txt"});
        clickTab("整体");
        click("整体Op1");
        QCOMPARE(previews(), (QStringList{"X_YNNPHOTO", "LATE"}));

        click("Command1");
        QCOMPARE(entriesOf(m_dir->path()), (QStringList{"LATE.txt", "X_YNNPHOTO.jpg"}));
        clickTab("添加");
        type("AfterText", "_z");
        QCOMPARE(previews(), (QStringList{"x_yX_YNNPHOTO_z", "x_yLATE_z"}));

        clickTab("以序号命名");
        retype("序号mb", "N");
        retype("序号mb", "#");
        QCOMPARE(line("序号mb")->text(), QStringLiteral("#")); // not the preset "# &File"
        QCOMPARE(previews(), (QStringList{"01", "02"}));
    }

    // A numbering run that cannot number every checked row inside the 32-bit
    // range numbers none: the rows keep the previous rule's previews, the
    // marker stays, and the message label says why. Unchecked rows use up no
    // number, so unchecking one makes the same run fit.
    void numberingPastThe32BitRangeChangesNoRow()
    {
        dropFiles({"a.txt", "b.txt", "c.txt"});
        type("beforeText", "p_");
        const QStringList before = previews();
        clickTab("以序号命名");
        QSignalSpy changes(&model(), &FileListModel::dataChanged);
        // The third row's counter would be 2^31 each time.
        const std::pair<const char *, const char *> tooFar[] = {{"2147483646", "1"},
                                                                {"0", "1073741824"}};
        for (const auto &[start, step] : tooFar) {
            retype("序号combox1", start);
            retype("序号combox2", step);
            click("序号check");
            QCOMPARE(previews(), before);
            QCOMPARE(marker(), QStringLiteral("B"));
            QCOMPARE(message(), QStringLiteral("序号超出范围，名称没有改动"));
        }
        QCOMPARE(passes(changes), 0);

        model().store().setChecked(0, false);
        click("序号check"); // padding off
        QCOMPARE(previews(), (QStringList{"p_a", "0", "1073741824"}));
        QCOMPARE(marker(), QStringLiteral("F"));
        QCOMPARE(message(), QString());
        retype("序号combox1", "2147483646");
        retype("序号combox2", "1");
        click("序号check");
        QCOMPARE(previews(), (QStringList{"p_a", "2147483646", "2147483647"}));
    }

    // Each click on a case option runs its rule, also on the option already
    // selected, so previews changed since are mapped again; a click that
    // selects runs it once. Selecting an option from code runs it too, as the
    // click event would.
    void caseOptionsRunOnEveryClick()
    {
        dropFiles({"photo.jpg"});
        QSignalSpy changes(&model(), &FileListModel::dataChanged);
        clickTab("整体");
        click("整体Op1");
        QCOMPARE(previews(), QStringList{"PHOTO"});
        QCOMPARE(passes(changes), 1);
        clickTab("添加");
        type("beforeText", "x_");
        clickTab("整体");
        click("整体Op1");
        QCOMPARE(previews(), QStringList{"X_PHOTO"});
        QCOMPARE(marker(), QStringLiteral("H"));

        click("后缀Op1");
        QCOMPARE(model().store().entry(0).extension, QStringLiteral(".JPG"));
        type("后缀Text", "png");
        click("后缀Op1");
        QCOMPARE(model().store().entry(0).extension, QStringLiteral(".PNG"));
        QCOMPARE(previews(), QStringList{"photo"});

        changes.clear();
        namedChild<QRadioButton>(m_window.get(), "整体Op1")->setChecked(true);
        QCOMPARE(previews(), QStringList{"X_PHOTO"});
        QCOMPARE(passes(changes), 1);
    }

    // "已有规则" has no frame and opens its dialog only for rows. The dialog
    // reads its box raw: an empty line of a pasted column empties that row's
    // preview and the names after it stay on their rows; a no-break space in
    // an old name still matches.
    // A pattern that backtracks without end stops the pass and says so; no
    // rule or paste builds a preview past the limit, which no file name reaches.
    void hostileInputKeepsPreviewsBoundedAndSaysWhatItSkipped()
    {
        QStringList paths;
        for (int i = 0; i < 3000; ++i)
            paths << m_dir->filePath(QString(60 + i % 141, u'a') + u'b' + QString::number(i));
        model().store().appendPaths(paths);
        clickTab("正则表达式命名");
        retype("zzFindText", "(a+)+");
        const QStringList before = previews(); // "b0", "b1", ...
        type("zzFindText", "$");
        QVERIFY2(message().endsWith(QStringLiteral("行未更新")), qPrintable(message()));
        QCOMPARE(previews(), before);

        const auto longest = [this] {
            const QStringList all = previews();
            return std::max_element(
                       all.begin(), all.end(),
                       [](const QString &a, const QString &b) { return a.size() < b.size(); })
                ->size();
        };
        const QString limit = QString::number(rules::kMaxPreviewLength);
        clickTab("以序号命名");
        retype("序号combox3", "255");
        qobject_cast<QCheckBox *>(child("序号check"))->setChecked(true);
        qobject_cast<QComboBox *>(child("序号mb"))->setEditText(QString(1001, u'#'));
        QCOMPARE(QString::number(longest()), limit);
        const QString first = previews().at(0);
        QVERIFY(first.startsWith(QString(250, u'0')) && first.left(255) == first.mid(255, 255));

        clickTab("添加");
        line("beforeText")->setText(QString(100000, u'x'));
        QCOMPARE(QString::number(longest()), limit);

        const QString second = previews().at(1);
        clickTab("已有规则");
        auto *box =
            namedChild<QPlainTextEdit>(m_window->findChild<ExistingRulesDialog *>(), "Text1");
        box->setPlainText(QString(1 << 20, u'n'));
        QTest::mouseClick(namedChild<QPushButton>(box->parentWidget(), "Command1"), Qt::LeftButton);
        QCOMPARE(QString::number(longest()), limit);
        QCOMPARE(previews().at(1), second); // one line names the first row only
    }

    void existingRulesDialogImportsPastedLists()
    {
        answerNextMessageBox(nullptr);
        clickTab("已有规则");
        QVERIFY(shownFrameTops().isEmpty());
        QVERIFY(!m_window->findChild<ExistingRulesDialog *>());
        dropFiles({"b.txt", "a.txt", "q/a.jpg", "A.txt", "报告\u00A0终.doc", "报告 终.doc"});
        model().store().setChecked(1, false); // an import names unchecked rows too
        const std::pair<const char *, QStringList> cases[] = {
            // Old names match exactly and in any order, new names lose forbidden characters,
            // a later line wins, one-field lines and extra fields are ignored.
            {"a\tx:1\r\nb\ty\r\nlone\r\nb\tlater\textra\r\nA \tno\r\nzz\tq\r\n报告\u00A0终\tf",
             {"later", "x1", "x1", "old", "f", "old"}},
            {"x\r\n\r\nz/\r\n", {"x", "", "z", "old", "old", "old"}},
            // An emptied box is refused; the fetched names come back unchanged.
            {"", columnOf(model(), RenameEntry::OriginalName)}};
        for (const auto &[pasted, expected] : cases) {
            for (int i = 0; i < model().store().count(); ++i)
                model().store().setCell(i, RenameEntry::PreviewName, "old");
            clickTab("已有规则"); // chosen again, the tab opens the dialog again
            QPointer<ExistingRulesDialog> dialog = m_window->findChild<ExistingRulesDialog *>();
            auto *box = namedChild<QPlainTextEdit>(dialog, "Text1");
            const auto clickIn = [&](const char *name) {
                QTest::mouseClick(namedChild<QPushButton>(dialog, name), Qt::LeftButton);
            };
            QApplication::clipboard()->setText(pasted);
            box->paste();
            if (box->toPlainText().isEmpty()) {
                QString shown;
                answerNextMessageBox(&shown);
                clickIn("Command1");
                QCOMPARE(shown, QStringLiteral("文本框中还未添加要命名的内容"));
                clickIn("Command3");
            }
            clickIn("Command1");
            QCOMPARE(previews(), expected);
            QTRY_VERIFY(dialog.isNull()); // closed and gone
        }
    }
};

QTEST_MAIN(TestRuleBand)
#include "tst_RuleBand.moc"
