#include <QAbstractButton>
#include <QPushButton>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <iostream>

#include "core/prompts.h"
#include "gui/app_start.h"
#include "gui/qt_prompts.h"

using namespace quorvex;

namespace {

struct RecordingPrompts : Prompts {
    QStringList Messages;
    void ShowMessage(const std::string &text) override { Messages << QString::fromStdString(text); }
    bool AskYesNo(const std::string &, bool) override { return false; }
    void ReportError(const std::string &) override {}
};

// Child mode: hold the lock at argv[2] until killed.
int HoldLock(const char *path)
{
    QLockFile lock(QString::fromLocal8Bit(path));
    if (!lock.tryLock(0))
        return 1;
    std::cout << "locked" << std::endl;
    for (;;)
        QThread::sleep(60);
}

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void secondInstanceIsRefusedWithThePlainMessage()
    {
        QTemporaryDir dir;
        const QString path = InstanceLockPath(dir.path());
        QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("OndriQuorvex.lock"));

        RecordingPrompts prompts;
        auto first = std::make_unique<SingleInstance>(path);
        QVERIFY(EnsureSingleInstance(*first, prompts));
        SingleInstance second(path);
        QVERIFY(!EnsureSingleInstance(second, prompts));
        QCOMPARE(prompts.Messages, QStringList{"The program already start"});

        first.reset();  // the first instance ends
        SingleInstance third(path);
        QVERIFY(third.TryAcquire());
    }

    void lockOfAnotherProcessHoldsAndIsTakenOverWhenItDies()
    {
        QTemporaryDir dir;
        const QString path = InstanceLockPath(dir.path());
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-lock"), path});
        QVERIFY(child.waitForReadyRead(10000));
        QCOMPARE(child.readAllStandardOutput().trimmed(), QByteArray("locked"));

        SingleInstance whileAlive(path);
        QVERIFY(!whileAlive.TryAcquire());

        child.kill();  // no chance to release: the lock file stays behind
        QVERIFY(child.waitForFinished(10000));
        QVERIFY(QFile::exists(path));
        SingleInstance afterCrash(path);
        QVERIFY(afterCrash.TryAcquire());
    }

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
};

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--hold-lock") == 0)
        return HoldLock(argv[2]);
    QApplication app(argc, argv);
    SingleInstanceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "single_instance_test.moc"
