#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <stdexcept>

#include "core/columns.h"
#include "core/fixed_texts.h"
#include "core/prompts.h"
#include "core/row_changes.h"
#include "core/shell_actions.h"
#include "gui/connection_model.h"
#include "gui/connection_view.h"
#include "gui/form_proc_info.h"
#include "gui/icon_cache.h"
#include "gui/list_header.h"
#include "gui/main_window.h"
#include "gui/row_menu.h"
#include "platform/fake/fake_platform.h"

using namespace quorvex;

namespace {

struct AnsweringPrompts : Prompts {
    QStringList Messages, Questions, Errors;
    bool Answer = false;
    void ShowMessage(const std::string &text) override { Messages << QString::fromStdString(text); }
    bool AskYesNo(const std::string &text, bool) override
    {
        Questions << QString::fromStdString(text);
        return Answer;
    }
    void ReportError(const std::string &text) override { Errors << QString::fromStdString(text); }
};

struct RecordingShell : ShellActions {
    QStringList Calls;
    bool OpenUrl(const std::string &) override { return true; }
    void OpenFile(const std::string &) override {}
    void ShowInFileManager(const std::string &p) override { Calls << "show " + QString::fromStdString(p); }
    void ShowProperties(const std::string &p) override { Calls << "props " + QString::fromStdString(p); }
};

// One red icon for every path that has one; nothing for an empty path.
struct RedIcons : SystemIconProvider {
    int SystemIconIndex(const std::string &path) override { return path.empty() ? -1 : 0; }
    QIcon SystemIcon(int) override
    {
        QPixmap red(32, 32);
        red.fill(Qt::red);
        return QIcon(red);
    }
};


}  // namespace

class MainWindowListTest : public QObject {
    Q_OBJECT

private:
    FakePlatform m_platform;
    AnsweringPrompts m_prompts;
    RecordingShell m_shell;
    std::unique_ptr<MainWindow> m_window;
    int m_menus = 0;  // menus opened since the window was made

    ConnectionView *view() { return m_window->ListView(); }
    ListHeader *header() { return view()->listHeader(); }
    ConnectionModel *model() { return m_window->Model(); }

    int rowOf(const char *name)
    {
        for (int row = 0; row < model()->rowCount(); ++row)
            if (m_window->List().Record(row).ProcessName == name)
                return row;
        return -1;
    }
    QPoint cell(int row, int column) { return view()->visualRect(model()->index(row, column)).center(); }
    QPoint belowRows(int column)
    {
        const QRect last = view()->visualRect(model()->index(model()->rowCount() - 1, column));
        return QPoint(last.center().x(), last.bottom() + 30);
    }
    QPoint caption(int column)
    {
        return QPoint(header()->sectionViewportPosition(column) + header()->sectionSize(column) / 2,
                      header()->height() / 2);
    }
    void headerClick(int press, int release)
    {
        QTest::mousePress(header()->viewport(), Qt::LeftButton, {}, caption(press));
        QTest::mouseRelease(header()->viewport(), Qt::LeftButton, {}, caption(release));
    }
    void rightClick(const char *name)
    {
        QTest::mouseClick(view()->viewport(), Qt::RightButton, {}, cell(rowOf(name), ColLocalIp));
    }
    QStringList columnTexts(int column)
    {
        QStringList texts;
        for (int row = 0; row < model()->rowCount(); ++row)
            texts << model()->index(row, column).data().toString();
        return texts;
    }
    template <class T> T *Child(const char *name) { return m_window->findChild<T *>(QString::fromLatin1(name)); }

    // Runs `answer` on the next modal window once it is up, from inside its loop.
    static void OnModal(std::function<void(QWidget *)> answer)
    {
        QTimer::singleShot(0, [answer = std::move(answer)] {
            QWidget *modal = nullptr;
            (void)QTest::qWaitFor([&] { return (modal = QApplication::activeModalWidget()) != nullptr; }, 2000);
            answer(modal);
        });
    }

private slots:
    void init()
    {
        m_platform = FakePlatform();
        m_prompts = AnsweringPrompts();
        m_shell = RecordingShell();
        m_platform.Tables.TcpRecs = {FakeTcp("10.0.0.1", 22, "10.0.0.9", 5000, 5, 11, "sshd", "/usr/sbin/sshd"),
                                     FakeTcp("127.0.0.1", 5000, "127.0.0.1", 5001, 5, 10, "Zeta", "/bin/Zeta"),
                                     FakeTcp("0.0.0.0", 445, "0.0.0.0", 0, 2, 4, "System")};
        m_platform.Tables.UdpRecs = {FakeUdp("192.168.1.5", 53, 12, "alpha", "/bin/alpha")};
        m_window = std::make_unique<MainWindow>(m_platform, m_prompts, m_shell);
        m_window->SetIconProvider(std::make_shared<RedIcons>());
        m_menus = 0;
        m_window->Menu()->setOpener([this](QMenu *, QPoint) { ++m_menus; });
        m_window->Create();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QCOMPARE(columnTexts(ColProcess), (QStringList{"alpha", "sshd", "System", "Zeta"}));
    }
    void cleanup() { m_window.reset(); }

    void headerClicks_data()
    {
        QTest::addColumn<QList<QPoint>>("clicks");  // (press column, release column)
        QTest::addColumn<int>("sortColumn");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("ports");  // local ports top to bottom
        const QStringList byName{"53", "22", "445", "5000"};
        QTest::newRow("manage column changes nothing")
            << QList<QPoint>{{ColManage, ColManage}} << int(ColProcess) << int(Qt::AscendingOrder) << byName;
        QTest::newRow("local IP, direction flipped to descending")
            << QList<QPoint>{{ColLocalIp, ColLocalIp}} << int(ColLocalIp) << int(Qt::DescendingOrder)
            << QStringList{"53", "5000", "22", "445"};
        QTest::newRow("flips at every click")
            << QList<QPoint>{{ColLocalIp, ColLocalIp}, {ColLocalIp, ColLocalIp}} << int(ColLocalIp)
            << int(Qt::AscendingOrder) << QStringList{"445", "22", "5000", "53"};
        QTest::newRow("another column flips on from the last direction")
            << QList<QPoint>{{ColLocalIp, ColLocalIp}, {ColLocalPort, ColLocalPort}} << int(ColLocalPort)
            << int(Qt::AscendingOrder) << QStringList{"22", "445", "5000", "53"};  // ports compare as text
        QTest::newRow("press on 3, release on 4: no glyph, order kept")
            << QList<QPoint>{{ColProtocol, ColLocalIp}} << -1 << int(Qt::DescendingOrder) << byName;
    }
    void headerClicks()
    {
        QFETCH(QList<QPoint>, clicks);
        QFETCH(int, sortColumn);
        QFETCH(int, order);
        QFETCH(QStringList, ports);
        for (const QPoint &click : clicks)
            headerClick(click.x(), click.y());
        QCOMPARE(m_window->List().SortColumn(), sortColumn);
        QCOMPARE(header()->sortIndicatorSection(), sortColumn);
        if (sortColumn >= 0)
            QCOMPARE(int(header()->sortIndicatorOrder()), order);
        QCOMPARE(int(m_window->List().Direction() == SortDirection::Ascending ? Qt::AscendingOrder
                                                                               : Qt::DescendingOrder),
                 order);
        QCOMPARE(columnTexts(ColLocalPort), ports);
    }

    void unsortedRefreshAppendsNewRowsAtTheEnd()
    {
        headerClick(ColProtocol, ColLocalIp);
        m_platform.Tables.TcpRecs.insert(m_platform.Tables.TcpRecs.begin(),
                                         FakeTcp("10.0.0.1", 80, "10.0.0.7", 6000, 5, 20, "aaa", "/bin/aaa"));
        QTest::mouseClick(Child<QPushButton>("BTNRefresh"), Qt::LeftButton);
        QCOMPARE(columnTexts(ColProcess), (QStringList{"alpha", "sshd", "System", "Zeta", "aaa"}));
    }

    void rightClickEnablesTheItemsByPath_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("with a path") << "sshd" << true;
        QTest::newRow("without a path") << "System" << false;
    }
    void rightClickEnablesTheItemsByPath()
    {
        QFETCH(QString, name);
        QFETCH(bool, enabled);
        rightClick(name.toLatin1().constData());
        QCOMPARE(m_menus, 1);
        QCOMPARE(m_window->List().FocusedRow(), rowOf(name.toLatin1().constData()));
        RowMenu *menu = m_window->Menu();
        for (QAction *item : {menu->procInfoAction(), menu->endProcAction(), menu->locateAction(),
                              menu->propertyAction()})
            QCOMPARE(item->isEnabled(), enabled);
        QVERIFY(menu->copyAction()->isEnabled());
        QCOMPARE(m_window->Controller().MenuState().EndProc, enabled);
    }

    void manageColumnOpensTheMenuOnlyOnARow()
    {
        const QPoint onRow = cell(rowOf("Zeta"), ColManage);
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, onRow);
        QCOMPARE(m_menus, 1);
        QCOMPARE(m_window->List().FocusedRow(), rowOf("Zeta"));
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, belowRows(ColManage));
        QTest::mouseClick(view()->viewport(), Qt::RightButton, {}, belowRows(ColLocalIp));
        QCOMPARE(m_menus, 1);
        QCOMPARE(m_window->List().FocusedRow(), rowOf("Zeta"));
    }

    void doubleClickFollowsTheDetailsItem()
    {
        // Closes every modal window that comes up, noting which row it was for.
        QList<QPointer<QWidget>> dialogs;
        QStringList pids;
        QTimer closer;
        closer.setInterval(5);
        connect(&closer, &QTimer::timeout, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || dialogs.contains(modal))
                return;
            dialogs << modal;
            QCOMPARE(modal->objectName(), QStringLiteral("FormProcInfo"));
            pids << modal->findChild<QLabel *>("LabPID")->text();
            modal->close();
        });
        closer.start();
        auto dclick = [&](const char *name) {
            QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, cell(rowOf(name), ColLocalIp));
        };
        dclick("sshd");  // every item starts enabled
        QCOMPARE(pids, QStringList{"PID:11"});
        rightClick("System");
        dclick("alpha");  // the last menu disabled the item: nothing
        rightClick("sshd");
        dclick("System");  // enabled, but the row under the mouse has no path
        QCOMPARE(pids, QStringList{"PID:11"});
        dclick("alpha");
        QCOMPARE(pids, (QStringList{"PID:11", "PID:12"}));

        // A new dialog for each opening, deleted when it closed.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(dialogs.size(), 2);
        QVERIFY(dialogs[0].isNull());
        QVERIFY(dialogs[1].isNull());
    }

    void detailsDialogShowsTheLargeIconAndTheTimerRunsBehindIt()
    {
        auto *timer = Child<QTimer>("Timer1");
        Child<QCheckBox>("CBAutoRefresh")->setChecked(true);
        timer->start(20);
        m_window->List().SetFocusedRow(rowOf("alpha"));
        const int snapshots = m_platform.SnapshotCount;
        bool hasIcon = false;
        int snapshotsBehind = 0;
        OnModal([&](QWidget *modal) {
            QVERIFY(modal && modal->objectName() == QStringLiteral("FormProcInfo"));
            hasIcon = !modal->findChild<QLabel *>("Image1")->pixmap().isNull();
            (void)QTest::qWaitFor([&] { return m_platform.SnapshotCount > snapshots; }, 2000);
            snapshotsBehind = m_platform.SnapshotCount - snapshots;
            modal->close();
        });
        m_window->Menu()->procInfoAction()->trigger();
        QVERIFY(hasIcon);
        QVERIFY(snapshotsBehind > 0);
        QVERIFY(timer->isActive());
        QCOMPARE(m_window->LargeIcons()->Size(), 32);
    }

    void rowIconsInTheProcessColumn()
    {
        const int withPath = rowOf("sshd");
        const QVariant icon = model()->index(withPath, ColProcess).data(Qt::DecorationRole);
        QVERIFY(icon.canConvert<QPixmap>());
        QCOMPARE(icon.value<QPixmap>().size(), QSize(16, 16));
        QVERIFY(!model()->index(rowOf("System"), ColProcess).data(Qt::DecorationRole).isValid());
        QVERIFY(!model()->index(withPath, ColLocalIp).data(Qt::DecorationRole).isValid());
        QCOMPARE(m_window->SmallIcons()->Count(), 1);
    }

    void copyPutsTheReportOnTheClipboard()
    {
        rightClick("alpha");
        m_window->Menu()->copyAction()->trigger();
        const QString text = QGuiApplication::clipboard()->text();
        QCOMPARE(text.count(QStringLiteral("\r\n")), 14);
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        QVERIFY(text.contains(QStringLiteral("\r\nPID:12\r\n")));
        QVERIFY(text.contains(QStringLiteral("路径:/bin/alpha\r\n")));
    }

    void locateAndProperties()
    {
        m_platform.ExistingFiles = {"/bin/alpha"};
        rightClick("alpha");
        m_window->Menu()->locateAction()->trigger();
        m_window->Menu()->propertyAction()->trigger();
        rightClick("Zeta");  // gone from the disk: no locate
        m_window->Menu()->locateAction()->trigger();
        QCOMPARE(m_shell.Calls, (QStringList{"show /bin/alpha", "props /bin/alpha"}));
    }

    void endProcess_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("viaButton");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<int>("ended");  // PID, 0 for none
        QTest::newRow("menu") << "alpha" << false << false << false << 12;
        QTest::newRow("button") << "alpha" << true << false << false << 12;
        QTest::newRow("system directory, No") << "sshd" << false << false << true << 0;
        QTest::newRow("system directory, Yes") << "sshd" << true << true << true << 11;
        QTest::newRow("button after a menu over a row without a path") << "System" << true << true << false << 0;
    }
    void endProcess()
    {
        QFETCH(QString, name);
        QFETCH(bool, viaButton);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        QFETCH(int, ended);
        m_prompts.Answer = answer;
        rightClick(name.toLatin1().constData());
        const int snapshots = m_platform.SnapshotCount;
        if (viaButton)
            QTest::mouseClick(Child<QPushButton>("BTNEndPro"), Qt::LeftButton);
        else
            m_window->Menu()->endProcAction()->trigger();

        QCOMPARE(m_prompts.Questions.size(), asked ? 1 : 0);
        if (asked)
            QCOMPARE(m_prompts.Questions[0], QString::fromUtf8(texts::EndSystemConfirmMsg));
        QCOMPARE(m_platform.Terminated.size(), size_t(ended ? 1 : 0));
        if (ended)
            QCOMPARE(m_platform.Terminated[0].first, uint32_t(ended));
        // Refreshed at once after the termination request.
        QCOMPARE(m_platform.SnapshotCount - snapshots, ended ? 1 : 0);
        QVERIFY(m_prompts.Messages.isEmpty());
        QVERIFY(Child<QPushButton>("BTNRefresh")->isEnabled());
    }

    // A timer refresh may run while the menu is open. When it deletes the
    // row the menu was opened for, the focus moves to the first row, and a
    // command chosen then must not act on that row instead.
    void menuCommandActsOnlyOnTheRowTheMenuWasOpenedFor_data()
    {
        QTest::addColumn<bool>("rowDeleted");
        QTest::addColumn<QList<uint32_t>>("ended");
        QTest::newRow("row kept by the refresh") << false << QList<uint32_t>{10};
        QTest::newRow("row deleted by the refresh") << true << QList<uint32_t>{};
    }
    void menuCommandActsOnlyOnTheRowTheMenuWasOpenedFor()
    {
        QFETCH(bool, rowDeleted);
        QFETCH(QList<uint32_t>, ended);
        m_window->Menu()->setOpener([&](QMenu *, QPoint) {
            if (rowDeleted)
                m_platform.Tables.TcpRecs.erase(m_platform.Tables.TcpRecs.begin() + 1);  // Zeta's
            QTest::mouseClick(Child<QPushButton>("BTNRefresh"), Qt::LeftButton);
            m_window->Menu()->endProcAction()->trigger();
        });
        rightClick("Zeta");
        QList<uint32_t> terminated;
        for (const auto &[pid, start] : m_platform.Terminated)
            terminated << pid;
        QCOMPARE(terminated, ended);
        QVERIFY(m_prompts.Messages.isEmpty());

        // Afterwards the commands act on the focused row again.
        m_window->Menu()->setOpener([](QMenu *, QPoint) {});
        rightClick("alpha");
        m_window->Menu()->endProcAction()->trigger();
        QCOMPARE(m_platform.Terminated.back().first, uint32_t(12));
    }

    void incrementalSearchFindsTheRowAndTheListFollows()
    {
        view()->setFocus();
        view()->setCurrentIndex(model()->index(0, ColProcess));
        QTest::keyClicks(view(), QStringLiteral("Ze"));
        QCOMPARE(m_window->List().FocusedRow(), rowOf("Zeta"));
        QCOMPARE(m_window->List().SelectedRow(), rowOf("Zeta"));
        // The focused column survives a refresh's push of the selection.
        QTest::mouseClick(Child<QPushButton>("BTNRefresh"), Qt::LeftButton);
        QCOMPARE(view()->currentIndex().column(), int(ColProcess));
    }

    void infoColumnsFollowTheirBox()
    {
        Child<QCheckBox>("CBShowInfo")->setChecked(true);
        header()->resizeSection(ColPath, 123);
        Child<QCheckBox>("CBShowInfo")->setChecked(false);
        for (int c : {ColPath, ColDescription, ColCompany})
            QVERIFY(view()->isColumnHidden(c));
        Child<QCheckBox>("CBShowInfo")->setChecked(true);
        QCOMPARE(header()->sectionSize(ColPath), 123);
        QCOMPARE(header()->sectionSize(ColManage), int(GetColumnInfo(ColManage).Width));
    }

    void filterFieldNarrowsTheListUntilEscape()
    {
        QAbstractItemModelTester tester(model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QLineEdit *field = m_window->FilterField();
        QVERIFY(!field->isVisible());
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(field->isVisible() && field->hasFocus());
        QVERIFY(field->geometry().right() < Child<QPushButton>("BTNOptions")->geometry().left());
        QTest::keyClicks(field, QStringLiteral("SS"));
        QCOMPARE(columnTexts(ColProcess), QStringList{"sshd"});
        QCOMPARE(m_window->FilterCount()->text(), QStringLiteral("1 / 4"));
        QCOMPARE(view()->currentIndex().row(), 0);
        // A refresh goes on underneath: a new row that matches takes its
        // place, and the timer's refresh leaves the keys with the field.
        m_platform.Tables.TcpRecs.push_back(FakeTcp("10.0.0.1", 23, "10.0.0.9", 5001, 5, 13, "asshd", "/bin/a"));
        auto *timer = Child<QTimer>("Timer1");
        timer->setSingleShot(true);
        timer->start(0);
        QTRY_COMPARE(m_window->FilterCount()->text(), QStringLiteral("2 / 5"));
        QCOMPARE(columnTexts(ColProcess), (QStringList{"asshd", "sshd"}));
        QVERIFY(field->hasFocus());
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!field->isVisible() && field->text().isEmpty());
        QCOMPARE(columnTexts(ColProcess), (QStringList{"alpha", "asshd", "sshd", "System", "Zeta"}));
        QCOMPARE(m_window->List().Record(m_window->List().SelectedRow()).ProcessName, std::string("sshd"));
    }

    void highlightedChangesAreTheRowsBackgrounds()
    {
        QMenu *options = Child<QPushButton>("BTNOptions")->menu();
        for (QAction *a : options->actions())
            if (a->text() == QString::fromUtf8(texts::HighlightChangesOption))
                a->trigger();
        m_platform.Tables.TcpRecs.erase(m_platform.Tables.TcpRecs.begin());  // sshd's connection ends
        m_platform.Tables.TcpRecs.push_back(FakeTcp("10.0.0.1", 80, "10.0.0.7", 6000, 5, 20, "bravo", "/bin/b"));
        QTest::mouseClick(Child<QPushButton>("BTNRefresh"), Qt::LeftButton);
        QCOMPARE(Child<QLabel>("LabNetCount")->text(), QStringLiteral("4"));  // sshd is not counted
        view()->selectionModel()->clearSelection();
        const QImage shown = view()->viewport()->grab().toImage();
        const std::pair<const char *, Rgb> rows[] = {{"bravo", AddedRowColour}, {"sshd", LeavingRowColour}};
        for (const auto &[name, colour] : rows) {
            const QRect cell = view()->visualRect(model()->index(rowOf(name), ColProtocol));
            QCOMPARE(shown.pixelColor(cell.right() - 4, cell.center().y()), QColor(colour.Red, colour.Green, colour.Blue));
        }
        QTest::mouseClick(Child<QPushButton>("BTNRefresh"), Qt::LeftButton);
        QCOMPARE(rowOf("sshd"), -1);
    }

    void exportWritesTheRowsShownToTheChosenFile()
    {
        QTemporaryDir dir;
        QString suggested;
        m_window->SetExportFileAsker([&](const QString &name, const QStringList &types, int &type) {
            suggested = name;
            type = static_cast<int>(types.size()) - 1;  // the HTML page
            return dir.filePath(QStringLiteral("list"));
        });
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(suggested.endsWith(QString::fromUtf8(texts::ExportFileName)));
        QFile page(dir.filePath(QStringLiteral("list.html")));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        QVERIFY(html.indexOf(QStringLiteral("<td>alpha</td>")) < html.indexOf(QStringLiteral("<td>Zeta</td>")));
        QVERIFY(m_prompts.Messages.isEmpty());
    }
};

QTEST_MAIN(MainWindowListTest)
#include "main_window_list_test.moc"
