#include "list/FileListModel.h"
#include "rules/ExistingRulesDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

QStringList previews(const FileListModel &model)
{
    QStringList out;
    for (const RenameEntry &e : model.entries())
        out.append(e.previewName);
    return out;
}

void settleDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestExistingRulesDialog : public QObject
{
    Q_OBJECT

private:
    FileListModel m_model;
    QPointer<ExistingRulesDialog> m_dialog;

    QPlainTextEdit *text() const { return m_dialog->findChild<QPlainTextEdit *>("Text1"); }
    QPushButton *button(const char *name) const
    {
        return m_dialog->findChild<QPushButton *>(QString::fromLatin1(name));
    }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

private Q_SLOTS:
    void init()
    {
        m_model.clear();
        m_dialog = new ExistingRulesDialog(m_model);
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
    }

    void cleanup()
    {
        delete m_dialog.data();
        QApplication::clipboard()->clear();
    }

    void opensEmptyWithTheHint()
    {
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("根据已有规则命名"));
        QVERIFY(text()->toPlainText().isEmpty());
        const auto *hint = m_dialog->findChild<QLabel *>("ts");
        QVERIFY(hint);
        QVERIFY(hint->text().startsWith(QStringLiteral("PS: 1、最佳方法")));
        QVERIFY(hint->text().contains(QStringLiteral("\r\n\r\n     2、如果只有修改后的清单")));
        QCOMPARE(button("Command1")->text(), QStringLiteral("导入到列表"));
        QCOMPARE(button("Command2")->text(), QStringLiteral("退出"));
        QCOMPARE(button("Command3")->text(), QStringLiteral("获取列表中的文件名"));
    }

    void fetchFillsTheOriginalNames()
    {
        m_model.appendPaths({"/p/b.txt", "/p/folder", "/p/a.tar.gz"});
        m_model.setChecked(0, false);
        text()->setPlainText("old text");
        click("Command3");
        QCOMPARE(text()->toPlainText(), QStringLiteral("b\nfolder\na.tar"));
        // Fetched and imported unchanged, every row gets its own name.
        click("Command1");
        QCOMPARE(previews(m_model), QStringList({"b", "folder", "a.tar"}));
    }

    void twoColumnsImportAndClose()
    {
        m_model.appendPaths({"/p/b.txt", "/p/a.txt", "/p/A.txt"});
        text()->setPlainText("a\tx\r\nb\ty:1\r\n");
        click("Command1");
        QCOMPARE(previews(m_model), QStringList({"y1", "x", ""}));
        settleDeletes();
        QVERIFY(m_dialog.isNull());
    }

    void typedTwoColumns()
    {
        m_model.appendPaths({"/p/one.txt", "/p/two.txt"});
        QTest::keyClicks(text(), "two");
        QTest::keyClick(text(), Qt::Key_Tab);
        QTest::keyClicks(text(), "2nd");
        QTest::keyClick(text(), Qt::Key_Return);
        QTest::keyClicks(text(), "one");
        QTest::keyClick(text(), Qt::Key_Tab);
        QTest::keyClicks(text(), "1st");
        click("Command1");
        QCOMPARE(previews(m_model), QStringList({"1st", "2nd"}));
    }

    void noBreakSpacesInOldNamesStillMatch()
    {
        const QString name = QStringLiteral("报告") + QChar(0x00A0) + QStringLiteral("终");
        m_model.appendPaths({"/p/" + name + ".doc", "/p/报告 终.doc"});
        text()->setPlainText(name + "\tfinal");
        click("Command1");
        QCOMPARE(previews(m_model), QStringList({"final", ""}));
    }

    void pastedColumnKeepsEmptyLinesInPlace()
    {
        m_model.appendPaths({"/p/f1.txt", "/p/f2.txt", "/p/f3.txt"});
        m_model.setCell(1, RenameEntry::PreviewName, "before");
        QApplication::clipboard()->setText("x\r\n\r\nz\r\n");
        text()->paste();
        click("Command1");
        QCOMPARE(previews(m_model), QStringList({"x", "", "z"}));
        settleDeletes();
        QVERIFY(m_dialog.isNull());
    }

    void emptyTextIsRefusedWithAMessage()
    {
        m_model.appendPaths({"/p/f1.txt"});
        m_model.setCell(0, RenameEntry::PreviewName, "kept");
        QString shown;
        QString title = "unset";
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            shown = box->text();
            title = box->windowTitle();
            box->close();
        });
        click("Command1");
        QCOMPARE(shown, QStringLiteral("文本框中还未添加要命名的内容"));
        QCOMPARE(title, QString());
        settleDeletes();
        QVERIFY(!m_dialog.isNull());
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_model.entry(0).previewName, QStringLiteral("kept"));
    }

    void doubleClickEmptiesTheBox()
    {
        text()->setPlainText("a\tb\nc\td");
        QTest::mouseDClick(text()->viewport(), Qt::LeftButton);
        QVERIFY(text()->toPlainText().isEmpty());
    }

    void quitClosesWithoutImporting()
    {
        m_model.appendPaths({"/p/f1.txt"});
        text()->setPlainText("x");
        click("Command2");
        settleDeletes();
        QVERIFY(m_dialog.isNull());
        QCOMPARE(m_model.entry(0).previewName, QString());
    }
};

QTEST_MAIN(TestExistingRulesDialog)
#include "tst_ExistingRulesDialog.moc"
