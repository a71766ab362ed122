#include "app/Form1.h"
#include "list/FileListView.h"
#include "scan/FolderScanDialog.h"
#include "support/WidgetSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

class FolderScanDialogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scanThroughTheMainWindow()
    {
        QTemporaryDir config, tmp;
        // Before the first settings object exists, so the store lands here.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        const QString d = tmp.path();
        for (const char *name : {"a.txt", "s/b.txt", "x.jpg"})
            writeFile(d + "/" + name);
        // Latin-1 bytes that are no UTF-8: a row for them would name another path.
        const QByteArray raw = QFile::encodeName(d) + "/caf\xe9.txt";
        QVERIFY(::close(::open(raw.constData(), O_CREAT | O_WRONLY, 0644)) == 0);
        Form1 window;
        auto *ts = namedChild<QLabel>(&window, "ts"); // before the dialog brings its own
        auto *list = namedChild<FileListView>(&window, "L1");
        dropOn(list->viewport(), {d + "/x.jpg"});
        dropOn(list->viewport(), {d + "/x.jpg"}); // one row, and a word about it
        QCOMPARE(ts->text(), QStringLiteral("部分文件已添加"));
        dropOn(list->viewport(), {d}); // a single folder opens the scan on it
        auto *dialog = namedChild<FolderScanDialog>(&window, "文件名");
        auto *path = namedChild<QLineEdit>(dialog, "lj");
        const auto start = [&](const QString &folder, const char *filter) {
            path->setText(folder);
            namedChild<QComboBox>(dialog, "ComboBox1")->setCurrentText(filter);
            QTest::mouseClick(namedChild<QPushButton>(dialog, "Command1"), Qt::LeftButton);
            return namedChild<QLabel>(dialog, "ts")->text();
        };
        QString said;
        answerNextMessageBox(&said);
        start(d + "/a.txt", "*");
        QCOMPARE(said, QStringLiteral("提供的路径不存在"));
        for (const char *filter : {"[txt", "[!", "[z-a]"})
            QCOMPARE(start(d, filter), QStringLiteral("后缀名格式不正确"));
        QCOMPARE(columnOf(window.model(), RenameEntry::FullPath), QStringList{d + "/x.jpg"});

        // A scan that finds files replaces the rows and closes; what it left
        // out is said in the window.
        start(d, ".txt");
        QCOMPARE(columnOf(window.model(), RenameEntry::FullPath),
                 QStringList({d + "/a.txt", d + "/s/b.txt"}));
        QCOMPARE(ts->text(), QStringLiteral("（跳过1个名称无法识别的项目）"));
        QTRY_VERIFY(!window.findChild<FolderScanDialog *>());
        ::unlink(raw.constData()); // QTemporaryDir cannot name it

        // The next dialog starts from the scanned folder, kept in the settings.
        QVERIFY(QFile::exists(config.path() + QStringLiteral("/Quib工具.ini")));
        FolderScanDialog fresh;
        QCOMPARE(namedChild<QLineEdit>(&fresh, "lj")->text(), d);

        // A link in the settings file's place is neither followed nor replaced,
        // and a FIFO there does not block the dialog: the folder is simply not
        // remembered.
        const QByteArray ini = QFile::encodeName(config.path() + QStringLiteral("/Quib工具.ini"));
        const QString victim = tmp.path() + QStringLiteral("/victim");
        writeFile(victim, "[x]\nkeep=1\n");
        QVERIFY(::unlink(ini.constData()) == 0);
        QVERIFY(::symlink(QFile::encodeName(victim).constData(), ini.constData()) == 0);
        dropOn(list->viewport(), {d});
        dialog = namedChild<FolderScanDialog>(&window, "文件名");
        path = namedChild<QLineEdit>(dialog, "lj");
        start(d + "/s", "*");
        QCOMPARE(readFile(victim), QByteArray("[x]\nkeep=1\n"));
        QVERIFY(QFileInfo(QFile::decodeName(ini)).isSymLink());

        QVERIFY(::unlink(ini.constData()) == 0);
        QVERIFY(::mkfifo(ini.constData(), 0600) == 0);
        // Should the dialog block on the FIFO after all, a writer frees it and the test fails.
        std::atomic<bool> opened{false};
        std::atomic<bool> rescued{false};
        std::thread rescue([&] {
            for (int i = 0; i < 100 && !opened; ++i)
                QThread::msleep(50);
            if (!opened)
                rescued = ::close(::open(ini.constData(), O_WRONLY | O_NONBLOCK)) == 0;
        });
        {
            FolderScanDialog unblocked;
            opened = true;
            rescue.join();
            QVERIFY(!rescued);
            QCOMPARE(namedChild<QLineEdit>(&unblocked, "lj")->text(), QString());
        }
    }
};

QTEST_MAIN(FolderScanDialogTest)
#include "tst_FolderScanDialog.moc"
