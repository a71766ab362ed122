#include "app/AboutDialog.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

// Stands in for the browser: records the pages the dialog asks to open.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

class TestAboutDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsNameVersionAndOpensLinks()
    {
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler("https", &recorder, "open");
        QPointer<AboutDialog> dialog = new AboutDialog;
        dialog->show();
        QCOMPARE(dialog->objectName(), QStringLiteral("关于作者"));

        const QList<QLabel *> labels = dialog->findChildren<QLabel *>();
        const auto shows = [&labels](const QString &text) {
            return std::any_of(labels.begin(), labels.end(),
                               [&text](const QLabel *l) { return l->text() == text; });
        };
        QVERIFY(shows(QStringLiteral("Quib 文件批量重命名")));
        QVERIFY(shows(QStringLiteral("V1.21 20190129")));

        auto *home = dialog->findChild<QLabel *>("homeLink");
        QVERIFY(home);
        Q_EMIT home->linkActivated("https://quib.example.org/");
        QCOMPARE(recorder.opened, QList<QUrl>{QUrl("https://quib.example.org/")});

        QTest::mouseClick(dialog->findChild<QPushButton *>("closeButton"), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog.isNull());
        QDesktopServices::unsetUrlHandler("https");
    }
};

QTEST_MAIN(TestAboutDialog)
#include "tst_AboutDialog.moc"
