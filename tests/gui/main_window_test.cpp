#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "core/columns.h"
#include "core/prompts.h"
#include "core/shell_actions.h"
#include "gui/connection_model.h"
#include "gui/connection_view.h"
#include "gui/main_window.h"
#include "gui/row_menu.h"
#include "platform/fake/fake_platform.h"

using namespace quorvex;

namespace {

struct AnsweringPrompts : Prompts {
    QStringList Errors;
    QStringList Questions;
    bool Answer = false;
    void ShowMessage(const std::string &) override {}
    bool AskYesNo(const std::string &text, bool) override
    {
        Questions << QString::fromStdString(text);
        return Answer;
    }
    void ReportError(const std::string &text) override { Errors << QString::fromStdString(text); }
};

struct NoShell : ShellActions {
    bool OpenUrl(const std::string &) override { return true; }
    void OpenFile(const std::string &) override {}
    void ShowInFileManager(const std::string &) override {}
    void ShowProperties(const std::string &) override {}
};


// Many rows, process names out of order, so that sorting and scrolling show.
TcpUdpTables ManyEndpoints(int count)
{
    TcpUdpTables tables;
    for (int i = 0; i < count; ++i) {
        const std::string name = "proc" + std::to_string((i * 7919) % count);
        tables.TcpRecs.push_back(FakeTcp("10.0.0.1", 1000 + i, "10.0.0.2", 80, 5, 100 + i, name, "/bin/" + name));
    }
    return tables;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    FakePlatform m_platform;
    AnsweringPrompts m_prompts;
    NoShell m_shell;
    std::unique_ptr<MainWindow> m_window;

    template <class T> T *Child(const char *name) { return m_window->findChild<T *>(QString::fromLatin1(name)); }
    MainWindow &Make()
    {
        m_window = std::make_unique<MainWindow>(m_platform, m_prompts, m_shell);
        return *m_window;
    }

private slots:
    void init()
    {
        m_platform = FakePlatform();
        m_prompts = AnsweringPrompts();
        m_platform.Tables.TcpRecs = {FakeTcp("10.0.0.1", 22, "10.0.0.9", 5000, 5, 11, "sshd", "/usr/sbin/sshd"),
                                     FakeTcp("127.0.0.1", 5000, "127.0.0.1", 5001, 5, 10, "Zeta", "/bin/Zeta")};
        m_platform.Tables.UdpRecs = {FakeUdp("0.0.0.0", 53, 12, "alpha", "/bin/alpha"),
                                     FakeUdp("0.0.0.0", 54, 12, "alpha", "/bin/alpha")};
    }
    void cleanup() { m_window.reset(); }

    void startUpShowsCaptionCountersAndOrder()
    {
        MainWindow &w = Make();
        QAbstractItemModelTester tester(w.Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(w.windowTitle(), QStringLiteral("OndriQuorvex V$V$(网络连接查看器)"));
        w.Create();
        QCOMPARE(w.windowTitle(), QStringLiteral("OndriQuorvex V3.0(网络连接查看器)"));
        QCOMPARE(Child<QLabel>("LabNetCount")->text(), QStringLiteral("4"));
        QCOMPARE(Child<QLabel>("LabAppCount")->text(), QStringLiteral("3"));

        // Ordered by process name, ASCII letters folded, with the glyph.
        QStringList names;
        for (int row = 0; row < w.Model()->rowCount(); ++row)
            names << w.Model()->index(row, ColProcess).data().toString();
        QCOMPARE(names, (QStringList{"alpha", "alpha", "sshd", "Zeta"}));
        QHeaderView *header = w.ListView()->header();
        QCOMPARE(header->sortIndicatorSection(), int(ColProcess));
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        QCOMPARE(w.Model()->index(0, ColSecurity).data().toString(), QStringLiteral("未启用"));
        QVERIFY(w.Model()->index(0, ColManage).data().toString().isEmpty());
        // One row selected and focused after the fill, in view and list alike.
        QVERIFY(w.List().SelectedRow() >= 0);
        QCOMPARE(w.ListView()->selectionModel()->selectedRows().value(0).row(), w.List().SelectedRow());
        QCOMPARE(w.ListView()->currentIndex().row(), w.List().FocusedRow());
    }

    void screenReadersHearAWindowAndWhatTheCountersCount()
    {
        MainWindow &w = Make();
        w.Create();
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&w);
        QVERIFY(window);
        QCOMPARE(window->role(), QAccessible::Window);
        const QString net = QAccessible::queryAccessibleInterface(Child<QLabel>("LabNetCount"))->text(QAccessible::Name);
        QVERIFY2(net.contains(QStringLiteral("4")) && net != QStringLiteral("4"), qPrintable(net));
        const QString apps = QAccessible::queryAccessibleInterface(Child<QLabel>("LabAppCount"))->text(QAccessible::Name);
        QVERIFY2(apps.contains(QStringLiteral("3")) && apps != net, qPrintable(apps));
        QVERIFY(!QAccessible::queryAccessibleInterface(w.ListView())->text(QAccessible::Name).isEmpty());
    }

    void optionsMenuItemsFollowAndDriveTheViewOptions()
    {
        MainWindow &w = Make();
        w.Create();
        const QList<QAction *> items = Child<QPushButton>("BTNOptions")->menu()->actions();
        QCOMPARE(items.size(), int(std::size(ViewOptions)));
        items[1]->trigger();
        QVERIFY(w.Controller().Option(ViewOptions[1]));
        w.Controller().SetChecked(ViewOptions[1], false);
        QVERIFY(!items[1]->isChecked());
    }

    // The new options and the close item, through the window's own widgets.
    void ipv6TrafficAndCloseReachTheListThroughTheWindow()
    {
        m_platform.Tables.Tcp6Recs = {FakeTcp("::1", 80, "::1", 6000, 5, 13, "web", "/bin/web")};
        m_platform.Tables.TcpRecs[0] = WithTraffic(m_platform.Tables.TcpRecs[0], 2048, 100);
        MainWindow &w = Make();
        w.Create();
        QCOMPARE(w.Model()->rowCount(), 4);
        const QList<QAction *> items = Child<QPushButton>("BTNOptions")->menu()->actions();
        items[0]->trigger();  // IPv6
        QCOMPARE(w.Model()->rowCount(), 5);
        QCOMPARE(Child<QLabel>("LabNetCount")->text(), QStringLiteral("5"));
        items[1]->trigger();  // traffic
        int sshd = -1;
        for (int row = 0; row < w.Model()->rowCount(); ++row)
            if (w.Model()->index(row, ColProcess).data().toString() == QStringLiteral("sshd"))
                sshd = row;
        QVERIFY(sshd >= 0);
        for (int c : TrafficColumns)
            QVERIFY(!w.ListView()->isColumnHidden(c));
        QCOMPARE(w.Model()->index(sshd, ColSent).data().toString(), QStringLiteral("2.0 KB"));
        QCOMPARE(w.Model()->index(sshd, ColSent).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignRight | Qt::AlignVCenter);

        w.List().SetFocusedRow(sshd);
        w.Controller().MenuState().EnableRowItems(w.List().Record(sshd));
        m_prompts.Answer = true;
        const int snapshots = m_platform.SnapshotCount;
        w.Menu()->syncActions();
        w.Menu()->closeConnectionAction()->trigger();
        QCOMPARE(m_platform.Closed.size(), size_t(1));
        QCOMPARE(m_platform.Closed[0].LocalPort, std::string("22"));
        QCOMPARE(m_platform.SnapshotCount, snapshots + 1);
    }

    void columnsLookAsConfigured()
    {
        MainWindow &w = Make();
        w.Create();
        QTreeView *view = w.ListView();
        struct Expect {
            const char *caption;
            int width;
            bool visible;
        };
        const Expect expected[] = {
            {"进程ID", 24, false},  {"进程", 120, true},     {"安全等级", 80, false},  {"协议", 60, true},
            {"本地IP", 100, true},  {"本地端口", 80, true},  {"目标IP", 130, true},    {"目标端口", 110, true},
            {"状态", 80, true},     {"管理", 40, true},      {"文件路径", 260, false}, {"文件说明", 150, false},
            {"公司", 80, false},    {"备注", 50, false},
        };
        QCOMPARE(w.Model()->columnCount(), int(ColumnCount));
        for (int c : TrafficColumns)
            QVERIFY(view->isColumnHidden(c));
        for (int c = 0; c < int(std::size(expected)); ++c) {
            const QByteArray where = "column " + QByteArray::number(c);
            QVERIFY2(w.Model()->headerData(c, Qt::Horizontal).toString() == QString::fromUtf8(expected[c].caption),
                     where);
            QVERIFY2(view->header()->sectionSize(c) == expected[c].width || !expected[c].visible, where);
            QVERIFY2(view->isColumnHidden(c) == !expected[c].visible, where);
        }
        QCOMPARE(view->header()->sectionResizeMode(ColManage), QHeaderView::Fixed);
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!view->rootIsDecorated());

        // The file-detail columns follow their box and keep their widths.
        Child<QCheckBox>("CBShowInfo")->setChecked(true);
        QVERIFY(w.Controller().ShowInfo());
        for (int c : {ColPath, ColDescription, ColCompany})
            QVERIFY(!view->isColumnHidden(c));
        QCOMPARE(view->header()->sectionSize(ColPath), 260);
        Child<QCheckBox>("CBShowInfo")->setChecked(false);
        QVERIFY(view->isColumnHidden(ColCompany));
    }

    void layoutOfTheBars()
    {
        MainWindow &w = Make();
        w.Create();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.size(), QSize(746, 433));
        QCOMPARE(w.minimumSize(), QSize(672, 200));
        QCOMPARE(Child<QWidget>("PTop")->height(), 34);
        QCOMPARE(Child<QWidget>("PBottom")->height(), 28);
        QCOMPARE(w.ListView()->geometry(), QRect(0, 34, 746, 371));
        QCOMPARE(Child<QCheckBox>("CBShowLocal")->geometry(), QRect(8, 6, 145, 17));
        QCOMPARE(Child<QCheckBox>("CBAlwaysTop")->geometry(), QRect(282, 6, 182, 17));
        QCOMPARE(Child<QPushButton>("BTNRefresh")->geometry(), QRect(553, 1, 80, 26));
        QCOMPARE(Child<QCheckBox>("CBShowInfo")->geometry(), QRect(755, 6, 166, 17));
        QCOMPARE(Child<QPushButton>("BTNHomePage")->geometry().right(), 745);
        QCOMPARE(Child<QPushButton>("BTNHelp")->size(), QSize(74, 32));

        // Row and header heights of the list.
        QCOMPARE(w.ListView()->visualRect(w.Model()->index(0, ColProcess)).height(), 22);
        QCOMPARE(w.ListView()->header()->height(), 20);
    }

    void refreshButtonIsDisabledDuringTheRefresh()
    {
        MainWindow &w = Make();
        w.Create();
        auto *button = Child<QPushButton>("BTNRefresh");
        QList<bool> enabledDuringSnapshot;
        m_platform.OnSnapshot = [&] { enabledDuringSnapshot << button->isEnabled(); };
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(enabledDuringSnapshot, QList<bool>{false});
        QVERIFY(button->isEnabled());
    }

    void failedRefreshRestoresButtonAndTimerAndReports()
    {
        MainWindow &w = Make();
        w.Create();
        auto *timer = Child<QTimer>("Timer1");
        QVERIFY(!timer->isActive());
        Child<QCheckBox>("CBAutoRefresh")->setChecked(true);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 10000);

        m_platform.FailSnapshot = true;
        const int rows = w.Model()->rowCount();
        Child<QPushButton>("BTNRefresh")->click();
        QCOMPARE(m_prompts.Errors, QStringList{"snapshot failed"});
        QVERIFY(Child<QPushButton>("BTNRefresh")->isEnabled());
        QVERIFY(timer->isActive());
        QCOMPARE(w.Model()->rowCount(), rows);
    }

    void manualRefreshPushesTheNextTickBack()
    {
        MainWindow &w = Make();
        w.Create();
        auto *timer = Child<QTimer>("Timer1");
        Child<QCheckBox>("CBAutoRefresh")->setChecked(true);
        QTest::qWait(300);
        QVERIFY(timer->remainingTime() <= 9750);
        m_platform.FailSnapshot = true;  // the protocol restarts the timer either way
        Child<QPushButton>("BTNRefresh")->click();
        QVERIFY(timer->isActive());
        QVERIFY2(timer->remainingTime() > 9900, QByteArray::number(timer->remainingTime()));

        Child<QCheckBox>("CBAutoRefresh")->setChecked(false);
        QVERIFY(!timer->isActive());
    }

    void showLocalRefreshesOnlyAfterStartUp()
    {
        MainWindow &w = Make();
        w.Controller().Hooks.LoadSettings = [&] { w.Controller().SetChecked(CheckBox::ShowLocal, false); };
        w.Create();
        QCOMPARE(m_platform.SnapshotCount, 1);
        QVERIFY(!Child<QCheckBox>("CBShowLocal")->isChecked());
        QCOMPARE(Child<QLabel>("LabNetCount")->text(), QStringLiteral("3"));
        Child<QCheckBox>("CBShowLocal")->setChecked(true);
        QCOMPARE(m_platform.SnapshotCount, 2);
        QVERIFY(w.Controller().ShowLocal());
    }

    void alwaysOnTopFollowsItsBox()
    {
        MainWindow &w = Make();
        w.Create();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        w.setGeometry(QRect(QPoint(40, 50), QSize(800, 400)));
        const QRect place = w.geometry();
        // Another window is active when the box changes: each change brings
        // the main window back to the front, where and as large as it was.
        QWidget other;
        other.show();
        for (bool topmost : {false, true}) {
            other.activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), &other);
            Child<QCheckBox>("CBAlwaysTop")->setChecked(topmost);
            QCOMPARE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint), topmost);
            QCOMPARE(w.Controller().AlwaysTop(), topmost);
            QVERIFY(w.isVisible());
            QCOMPARE(w.geometry(), place);
            QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(&w));
        }
    }

    void closingAsksAndOnlyYesCloses()
    {
        MainWindow &w = Make();
        w.Create();
        w.show();
        m_prompts.Answer = false;
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        m_prompts.Answer = true;
        QVERIFY(w.close());
        QCOMPARE(m_prompts.Questions, QStringList(2, QStringLiteral("您确认要退出网络连接查看器?")));
    }

    void sessionEndAsksOnceAndTheQuitThatFollowsClosesTheWindow()
    {
        // When the session ends the toolkit quits the application, and the
        // quit closes the window: after a Yes to the session-end question
        // that close asks nothing more. Otherwise it asks, and No keeps the
        // window and the program running.
        for (bool endingAgreed : {true, false}) {
            m_prompts = AnsweringPrompts();
            MainWindow &w = Make();
            w.Create();
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            if (endingAgreed) {
                m_prompts.Answer = true;
                QVERIFY(w.Controller().SessionEndQuery());
            }
            m_prompts.Answer = false;
            QTimer::singleShot(0, [] { QCoreApplication::quit(); });
            // Leaves the loop if the quit was refused; gone with this pass.
            QTimer refused;
            refused.setSingleShot(true);
            connect(&refused, &QTimer::timeout, [] { QCoreApplication::exit(7); });
            refused.start(500);
            const int result = QCoreApplication::exec();
            QCOMPARE(result, endingAgreed ? 0 : 7);
            QCOMPARE(w.isVisible(), !endingAgreed);
            QCOMPARE(m_prompts.Questions.size(), 1);
            m_window.reset();
        }
    }

    void viewSelectionReachesTheList()
    {
        m_platform.Tables = ManyEndpoints(50);
        MainWindow &w = Make();
        w.Create();
        QTreeView *view = w.ListView();
        view->setCurrentIndex(w.Model()->index(17, ColProcess));
        QCOMPARE(w.List().SelectedRow(), 17);
        QCOMPARE(w.List().FocusedRow(), 17);
        view->selectionModel()->clearSelection();
        QCOMPARE(w.List().SelectedRow(), -1);
    }

    void selectionAndScrollSurviveARefresh()
    {
        m_platform.Tables = ManyEndpoints(300);
        MainWindow &w = Make();
        QAbstractItemModelTester tester(w.Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        w.Create();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTreeView *view = w.ListView();
        view->setCurrentIndex(w.Model()->index(150, ColProcess));
        view->verticalScrollBar()->setValue(120);
        const std::string port = w.List().Record(150).LocalPort;

        // Drop some rows before the selection and add new ones.
        m_platform.Tables.TcpRecs.erase(m_platform.Tables.TcpRecs.begin() + 290, m_platform.Tables.TcpRecs.end());
        m_platform.Tables.UdpRecs.push_back(FakeUdp("0.0.0.0", 9999, 5, "zzz", "/bin/zzz"));
        Child<QPushButton>("BTNRefresh")->click();
        QVERIFY(m_prompts.Errors.isEmpty());
        QCOMPARE(w.Model()->rowCount(), 291);
        const int selected = w.List().SelectedRow();
        QVERIFY(selected >= 0);
        QCOMPARE(w.List().Record(selected).LocalPort, port);
        QCOMPARE(view->selectionModel()->selectedRows().value(0).row(), selected);

        // An unchanged snapshot moves nothing at all. The list takes the
        // keyboard focus from whichever control of the window had it.
        const int scroll = view->verticalScrollBar()->value();
        QVERIFY(scroll > 0);
        Child<QCheckBox>("CBAutoRefresh")->setFocus();
        QCOMPARE(w.focusWidget(), static_cast<QWidget *>(Child<QCheckBox>("CBAutoRefresh")));
        Child<QPushButton>("BTNRefresh")->click();
        QCOMPARE(w.List().Record(w.List().SelectedRow()).LocalPort, port);
        QCOMPARE(view->verticalScrollBar()->value(), scroll);
        QCOMPARE(w.focusWidget(), static_cast<QWidget *>(view));

        // The selected endpoint goes: the first row takes the selection, in both.
        auto &tcp = m_platform.Tables.TcpRecs;
        tcp.erase(std::remove_if(tcp.begin(), tcp.end(), [&](const File_Rec &r) { return r.LocalPort == port; }),
                  tcp.end());
        Child<QPushButton>("BTNRefresh")->click();
        QCOMPARE(w.List().SelectedRow(), 0);
        QCOMPARE(view->selectionModel()->selectedRows().value(0).row(), 0);
        QCOMPARE(view->currentIndex().row(), w.List().FocusedRow());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
