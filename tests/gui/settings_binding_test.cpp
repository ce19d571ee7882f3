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
    bool OpenUrl(const std::string &) override { return true; }
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
    std::unique_ptr<QTemporaryDir> m_config;  // the user's configuration directory
    std::unique_ptr<MainWindow> m_window;
    bool m_hadXdg = false;
    QByteArray m_oldXdg;

    QString IniPath() const { return m_dir->filePath(QStringLiteral("Quorvex.ini")); }
    QString OwnIniPath() const { return m_config->filePath(QStringLiteral("OndriQuorvex/Quorvex.ini")); }
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
    void initTestCase()
    {
        m_hadXdg = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        m_oldXdg = qgetenv("XDG_CONFIG_HOME");
    }
    void cleanupTestCase()
    {
        if (m_hadXdg)
            qputenv("XDG_CONFIG_HOME", m_oldXdg);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_config = std::make_unique<QTemporaryDir>();
        QVERIFY(m_config->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
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
        QFile::setPermissions(OwnIniPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        m_dir.reset();
        m_config.reset();
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

    void readOnlyFileOnAClickIsReportedAndTheWorkFollows()
    {
        // The file beside cannot be written, and neither can the user's own.
        QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QVERIFY(QDir(m_config->path()).mkpath(QStringLiteral("OndriQuorvex")));
        Write(OwnIniPath(), "[Set]\nShowInfo=0\n");
        QVERIFY(QFile::setPermissions(OwnIniPath(), ReadOnly));
        MainWindow &w = Start();
        Box("CBAutoRefresh")->click();
        QCOMPARE(m_prompts.Errors, QStringList{QStringLiteral("Unable to write to ") + OwnIniPath()});
        QVERIFY(Timer()->isActive());
        QVERIFY(w.Controller().AutoRefresh());
        QCOMPARE(Contents(OwnIniPath()), QByteArray("[Set]\nShowInfo=0\n"));
    }

    void readOnlyFileBesideGivesItsValuesToTheUsersOwnFile()
    {
        Write(IniPath(), "[Set]\nAutoRefresh=1\nShowInfo=1\n");
        QVERIFY(QFile::setPermissions(IniPath(), ReadOnly));
        Start();
        QVERIFY(Timer()->isActive());
        QVERIFY(Box("CBShowInfo")->isChecked());
        QVERIFY(InfoColumnsShown());
        QVERIFY(m_prompts.Errors.isEmpty());
        QVERIFY(!QFile::exists(OwnIniPath()));  // nothing changed, nothing written

        Box("CBAlwaysTop")->click();
        QVERIFY(m_prompts.Errors.isEmpty());
        QVERIFY(!Topmost());
        QCOMPARE(Contents(OwnIniPath()), QByteArray("[Set]\nAutoRefresh=1\nShowInfo=1\nAlwaysTop=0\n"));
        QCOMPARE(Contents(IniPath()), QByteArray("[Set]\nAutoRefresh=1\nShowInfo=1\n"));
    }
};

QTEST_MAIN(SettingsBindingTest)
#include "settings_binding_test.moc"
