#include <QtTest>

#include "gui/display_check.h"
#include "gui/window_system.h"

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

    // XWayland only where Wayland and X11 are both there and the user named
    // no plugin; the box only where the plugin is not a Wayland one.
    void choosesXWaylandForAlwaysOnTop_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("wayland");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("argument");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Wayland with XWayland") << ":0" << "wayland-0" << "" << false << "xcb;wayland";
        QTest::newRow("Wayland alone") << "" << "wayland-0" << "" << false << "";
        QTest::newRow("X11 alone") << ":0" << "" << "" << false << "";
        QTest::newRow("user chose wayland") << ":0" << "wayland-0" << "wayland" << false << "";
        QTest::newRow("user gave -platform") << ":0" << "wayland-0" << "" << true << "";
    }
    void choosesXWaylandForAlwaysOnTop()
    {
        QFETCH(QString, display);
        QFETCH(QString, wayland);
        QFETCH(QString, platform);
        QFETCH(bool, argument);
        QFETCH(QString, expected);
        const DisplaySettings settings{display.toStdString(), wayland.toStdString(), platform.toStdString(), argument};
        QCOMPARE(QString::fromStdString(PreferredPlatformPlugins(settings)), expected);
    }
    void keepsOnTopExceptOnWayland()
    {
        for (const char *name : {"xcb", "offscreen", "windows"})
            QVERIFY2(CanKeepWindowOnTop(name), name);
        for (const char *name : {"wayland", "wayland-egl"})
            QVERIFY2(!CanKeepWindowOnTop(name), name);
    }
};

QTEST_APPLESS_MAIN(DisplayCheckTest)
#include "display_check_test.moc"
