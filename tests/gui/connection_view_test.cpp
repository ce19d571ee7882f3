#include <QLineEdit>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtTest>

#include "core/row_menu_state.h"
#include "gui/connection_view.h"
#include "gui/list_header.h"
#include "gui/row_delegate.h"
#include "gui/row_menu.h"
#include "list_test_model.h"

using namespace quorvex;

// Rows after the first fill, by process name: alpha, bravo, Charlie, idle
// (idle has no path).
class ConnectionViewTest : public QObject {
    Q_OBJECT
private:
    QWidget *m_window = nullptr;
    QLineEdit *m_other = nullptr;
    ConnectionList *m_list = nullptr;
    test::ListTestModel *m_model = nullptr;
    ConnectionView *m_view = nullptr;
    RowMenuState m_state;
    RowMenu *m_menu = nullptr;
    QList<QPoint> m_opened;  // where the menu would have opened
    int m_procInfo = 0;
    qint64 m_now = 0;

    QPoint cell(int row, int column) const { return m_view->visualRect(m_model->index(row, column)).center(); }
    QPoint belowRows(int column) const
    {
        const QRect last = m_view->visualRect(m_model->index(m_model->rowCount() - 1, column));
        return {last.center().x(), last.bottom() + 30};
    }
    int currentRow() const { return m_view->currentIndex().isValid() ? m_view->currentIndex().row() : -1; }

private slots:
    void init()
    {
        m_window = new QWidget;
        auto *layout = new QVBoxLayout(m_window);
        m_other = new QLineEdit(m_window);
        m_view = new ConnectionView(m_window);
        layout->addWidget(m_other);
        layout->addWidget(m_view);
        m_list = new ConnectionList;
        m_list->FillList(test::SampleTables(), true);
        m_model = new test::ListTestModel(*m_list);
        m_view->setModel(m_model);
        test::ConfigureColumns(*m_view);
        m_window->resize(1100, 400);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        m_view->setFocus();

        m_state = RowMenuState();
        m_menu = new RowMenu(m_state, m_window);
        m_opened.clear();
        m_procInfo = 0;
        m_menu->setOpener([this](QMenu *, QPoint pos) { m_opened << pos; });
        m_menu->setCursorSource([] { return QPoint(777, 555); });
        connect(m_menu, &RowMenu::procInfo, this, [this] { ++m_procInfo; });
        // The main window's wiring of the list's reports.
        connect(m_view, &ConnectionView::popupRequested, m_menu,
                [this](int row, QPoint pos) { m_menu->popupForRow(&m_list->Record(row), pos); });
        connect(m_view, &ConnectionView::manageColumnClicked, m_menu,
                [this](int row, QPoint) { m_menu->columnClick(ColManage, &m_list->Record(row)); });
        connect(m_view, &ConnectionView::rowDoubleClicked, m_menu, &RowMenu::doubleClick);
        m_now = 1000;
        m_view->setSearchClock([this] { return m_now; });
    }
    void cleanup()
    {
        delete m_window;
        delete m_model;
        delete m_list;
    }

    void rightClickSelectsAndEnablesByPath_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("row with a path") << 1 << true;
        QTest::newRow("row without a path") << 3 << false;
    }
    void rightClickSelectsAndEnablesByPath()
    {
        QFETCH(int, row);
        QFETCH(bool, enabled);
        QTest::mouseClick(m_view->viewport(), Qt::RightButton, {}, cell(row, ColLocalIp));
        QCOMPARE(currentRow(), row);
        QVERIFY(m_view->selectionModel()->isRowSelected(row, {}));
        QCOMPARE(m_opened.size(), 1);
        QCOMPARE(m_opened[0], m_view->viewport()->mapToGlobal(cell(row, ColLocalIp)));
        for (QAction *a : {m_menu->procInfoAction(), m_menu->endProcAction(), m_menu->locateAction(),
                           m_menu->propertyAction()})
            QCOMPARE(a->isEnabled(), enabled);
        QVERIFY(m_menu->copyAction()->isEnabled());
    }

    void rightReleaseOnAnotherRowFocusesIt()
    {
        QSignalSpy popup(m_view, &ConnectionView::popupRequested);
        QTest::mousePress(m_view->viewport(), Qt::RightButton, {}, cell(0, ColLocalIp));
        QCOMPARE(currentRow(), 0);
        QTest::mouseRelease(m_view->viewport(), Qt::RightButton, {}, cell(2, ColLocalIp));
        QCOMPARE(popup.size(), 1);
        QCOMPARE(popup[0][0].toInt(), 2);
        QCOMPARE(currentRow(), 2);
    }

    void noMenuBelowTheRows()
    {
        QTest::mouseClick(m_view->viewport(), Qt::RightButton, {}, belowRows(ColLocalIp));
        QVERIFY(m_opened.isEmpty());
    }

    void menuKeyOpensOverTheFocusedRow()
    {
        m_view->focusRow(2);
        // The windowing system turns the menu key into this event.
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(5, 5), m_view->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(m_view, &key);
        QCOMPARE(m_opened.size(), 1);
        const QRect rowRect = m_view->visualRect(m_model->index(2, m_view->focusedColumn()));
        QVERIFY(rowRect.contains(m_view->viewport()->mapFromGlobal(m_opened[0])));
    }

    void manageColumnClicks_data()
    {
        QTest::addColumn<QPoint>("press");   // offsets into the press/release cells; x < 0: below the rows
        QTest::addColumn<int>("releaseColumn");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("opens");
        QTest::newRow("on the icon") << QPoint(14, 5) << int(ColManage) << int(Qt::LeftButton) << true;
        QTest::newRow("beside the icon") << QPoint(36, 20) << int(ColManage) << int(Qt::LeftButton) << true;
        QTest::newRow("released in another column") << QPoint(14, 5) << int(ColState) << int(Qt::LeftButton) << false;
        QTest::newRow("right button") << QPoint(14, 5) << int(ColManage) << int(Qt::RightButton) << false;
        QTest::newRow("below the rows") << QPoint(-1, -1) << int(ColManage) << int(Qt::LeftButton) << false;
        QTest::newRow("another column") << QPoint(14, 5) << int(ColState) << int(Qt::LeftButton) << false;
    }
    void manageColumnClicks()
    {
        QFETCH(QPoint, press);
        QFETCH(int, releaseColumn);
        QFETCH(int, button);
        QFETCH(bool, opens);
        const int row = 3;
        const QString tag = QTest::currentDataTag();
        const int pressColumn = tag == "another column" ? int(ColState) : int(ColManage);
        QSignalSpy manage(m_view, &ConnectionView::manageColumnClicked);
        QPoint p, r;
        if (press.x() < 0) {
            p = r = belowRows(ColManage);
        } else {
            p = m_view->visualRect(m_model->index(row, pressColumn)).topLeft() + press;
            r = m_view->visualRect(m_model->index(row, releaseColumn)).topLeft() + QPoint(10, 10);
        }
        const auto b = Qt::MouseButton(button);
        QTest::mousePress(m_view->viewport(), b, {}, p);
        QTest::mouseRelease(m_view->viewport(), b, {}, r);
        QCOMPARE(manage.size(), opens ? 1 : 0);
        if (opens) {
            QCOMPARE(manage[0][0].toInt(), row);
            QCOMPARE(currentRow(), row);
            QCOMPARE(m_opened, QList<QPoint>{QPoint(777, 555)});
            QVERIFY(!m_menu->procInfoAction()->isEnabled());  // row 3 has no path
        } else if (button == Qt::LeftButton) {
            QVERIFY(m_opened.isEmpty());
        }
    }

    void doubleClickActsOnlyWhileProcInfoIsEnabled()
    {
        auto dclick = [this](int row) { QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, cell(row, ColLocalIp)); };
        dclick(0);
        QCOMPARE(m_procInfo, 1);  // enabled at start
        QTest::mouseClick(m_view->viewport(), Qt::RightButton, {}, cell(3, ColLocalIp));  // no path
        dclick(1);  // has a path, but the items are not set again
        QCOMPARE(m_procInfo, 1);
        QCOMPARE(currentRow(), 1);
        QTest::mouseClick(m_view->viewport(), Qt::RightButton, {}, cell(2, ColLocalIp));  // path
        dclick(3);
        QCOMPARE(m_procInfo, 2);
        QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, belowRows(ColLocalIp));
        QCOMPARE(m_procInfo, 3);  // anywhere in the row area
    }

    void infoColumnsKeepTheirWidths()
    {
        m_view->setInfoColumnsVisible(true);
        const int visualManage = m_view->header()->visualIndex(ColManage);
        for (int c : {ColPath, ColDescription, ColCompany}) {
            QVERIFY(!m_view->isColumnHidden(c));
            QCOMPARE(m_view->header()->visualIndex(c), visualManage + c - ColManage);
        }
        m_view->setColumnWidth(ColDescription, 333);
        m_view->setInfoColumnsVisible(false);
        for (int c : {ColPath, ColDescription, ColCompany})
            QVERIFY(m_view->isColumnHidden(c));
        m_view->setInfoColumnsVisible(true);
        QCOMPARE(m_view->columnWidth(ColDescription), 333);
        QCOMPARE(m_view->columnWidth(ColPath), 260);
    }

    void selectedRowStaysGreenWithoutFocus()
    {
        m_view->focusRow(1);
        auto grab = [this] { return m_view->viewport()->grab().toImage(); };
        auto hasNear = [](const QImage &img, const QRect &rect, QColor colour) {
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                for (int x = rect.left(); x <= rect.right(); ++x) {
                    const QColor c = img.pixelColor(x, y);
                    if (qAbs(c.red() - colour.red()) + qAbs(c.green() - colour.green()) +
                            qAbs(c.blue() - colour.blue()) < 60)
                        return true;
                }
            return false;
        };
        const QRect textCell = m_view->visualRect(m_model->index(1, ColLocalIp)).adjusted(1, 1, -2, -2);
        const QPoint plain(textCell.right() - 2, textCell.center().y());  // right of the text

        QImage focused = grab();
        QCOMPARE(focused.pixelColor(plain), RowDelegate::SelectedColor);
        QVERIFY(hasNear(focused, textCell, m_view->palette().color(QPalette::Active, QPalette::HighlightedText)));

        m_other->setFocus();
        QTRY_VERIFY(!m_view->hasFocus());
        QImage unfocused = grab();
        QCOMPARE(unfocused.pixelColor(plain), RowDelegate::SelectedColor);
        QVERIFY(hasNear(unfocused, textCell, m_view->palette().color(QPalette::Active, QPalette::Text)));
        QVERIFY(!hasNear(unfocused, textCell, m_view->palette().color(QPalette::Active, QPalette::HighlightedText)));
        // Unselected rows keep the white ground.
        QCOMPARE(unfocused.pixelColor(m_view->visualRect(m_model->index(2, ColLocalIp)).topRight() + QPoint(-3, 3)),
                 QColor(Qt::white));
    }

    void manageIconOnEveryRow()
    {
        m_view->focusRow(0);
        const QImage shot = m_view->viewport()->grab().toImage();
        const QImage &icon = RowDelegate::manageIcon();
        QVERIFY(!icon.hasAlphaChannel());
        QCOMPARE(icon.size(), QSize(19, 18));
        for (int row = 0; row < m_model->rowCount(); ++row) {
            const QPoint origin = m_view->visualRect(m_model->index(row, ColManage)).topLeft() + QPoint(12, 3);
            for (QPoint p : {QPoint(0, 0), QPoint(9, 5), QPoint(18, 17), QPoint(5, 10)})
                QCOMPARE(shot.pixelColor(origin + p), icon.pixelColor(p));
        }
    }

    void incrementalSearch_data()
    {
        // Keys as "text@ms"; the focused column and row before typing; the row found.
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<int>("found");
        QTest::newRow("prefix") << QStringList{"b@0"} << int(ColProcess) << 0 << 1;
        QTest::newRow("case-sensitive") << QStringList{"c@0"} << int(ColProcess) << 0 << 0;
        QTest::newRow("upper case") << QStringList{"C@0"} << int(ColProcess) << 0 << 2;
        QTest::newRow("quick keys extend") << QStringList{"b@0", "r@150"} << int(ColProcess) << 0 << 1;
        QTest::newRow("a pause starts anew") << QStringList{"b@0", "i@250"} << int(ColProcess) << 0 << 3;
        QTest::newRow("no pause: bi matches nothing") << QStringList{"b@0", "i@199"} << int(ColProcess) << 0 << 1;
        QTest::newRow("focused column") << QStringList{"1@0", "9@10"} << int(ColLocalIp) << 0 << 0;
        QTest::newRow("from the focused row on") << QStringList{"1@0"} << int(ColLocalIp) << 2 << 3;
        QTest::newRow("the focused row itself") << QStringList{"1@0"} << int(ColLocalIp) << 1 << 1;
        QTest::newRow("wraps round") << QStringList{"19@0"} << int(ColLocalIp) << 1 << 0;
    }
    void incrementalSearch()
    {
        QFETCH(QStringList, keys);
        QFETCH(int, column);
        QFETCH(int, startRow);
        QFETCH(int, found);
        // Local IPs by row: 192.168.1.9, 10.0.0.2, 0.0.0.0, 10.0.0.10
        m_view->setCurrentIndex(m_model->index(startRow, column));
        m_now = 5000;
        for (const QString &k : keys) {
            const auto parts = k.split('@');
            m_now = 5000 + parts[1].toInt();
            QTest::keyClicks(m_view, parts[0]);
        }
        QCOMPARE(currentRow(), found);
        QVERIFY(m_view->selectionModel()->isRowSelected(found, {}));
    }

    void tooltipOnlyForElidedText()
    {
        auto tipAt = [this](int row, int column) -> QString {
            QToolTip::hideText();
            if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
                return QStringLiteral("<tooltip stuck>");
            const QPoint pos = cell(row, column);
            QHelpEvent event(QEvent::ToolTip, pos, m_view->viewport()->mapToGlobal(pos));
            QApplication::sendEvent(m_view->viewport(), &event);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        m_view->setColumnWidth(ColLocalIp, 30);
        QCOMPARE(tipAt(0, ColLocalIp), QStringLiteral("192.168.1.9"));
        m_view->setColumnWidth(ColLocalIp, 200);
        QCOMPARE(tipAt(0, ColLocalIp), QString());
        QCOMPARE(tipAt(0, ColManage), QString());
    }
};

QTEST_MAIN(ConnectionViewTest)
#include "connection_view_test.moc"
