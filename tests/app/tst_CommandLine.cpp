#include "app/CommandLine.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace testsupport;

class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (const char *name : {"a.txt", "名 字.txt", "-dash.txt", "sub/c.txt"})
            writeFile(file(QString::fromUtf8(name)), "x");
        QVERIFY(QFile::link(file("gone"), file("dangling"))); // still renamable
    }

    void argumentsBecomeCleanAbsolutePaths()
    {
        const LaunchPaths launch =
            launchPathsFrom({"a.txt", "./sub/../名 字.txt", "sub/", "",
                             QUrl::fromLocalFile(file("sub/c.txt")).toString(), "dangling",
                             "nothing.txt", "http://example.org/a.txt"},
                            QDir(m_dir.path()));
        QCOMPARE(launch.paths, (QStringList{file("a.txt"), file("名 字.txt"), file("sub"),
                                            file("sub/c.txt"), file("dangling")}));
        QCOMPARE(launch.missing, (QStringList{"nothing.txt", "http://example.org/a.txt"}));

        // Latin-1 "é" is not UTF-8: decoded, it would name "\uFFFD.txt".
        const char *argv[] = {"quib", "caf\xe9.txt", "ok.txt", "\xe5\x90\x8d.txt"};
        QByteArrayList undecodable;
        QCOMPARE(decodeArguments(4, argv, undecodable), (QStringList{"quib", "ok.txt", "名.txt"}));
        QCOMPARE(undecodable, QByteArrayList{"caf\xe9.txt"});
    }

    void programAnswersOptionsWithoutADisplayAndNamesMissingPaths()
    {
        // The program built next to the tests (build/quib, tests in build/tests).
        const QString quib = QCoreApplication::applicationDirPath() + QStringLiteral("/../quib");
        QVERIFY2(QFileInfo::exists(quib), "build the quib target before this test");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        // The window remembers settings; keep the user's untouched.
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), file("config"));
        // Qt's own words in the help are Chinese where its translation is installed.
        const bool qtSpeaksChinese =
            QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                          QStringLiteral("/qtbase_zh_CN.qm"));
        struct Case
        {
            const char *platform;
            int exitCode;
            QByteArray out, err; // how stdout starts, what stderr holds
            QStringList arguments;
        };
        const QList<Case> cases = {
            {"xcb", 0, "quib " QUIB_VERSION "\n", "", {"--version"}},
            {"xcb", 0, qtSpeaksChinese ? "用法：quib " : "Usage: quib ", "", {"--help"}},
            {"xcb", 1, "", "no-such-option", {"--no-such-option"}},
            // Starts with what exists; only the missing path is reported.
            {"offscreen", 0, "", "quib: x:", {"--quit-after-first-paint", "--", "-dash.txt", "x"}},
        };
        for (const Case &c : cases) {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(c.platform));
            QProcess process;
            process.setProcessEnvironment(env);
            process.setWorkingDirectory(m_dir.path());
            process.start(quib, c.arguments);
            QVERIFY(process.waitForFinished(30000));
            const QByteArray out = process.readAllStandardOutput();
            const QByteArray err = process.readAllStandardError();
            QVERIFY2(process.exitStatus() == QProcess::NormalExit &&
                         process.exitCode() == c.exitCode && out.startsWith(c.out) &&
                         err.contains(c.err) && err.count("quib: ") <= 1,
                     qPrintable(c.arguments.join(' ') + '\n' + out + err));
        }
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_CommandLine.moc"
