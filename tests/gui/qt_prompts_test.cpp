#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include "gui/qt_prompts.h"

using namespace quorvex;

class QtPromptsTest : public QObject {
    Q_OBJECT
private slots:
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
