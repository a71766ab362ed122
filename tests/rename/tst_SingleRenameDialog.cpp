#include "list/FileListModel.h"
#include "rename/SingleRenameDialog.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

class TestSingleRenameDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesTheRowItWasOpenedForAndNothingElse()
    {
        FileListModel model;
        RowStore &rows = model.store();
        rows.appendPaths({"/d/a/report.txt", "/d/a/photo.jpg", "/d/a/notes.md"});
        rows.setCell(1, RenameEntry::PreviewName, "holiday");
        QPointer<SingleRenameDialog> dialog;
        QLineEdit *text = nullptr;
        const auto open = [&](int row) { // a closed dialog deletes itself
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (!dialog)
                dialog = new SingleRenameDialog(model);
            dialog->openFor(row);
            text = dialog->findChild<QLineEdit *>("Text1");
        };
        const auto click = [&](const char *name) {
            QTest::mouseClick(dialog->findChild<QPushButton *>(name), Qt::LeftButton);
        };
        const auto previews = [&] {
            return rows.entry(0).previewName + u'|' + rows.entry(1).previewName;
        };

        open(1);
        open(0); // opened again while open: refilled for that row, all selected
        QCOMPARE(text->selectedText(), QStringLiteral("report"));
        QTest::keyClicks(text, " new.txt "); // kept as typed
        rows.setSort(RenameEntry::OriginalName, Qt::AscendingOrder);
        QVERIFY(rows.moveRowTo(2, 1)); // notes, report, photo
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(previews() + u'|' + rows.entry(2).previewName,
                 QStringLiteral("| new.txt |holiday"));

        // Nothing for a row removed meanwhile, a text emptied by a double
        // click, an Escape, or a cancel.
        for (int way = 0; way < 4; ++way) {
            open(1);
            QTest::keyClicks(text, "x");
            if (way == 0)
                rows.removeRowsAt({1});
            if (way == 1)
                QTest::mouseDClick(text, Qt::LeftButton);
            if (way == 2)
                QTest::keyClick(text, Qt::Key_Escape);
            else
                click(way == 3 ? "Command2" : "Command1");
            QCOMPARE(previews(), QStringLiteral("|holiday"));
        }
    }
};

QTEST_MAIN(TestSingleRenameDialog)
#include "tst_SingleRenameDialog.moc"
