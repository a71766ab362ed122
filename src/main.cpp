#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/QtChinese.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEvent>
#include <QTimer>

#include <cstdio>

namespace {

// Ends the program once the window has been painted, so that start-up can
// be timed from outside, the process's own start included.
class QuitAfterFirstPaint : public QObject
{
public:
    explicit QuitAfterFirstPaint(QWidget *window) : QObject(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Queued: the paint runs and reaches the screen first.
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

// What the command line asks of the window.
struct StartUp
{
    LaunchPaths launch;
    bool quitAfterFirstPaint = false;
};

// Reads the command line into `startUp`. Returns the exit status when the
// program is done (help, version, a bad option), -1 when it goes on.
int readCommandLine(int &argc, char **argv, StartUp &startUp)
{
    QCoreApplication parsing(argc, argv);
    installQtChinese(parsing);

    QByteArrayList undecodable;
    const QStringList arguments = decodeArguments(argc, argv, undecodable);
    for (const QByteArray &bytes : std::as_const(undecodable))
        std::fprintf(stderr, "quib: %s: 无法识别的文件名编码\n", bytes.constData());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quib 文件批量重命名"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    QCommandLineOption quitWhenPainted(QStringLiteral("quit-after-first-paint"));
    quitWhenPainted.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(quitWhenPainted);
    parser.addPositionalArgument(QStringLiteral("paths"),
                                 QStringLiteral("要添加到列表中的文件和文件夹"),
                                 QStringLiteral("[路径...]"));
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "quib: %s\n", qUtf8Printable(parser.errorText()));
        return 1;
    }
    // --help-all comes with a core application. Qt's options for windows
    // (-style, -platform) are not known to one, so both say the same.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // The usage line names the command to type, not the path this copy
        // was started from.
        QString text = parser.helpText();
        const QString started = QCoreApplication::arguments().constFirst();
        if (const qsizetype at = text.indexOf(started); at >= 0)
            text.replace(at, started.size(), QStringLiteral("quib"));
        std::fputs(qUtf8Printable(text), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("quib %s\n", QUIB_VERSION);
        return 0;
    }

    startUp.launch = launchPathsFrom(parser.positionalArguments(), QDir::current());
    for (const QString &missing : std::as_const(startUp.launch.missing))
        std::fprintf(stderr, "quib: %s: 文件不存在\n", qUtf8Printable(missing));
    startUp.quitAfterFirstPaint = parser.isSet(quitWhenPainted);
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setApplicationName(QStringLiteral("quib"));
    QApplication::setApplicationVersion(QStringLiteral(QUIB_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quib"));

    // The arguments are read before the application connects to a display,
    // so --help and --version work without one. A core application of their
    // own lets the parser's texts and errors speak Chinese.
    StartUp startUp;
    if (const int status = readCommandLine(argc, argv, startUp); status >= 0)
        return status;

    QApplication app(argc, argv);
    installQtChinese(app);
    Form1 window;
    if (startUp.quitAfterFirstPaint)
        new QuitAfterFirstPaint(&window);
    window.show();
    // Added as a drop adds them; a single folder opens the folder scan.
    if (!startUp.launch.paths.isEmpty())
        window.addDroppedPaths(startUp.launch.paths);
    return app.exec();
}
