#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include "gui/qt_prompts.h"

using namespace quorvex;

class QtPromptsTest : public QObject {
    Q_OBJECT

private slots:
    void plainMessageHasNoIconAndOneOkButton()
    {
        QtPrompts prompts;
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            seen = true;
            QCOMPARE(box->windowTitle(), QStringLiteral("OndriQuorvex"));
            QCOMPARE(box->icon(), QMessageBox::NoIcon);
            QCOMPARE(box->buttons().size(), 1);
            QCOMPARE(box->standardButton(box->buttons().first()), QMessageBox::Ok);
            QCOMPARE(box->text(), QStringLiteral("The program already start"));
            box->buttons().first()->click();
        });
        prompts.ShowMessage("The program already start");
        QVERIFY(seen);
    }

    void errorReportAppendsTheFullStop()
    {
        QtPrompts prompts;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                text = box->text();
                icon = box->icon();
                box->accept();
            }
        });
        prompts.ReportError("Unable to write to /x/Quorvex.ini");
        QCOMPARE(text, QStringLiteral("Unable to write to /x/Quorvex.ini."));
        QCOMPARE(icon, QMessageBox::Critical);
    }

    // Enter answers with the default button: a question that may end a
    // system process must not be confirmed by a hasty Enter.
    void enterTakesTheDefaultAnswer_data()
    {
        QTest::addColumn<bool>("defaultNo");
        QTest::addColumn<bool>("answer");
        QTest::newRow("No is the default") << true << false;
        QTest::newRow("Yes is the default") << false << true;
    }
    void enterTakesTheDefaultAnswer()
    {
        QFETCH(bool, defaultNo);
        QFETCH(bool, answer);
        QtPrompts prompts;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            icon = box->icon();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QCOMPARE(prompts.AskYesNo("end it?", defaultNo), answer);
        QCOMPARE(icon, QMessageBox::Question);
    }
};

QTEST_MAIN(QtPromptsTest)

#include "qt_prompts_test.moc"
