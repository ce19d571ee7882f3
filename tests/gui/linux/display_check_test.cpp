#include <QtTest>

#include "gui/display_check.h"

using namespace quorvex;

class DisplayCheckTest : public QObject {
    Q_OBJECT

private slots:
    void decidesFromTheEnvironment_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("wayland");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("argument");
        QTest::addColumn<bool>("expected");
        QTest::newRow("nothing set") << "" << "" << "" << false << false;
        QTest::newRow("X11") << ":0" << "" << "" << false << true;
        QTest::newRow("Wayland") << "" << "wayland-0" << "" << false << true;
        QTest::newRow("offscreen") << "" << "" << "offscreen" << false << true;
        QTest::newRow("xcb without DISPLAY") << "" << "wayland-0" << "xcb" << false << false;
        QTest::newRow("wayland without WAYLAND_DISPLAY") << ":0" << "" << "wayland-egl" << false << false;
        QTest::newRow("list, second can start") << ":0" << "" << "wayland;xcb:nograb" << false << true;
        QTest::newRow("list, none can start") << "" << "" << ";xcb;wayland" << false << false;
        QTest::newRow("-platform given") << "" << "" << "" << true << true;
    }
    void decidesFromTheEnvironment()
    {
        QFETCH(QString, display);
        QFETCH(QString, wayland);
        QFETCH(QString, platform);
        QFETCH(bool, argument);
        QFETCH(bool, expected);
        const DisplaySettings settings{display.toStdString(), wayland.toStdString(), platform.toStdString(), argument};
        QCOMPARE(HasDisplay(settings), expected);
    }
};

QTEST_APPLESS_MAIN(DisplayCheckTest)
#include "display_check_test.moc"
