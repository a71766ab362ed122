#pragma once

#include <QDialog>

// "关于作者": the program's name and version, a short update log and links
// to the project's pages, opened in the system's browser.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);
};
