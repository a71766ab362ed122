#include "app/Form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quib"));
    QApplication::setApplicationVersion(QStringLiteral(QUIB_VERSION));
    Form1 window;
    window.show();
    return app.exec();
}
