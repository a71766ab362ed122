#include "app/CommandLine.h"
#include "app/Form1.h"
#include "list/FileListModel.h"
#include "support/TestSupport.h"

#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace testsupport;

class TestCommandLine : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString file(const QString &name) const { return m_dir.filePath(name); }

    // The program built next to the tests (build/quib, tests in build/tests).
    static QString quibBinary()
    {
        return QCoreApplication::applicationDirPath() + QStringLiteral("/../quib");
    }

    QProcessEnvironment quibEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // The folder scan remembers its folder in the settings; keep the
        // user's untouched.
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), file(QStringLiteral("config")));
        return env;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        writeFile(file(QStringLiteral("a.txt")), "a");
        writeFile(file(QStringLiteral("名 字.txt")), "b");
        writeFile(file(QStringLiteral("-dash.txt")), "c");
        writeFile(file(QStringLiteral("sub/c.txt")), "c");
    }

    void argumentsBecomeCleanAbsolutePaths()
    {
        const QDir work(m_dir.path());
        const LaunchPaths launch = launchPathsFrom(
            {QStringLiteral("a.txt"), QStringLiteral("./sub/../名 字.txt"), QStringLiteral("sub/"),
             QString(), file(QStringLiteral("-dash.txt")),
             QUrl::fromLocalFile(file(QStringLiteral("sub/c.txt"))).toString(),
             QStringLiteral("nothing.txt"), QStringLiteral("http://example.org/a.txt")},
            work);
        QCOMPARE(launch.paths,
                 (QStringList{file(QStringLiteral("a.txt")), file(QStringLiteral("名 字.txt")),
                              file(QStringLiteral("sub")), file(QStringLiteral("-dash.txt")),
                              file(QStringLiteral("sub/c.txt"))}));
        QCOMPARE(launch.missing, (QStringList{QStringLiteral("nothing.txt"),
                                              QStringLiteral("http://example.org/a.txt")}));
    }

    void danglingLinkIsKept()
    {
        QVERIFY(QFile::link(file(QStringLiteral("gone")), file(QStringLiteral("dangling"))));
        const LaunchPaths launch =
            launchPathsFrom({QStringLiteral("dangling")}, QDir(m_dir.path()));
        QCOMPARE(launch.paths, QStringList{file(QStringLiteral("dangling"))});
        QVERIFY(QFile::remove(file(QStringLiteral("dangling"))));
    }

    void undecodableNamesAreLeftOut()
    {
        // Latin-1 bytes of "é" are not UTF-8: decoded, they would name "\uFFFD.txt".
        const char *argv[] = {"quib", "caf\xe9.txt", "ok.txt", "\xe5\x90\x8d.txt"};
        QByteArrayList undecodable;
        const QStringList arguments = decodeArguments(4, argv, undecodable);
        QCOMPARE(arguments, (QStringList{QStringLiteral("quib"), QStringLiteral("ok.txt"),
                                         QStringLiteral("名.txt")}));
        QCOMPARE(undecodable, QByteArrayList{"caf\xe9.txt"});
    }

    // What main() does with them: files become rows, one folder opens the scan.
    void launchPathsReachTheListAsADrop()
    {
        Form1 window;
        window.show();
        const QDir work(m_dir.path());
        window.addDroppedPaths(
            launchPathsFrom({QStringLiteral("a.txt"), QStringLiteral("名 字.txt")}, work).paths);
        QCOMPARE(window.model().count(), 2);
        QStringList names;
        for (int i = 0; i < window.model().count(); ++i)
            names.push_back(window.model().entry(i).fullPath);
        names.sort();
        QCOMPARE(names,
                 (QStringList{file(QStringLiteral("a.txt")), file(QStringLiteral("名 字.txt"))}));

        Form1 other;
        other.show();
        other.addDroppedPaths(launchPathsFrom({QStringLiteral("sub/")}, work).paths);
        QCOMPARE(other.model().count(), 0);
        auto *scan = other.findChild<QDialog *>(QStringLiteral("文件名"));
        QVERIFY(scan && scan->isVisible());
        QCOMPARE(scan->findChild<QLineEdit *>(QStringLiteral("lj"))->text(),
                 file(QStringLiteral("sub")));
    }

    void programReportsVersionAndRefusesUnknownOptions()
    {
        QVERIFY2(QFileInfo::exists(quibBinary()), "build the quib target before this test");
        // Both answer before the program looks for a display: none here.
        QProcessEnvironment noDisplay = quibEnvironment();
        noDisplay.remove(QStringLiteral("DISPLAY"));
        noDisplay.remove(QStringLiteral("WAYLAND_DISPLAY"));
        noDisplay.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        QProcess quib;
        quib.setProcessEnvironment(noDisplay);
        quib.start(quibBinary(), {QStringLiteral("--version")});
        QVERIFY(quib.waitForFinished(30000));
        QCOMPARE(quib.exitCode(), 0);
        QCOMPARE(quib.readAllStandardOutput().trimmed(), QByteArray("quib " QUIB_VERSION));

        quib.start(quibBinary(), {QStringLiteral("--help")});
        QVERIFY(quib.waitForFinished(30000));
        QCOMPARE(quib.exitCode(), 0);
        QVERIFY(quib.readAllStandardOutput().startsWith("Usage: quib "));

        quib.start(quibBinary(), {QStringLiteral("--no-such-option")});
        QVERIFY(quib.waitForFinished(30000));
        QCOMPARE(quib.exitStatus(), QProcess::NormalExit);
        QCOMPARE(quib.exitCode(), 1);
        QVERIFY(quib.readAllStandardError().contains("no-such-option"));
    }

    void programStartsWithPathsAndNamesTheMissingOnes()
    {
        QProcess quib;
        quib.setProcessEnvironment(quibEnvironment());
        quib.setWorkingDirectory(m_dir.path());
        quib.start(quibBinary(), {QStringLiteral("a.txt"), QStringLiteral("--"),
                                  QStringLiteral("-dash.txt"), QStringLiteral("missing.txt")});
        QVERIFY(quib.waitForStarted(30000));
        // It stays up with its window rather than stopping on the bad path.
        QVERIFY(!quib.waitForFinished(1500));
        quib.terminate();
        QVERIFY(quib.waitForFinished(10000));
        const QByteArray errors = quib.readAllStandardError();
        QVERIFY2(errors.contains("missing.txt"), errors.constData());
        QVERIFY2(!errors.contains("dash.txt") && !errors.contains("a.txt"), errors.constData());
        QVERIFY(QFileInfo::exists(file(QStringLiteral("a.txt"))));
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_CommandLine.moc"
