#pragma once

#include "list/FileListModel.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// Answers the next modal message box: records its text (and, when asked,
// the captions of its buttons) and closes it. Call before the action that
// opens the box.
inline void answerNextMessageBox(QString *text, int timeoutMs = 3000,
                                 QStringList *buttonTexts = nullptr)
{
    auto *timer = new QTimer(qApp);
    auto *elapsed = new int(0);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, text, elapsed, timeoutMs, buttonTexts] {
        *elapsed += 20;
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            if (text)
                *text = box->text();
            if (buttonTexts) {
                const QList<QAbstractButton *> buttons = box->buttons();
                for (const QAbstractButton *button : buttons)
                    buttonTexts->push_back(button->text());
            }
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

// The child of root with this object name; a missing one ends the test run,
// since every later step would only report the same thing.
template <typename T> T *namedChild(const QObject *root, const QString &name)
{
    T *child = root->findChild<T *>(name);
    if (!child)
        qFatal("no child %s", qPrintable(name));
    return child;
}

// One column of every row, top to bottom.
inline QStringList columnOf(const FileListModel &model, int column)
{
    return columnOf(model.store(), column);
}

// Drops entries of this folder onto target as a file manager would,
// creating the missing ones: files with their name as content, folders for
// names ending in "/".
inline void dropFilesOf(QWidget *target, const QString &folder, const QStringList &names)
{
    QStringList paths;
    for (QString name : names) {
        if (name.endsWith(QLatin1Char('/'))) {
            name.chop(1);
            QDir(folder).mkpath(name);
        }
        const QString path = QDir(folder).filePath(name);
        if (!QFileInfo::exists(path))
            writeFile(path, name.toUtf8());
        paths.push_back(path);
    }
    dropOn(target, paths);
}

// Puts a stand-in xdg-open first in PATH that appends each path it is asked
// to open to a log, so no real program starts. Returns the log's path.
inline QString installRecordingOpener(const QString &binFolder)
{
    const QString opener = QDir(binFolder).filePath(QStringLiteral("xdg-open"));
    const QString log = QDir(binFolder).filePath(QStringLiteral("opened.log"));
    writeFile(opener, QByteArray("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '") + log.toUtf8() + "'\n");
    QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", (binFolder + QLatin1Char(':')).toUtf8() + qgetenv("PATH"));
    return log;
}

} // namespace testsupport
