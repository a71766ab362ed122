#include "rename/SingleRenameDialog.h"

#include "list/FileListModel.h"
#include "rules/PreviewLimit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SingleRenameDialog::SingleRenameDialog(FileListModel &model, QWidget *parent)
    : QDialog(parent), m_model(model)
{
    setObjectName(QStringLiteral("RenText"));
    setWindowTitle(QStringLiteral("单个文件重命名"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setMinimumWidth(360);
    m_text->setMaxLength(int(rules::kMaxPreviewLength));
    m_text->installEventFilter(this);

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    cancel->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &SingleRenameDialog::acceptName);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void SingleRenameDialog::openFor(int row)
{
    if (row < 0 || row >= m_model.store().count())
        return;
    m_row = QPersistentModelIndex(m_model.index(row, RenameEntry::PreviewName));
    const RenameEntry &e = m_model.store().entry(row);
    m_text->setText(e.previewName.isEmpty() ? e.originalName : e.previewName);
    m_text->selectAll();
    m_text->setFocus();
    show();
    raise();
    activateWindow();
}

bool SingleRenameDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text && event->type() == QEvent::MouseButtonDblClick) {
        m_text->clear();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void SingleRenameDialog::acceptName()
{
    const QString name = m_text->text();
    if (!name.isEmpty() && m_row.isValid())
        m_model.store().setCell(m_row.row(), RenameEntry::PreviewName, name);
    accept();
}
