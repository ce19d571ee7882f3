#include <QMenu>
#include <QtTest>

#include "core/columns.h"
#include "core/row_menu_state.h"
#include "gui/row_menu.h"

using namespace quorvex;

class RowMenuTest : public QObject {
    Q_OBJECT
private slots:
    void itemsInOrder()
    {
        RowMenuState state;
        RowMenu menu(state);
        QStringList captions;
        for (QAction *a : menu.menu()->actions())
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(captions, (QStringList{"进程信息", "-", "结束进程(&E)", "-", "拷贝到剪贴板", "定位文件", "属性(&R)"}));
        for (QAction *a : menu.menu()->actions())
            QVERIFY(a->isEnabled());
    }

    void eachItemHasItsSignal()
    {
        RowMenuState state;
        RowMenu menu(state);
        QStringList fired;
        connect(&menu, &RowMenu::procInfo, [&] { fired << "procInfo"; });
        connect(&menu, &RowMenu::endProc, [&] { fired << "endProc"; });
        connect(&menu, &RowMenu::copy, [&] { fired << "copy"; });
        connect(&menu, &RowMenu::locate, [&] { fired << "locate"; });
        connect(&menu, &RowMenu::property, [&] { fired << "property"; });
        for (QAction *a : {menu.procInfoAction(), menu.endProcAction(), menu.copyAction(), menu.locateAction(),
                           menu.propertyAction()})
            a->trigger();
        QCOMPARE(fired, (QStringList{"procInfo", "endProc", "copy", "locate", "property"}));
    }

    void requestsOpenOnlyForARow_data()
    {
        QTest::addColumn<QString>("request");  // popup / column click
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("hasRow");
        QTest::addColumn<bool>("opens");
        QTest::newRow("popup for a row") << "popup" << -1 << true << true;
        QTest::newRow("popup for no row") << "popup" << -1 << false << false;
        QTest::newRow("manage column") << "column" << int(ColManage) << true << true;
        QTest::newRow("manage column, no focused row") << "column" << int(ColManage) << false << false;
        QTest::newRow("other column") << "column" << int(ColState) << true << false;
    }
    void requestsOpenOnlyForARow()
    {
        QFETCH(QString, request);
        QFETCH(int, column);
        QFETCH(bool, hasRow);
        QFETCH(bool, opens);
        RowMenuState state;
        RowMenu menu(state);
        QList<QPoint> opened;
        menu.setOpener([&](QMenu *, QPoint p) { opened << p; });
        menu.setCursorSource([] { return QPoint(3, 4); });
        TMyRec row;  // no path
        const TMyRec *r = hasRow ? &row : nullptr;
        if (request == "popup")
            menu.popupForRow(r, QPoint(10, 20));
        else
            menu.columnClick(column, r);
        QCOMPARE(opened.size(), opens ? 1 : 0);
        if (opens)
            QCOMPARE(opened[0], request == "popup" ? QPoint(10, 20) : QPoint(3, 4));
        // A request that opens nothing leaves the items as they were.
        QCOMPARE(menu.procInfoAction()->isEnabled(), !opens);
        QCOMPARE(state.ProcInfo, !opens);
    }

    void stateSurvivesBetweenMenus()
    {
        RowMenuState state;
        RowMenu menu(state);
        menu.setOpener([](QMenu *, QPoint) {});
        TMyRec noPath, withPath;
        withPath.ProcessPath = "/usr/bin/x";
        menu.popupForRow(&noPath, {});
        QVERIFY(!menu.endProcAction()->isEnabled());
        QVERIFY(!state.EndProc);  // the bottom bar's button reads this
        QVERIFY(menu.copyAction()->isEnabled());
        menu.popupForRow(&withPath, {});
        QVERIFY(menu.endProcAction()->isEnabled() && menu.locateAction()->isEnabled() &&
                menu.propertyAction()->isEnabled());
    }
};

QTEST_MAIN(RowMenuTest)
#include "row_menu_test.moc"
