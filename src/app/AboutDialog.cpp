#include "app/AboutDialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QLabel *makeLink(const QString &objectName, const QString &url, const QString &caption,
                 QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::RichText);
    label->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(url, caption.toHtmlEscaped()));
    label->setOpenExternalLinks(false);
    QObject::connect(label, &QLabel::linkActivated, label,
                     [](const QString &link) { QDesktopServices::openUrl(QUrl(link)); });
    return label;
}

} // namespace

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("关于作者"));
    setWindowTitle(QStringLiteral("关于"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto *name = new QLabel(QStringLiteral("Quib 文件批量重命名"), this);
    name->setObjectName(QStringLiteral("nameLabel"));
    QFont bigger = name->font();
    bigger.setPointSizeF(bigger.pointSizeF() * 1.4);
    bigger.setBold(true);
    name->setFont(bigger);

    auto *version = new QLabel(QStringLiteral("V1.21 20190129"), this);
    version->setObjectName(QStringLiteral("versionLabel"));

    auto *log = new QPlainTextEdit(this);
    log->setObjectName(QStringLiteral("updateLog"));
    log->setReadOnly(true);
    log->setPlainText(QStringLiteral(
        "V1.21 20190129：增加“根据已有规则命名”，可从表格粘贴两列或一列名称导入。\n"
        "V1.20 20181215：增加撤消上一次更名；增加按文件夹获取文件名，可包含子文件夹并按名称过滤。\n"
        "V1.10 20180920：增加序号模板与正则表达式替换；修改规则时即时预览。\n"
        "V1.00 20180601：支持将文件和文件夹拖放到列表中添加；添加、删除、替换、大小写规则。"));

    auto *home = makeLink(QStringLiteral("homeLink"), QStringLiteral("https://quib.example.org/"),
                          QStringLiteral("项目主页"), this);
    auto *help =
        makeLink(QStringLiteral("helpLink"), QStringLiteral("https://quib.example.org/help"),
                 QStringLiteral("使用说明与问题反馈"), this);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *close = buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::AcceptRole);
    close->setObjectName(QStringLiteral("closeButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(new QLabel(QStringLiteral("更新日志："), this));
    layout->addWidget(log, 1);
    layout->addWidget(home);
    layout->addWidget(help);
    layout->addWidget(buttons);
    resize(480, 320);
}
