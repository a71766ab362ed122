#include "rules/ExistingRulesDialog.h"

#include "list/RowStore.h"
#include "rules/ListImport.h"

#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

namespace {

QPushButton *makeButton(const QString &objectName, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    button->setMinimumSize(129, 61); // 1935 x 915 twips at 96 dpi
    return button;
}

} // namespace

ExistingRulesDialog::ExistingRulesDialog(RowStore &rows, QWidget *parent)
    : QDialog(parent), m_rows(rows)
{
    setObjectName(QStringLiteral("列表"));
    setWindowTitle(QStringLiteral("根据已有规则命名"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->viewport()->installEventFilter(this);
    // Tab and Ctrl+Tab leave the box; pasted columns keep their TABs.
    m_text->setTabChangesFocus(true);
    m_text->installEventFilter(this);

    QPushButton *fetch =
        makeButton(QStringLiteral("Command3"), QStringLiteral("获取列表中的文件名"), this);
    QPushButton *quit = makeButton(QStringLiteral("Command2"), QStringLiteral("退出"), this);
    QPushButton *import =
        makeButton(QStringLiteral("Command1"), QStringLiteral("导入到列表"), this);

    auto *hint = new QLabel(this);
    hint->setObjectName(QStringLiteral("ts"));
    hint->setWordWrap(true);
    hint->setText(QStringLiteral("PS: 1、最佳方法：从表格中复制两列贴在文本框中--- "
                                 "注:一列是修改前的名称 一列是修改后的名称【不用按顺序】") +
                  QStringLiteral("\r\n\r\n") +
                  QStringLiteral("     2、如果只有修改后的清单，直接贴在文本框中也可以。"
                                 "会按列表顺序依次命名【只能按顺序】"));

    // Text box on the left, the three buttons in the lower part of a column
    // on its right, the hint along the bottom.
    auto *grid = new QGridLayout(this);
    grid->addWidget(m_text, 0, 0, 5, 1);
    grid->setRowStretch(0, 1);
    grid->addWidget(fetch, 1, 1);
    grid->addWidget(quit, 2, 1);
    grid->addWidget(import, 3, 1);
    grid->addWidget(hint, 5, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    resize(664, 440); // 9960 x 6600 twips

    connect(fetch, &QPushButton::clicked, this, &ExistingRulesDialog::fillWithOriginalNames);
    connect(quit, &QPushButton::clicked, this, &QDialog::close);
    connect(import, &QPushButton::clicked, this, &ExistingRulesDialog::importIntoList);
}

QString ExistingRulesDialog::importText() const
{
    // toPlainText() would turn no-break spaces into blanks, and an old name
    // must match the name on disk exactly; the raw text keeps them and marks
    // every line break with a separator character. A pasted CR LF (or lone
    // CR) is such a break too, so the box never holds a CR: giving each break
    // back its CR LF keeps an empty line of a pasted column as a line of its
    // own, and the names after it on their rows.
    QString text = m_text->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text;
}

bool ExistingRulesDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        m_text->clear();
        return true;
    }
    if (watched == m_text &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        if (key->modifiers().testFlag(Qt::ControlModifier) &&
            (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            // Ours, not the main window's tab keys: it moves the focus on.
            event->accept();
            if (event->type() == QEvent::KeyPress)
                focusNextPrevChild(key->key() == Qt::Key_Tab);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ExistingRulesDialog::fillWithOriginalNames()
{
    m_text->setPlainText(rules::originalNamesText(m_rows));
}

void ExistingRulesDialog::importIntoList()
{
    const QString text = importText();
    if (text.isEmpty()) {
        QMessageBox::information(this, QString(), QStringLiteral("文本框中还未添加要命名的内容"));
        return;
    }
    const bool done = text.contains(QLatin1Char('\t')) ? rules::applyTwoColumns(m_rows, text)
                                                       : rules::applyOneColumn(m_rows, text);
    if (done)
        close();
}
