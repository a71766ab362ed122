#include "scan/FolderScanDialog.h"

#include "list/PathPart.h"
#include "scan/FolderWalk.h"
#include "shared/LabelProgress.h"
#include "shared/OwnFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace {

const QString kSettingsKey = QStringLiteral("文件批量重命名/获取文件名称路径");

// The one value the program keeps between runs; an INI file in the user's
// configuration folder ($XDG_CONFIG_HOME/Quib工具.ini). Where something other
// than a regular file has taken its name, the folder is simply not
// remembered: a settings object would follow a link, replace a device, or
// block for ever reading a FIFO.
std::unique_ptr<QSettings> rememberedPathStore()
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/Quib工具.ini");
    if (!isOwnFileSpot(path))
        return nullptr;
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QString rememberedPath()
{
    const auto store = rememberedPathStore();
    return store ? store->value(kSettingsKey).toString() : QString();
}

void rememberPath(const QString &path)
{
    const auto store = rememberedPathStore();
    if (!store)
        return;
    store->setValue(kSettingsKey, path);
    store->sync(); // a store that cannot be written only costs the memory of the path
}

} // namespace

FolderScanDialog::FolderScanDialog(QWidget *parent)
    : QDialog(parent), m_path(new QLineEdit(this)), m_filter(new QComboBox(this)),
      m_recurse(new QCheckBox(QStringLiteral("包含子目录"), this)),
      m_listFolders(new QCheckBox(QStringLiteral("列出文件夹名"), this)),
      m_start(new QPushButton(QStringLiteral("开始获取"), this)), m_status(new QLabel(this)),
      m_picker([this] {
          return QFileDialog::getExistingDirectory(this, QStringLiteral("请选择文件夹"));
      })
{
    setObjectName(QStringLiteral("文件名"));
    setWindowTitle(
        QStringLiteral("获取文件名称含子目录--双击文本框可选择文件夹  获取会清空原来的列表"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    m_path->setObjectName(QStringLiteral("lj"));
    m_path->setToolTip(QStringLiteral("双击清空，再双击可选择文件夹"));
    m_path->installEventFilter(this);
    auto *pathLabel = new QLabel(QStringLiteral("路径"), this);
    pathLabel->setObjectName(QStringLiteral("Label1"));
    pathLabel->setBuddy(m_path);

    m_filter->setObjectName(QStringLiteral("ComboBox1"));
    m_filter->setEditable(true);
    m_filter->addItems({QStringLiteral("*"), QStringLiteral(".xls"), QStringLiteral(".xlsx"),
                        QStringLiteral(".txt"), QStringLiteral(".doc"), QStringLiteral(".docx"),
                        QStringLiteral(".jpg"), QStringLiteral(".bmp"), QStringLiteral(".gif")});
    m_filter->setCurrentText(QStringLiteral("*"));
    auto *filterLabel = new QLabel(QStringLiteral("后缀名"), this);
    filterLabel->setObjectName(QStringLiteral("Label2"));
    filterLabel->setBuddy(m_filter);

    m_recurse->setObjectName(QStringLiteral("Check1"));
    m_recurse->setChecked(true);
    m_listFolders->setObjectName(QStringLiteral("Check2"));
    m_listFolders->setChecked(false);
    m_start->setObjectName(QStringLiteral("Command1"));
    m_start->setDefault(true);
    m_status->setObjectName(QStringLiteral("ts"));
    // A long folder path in the progress text must not widen the dialog.
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto *grid = new QGridLayout(this);
    grid->addWidget(pathLabel, 0, 0);
    grid->addWidget(m_path, 0, 1, 1, 3);
    grid->addWidget(filterLabel, 1, 0);
    grid->addWidget(m_filter, 1, 1);
    grid->addWidget(m_recurse, 1, 2);
    grid->addWidget(m_listFolders, 1, 3);
    grid->addWidget(m_status, 2, 0, 1, 3);
    grid->addWidget(m_start, 2, 3);
    grid->setColumnStretch(1, 1);
    resize(520, sizeHint().height());

    m_path->setText(rememberedPath());

    connect(m_start, &QPushButton::clicked, this, &FolderScanDialog::startScan);
}

void FolderScanDialog::setPath(const QString &path)
{
    m_path->setText(path);
}

void FolderScanDialog::setFolderPicker(FolderPicker picker)
{
    m_picker = std::move(picker);
}

bool FolderScanDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_path && event->type() == QEvent::MouseButtonDblClick) {
        clearOrPickFolder();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void FolderScanDialog::clearOrPickFolder()
{
    if (!m_path->text().isEmpty()) {
        m_path->clear();
        return;
    }
    if (!m_picker)
        return;
    QString chosen = m_picker();
    if (chosen.isEmpty())
        return;
    // The trailing separator marks a picked folder; the root already has one.
    if (!chosen.endsWith(QLatin1Char('/')))
        chosen += QLatin1Char('/');
    m_path->setText(chosen);
}

void FolderScanDialog::startScan()
{
    const QString path = m_path->text();
    if (path.isEmpty()) {
        inform(QStringLiteral("路径不能为空"));
        return;
    }
    if (!isFolder(path)) {
        inform(QStringLiteral("提供的路径不存在"));
        return;
    }
    WalkOptions options;
    options.recurse = m_recurse->isChecked();
    options.listFolders = m_listFolders->isChecked();
    options.filter = m_filter->currentText();
    if (!isValidWildcard(QLatin1Char('*') + options.filter)) {
        m_status->setText(QStringLiteral("后缀名格式不正确"));
        return;
    }

    // Rows must carry full paths even when a relative one was typed.
    const QString folder =
        QDir::isRelativePath(path) ? QDir::current().absoluteFilePath(path) : path;
    LabelProgress progress(m_status);
    const WalkResult result = FileSearchFso(folder, options, [&](const QString &subfolder) {
        progress.step([&] { return QStringLiteral("正在读取文件夹 ") + subfolder; });
    });

    rememberPath(path);
    m_lastSkippedFolders = result.skippedFolders;
    m_skippedNote.clear();
    if (result.skippedFolders > 0)
        m_skippedNote += QStringLiteral("（跳过%1个无法读取的文件夹）").arg(result.skippedFolders);
    if (result.skippedNames > 0)
        m_skippedNote += QStringLiteral("（跳过%1个名称无法识别的项目）").arg(result.skippedNames);

    if (result.paths.isEmpty()) {
        m_status->setText(QStringLiteral("未找到符合条件的文件") + m_skippedNote);
        return;
    }
    Q_EMIT filesFound(result.paths);
    close();
}

void FolderScanDialog::inform(const QString &text)
{
    QMessageBox::information(this, QStringLiteral("Quib 文件批量更名"), text);
}
