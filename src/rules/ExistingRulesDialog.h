#pragma once

#include <QDialog>

class RowStore;
class QPlainTextEdit;

// "根据已有规则命名": the user pastes a one- or two-column list of names
// and imports it into the previews of the main list. Shown without blocking
// the main window; deletes itself when closed.
class ExistingRulesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ExistingRulesDialog(RowStore &rows, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The text as the import reads it: each line break of the box becomes
    // CR LF, the line end a pasted spreadsheet column carries.
    QString importText() const;
    void fillWithOriginalNames();
    void importIntoList();

    RowStore &m_rows;
    QPlainTextEdit *m_text = nullptr;
};
