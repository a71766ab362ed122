#pragma once

#include <QObject>
#include <QStringList>

class QWidget;

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
