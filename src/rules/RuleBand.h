#pragma once

#include <QWidget>

class PreviewChain;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class RuleTabBar;

// The band of naming rules at the top of the main window: the tab strip and
// one frame of rule fields per tab. Every edit of a field re-runs its rule
// over the list at once, so the preview column follows the typing.
class RuleBand : public QWidget
{
    Q_OBJECT

public:
    explicit RuleBand(PreviewChain &chain, QWidget *parent = nullptr);

    // Start-up: fills the drop-down lists and sets the numbering defaults.
    void initialise();

Q_SIGNALS:
    // A rule wants the main window's message label to show this text.
    void messageChanged(const QString &text);
    // The tab "已有规则" was chosen.
    void existingRulesRequested();

private:
    void buildAddFrame();
    void buildDeleteFrame();
    void buildReplaceFrame();
    void buildNumberingFrame();
    void buildRegexFrame();
    void buildWholeFrame();
    QGroupBox *addFrame(const QString &name, const QString &caption);
    void placeFrames();
    void onTabChosen(int index);

    // The rules, each reading its own fields afresh.
    void runAddBeforeAfter();
    void runInsertAtPosition();
    void runDeleteText();
    void runDeleteSpan();
    void runReplaceText();
    void runNumbering();
    void runRegexReplace();
    void runNameUpper(bool upper);
    void runExtensionCase(bool upper);
    void runWholeName();
    void runExtensionName();

    PreviewChain &m_chain;

    RuleTabBar *m_tabs = nullptr;
    QList<QGroupBox *> m_frames;
    QGroupBox *m_shownFrame = nullptr;

    QLineEdit *m_beforeText = nullptr;
    QLineEdit *m_afterText = nullptr;
    QCheckBox *m_addCheck = nullptr;
    QComboBox *m_addPosition = nullptr;
    QLineEdit *m_insertText = nullptr;

    QLineEdit *m_deleteText = nullptr;
    QCheckBox *m_deleteCheck = nullptr;
    QComboBox *m_deleteStart = nullptr;
    QComboBox *m_deleteCount = nullptr;

    QLineEdit *m_findText = nullptr;
    QLineEdit *m_replaceText = nullptr;

    QComboBox *m_numberStart = nullptr;
    QComboBox *m_numberIncrement = nullptr;
    QComboBox *m_numberDigits = nullptr;
    QCheckBox *m_numberPad = nullptr;
    QComboBox *m_numberTemplate = nullptr;
    bool m_numberingRuns = false;
    // The message label shows that the last numbering run was out of range.
    bool m_numberingOutOfRange = false;

    QComboBox *m_regexFind = nullptr;
    QComboBox *m_regexReplace = nullptr;

    QLineEdit *m_wholeText = nullptr;
    QLineEdit *m_extensionText = nullptr;
    QRadioButton *m_nameUpper = nullptr;
    QRadioButton *m_nameLower = nullptr;
    QRadioButton *m_extensionUpper = nullptr;
    QRadioButton *m_extensionLower = nullptr;
    // An option button is held down: a selection now comes from a click.
    bool m_optionPressed = false;
};
