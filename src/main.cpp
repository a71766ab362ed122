#include "app/CommandLine.h"
#include "app/Form1.h"

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

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setApplicationName(QStringLiteral("quib"));
    QApplication::setApplicationVersion(QStringLiteral(QUIB_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quib"));

    // The arguments are read before the application connects to a display,
    // so --help and --version work without one.
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
    if (parser.isSet(help)) {
        // Without an application object yet the parser cannot know our name.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("quib"));
        std::fputs(qUtf8Printable(text), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("quib %s\n", QUIB_VERSION);
        return 0;
    }

    const LaunchPaths launch = launchPathsFrom(parser.positionalArguments(), QDir::current());
    for (const QString &missing : launch.missing)
        std::fprintf(stderr, "quib: %s: 文件不存在\n", qUtf8Printable(missing));

    QApplication app(argc, argv);
    Form1 window;
    if (parser.isSet(quitWhenPainted))
        new QuitAfterFirstPaint(&window);
    window.show();
    // Added as a drop adds them; a single folder opens the folder scan.
    if (!launch.paths.isEmpty())
        window.addDroppedPaths(launch.paths);
    return app.exec();
}
