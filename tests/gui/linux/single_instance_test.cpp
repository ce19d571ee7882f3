#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstring>
#include <iostream>

#include "core/prompts.h"
#include "gui/app_start.h"
#include "gui/linux/single_instance.h"

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
