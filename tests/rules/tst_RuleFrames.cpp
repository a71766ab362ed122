// The rule band holds exactly what the tabs' declarations say, and every
// declared control event, fired as the user fires it, runs its declared rule.
#include "list/FileListModel.h"
#include "rules/PreviewChain.h"
#include "rules/RuleBand.h"
#include "rules/RuleFrames.h"
#include "support/WidgetSupport.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace testsupport;

class TestRuleFrames : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<FileListModel> m_rows;
    std::unique_ptr<PreviewChain> m_chain;
    std::unique_ptr<RuleBand> m_band;
    const std::vector<RuleFrame> m_declared = ruleFrames();

    QGroupBox *frameOf(const RuleFrame &declared) const
    {
        return m_band->findChild<QGroupBox *>(declared.name, Qt::FindDirectChildrenOnly);
    }
    QWidget *controlIn(const QGroupBox *frame, const QString &name) const
    {
        return frame->findChild<QWidget *>(name, Qt::FindDirectChildrenOnly);
    }
    void clickTab(int index)
    {
        auto *tabs = namedChild<QTabBar>(m_band.get(), "TabStrip1");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }
    // Clicks the tab and gives the frame it declares; none for a tab without.
    QGroupBox *showFrameOf(int index)
    {
        clickTab(index);
        const RuleFrame &declared = m_declared.at(size_t(index));
        return declared.hasFrame() ? frameOf(declared) : nullptr;
    }
    // The edit a text box or drop-down list types into.
    static QLineEdit *editOf(QWidget *control)
    {
        auto *box = qobject_cast<QComboBox *>(control);
        return box ? box->lineEdit() : qobject_cast<QLineEdit *>(control);
    }

    // Readies the control for the event without firing it: a check box to be
    // checked, a drop-down list showing the item to be picked, so that the
    // pick changes no text and fires no other event.
    static void prepare(ControlEvent event, QWidget *control)
    {
        if (auto *check = qobject_cast<QCheckBox *>(control);
            event == ControlEvent::Toggled && check)
            check->setChecked(false);
        auto *box = qobject_cast<QComboBox *>(control);
        if (event == ControlEvent::Activated && box) {
            if (box->count() == 0)
                box->addItem("1");
            box->setEditText(box->itemText(0));
        }
    }

    // Fires the event as the user would and gives how often it came: once,
    // but Enter in a drop-down list's box comes twice; 0 when the control
    // cannot fire the event.
    static int fire(ControlEvent event, QWidget *control)
    {
        auto *edit = qobject_cast<QLineEdit *>(control);
        auto *box = qobject_cast<QComboBox *>(control);
        auto *check = qobject_cast<QCheckBox *>(control);
        auto *option = qobject_cast<QRadioButton *>(control);
        std::unique_ptr<QSignalSpy> came;
        if (event == ControlEvent::TextChanged && edit) {
            came = std::make_unique<QSignalSpy>(edit, &QLineEdit::textChanged);
            QTest::keyClicks(edit, "1");
        } else if (event == ControlEvent::EditTextChanged && box) {
            came = std::make_unique<QSignalSpy>(box, &QComboBox::editTextChanged);
            QTest::keyClicks(box->lineEdit(), "1");
        } else if (event == ControlEvent::EnterPressed && box) {
            came = std::make_unique<QSignalSpy>(box->lineEdit(), &QLineEdit::returnPressed);
            QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        } else if (event == ControlEvent::Activated && box) {
            came = std::make_unique<QSignalSpy>(box, &QComboBox::activated);
            box->showPopup();
            QTest::keyClick(box->view(), Qt::Key_Home);
            QTest::keyClick(box->view(), Qt::Key_Return);
        } else if (event == ControlEvent::Toggled && check) {
            came = std::make_unique<QSignalSpy>(check, &QCheckBox::toggled);
            QTest::mouseClick(check, Qt::LeftButton);
        } else if (event == ControlEvent::Chosen && option) {
            came = std::make_unique<QSignalSpy>(option, &QRadioButton::clicked);
            QTest::mouseClick(option, Qt::LeftButton);
        }
        return came ? int(came->count()) : 0;
    }

private Q_SLOTS:
    void init()
    {
        QStringList paths;
        for (const char *name : {"a.txt", "b.jpg"}) {
            paths.push_back(m_dir.filePath(name));
            writeFile(paths.back());
        }
        m_rows = std::make_unique<FileListModel>();
        m_rows->store().appendPaths(paths);
        m_chain = std::make_unique<PreviewChain>(m_rows->store());
        m_band = std::make_unique<RuleBand>(*m_chain);
        m_band->initialise();
        m_band->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_band.get()));
    }
    void cleanup() { m_band.reset(); }

    // Tab i has the declared caption and tooltip and brings forward the
    // declared frame alone; a tab without one opens the existing-rules
    // dialog. The band holds no frame and no control beyond the declared.
    void eachTabShowsTheFrameItDeclares()
    {
        auto *tabs = namedChild<QTabBar>(m_band.get(), "TabStrip1");
        QCOMPARE(tabs->count(), int(m_declared.size()));
        QSignalSpy dialogs(m_band.get(), &RuleBand::existingRulesRequested);
        QStringList declaredFrames;
        for (int i = 0; i < tabs->count(); ++i) {
            const RuleFrame &declared = m_declared.at(size_t(i));
            QCOMPARE(tabs->tabText(i), declared.tab);
            QCOMPARE(tabs->tabToolTip(i), declared.toolTip);
            clickTab(i);
            QStringList shown;
            for (const QGroupBox *frame : m_band->findChildren<QGroupBox *>())
                if (frame->isVisible())
                    shown << frame->objectName() + ' ' + frame->title();
            const QStringList expected{declared.name + ' ' + declared.caption};
            QCOMPARE(shown, declared.hasFrame() ? expected : QStringList());
            QCOMPARE(dialogs.count(), declared.hasFrame() ? 0 : 1);
            dialogs.clear();
            if (declared.hasFrame())
                declaredFrames << declared.name;
        }
        QStringList built;
        for (const QGroupBox *frame : m_band->findChildren<QGroupBox *>())
            built << frame->objectName();
        QCOMPARE(built, declaredFrames);
    }

    // Each control has its declared kind, items and name for screen readers,
    // its caption as buddy, and empties on a double click if declared so.
    void controlsAreBuiltAsDeclared()
    {
        for (int i = 0; i < int(m_declared.size()); ++i) {
            QGroupBox *frame = showFrameOf(i);
            if (!frame)
                continue;
            const RuleFrame &declared = m_declared.at(size_t(i));
            QStringList names;
            for (const FrameControl &control : declared.controls) {
                if (control.kind == FrameControl::Kind::Caption)
                    continue;
                names << control.name;
                QWidget *widget = controlIn(frame, control.name);
                QVERIFY2(widget, qPrintable(control.name));
                QLineEdit *edit = editOf(widget);
                if (!edit) {
                    auto *button = qobject_cast<QAbstractButton *>(widget);
                    QVERIFY2(button && button->text() == control.text, qPrintable(control.name));
                    continue;
                }
                QCOMPARE(widget->accessibleName(), control.label);
                QCOMPARE(edit->accessibleName(), control.label);
                if (auto *box = qobject_cast<QComboBox *>(widget)) {
                    QStringList items;
                    for (int item = 0; item < box->count(); ++item)
                        items << box->itemText(item);
                    QCOMPARE(items, control.items);
                }
                QLabel *caption = nullptr;
                for (QLabel *label : frame->findChildren<QLabel *>())
                    if (label->buddy() == widget)
                        caption = label;
                QCOMPARE(caption ? caption->text() : QString(), control.captionBefore);
                QCOMPARE(caption ? caption->objectName() : QString(), control.captionName);
                edit->setText("x");
                QTest::mouseDClick(edit, Qt::LeftButton);
                QCOMPARE(edit->text().isEmpty(), control.clearsOnDoubleClick);
            }
            QStringList built;
            for (QWidget *widget : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                if (!qobject_cast<QLabel *>(widget))
                    built << widget->objectName();
            QCOMPARE(built, names);
        }
    }

    // Every declared event runs its rule once: the rows change and a coded
    // rule leaves its letter in RuleMarker. An event held back while the
    // box is empty runs nothing.
    void everyTriggerRunsItsRule()
    {
        QSignalSpy messages(m_band.get(), &RuleBand::messageChanged);
        for (int i = 0; i < int(m_declared.size()); ++i) {
            QGroupBox *frame = showFrameOf(i);
            if (!frame)
                continue;
            const RuleFrame &declared = m_declared.at(size_t(i));
            // Fields every rule of the frame can run with.
            for (QCheckBox *check : frame->findChildren<QCheckBox *>())
                check->setChecked(true);
            for (QLineEdit *edit : frame->findChildren<QLineEdit *>())
                if (edit->text().isEmpty())
                    edit->setText("1");
            for (const Trigger &trigger : declared.triggers) {
                const QString what = declared.name + ' ' + trigger.control;
                QWidget *control = controlIn(frame, trigger.control);
                QVERIFY2(control, qPrintable(what));
                prepare(trigger.event, control);
                m_chain->batchRan();
                QSignalSpy passes(m_rows.get(), &FileListModel::dataChanged);
                const int fired = fire(trigger.event, control);
                QVERIFY2(fired > 0 && passes.count() == fired, qPrintable(what));
                const auto rule =
                    std::find_if(declared.rules.begin(), declared.rules.end(),
                                 [&](const FrameRule &r) { return r.procedure == trigger.rule; });
                QVERIFY(rule != declared.rules.end());
                QCOMPARE(m_chain->ruleMarker(),
                         rule->code.isNull() ? QString() : QString(rule->code));

                const bool textEvent = trigger.event == ControlEvent::TextChanged ||
                                       trigger.event == ControlEvent::EditTextChanged;
                if (trigger.condition != Condition::TextNotEmpty || !textEvent)
                    continue;
                messages.clear();
                editOf(control)->selectAll();
                QTest::keyClick(editOf(control), Qt::Key_Backspace);
                QVERIFY2(passes.count() == fired && messages.isEmpty(), qPrintable(what));
            }
        }
    }
};

QTEST_MAIN(TestRuleFrames)
#include "tst_RuleFrames.moc"
