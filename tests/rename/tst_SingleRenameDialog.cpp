#include "list/FileListModel.h"
#include "rename/SingleRenameDialog.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

class TestSingleRenameDialog : public QObject
{
    Q_OBJECT

private:
    FileListModel m_model;
    QPointer<SingleRenameDialog> m_dialog;

    QLineEdit *text() const { return m_dialog->findChild<QLineEdit *>("Text1"); }
    void click(const char *name) const
    {
        QTest::mouseClick(m_dialog->findChild<QPushButton *>(QString::fromLatin1(name)),
                          Qt::LeftButton);
    }
    bool closedAndDeleted() const
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return m_dialog.isNull();
    }
    QString preview(int row) const { return m_model.entry(row).previewName; }

private Q_SLOTS:
    void init()
    {
        m_model.clear();
        m_model.appendPaths({"/d/a/report.txt", "/d/a/photo.jpg", "/d/a/notes.md"});
        m_dialog = new SingleRenameDialog(m_model);
    }

    void cleanup() { delete m_dialog.data(); }

    void opensWithTheNameFullySelected()
    {
        m_model.setCell(1, RenameEntry::PreviewName, "holiday");
        m_dialog->openFor(0);
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("单个文件重命名"));
        QCOMPARE(text()->text(), QStringLiteral("report"));
        QCOMPARE(text()->selectedText(), QStringLiteral("report"));

        // Opened again while open: refilled for the new row.
        m_dialog->openFor(1);
        QCOMPARE(text()->text(), QStringLiteral("holiday"));
        QCOMPARE(text()->selectionStart(), 0);
        QCOMPARE(text()->selectedText(), QStringLiteral("holiday"));
        click("Command1");
        QCOMPARE(preview(1), QStringLiteral("holiday"));
        QCOMPARE(preview(0), QString());
    }

    void acceptWritesTheTypedNameAsIs()
    {
        m_dialog->openFor(0);
        QTest::keyClicks(text(), " new.txt ");
        click("Command1");
        QCOMPARE(preview(0), QStringLiteral(" new.txt "));
        QCOMPARE(m_model.entry(0).extension, QStringLiteral(".txt"));
        QCOMPARE(m_model.entry(0).tempName, QStringLiteral("report"));
        QVERIFY(closedAndDeleted());
    }

    void unchangedTextSetsTheOriginalName()
    {
        m_dialog->openFor(2);
        QTest::keyClick(text(), Qt::Key_Return);
        QCOMPARE(preview(2), QStringLiteral("notes"));
        QVERIFY(closedAndDeleted());
    }

    // The dialog writes the row it was opened for, wherever a sort or a
    // manual move has taken it meanwhile.
    void writesTheRowItWasOpenedFor()
    {
        m_dialog->openFor(0); // "report"
        QTest::keyClicks(text(), "summary");
        m_model.setSort(RenameEntry::OriginalName, Qt::AscendingOrder);
        QCOMPARE(m_model.entry(0).originalName, QStringLiteral("notes"));
        QVERIFY(m_model.moveRowTo(2, 1));
        click("Command1");
        QCOMPARE(m_model.entry(1).originalName, QStringLiteral("report"));
        QCOMPARE(preview(1), QStringLiteral("summary"));
        QCOMPARE(preview(0) + preview(2), QString());
    }

    void removedRowGetsNothing()
    {
        m_dialog->openFor(1);
        QTest::keyClicks(text(), "gone");
        m_model.removeRowsAt({1});
        click("Command1");
        QCOMPARE(m_model.count(), 2);
        QCOMPARE(preview(0), QString());
        QCOMPARE(preview(1), QString());
        QVERIFY(closedAndDeleted());
    }

    void clearedTextClosesWithoutWriting()
    {
        m_model.setCell(0, RenameEntry::PreviewName, "kept");
        m_dialog->openFor(0);
        QTest::mouseDClick(text(), Qt::LeftButton);
        QCOMPARE(text()->text(), QString());
        click("Command1");
        QCOMPARE(preview(0), QStringLiteral("kept"));
        QVERIFY(closedAndDeleted());
    }

    void cancelAndEscapeWriteNothing()
    {
        m_dialog->openFor(0);
        QTest::keyClicks(text(), "x");
        click("Command2");
        QCOMPARE(preview(0), QString());
        QVERIFY(closedAndDeleted());

        m_dialog = new SingleRenameDialog(m_model);
        m_dialog->openFor(1);
        QTest::keyClicks(text(), "y");
        QTest::keyClick(text(), Qt::Key_Escape);
        QCOMPARE(preview(1), QString());
        QVERIFY(closedAndDeleted());
    }

    void rowOutOfRangeIsIgnored()
    {
        m_dialog->openFor(7);
        m_dialog->openFor(-1);
        QVERIFY(!m_dialog->isVisible());
    }
};

QTEST_MAIN(TestSingleRenameDialog)
#include "tst_SingleRenameDialog.moc"
