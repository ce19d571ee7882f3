#include <QMenu>
#include <QtTest>

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
        QCOMPARE(captions, (QStringList{"进程信息", "-", "结束进程(&E)", "关闭连接", "-", "拷贝到剪贴板", "定位文件",
                                        "属性(&R)", "-", "导出列表…"}));
        // Closing a connection waits for a row's menu to say it can.
        for (QAction *a : menu.menu()->actions())
            QVERIFY(a->isEnabled() == (a != menu.closeConnectionAction()));
    }

    void eachItemReportsItsCommand()
    {
        RowMenuState state;
        state.CloseConnection = true;
        RowMenu menu(state);
        QList<RowCommand> chosen;
        connect(&menu, &RowMenu::commandChosen, [&](RowCommand c) { chosen << c; });
        for (QAction *a : {menu.procInfoAction(), menu.endProcAction(), menu.copyAction(), menu.locateAction(),
                           menu.propertyAction(), menu.closeConnectionAction(), menu.exportAction()})
            a->trigger();
        QCOMPARE(chosen, (QList<RowCommand>{RowCommand::ProcInfo, RowCommand::EndProc, RowCommand::Copy,
                                            RowCommand::Locate, RowCommand::Property, RowCommand::CloseConnection,
                                            RowCommand::Export}));
    }

    // The items show the core's state when the menu opens; a disabled item
    // cannot be chosen.
    void opensShowingTheState()
    {
        RowMenuState state;
        RowMenu menu(state);
        QList<QPoint> opened;
        menu.setOpener([&](QMenu *, QPoint p) { opened << p; });
        TMyRec noPath;
        state.EnableRowItems(noPath);
        menu.open(QPoint(10, 20));
        QCOMPARE(opened, QList<QPoint>{QPoint(10, 20)});
        for (QAction *a : {menu.procInfoAction(), menu.endProcAction(), menu.locateAction(), menu.propertyAction()})
            QVERIFY(!a->isEnabled());
        QVERIFY(menu.copyAction()->isEnabled());
        QSignalSpy chosen(&menu, &RowMenu::commandChosen);
        menu.endProcAction()->trigger();
        QCOMPARE(chosen.size(), 0);
    }
};

QTEST_MAIN(RowMenuTest)
#include "row_menu_test.moc"
