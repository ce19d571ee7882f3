#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include <memory>

#include "core/columns.h"
#include "core/prompts.h"
#include "core/shell_actions.h"
#include "gui/connection_model.h"
#include "gui/connection_view.h"
#include "gui/main_window.h"
#include "gui/settings_binding.h"
#include "platform/fake/fake_platform.h"

using namespace quorvex;

namespace {

struct AnsweringPrompts : Prompts {
    QStringList Errors;
    void ShowMessage(const std::string &) override {}
    bool AskYesNo(const std::string &, bool) override { return true; }
    void ReportError(const std::string &text) override { Errors << QString::fromStdString(text); }
};

struct NoShell : ShellActions {
    void OpenUrl(const std::string &) override {}
    void OpenFile(const std::string &) override {}
    void ShowInFileManager(const std::string &) override {}
    void ShowProperties(const std::string &) override {}
};

QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

const QFileDevice::Permissions ReadOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

}  // namespace

class SettingsBindingTest : public QObject {
    Q_OBJECT

private:
    FakePlatform m_platform;
    AnsweringPrompts m_prompts;
    NoShell m_shell;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindow> m_window;

    QString IniPath() const { return m_dir->filePath(QStringLiteral("Quorvex.ini")); }
    QCheckBox *Box(const char *name) const { return m_window->findChild<QCheckBox *>(QString::fromLatin1(name)); }
    QTimer *Timer() const { return m_window->findChild<QTimer *>(QStringLiteral("Timer1")); }
    bool Topmost() const { return m_window->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }
    bool InfoColumnsShown() const
    {
        QTreeView *view = m_window->ListView();
        return !view->isColumnHidden(ColPath) && !view->isColumnHidden(ColDescription)
               && !view->isColumnHidden(ColCompany);
    }
    MainWindow &Start()
    {
        m_window = std::make_unique<MainWindow>(m_platform, m_prompts, m_shell);
        BindSettingsFile(m_window->Controller());
        m_window->Create();
        return *m_window;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_platform = FakePlatform();
        m_platform.ExePath = m_dir->filePath(QStringLiteral("quorvex")).toStdString();
        m_platform.Tables.TcpRecs = {FakeTcp("10.0.0.1", 22, "10.0.0.9", 5000, 5, 11, "sshd", "/usr/sbin/sshd"),
                                     FakeTcp("127.0.0.1", 5000, "127.0.0.1", 5001, 5, 10, "Zeta", "/bin/Zeta")};
        m_prompts = AnsweringPrompts();
    }
    void cleanup()
    {
        m_window.reset();
        QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::setPermissions(IniPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        m_dir.reset();
    }

    void startFollowsThePreparedFile()
    {
        const QByteArray before = "; kept\n[Other]\nAutoRefresh=0\n[Set]\nAutoRefresh=1\nAlwaysTop=0\nShowInfo=1\n"
                                  "ShowLocal=0x0\nExtra=word\n";
        Write(IniPath(), before);
        MainWindow &w = Start();
        QVERIFY(!Box("CBShowLocal")->isChecked());
        QVERIFY(Box("CBAutoRefresh")->isChecked());
        QVERIFY(!Box("CBAlwaysTop")->isChecked());
        QVERIFY(Box("CBShowInfo")->isChecked());
        QVERIFY(Timer()->isActive());
        QVERIFY(!Topmost());
        QVERIFY(InfoColumnsShown());
        QCOMPARE(w.Model()->rowCount(), 1);  // the loopback pair is hidden
        QCOMPARE(m_platform.SnapshotCount, 1);
        QVERIFY(m_prompts.Errors.isEmpty());
        // Every value is written back as it was applied: only "0x0" changes form.
        QByteArray after = before;
        after.replace("ShowLocal=0x0", "ShowLocal=0");
        QCOMPARE(Contents(IniPath()), after);
    }

    void noFileKeepsTheInitialStatesAndCreatesNothing()
    {
        Start();
        QVERIFY(Box("CBShowLocal")->isChecked());
        QVERIFY(!Box("CBAutoRefresh")->isChecked());
        QVERIFY(Box("CBAlwaysTop")->isChecked());
        QVERIFY(!Box("CBShowInfo")->isChecked());
        QVERIFY(!Timer()->isActive());
        QVERIFY(Topmost());
        QVERIFY(!InfoColumnsShown());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
    }

    void clickWritesTheKeyKeepingTheRest()
    {
        Write(IniPath(), "# mine\r\n[set]\r\nshowlocal=1\r\n\r\n[Other]\r\nk=v\r\n");
        Start();
        Box("CBAutoRefresh")->click();
        QVERIFY(Timer()->isActive());
        QCOMPARE(Contents(IniPath()), QByteArray("# mine\r\n[set]\r\nshowlocal=1\r\nAutoRefresh=1\r\n\r\n[Other]\r\nk=v\r\n"));
        Box("CBAutoRefresh")->click();
        QVERIFY(!Timer()->isActive());
        Box("CBShowLocal")->click();
        QCOMPARE(Contents(IniPath()), QByteArray("# mine\r\n[set]\r\nshowlocal=0\r\nAutoRefresh=0\r\n\r\n[Other]\r\nk=v\r\n"));
        QVERIFY(m_prompts.Errors.isEmpty());
    }

    void firstClickCreatesTheFile()
    {
        Start();
        Box("CBShowInfo")->click();
        QVERIFY(InfoColumnsShown());
        QCOMPARE(Contents(IniPath()), QByteArray("[Set]\nShowInfo=1\n"));
    }

    void readOnlyFileOnAClickIsReportedAndTheWorkDoesNotFollow()
    {
        Write(IniPath(), "[Set]\nShowInfo=0\n");
        QVERIFY(QFile::setPermissions(IniPath(), ReadOnly));
        MainWindow &w = Start();
        Box("CBAutoRefresh")->click();
        QCOMPARE(m_prompts.Errors, QStringList{QStringLiteral("Unable to write to ") + IniPath()});
        QVERIFY(!Timer()->isActive());
        QVERIFY(Box("CBAutoRefresh")->isChecked());
        QVERIFY(w.Controller().AutoRefresh());
        QCOMPARE(Contents(IniPath()), QByteArray("[Set]\nShowInfo=0\n"));
    }

    void readOnlyFileAtStartStopsAtTheFirstBoxToWrite()
    {
        Write(IniPath(), "[Set]\nAutoRefresh=1\nShowInfo=1\n");
        QVERIFY(QFile::setPermissions(IniPath(), ReadOnly));
        MainWindow &w = Start();
        QVERIFY(Box("CBAutoRefresh")->isChecked());
        QVERIFY(!Timer()->isActive());
        QVERIFY(!Box("CBShowInfo")->isChecked());
        QVERIFY(!InfoColumnsShown());
        QVERIFY(w.Controller().ShowInfo());  // the mirror holds what was read
        QVERIFY(m_prompts.Errors.isEmpty());
    }

    void installedProgramKeepsItsSettingsInTheUserConfiguration()
    {
        QTemporaryDir config;
        const bool hadXdg = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        Start();
        Box("CBAlwaysTop")->click();
        if (hadXdg)
            qputenv("XDG_CONFIG_HOME", oldXdg);
        else
            qunsetenv("XDG_CONFIG_HOME");
        QVERIFY(m_prompts.Errors.isEmpty());
        QVERIFY(!Topmost());
        QVERIFY(!QFile::exists(IniPath()));
        QCOMPARE(Contents(config.filePath(QStringLiteral("OndriQuorvex/Quorvex.ini"))),
                 QByteArray("[Set]\nAlwaysTop=0\n"));
    }
};

QTEST_MAIN(SettingsBindingTest)
#include "settings_binding_test.moc"
