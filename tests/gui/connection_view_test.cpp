#include <QLineEdit>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtTest>

#include "gui/connection_view.h"
#include "gui/list_header.h"
#include "gui/row_delegate.h"
#include "list_test_model.h"

using namespace quorvex;

Q_DECLARE_METATYPE(quorvex::ClickKind)
Q_DECLARE_METATYPE(quorvex::MouseButton)

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
    qint64 m_now = 0;

    QPoint cell(int row, int column) const { return m_view->visualRect(m_model->index(row, column)).center(); }
    QPoint belowRows(int column) const
    {
        const QRect last = m_view->visualRect(m_model->index(m_model->rowCount() - 1, column));
        return {last.center().x(), last.bottom() + 30};
    }

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
        m_now = 1000;
        m_view->setSearchClock([this] { return m_now; });
    }
    void cleanup()
    {
        delete m_window;
        delete m_model;
        delete m_list;
    }

    // The view only reports: where, which button, which kind. A press
    // selects nothing by itself (the window controller answers that).
    void mouseEventsAreReportedWithRowAndColumn()
    {
        QSignalSpy reports(m_view, &ConnectionView::mouseReported);
        QTest::mouseClick(m_view->viewport(), Qt::RightButton, {}, cell(2, ColLocalIp));
        QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, belowRows(ColManage));
        QTest::mouseClick(m_view->viewport(), Qt::MiddleButton, {}, cell(1, ColState));
        // kind, button, row, column
        const QList<QList<int>> expected{
            {int(ClickKind::Press), int(MouseButton::Right), 2, ColLocalIp},
            {int(ClickKind::Release), int(MouseButton::Right), 2, ColLocalIp},
            {int(ClickKind::DoubleClick), int(MouseButton::Left), -1, -1},
            {int(ClickKind::Press), int(MouseButton::Other), 1, ColState},
            {int(ClickKind::Release), int(MouseButton::Other), 1, ColState},
        };
        QCOMPARE(reports.size(), expected.size());
        for (qsizetype i = 0; i < reports.size(); ++i) {
            const QList<int> got{int(reports[i][0].value<ClickKind>()), int(reports[i][1].value<MouseButton>()),
                                 reports[i][2].toInt(), reports[i][3].toInt()};
            QCOMPARE(got, expected[i]);
        }
        QVERIFY(m_view->currentIndex().row() != 2 && !m_view->selectionModel()->isRowSelected(2, {}));
        QCOMPARE(reports[0][4].toPoint(), m_view->viewport()->mapToGlobal(cell(2, ColLocalIp)));
    }

    void menuKeyAndTypingAreReported()
    {
        QSignalSpy menuKey(m_view, &ConnectionView::menuKeyPressed);
        QSignalSpy typed(m_view, &ConnectionView::textTyped);
        m_view->focusCell(2, ColProcess);
        // The windowing system turns the menu key into this event; a right
        // click's own event is not a menu request of its own.
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(5, 5), m_view->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(m_view, &key);
        QContextMenuEvent mouse(QContextMenuEvent::Mouse, QPoint(5, 5), m_view->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(m_view, &mouse);
        QCOMPARE(menuKey.size(), 1);
        const QRect rowRect = m_view->visualRect(m_model->index(2, m_view->focusedColumn()));
        QVERIFY(rowRect.contains(m_view->viewport()->mapFromGlobal(m_view->focusedRowMenuPosition())));

        m_now = 4321;
        QTest::keyClicks(m_view, QStringLiteral("b"));
        QCOMPARE(typed.size(), 1);
        QCOMPARE(typed[0][0].toString(), QStringLiteral("b"));
        QCOMPARE(typed[0][1].toLongLong(), 4321);
    }

    void focusCellSelectsTheRowAndTheColumn()
    {
        m_view->focusCell(3, ColState);
        QCOMPARE(m_view->currentIndex(), m_model->index(3, ColState));
        QVERIFY(m_view->selectionModel()->isRowSelected(3, {}));
        QCOMPARE(m_view->focusedColumn(), int(ColState));
        m_view->setColumnHidden(ColState, true);
        QCOMPARE(m_view->focusedColumn(), int(ColProcess));  // the first visible column
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
        m_view->focusCell(1, ColLocalIp);
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
        m_view->focusCell(0, ColLocalIp);
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
