#include "rules/RuleBand.h"

#include "app/Twips.h"
#include "list/FileDrops.h"
#include "list/PathPart.h"
#include "list/RenameEntry.h"
#include "rules/EcmaRegex.h"
#include "rules/NumberingRule.h"
#include "rules/PreviewChain.h"
#include "rules/PreviewLimit.h"
#include "rules/ReadBoxNumber.h"
#include "rules/RuleTabBar.h"
#include "rules/TextRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabBar>


namespace {

constexpr int kBandLeft = 30;
constexpr int kTabWidth = 13185;
constexpr int kFrameTop = 480;
constexpr int kFrameAway = 12000;
constexpr int kFrameHeight = 900;
// What a regex pass may take before it stops, leaving a keystroke well under
// half a second whatever the pattern.
constexpr int kRegexPassBudgetMs = 300;

// Empties a box on a double click; the box's change handling then follows as
// for any other edit.
class DoubleClickClearer : public QObject
{
public:
    DoubleClickClearer(QObject *target, std::function<void()> clear)
        : QObject(target), m_clear(std::move(clear))
    {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick) {
            m_clear();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_clear;
};

void clearOnDoubleClick(QLineEdit *edit)
{
    new DoubleClickClearer(edit, [edit] { edit->clear(); });
}

void clearOnDoubleClick(QComboBox *box)
{
    new DoubleClickClearer(box->lineEdit(), [box] {
        if (!box->currentText().isEmpty())
            box->setEditText(QString());
    });
}

QLineEdit *makeLineEdit(const QString &name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QComboBox *makeComboBox(const QString &name, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    // Enter must not add what was typed to the drop-down list.
    box->setInsertPolicy(QComboBox::NoInsert);
    // The rules read exactly what was typed: an inline completion would turn
    // a typed "[a" into the preset "[A-Za-z]" or "#" into "# &File".
    box->setCompleter(nullptr);
    // Only a pick from the list is a click. Left alone, the combo box treats
    // Enter or leaving the box with a typed item text as a pick too, which
    // would run a rule the user did not ask for and move the rule marker.
    QObject::disconnect(box->lineEdit(), &QLineEdit::editingFinished, box, nullptr);
    box->setMinimumContentsLength(3);
    return box;
}

QLabel *makeLabel(const QString &text, QWidget *parent)
{
    return new QLabel(text, parent);
}

void addInOrder(QLayout *layout, std::initializer_list<QWidget *> widgets)
{
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
}

// Fills a drop-down list without running any rule and without picking an
// item: the box keeps the text it had.
void fillItems(QComboBox *box, const QStringList &items)
{
    const QSignalBlocker blocker(box);
    const QString text = box->currentText();
    box->addItems(items);
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

QStringList numbers(int from, int to)
{
    QStringList items;
    for (int i = from; i <= to; ++i)
        items.push_back(QString::number(i));
    return items;
}

} // namespace

RuleBand::RuleBand(PreviewChain &chain, QWidget *parent) : QWidget(parent), m_chain(chain)
{
    const Twips twips(this);
    m_tabs = new RuleTabBar(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    m_tabs->setExpanding(false);
    const struct
    {
        const char16_t *caption;
        const char16_t *tooltip;
    } tabs[] = {
        {u"添加", u"文件名前后或指定位置添加文本"},
        {u"删除", u"删除文件名中指定文本或指定位置的文本"},
        {u"替换", u"替换文件名中指定文本"},
        {u"以序号命名", u"给文件名中添加连续序号 如 1 2 3 4 5 6"},
        {u"正则表达式命名", u"利用正则表达式进行文件查找替换"},
        {u"整体", u"整体命名,如批量改大小写,改后缀"},
        {u"已有规则",
         u"利用已有命名的规则命名，如已知 1 改a  2 改b  最适合的方法是复制Excel中的两列来命名"},
    };
    for (const auto &tab : tabs) {
        const int index = m_tabs->addTab(QString::fromUtf16(tab.caption));
        m_tabs->setTabToolTip(index, QString::fromUtf16(tab.tooltip));
    }
    m_tabs->move(twips.toPixels(kBandLeft), twips.toPixels(30));
    m_tabs->resize(twips.toPixels(kTabWidth), m_tabs->sizeHint().height());

    buildAddFrame();
    buildDeleteFrame();
    buildReplaceFrame();
    buildNumberingFrame();
    buildRegexFrame();
    buildWholeFrame();
    placeFrames();

    // A click on the tab already chosen is a choice too ("已有规则" opens its
    // dialog again); keyboard changes arrive through currentChanged, and
    // Enter or Space confirms the tab reached.
    connect(m_tabs, &QTabBar::currentChanged, this, &RuleBand::onTabChosen);
    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index == m_tabs->currentIndex())
            onTabChosen(index);
    });
    connect(m_tabs, &RuleTabBar::currentConfirmed, this, [this](int index) {
        if (index >= m_frames.size())
            Q_EMIT existingRulesRequested();
    });
    // The tabs follow Ctrl+Tab and Ctrl+PgDn wherever the focus is in the
    // window, as in a tabbed dialog.
    const auto tabKeys = [this](QKeySequence::StandardKey standard, QKeyCombination page,
                                int step) {
        auto *shortcut = new QShortcut(this);
        shortcut->setKeys(QKeySequence::keyBindings(standard) << QKeySequence(page));
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, m_tabs, [this, step] { m_tabs->stepBy(step); });
    };
    tabKeys(QKeySequence::NextChild, Qt::CTRL | Qt::Key_PageDown, 1);
    tabKeys(QKeySequence::PreviousChild, Qt::CTRL | Qt::Key_PageUp, -1);
    // A dropped file would type its address into a box, and so into every
    // preview: boxes take plain text only.
    auto *blocker = new FileDropBlocker(this);
    for (QLineEdit *box : findChildren<QLineEdit *>())
        blocker->watch(box);
    resize(twips.toPixels(kBandLeft + kTabWidth), twips.toPixels(1395));
}

QGroupBox *RuleBand::addFrame(const QString &name, const QString &caption)
{
    auto *frame = new QGroupBox(caption, this);
    frame->setObjectName(name);
    auto *layout = new QHBoxLayout(frame);
    // In twips like the rest, so the captions keep their room at any dpi.
    const Twips twips(this);
    layout->setContentsMargins(twips.toPixels(90), twips.toPixels(30), twips.toPixels(90),
                               twips.toPixels(30));
    layout->setSpacing(twips.toPixels(60));
    m_frames.push_back(frame);
    return frame;
}

void RuleBand::buildAddFrame()
{
    QGroupBox *frame = addFrame(QStringLiteral("添加Frame"), QStringLiteral("添加文本"));
    auto *layout = frame->layout();
    m_beforeText = makeLineEdit(QStringLiteral("beforeText"), frame);
    m_afterText = makeLineEdit(QStringLiteral("AfterText"), frame);
    m_addCheck = new QCheckBox(QStringLiteral("扩展添加从第"), frame);
    m_addCheck->setObjectName(QStringLiteral("添加check"));
    m_addPosition = makeComboBox(QStringLiteral("添加combox1"), frame);
    m_insertText = makeLineEdit(QStringLiteral("ZfText"), frame);
    addInOrder(layout,
               {makeLabel(QStringLiteral("文本前添加"), frame), m_beforeText,
                makeLabel(QStringLiteral("文本后添加"), frame), m_afterText, m_addCheck,
                m_addPosition, makeLabel(QStringLiteral("字符后添加"), frame), m_insertText});

    connect(m_beforeText, &QLineEdit::textChanged, this, &RuleBand::runAddBeforeAfter);
    connect(m_afterText, &QLineEdit::textChanged, this, &RuleBand::runAddBeforeAfter);
    connect(m_insertText, &QLineEdit::textChanged, this, &RuleBand::runInsertAtPosition);
    connect(m_addPosition, &QComboBox::activated, this, &RuleBand::runInsertAtPosition);
    connect(m_addCheck, &QCheckBox::toggled, this, &RuleBand::runInsertAtPosition);
    clearOnDoubleClick(m_beforeText);
    clearOnDoubleClick(m_afterText);
    clearOnDoubleClick(m_insertText);
    clearOnDoubleClick(m_addPosition);
}

void RuleBand::buildDeleteFrame()
{
    QGroupBox *frame = addFrame(QStringLiteral("删除Frame"), QStringLiteral("删除文件名中的"));
    auto *layout = frame->layout();
    m_deleteText = makeLineEdit(QStringLiteral("DeleteText"), frame);
    m_deleteCheck = new QCheckBox(QStringLiteral("扩展删除从第"), frame);
    m_deleteCheck->setObjectName(QStringLiteral("删除check"));
    m_deleteStart = makeComboBox(QStringLiteral("删除combox1"), frame);
    m_deleteCount = makeComboBox(QStringLiteral("删除combox2"), frame);
    addInOrder(layout,
               {makeLabel(QStringLiteral("删除文件名中"), frame), m_deleteText, m_deleteCheck,
                m_deleteStart, makeLabel(QStringLiteral("个字符开始 删除"), frame), m_deleteCount,
                makeLabel(QStringLiteral("个字符"), frame)});

    connect(m_deleteText, &QLineEdit::textChanged, this, &RuleBand::runDeleteText);
    connect(m_deleteCheck, &QCheckBox::toggled, this, &RuleBand::runDeleteSpan);
    for (QComboBox *box : {m_deleteStart, m_deleteCount}) {
        connect(box, &QComboBox::editTextChanged, this, &RuleBand::runDeleteSpan);
        connect(box, &QComboBox::activated, this, [this, box] {
            if (!box->currentText().isEmpty())
                runDeleteSpan();
        });
    }
    clearOnDoubleClick(m_deleteText);
}

void RuleBand::buildReplaceFrame()
{
    QGroupBox *frame = addFrame(QStringLiteral("替换Frame"), QStringLiteral("替换文件名中的"));
    auto *layout = frame->layout();
    m_findText = makeLineEdit(QStringLiteral("FindText"), frame);
    m_replaceText = makeLineEdit(QStringLiteral("ReplaceText"), frame);
    addInOrder(layout, {makeLabel(QStringLiteral("把文件名中的"), frame), m_findText,
                        makeLabel(QStringLiteral("替换成"), frame), m_replaceText});

    connect(m_findText, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            runReplaceText();
    });
    connect(m_replaceText, &QLineEdit::textChanged, this, &RuleBand::runReplaceText);
    clearOnDoubleClick(m_findText);
    clearOnDoubleClick(m_replaceText);
}

void RuleBand::buildNumberingFrame()
{
    QGroupBox *frame = addFrame(QStringLiteral("序号Frame"), QStringLiteral("以序号命名"));
    auto *layout = frame->layout();
    m_numberStart = makeComboBox(QStringLiteral("序号combox1"), frame);
    m_numberIncrement = makeComboBox(QStringLiteral("序号combox2"), frame);
    m_numberDigits = makeComboBox(QStringLiteral("序号combox3"), frame);
    m_numberPad = new QCheckBox(QStringLiteral("不足位补齐"), frame);
    m_numberPad->setObjectName(QStringLiteral("序号check"));
    m_numberTemplate = makeComboBox(QStringLiteral("序号mb"), frame);
    m_numberTemplate->setMinimumContentsLength(12);
    m_numberTemplate->setToolTip(
        QStringLiteral("需在起始值和增值中有内容时才生效,模板可任意组合 如 &File&Size"));
    QLabel *templateLabel = makeLabel(QStringLiteral("模板"), frame);
    templateLabel->setObjectName(QStringLiteral("Label11"));
    addInOrder(layout, {makeLabel(QStringLiteral("起始值"), frame), m_numberStart,
                        makeLabel(QStringLiteral("增值"), frame), m_numberIncrement,
                        makeLabel(QStringLiteral("位数"), frame), m_numberDigits, m_numberPad,
                        templateLabel, m_numberTemplate});

    connect(m_numberPad, &QCheckBox::toggled, this, &RuleBand::runNumbering);
    for (QComboBox *box : {m_numberStart, m_numberIncrement, m_numberDigits, m_numberTemplate})
        connect(box, &QComboBox::activated, this, &RuleBand::runNumbering);
    // A number typed into a box is taken with Enter, as picking one is.
    for (QComboBox *box : {m_numberStart, m_numberIncrement, m_numberDigits})
        connect(box->lineEdit(), &QLineEdit::returnPressed, this, &RuleBand::runNumbering);
    connect(m_numberTemplate, &QComboBox::editTextChanged, this, &RuleBand::runNumbering);
}

void RuleBand::buildRegexFrame()
{
    QGroupBox *frame = addFrame(QStringLiteral("正则Frame"), QStringLiteral("正则表达式命名"));
    auto *layout = static_cast<QHBoxLayout *>(frame->layout());
    m_regexFind = makeComboBox(QStringLiteral("zzFindText"), frame);
    m_regexReplace = makeComboBox(QStringLiteral("zzReplaceText"), frame);
    m_regexFind->setMinimumContentsLength(20);
    m_regexReplace->setMinimumContentsLength(20);
    layout->addWidget(makeLabel(QStringLiteral("查找"), frame));
    layout->addWidget(m_regexFind, 1);
    layout->addWidget(makeLabel(QStringLiteral("替换成"), frame));
    layout->addWidget(m_regexReplace, 1);

    connect(m_regexFind, &QComboBox::editTextChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            runRegexReplace();
    });
    connect(m_regexFind, &QComboBox::activated, this, &RuleBand::runRegexReplace);
    connect(m_regexReplace, &QComboBox::editTextChanged, this, &RuleBand::runRegexReplace);
    connect(m_regexReplace, &QComboBox::activated, this, &RuleBand::runRegexReplace);
    clearOnDoubleClick(m_regexFind);
    clearOnDoubleClick(m_regexReplace);
}

void RuleBand::buildWholeFrame()
{
    QGroupBox *frame = addFrame(QStringLiteral("整体Frame"), QStringLiteral("整体命名"));
    auto *layout = frame->layout();
    m_wholeText = makeLineEdit(QStringLiteral("整体Text"), frame);
    m_extensionText = makeLineEdit(QStringLiteral("后缀Text"), frame);
    const auto option = [frame](const QString &name, const QString &caption) {
        auto *button = new QRadioButton(caption, frame);
        button->setObjectName(name);
        return button;
    };
    m_nameUpper = option(QStringLiteral("整体Op1"), QStringLiteral("文件名全部大写"));
    m_nameLower = option(QStringLiteral("整体Op2"), QStringLiteral("文件名全部小写"));
    m_extensionUpper = option(QStringLiteral("后缀Op1"), QStringLiteral("后缀名改成大写"));
    m_extensionLower = option(QStringLiteral("后缀Op2"), QStringLiteral("后缀名改成小写"));
    addInOrder(layout, {makeLabel(QStringLiteral("文件名改成"), frame), m_wholeText,
                        makeLabel(QStringLiteral("后缀名统一改成"), frame), m_extensionText});
    addInOrder(layout, {m_nameUpper, m_nameLower, m_extensionUpper, m_extensionLower});

    connect(m_wholeText, &QLineEdit::textChanged, this, &RuleBand::runWholeName);
    connect(m_extensionText, &QLineEdit::textChanged, this, &RuleBand::runExtensionName);
    // Option buttons run their rule when chosen, not when another is. Each
    // click runs it, also on the option selected already (which toggled alone
    // would miss), so previews changed since are mapped again. An option
    // selected from code has no click and runs its rule through toggled, as
    // a change of its value fires its click; during a click, between press
    // and release, toggled leaves the run to clicked so the rule runs once.
    const auto onChosen = [this](QRadioButton *button, auto run) {
        connect(button, &QRadioButton::pressed, this, [this] { m_optionPressed = true; });
        connect(button, &QRadioButton::released, this, [this] { m_optionPressed = false; });
        connect(button, &QRadioButton::toggled, this, [this, run](bool on) {
            if (on && !m_optionPressed)
                run();
        });
        connect(button, &QRadioButton::clicked, this, [button, run] {
            if (button->isChecked())
                run();
        });
    };
    onChosen(m_nameUpper, [this] { runNameUpper(true); });
    onChosen(m_nameLower, [this] { runNameUpper(false); });
    onChosen(m_extensionUpper, [this] { runExtensionCase(true); });
    onChosen(m_extensionLower, [this] { runExtensionCase(false); });
    clearOnDoubleClick(m_wholeText);
    clearOnDoubleClick(m_extensionText);
}

void RuleBand::placeFrames()
{
    const Twips twips(this);
    for (QGroupBox *frame : std::as_const(m_frames)) {
        frame->setGeometry(twips.rect(kBandLeft, kFrameAway, kTabWidth, kFrameHeight));
        // Out of the band also means out of the Tab key's way.
        frame->hide();
    }
}

void RuleBand::initialise()
{
    const Twips twips(this);
    // The first tab's frame starts in the band.
    m_shownFrame = m_frames.front();
    m_shownFrame->move(m_shownFrame->x(), twips.toPixels(450));
    m_shownFrame->show();

    fillItems(m_addPosition, numbers(1, 50));
    fillItems(m_deleteStart, numbers(1, 50));
    fillItems(m_deleteCount, numbers(1, 50));
    fillItems(m_numberStart, numbers(0, 49));
    fillItems(m_numberIncrement, numbers(1, 50));
    fillItems(m_numberDigits, numbers(1, 50));
    fillItems(m_numberTemplate,
              {QStringLiteral("# &File"), QStringLiteral("#"), QStringLiteral("# &Parent"),
               QStringLiteral("# &Size"), QStringLiteral("# &Date")});
    fillItems(m_regexFind,
              {QStringLiteral("[0-9]"), QStringLiteral("[A-Za-z]"), QStringLiteral("[一-\uFA29]")});

    // Checking the box runs the numbering once over the empty list, which
    // puts "#" into the empty template box.
    m_numberPad->setChecked(true);
    m_numberStart->setEditText(QStringLiteral("1"));
    m_numberIncrement->setEditText(QStringLiteral("1"));
    m_numberDigits->setEditText(QStringLiteral("2"));
}

void RuleBand::onTabChosen(int index)
{
    if (index < 0)
        return;
    const Twips twips(this);
    if (m_shownFrame) {
        m_shownFrame->move(m_shownFrame->x(), twips.toPixels(kFrameAway));
        m_shownFrame->hide();
    }
    if (index < m_frames.size()) {
        m_shownFrame = m_frames.at(index);
        m_shownFrame->move(m_shownFrame->x(), twips.toPixels(kFrameTop));
        m_shownFrame->show();
    } else if (!m_tabs->movingByKeys()) {
        // "已有规则" has no frame: the band stays empty until another tab.
        // Moved onto by keys, it waits for Enter or Space.
        Q_EMIT existingRulesRequested();
    }
}

void RuleBand::runAddBeforeAfter()
{
    const QString before = m_beforeText->text();
    const QString after = m_afterText->text();
    m_chain.runPass(u'B', [&](const QString &base, const RenameEntry &, QString &out) {
        rules::addBeforeAfter(base, before, after, out);
        return true;
    });
}

void RuleBand::runInsertAtPosition()
{
    const qint32 position = ReadBoxNumber(m_addPosition->currentText());
    const QString text = m_insertText->text();
    m_chain.runPass(u'A', [&](const QString &base, const RenameEntry &, QString &out) {
        rules::insertAt(base, position, text, out);
        return true;
    });
}

void RuleBand::runDeleteText()
{
    const QString text = m_deleteText->text();
    m_chain.runPass(u'C', [&](const QString &base, const RenameEntry &, QString &out) {
        rules::deleteText(base, text, out);
        return true;
    });
}

void RuleBand::runDeleteSpan()
{
    const qint32 start = ReadBoxNumber(m_deleteStart->currentText());
    const qint32 count = ReadBoxNumber(m_deleteCount->currentText());
    if (!m_deleteCheck->isChecked() || start <= 0 || count <= 0)
        return;
    m_chain.runPass(u'D', [&](const QString &base, const RenameEntry &, QString &out) {
        rules::deleteSpan(base, start, count, out);
        return true;
    });
}

void RuleBand::runReplaceText()
{
    const QString find = m_findText->text();
    const QString replacement = m_replaceText->text();
    m_chain.runPass(u'E', [&](const QString &base, const RenameEntry &, QString &out) {
        rules::replaceText(base, find, replacement, out);
        return true;
    });
}

void RuleBand::runNumbering()
{
    // Writing "#" into the template box below must not start a second run.
    if (m_numberingRuns)
        return;
    const QScopedValueRollback<bool> running(m_numberingRuns, true);
    rules::NumberingSettings settings;
    settings.start = ReadBoxNumber(m_numberStart->currentText());
    settings.increment = ReadBoxNumber(m_numberIncrement->currentText());
    settings.digits = ReadBoxNumber(m_numberDigits->currentText());
    settings.pad = m_numberPad->isChecked();
    settings.tmpl = m_numberTemplate->currentText();
    if (settings.tmpl.isEmpty()) {
        settings.tmpl = QStringLiteral("#");
        m_numberTemplate->setEditText(settings.tmpl);
    }
    rules::Numbering numbering(settings);
    if (!numbering.isRunnable())
        return;
    // Only checked rows use up numbers, but counting them is needed only when
    // the whole list would not fit.
    if (!numbering.fitsRows(m_chain.rowCount()) && !numbering.fitsRows(m_chain.checkedRowCount())) {
        m_numberingOutOfRange = true;
        Q_EMIT messageChanged(QStringLiteral("序号超出范围，名称没有改动"));
        return;
    }
    // The warning goes once the numbers fit again; other messages stay.
    if (m_numberingOutOfRange) {
        m_numberingOutOfRange = false;
        Q_EMIT messageChanged(QString());
    }
    m_chain.runPass(u'F', [&](const QString &base, const RenameEntry &row, QString &out) {
        return numbering.next(base, row.fullPath, out);
    });
}

void RuleBand::runRegexReplace()
{
    const QString pattern = m_regexFind->currentText();
    const QString replacement = m_regexReplace->currentText();
    Q_EMIT messageChanged(QString());
    if (pattern.isEmpty() || m_chain.rowCount() < 1)
        return;
    const EcmaRegex regex(pattern);
    if (!regex.isValid()) {
        Q_EMIT messageChanged(QStringLiteral("正则命令格式错误") + regex.errorText());
        return;
    }
    // However the pattern backtracks, a keystroke gets this long; the rows
    // not reached by then keep their previews, as does a row whose match ran
    // past the regex's own limit.
    const QDeadlineTimer deadline(kRegexPassBudgetMs);
    qsizetype kept = 0;
    bool outOfTime = false;
    qsizetype visited = 0;
    m_chain.runPass(u'G', [&](const QString &base, const RenameEntry &, QString &out) {
        if (!outOfTime && ++visited % 8 == 0)
            outOfTime = deadline.hasExpired();
        if (!outOfTime) {
            regex.replaceAll(base, replacement, out, deadline);
            outOfTime = regex.stop() == EcmaRegex::Stop::OutOfTime;
            if (regex.stop() == EcmaRegex::Stop::AtEnd)
                return true;
        }
        ++kept;
        return false;
    });
    if (outOfTime)
        Q_EMIT messageChanged(
            QStringLiteral("正则表达式过于复杂，运算已停止：%1 行未更新").arg(kept));
    else if (kept > 0)
        Q_EMIT messageChanged(QStringLiteral("正则表达式过于复杂：%1 行未更新").arg(kept));
}

void RuleBand::runNameUpper(bool upper)
{
    m_chain.runPass(upper ? u'H' : u'I',
                    [upper](const QString &base, const RenameEntry &, QString &out) {
                        if (upper)
                            rules::toUpperSimple(base, out);
                        else
                            rules::toLowerSimple(base, out);
                        return true;
                    });
}

void RuleBand::runExtensionCase(bool upper)
{
    m_chain.renameExtensions([upper](const RenameEntry &row, QString &extension) {
        (upper ? rules::toUpperSimple : rules::toLowerSimple)(row.extension, extension);
        return true;
    });
}

void RuleBand::runWholeName()
{
    m_chain.nameCheckedRows(m_wholeText->text());
}

void RuleBand::runExtensionName()
{
    const QString extension = m_extensionText->text();
    // One text shared by every row.
    QString dotted = extension.isEmpty() ? QString() : QLatin1Char('.') + extension;
    rules::capPreview(dotted);
    m_chain.renameExtensions([&dotted](const RenameEntry &row, QString &out) {
        if (row.extension.isEmpty())
            return false;
        // An empty box puts back the extension the entry has on disk.
        out = dotted.isEmpty() ? extensionCellOf(row.fullPath) : dotted;
        return true;
    });
}
