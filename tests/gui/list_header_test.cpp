#include <QImage>
#include <QtTest>

#include "gui/connection_view.h"
#include "gui/list_header.h"
#include "list_test_model.h"

using namespace quorvex;

class ListHeaderTest : public QObject {
    Q_OBJECT
private:
    ConnectionList *m_list = nullptr;
    test::ListTestModel *m_model = nullptr;
    ConnectionView *m_view = nullptr;
    QList<int> m_clicks;

    ListHeader *header() const { return m_view->listHeader(); }
    QPoint centre(int column) const
    {
        return {header()->sectionViewportPosition(column) + header()->sectionSize(column) / 2, ListHeader::Height / 2};
    }
    void click(int pressColumn, int releaseColumn)
    {
        QTest::mousePress(header()->viewport(), Qt::LeftButton, {}, centre(pressColumn));
        QTest::mouseRelease(header()->viewport(), Qt::LeftButton, {}, centre(releaseColumn));
    }
    QStringList column(int c) const
    {
        QStringList out;
        for (int r = 0; r < m_model->rowCount(); ++r)
            out << m_model->index(r, c).data().toString();
        return out;
    }

private slots:
    void init()
    {
        m_list = new ConnectionList;
        m_list->FillList(test::SampleTables(), true);
        m_model = new test::ListTestModel(*m_list);
        m_view = new ConnectionView;
        m_view->setModel(m_model);
        test::ConfigureColumns(*m_view);
        m_view->resize(1000, 300);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view));
        header()->setSortState(m_list->SortColumn(), Qt::AscendingOrder);
        m_clicks.clear();
        // The window's VTSHeaderClick, as the main window wires it.
        connect(header(), &ListHeader::headerClicked, m_view, [this](int c) {
            m_clicks << c;
            m_list->HeaderClick(c);
            header()->setSortState(m_list->SortColumn(), m_list->Direction() == SortDirection::Ascending
                                                              ? Qt::AscendingOrder
                                                              : Qt::DescendingOrder);
        });
    }
    void cleanup()
    {
        delete m_view;
        delete m_model;
        delete m_list;
    }

    void reportsPressAndReleaseColumns_data()
    {
        QTest::addColumn<int>("press");
        QTest::addColumn<int>("release");
        QTest::addColumn<int>("reported");
        QTest::newRow("same column") << 4 << 4 << 4;
        QTest::newRow("manage column") << 9 << 9 << 9;
        QTest::newRow("released on another column") << 3 << 4 << -1;
    }
    void reportsPressAndReleaseColumns()
    {
        QFETCH(int, press);
        QFETCH(int, release);
        QFETCH(int, reported);
        click(press, release);
        QCOMPARE(m_clicks, QList<int>{reported});
    }

    void releasedOutsideTheHeaderGivesMinusOne()
    {
        QTest::mousePress(header()->viewport(), Qt::LeftButton, {}, centre(4));
        QTest::mouseRelease(header()->viewport(), Qt::LeftButton, {}, QPoint(centre(4).x(), 200));
        QCOMPARE(m_clicks, QList<int>{-1});
    }

    void manageColumnChangesNothing()
    {
        const QStringList before = column(ColProcess);
        click(9, 9);
        QCOMPARE(m_list->SortColumn(), 1);
        QCOMPARE(m_list->Direction(), SortDirection::Ascending);
        QCOMPARE(column(ColProcess), before);
        QCOMPARE(header()->sortIndicatorSection(), 1);
    }

    void flipSequence()
    {
        click(4, 4);
        QCOMPARE(column(ColLocalIp), (QStringList{"192.168.1.9", "10.0.0.2", "10.0.0.10", "0.0.0.0"}));
        QCOMPARE(header()->sortIndicatorSection(), 4);
        QCOMPARE(header()->sortIndicatorOrder(), Qt::DescendingOrder);
        click(4, 4);
        QCOMPARE(column(ColLocalIp), (QStringList{"0.0.0.0", "10.0.0.10", "10.0.0.2", "192.168.1.9"}));
        QCOMPARE(header()->sortIndicatorOrder(), Qt::AscendingOrder);
        click(5, 5);
        QCOMPARE(m_list->SortColumn(), 5);
        QCOMPARE(m_list->Direction(), SortDirection::Descending);
    }

    void noColumnKeepsOrderAndHidesGlyph()
    {
        const QStringList before = column(ColProcess);
        click(3, 4);
        QCOMPARE(m_list->SortColumn(), -1);
        QCOMPARE(m_list->Direction(), SortDirection::Descending);
        QCOMPARE(header()->sortIndicatorSection(), -1);
        QCOMPARE(column(ColProcess), before);

        // Rows that a refresh adds stay at the end until the next header click.
        TcpUdpTables next = test::SampleTables();
        next.TcpRecs.push_back(FakeTcp("10.0.0.3", 8080, "1.1.1.1", 9, 5, 20, "aaa-new", "/usr/bin/new"));
        m_list->RefreshList(next, true);
        QCOMPARE(column(ColProcess).last(), QStringLiteral("aaa-new"));
    }

    void hotCaptionIsBlue()
    {
        QTest::mouseMove(header()->viewport(), centre(4));
        QCOMPARE(header()->hotSection(), 4);
        const QImage image = header()->viewport()->grab().toImage();
        auto hasBlue = [&](int c) {
            const int x0 = header()->sectionViewportPosition(c);
            for (int x = x0; x < x0 + header()->sectionSize(c); ++x)
                for (int y = 0; y < image.height(); ++y)
                    if (image.pixelColor(x, y) == QColor(0, 0, 255))
                        return true;
            return false;
        };
        QVERIFY(hasBlue(4));
        QVERIFY(!hasBlue(3));
        QCOMPARE(image.pixelColor(header()->sectionViewportPosition(3) + 2, 2), QColor(Qt::white));
    }

    void manageColumnIsFixed()
    {
        QCOMPARE(header()->sectionSize(ColManage), 40);
        QCOMPARE(header()->sectionResizeMode(ColManage), QHeaderView::Fixed);
        const int edge = header()->sectionViewportPosition(ColManage) + 40 - 1;
        QTest::mousePress(header()->viewport(), Qt::LeftButton, {}, QPoint(edge, 10));
        QTest::mouseMove(header()->viewport(), QPoint(edge + 60, 10));
        QTest::mouseRelease(header()->viewport(), Qt::LeftButton, {}, QPoint(edge + 60, 10));
        QTest::mouseDClick(header()->viewport(), Qt::LeftButton, {}, QPoint(edge, 10));
        QCOMPARE(header()->sectionSize(ColManage), 40);
    }

    void dividerDoubleClickFitsAndDoesNotClick()
    {
        header()->resizeSection(ColLocalIp, 30);
        const int edge = header()->sectionViewportPosition(ColLocalIp) + 30 - 1;
        QTest::mouseDClick(header()->viewport(), Qt::LeftButton, {}, QPoint(edge, 10));
        QVERIFY(header()->sectionSize(ColLocalIp) > 40);
        QVERIFY(m_clicks.isEmpty());
    }

    void edgesWithoutAResizableSectionTakeClicks()
    {
        // The grip strip is a divider only where a section can be resized:
        // not before the first visible column, nor on either side of the
        // fixed manage column.
        m_view->setInfoColumnsVisible(true);
        int afterManage = -1;
        for (int v = header()->visualIndex(ColManage) + 1; afterManage < 0 && v < header()->count(); ++v)
            if (!header()->isSectionHidden(header()->logicalIndex(v)))
                afterManage = header()->logicalIndex(v);
        QVERIFY(afterManage >= 0);
        const struct {
            int column;
            int x;
        } cases[] = {
            {ColProcess, header()->sectionViewportPosition(ColProcess) + 1},
            {afterManage, header()->sectionViewportPosition(afterManage) + 1},
            {ColManage, header()->sectionViewportPosition(ColManage) + GetColumnInfo(ColManage).Width - 2},
        };
        for (const auto &c : cases) {
            m_clicks.clear();
            const int width = header()->sectionSize(c.column);
            QTest::mousePress(header()->viewport(), Qt::LeftButton, {}, QPoint(c.x, 10));
            QTest::mouseRelease(header()->viewport(), Qt::LeftButton, {}, QPoint(c.x, 10));
            QVERIFY2(m_clicks == QList<int>{c.column}, qPrintable(QStringLiteral("column %1").arg(c.column)));
            QCOMPARE(header()->sectionSize(c.column), width);
        }
    }

    void onlyRemarkColumnMoves()
    {
        QTest::mousePress(header()->viewport(), Qt::LeftButton, {}, centre(3));
        for (int x = centre(3).x(); x <= centre(6).x(); x += 10)
            QTest::mouseMove(header()->viewport(), QPoint(x, 10));
        QTest::mouseRelease(header()->viewport(), Qt::LeftButton, {}, centre(6));
        QCOMPARE(header()->visualIndex(3), 3);
        QVERIFY(!header()->sectionsMovable());
    }
};

QTEST_MAIN(ListHeaderTest)
#include "list_header_test.moc"
