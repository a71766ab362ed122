#include "scan/FolderScanDialog.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// Owns a dialog that may delete itself when it closes.
class OpenDialog
{
public:
    OpenDialog() : m_dialog(new FolderScanDialog) { m_dialog->show(); }
    ~OpenDialog() { delete m_dialog.data(); }
    OpenDialog(const OpenDialog &) = delete;
    OpenDialog &operator=(const OpenDialog &) = delete;

    FolderScanDialog *get() const { return m_dialog.data(); }
    QLineEdit *path() const { return m_dialog->findChild<QLineEdit *>(QStringLiteral("lj")); }
    QComboBox *filter() const
    {
        return m_dialog->findChild<QComboBox *>(QStringLiteral("ComboBox1"));
    }
    QCheckBox *check(const char *name) const
    {
        return m_dialog->findChild<QCheckBox *>(QLatin1String(name));
    }
    QLabel *status() const { return m_dialog->findChild<QLabel *>(QStringLiteral("ts")); }

    void start() const
    {
        QTest::mouseClick(m_dialog->findChild<QPushButton *>(QStringLiteral("Command1")),
                          Qt::LeftButton);
    }

    // Presses the start button and answers the message box it opens; returns
    // "title|text" of that box, or "" when none came up.
    QString startExpectingMessage() const
    {
        QString seen;
        int attempts = 0;
        // Timers die with this context, so none outlives the locals it uses.
        QObject context;
        std::function<void()> answer = [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box) {
                if (++attempts < 100)
                    QTimer::singleShot(10, &context, answer);
                return;
            }
            seen = box->windowTitle() + QLatin1Char('|') + box->text();
            box->accept();
        };
        QTimer::singleShot(0, &context, answer);
        start();
        return seen;
    }

private:
    QPointer<FolderScanDialog> m_dialog;
};

} // namespace

class FolderScanDialogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        // Before the first settings object exists, so the store lands here.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    void wrongPathsAreAnsweredAndNothingIsRemembered()
    {
        QTemporaryDir tmp;
        testsupport::writeFile(tmp.path() + "/file.txt");
        const QString title = QStringLiteral("Quib 文件批量更名|");

        OpenDialog dlg;
        QSignalSpy found(dlg.get(), &FolderScanDialog::filesFound);
        dlg.path()->setText(QString());
        QCOMPARE(dlg.startExpectingMessage(), title + QStringLiteral("路径不能为空"));
        dlg.path()->setText(tmp.path() + "/missing");
        QCOMPARE(dlg.startExpectingMessage(), title + QStringLiteral("提供的路径不存在"));
        dlg.path()->setText(tmp.path() + "/file.txt");
        QCOMPARE(dlg.startExpectingMessage(), title + QStringLiteral("提供的路径不存在"));

        // A filter with an unclosed bracket is reported in the dialog.
        dlg.path()->setText(tmp.path());
        dlg.filter()->setCurrentText(QStringLiteral("[txt"));
        QCOMPARE(dlg.startExpectingMessage(), QString());
        QCOMPARE(dlg.status()->text(), QStringLiteral("后缀名格式不正确"));

        QCOMPARE(found.count(), 0);
        QVERIFY(dlg.get());
        QVERIFY(dlg.get()->isVisible());
        QVERIFY(!QFile::exists(settingsFile()));
    }

    void nothingFoundStillRemembersThePath()
    {
        QTemporaryDir tmp;
        testsupport::writeFile(tmp.path() + "/a.TXT");
        testsupport::writeFile(tmp.path() + "/~$b.txt");
        const QString typed = tmp.path() + "/";
        {
            OpenDialog dlg;
            QSignalSpy found(dlg.get(), &FolderScanDialog::filesFound);
            dlg.path()->setText(typed);
            dlg.filter()->setCurrentText(QStringLiteral(".txt"));
            dlg.start();
            QCOMPARE(dlg.status()->text(), QStringLiteral("未找到符合条件的文件"));
            QCOMPARE(found.count(), 0);
            QVERIFY(dlg.get() && dlg.get()->isVisible());
        }
        QVERIFY(QFile::exists(settingsFile()));

        OpenDialog fresh;
        QCOMPARE(fresh.path()->text(), typed);
        QCOMPARE(fresh.filter()->currentText(), QStringLiteral("*"));
    }

    void scanEmitsThePathsAndCloses()
    {
        QTemporaryDir tmp;
        const QString d = tmp.path();
        testsupport::writeFile(d + "/1.jpg");
        testsupport::writeFile(d + "/s/2.jpg");
        testsupport::writeFile(d + "/s/note.txt");

        OpenDialog dlg;
        QSignalSpy found(dlg.get(), &FolderScanDialog::filesFound);
        dlg.get()->setPath(d);
        dlg.filter()->setCurrentText(QStringLiteral(".jpg"));
        dlg.check("Check2")->setChecked(true);
        dlg.start();

        QCOMPARE(found.count(), 1);
        QCOMPARE(found.at(0).at(0).toStringList(),
                 QStringList({d + "/1.jpg", d + "/s/2.jpg", d + "/s"}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dlg.get());

        OpenDialog fresh;
        QCOMPARE(fresh.path()->text(), d);
    }

    void doubleClickEmptiesThenPicks()
    {
        OpenDialog dlg;
        int picks = 0;
        QString answer = QStringLiteral("/srv/photos");
        dlg.get()->setFolderPicker([&] {
            ++picks;
            return answer;
        });
        dlg.path()->setText(QStringLiteral("/somewhere"));

        QTest::mouseDClick(dlg.path(), Qt::LeftButton);
        QCOMPARE(dlg.path()->text(), QString());
        QCOMPARE(picks, 0);

        QTest::mouseDClick(dlg.path(), Qt::LeftButton);
        QCOMPARE(picks, 1);
        QCOMPARE(dlg.path()->text(), QStringLiteral("/srv/photos/"));

        // A cancelled picker leaves the box as it was.
        dlg.path()->clear();
        answer.clear();
        QTest::mouseDClick(dlg.path(), Qt::LeftButton);
        QCOMPARE(picks, 2);
        QCOMPARE(dlg.path()->text(), QString());
    }

private:
    QString settingsFile() const { return m_config.path() + QStringLiteral("/Quib工具.ini"); }

    QTemporaryDir m_config;
};

QTEST_MAIN(FolderScanDialogTest)
#include "tst_FolderScanDialog.moc"
