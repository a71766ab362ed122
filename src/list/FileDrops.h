#pragma once

#include <QObject>
#include <QStringList>

class QMimeData;
class QWidget;

// The local files a drag carries, as the list takes them: in the file
// manager's order, a folder without its trailing "/", and none whose bytes
// would not survive decoding (that text would name another file, or none).
QStringList localPathsOf(const QMimeData *data);

// True when a drag carries at least one local file.
bool carriesFiles(const QMimeData *data);

// Makes other widgets take a drop of files as the list does: the hint over
// the empty list, the list's header and scroll bars. Other drags are left to
// the widgets themselves.
class FileDropForwarder : public QObject
{
    Q_OBJECT

public:
    explicit FileDropForwarder(QObject *parent);

    void watch(QWidget *widget);

Q_SIGNALS:
    void filesDropped(const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Keeps dropped files out of a text box, which would otherwise type their
// file:// addresses into it and so into every preview; plain text may still
// be dropped there.
class FileDropBlocker : public QObject
{
    Q_OBJECT

public:
    explicit FileDropBlocker(QObject *parent);

    void watch(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
