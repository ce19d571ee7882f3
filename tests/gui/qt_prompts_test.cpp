#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
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
    void questionOffersYesAndNoWithTheGivenDefault()
    {
        struct Case {
            bool defaultNo;
            const char *press;  // "yes", "no", "default" (Enter) or "escape"
            bool answer;
        };
        const Case cases[] = {
            {false, "yes", true},      {false, "no", false},    {false, "default", true},
            {true, "default", false},  {false, "escape", false}, {true, "yes", true},
        };
        for (const Case &c : cases) {
            const QByteArray where = QByteArray("defaultNo ") + (c.defaultNo ? "1" : "0") + ", " + c.press;
            QtPrompts prompts;
            // Read while the box waits, checked after it has been answered:
            // a failed check in here would leave the box open for good.
            QString title, text;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            QMessageBox::StandardButtons buttons;
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
            QTimer::singleShot(0, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (!box)
                    return;
                title = box->windowTitle();
                text = box->text();
                icon = box->icon();
                buttons = box->standardButtons();
                defaultButton = box->standardButton(box->defaultButton());
                const QByteArray press(c.press);
                if (press == "yes" || press == "no")
                    box->button(press == "yes" ? QMessageBox::Yes : QMessageBox::No)->click();
                else
                    QTest::keyClick(box, press == "default" ? Qt::Key_Return : Qt::Key_Escape);
            });
            const bool answer = prompts.AskYesNo("您确认要退出网络连接查看器?", c.defaultNo);
            QVERIFY2(answer == c.answer, where);
            QVERIFY2(title == QStringLiteral("OndriQuorvex"), where);
            QVERIFY2(text == QStringLiteral("您确认要退出网络连接查看器?"), where);
            QVERIFY2(icon == QMessageBox::Question, where);
            QVERIFY2(buttons == (QMessageBox::Yes | QMessageBox::No), where);
            QVERIFY2(defaultButton == (c.defaultNo ? QMessageBox::No : QMessageBox::Yes), where);
        }
    }
};

QTEST_MAIN(QtPromptsTest)

#include "qt_prompts_test.moc"
