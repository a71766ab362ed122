#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <QDragEnterEvent>
#include <QDropEvent>

#include <functional>

namespace testsupport {

// Sends the events a file manager's drop produces to a widget: enter, move,
// drop, with the paths as file URLs. Returns the drop's accepted action.
inline Qt::DropAction dropOn(QWidget *target, const QStringList &paths,
                             const QString &plainText = QString())
{
    QMimeData data;
    if (!paths.isEmpty()) {
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls.push_back(QUrl::fromLocalFile(p));
        data.setUrls(urls);
    }
    if (!plainText.isEmpty())
        data.setText(plainText);
    const QPoint pos(target->width() / 2, target->height() / 2);
    QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(pos), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

// Answers the next modal message box: records its text and closes it.
// Call before the action that opens the box.
inline void answerNextMessageBox(QString *text, int timeoutMs = 3000)
{
    auto *timer = new QTimer(qApp);
    auto *elapsed = new int(0);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, text, elapsed, timeoutMs] {
        *elapsed += 20;
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            if (text)
                *text = box->text();
            box->accept();
        } else if (*elapsed < timeoutMs) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        delete elapsed;
    });
    timer->start();
}

} // namespace testsupport
