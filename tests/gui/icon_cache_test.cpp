#include <QIcon>
#include <QtTest>

#include "gui/icon_cache.h"
#include "gui/theme_icon_provider.h"

using namespace quorvex;

class IconCacheTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << QStringLiteral("/usr/share/icons"));
        QIcon::setThemeName(QStringLiteral("Adwaita"));
        QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
    }

    void keysFromEntryMimeOrExecutable_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("key");
        QTest::newRow("desktop entry") << "/usr/bin/editor" << "accessories-text-editor";
        QTest::newRow("by name: text") << "/tmp/notes.txt" << "text-plain|text-x-generic";
        QTest::newRow("by name: script") << "/opt/run.sh" << "application-x-shellscript|text-x-script";
        QTest::newRow("no extension") << "/usr/sbin/sshd" << "application-x-executable";
        QTest::newRow("empty path") << "" << "application-x-executable";
    }
    void keysFromEntryMimeOrExecutable()
    {
        QFETCH(QString, path);
        QFETCH(QString, key);
        ThemeIconProvider provider([](const std::string &p) {
            return p == "/usr/bin/editor" ? std::string("accessories-text-editor") : std::string();
        });
        const QString got = QString::fromStdString(provider.IconKey(path.toStdString()));
        QVERIFY2(key.split('|').contains(got), qPrintable(got));
    }

    void indexesAreStableAndMemoised()
    {
        int lookups = 0;
        bool changed = false;
        ThemeIconProvider provider(
            [&](const std::string &p) {
                ++lookups;
                return p.rfind("/usr/bin/", 0) == 0 ? std::string("app-") + p.substr(9, 1) : std::string();
            },
            [&] { return std::exchange(changed, false); });
        const int a = provider.SystemIconIndex("/usr/bin/alpha");
        const int a2 = provider.SystemIconIndex("/usr/bin/another");  // same key "app-a"
        const int b = provider.SystemIconIndex("/usr/bin/bravo");
        QCOMPARE(a, 0);
        QCOMPARE(a2, 0);
        QCOMPARE(b, 1);
        QCOMPARE(provider.SystemIconIndex("/usr/bin/alpha"), 0);
        QCOMPARE(lookups, 3);
        changed = true;  // desktop entries changed: answers are decided again, indexes of names stay
        QCOMPARE(provider.SystemIconIndex("/usr/bin/bravo"), 1);
        QCOMPARE(lookups, 4);
    }

    void cachesCopyOncePerIconAtTheirSize()
    {
        auto provider = std::make_shared<ThemeIconProvider>();
        IconCache small(16, provider);
        IconCache large(32, provider);
        const int first = small.GetFileIconIndex("/usr/sbin/daemon");
        QCOMPARE(first, 0);
        QCOMPARE(small.GetFileIconIndex("/usr/bin/other"), 0);  // same generic executable icon
        QCOMPARE(small.GetFileIconIndex("/tmp/a.txt"), 1);
        QCOMPARE(small.Count(), 2);
        QCOMPARE(small.Image(0).size(), QSize(16, 16));
        const QImage pixels = small.Image(0).toImage();
        bool drawn = false;
        for (int y = 0; y < 16 && !drawn; ++y)
            for (int x = 0; x < 16 && !drawn; ++x)
                drawn = pixels.pixelColor(x, y).alpha() > 0;
        QVERIFY2(drawn, "the theme gave no pixels for the executable icon");
        QCOMPARE(large.GetFileIconIndex("/tmp/a.txt"), 0);  // each list keeps its own copies
        QCOMPARE(large.Image(0).size(), QSize(32, 32));
        const QVariant deco = small.Decoration("/usr/sbin/daemon");
        QVERIFY(deco.canConvert<QPixmap>());
        QCOMPARE(small.Count(), 2);
    }

    void missingIconIsRetried()
    {
        // A provider whose icons cannot be had: nothing is recorded, so the
        // next request asks again.
        struct Empty : SystemIconProvider {
            int asked = 0;
            int SystemIconIndex(const std::string &) override { return 4; }
            QIcon SystemIcon(int) override { ++asked; return {}; }
        };
        auto provider = std::make_shared<Empty>();
        IconCache cache(16, provider);
        QCOMPARE(cache.GetFileIconIndex("/x"), -1);
        QVERIFY(!cache.Decoration("/x").isValid());
        QCOMPARE(provider->asked, 2);
        QVERIFY(cache.List().CopiedIndexes().empty());
    }
};

QTEST_MAIN(IconCacheTest)
#include "icon_cache_test.moc"
