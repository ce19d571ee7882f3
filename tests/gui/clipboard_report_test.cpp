#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "core/my_rec.h"
#include "gui/clipboard_report.h"

using namespace quorvex;

class ClipboardReportTest : public QObject {
    Q_OBJECT
private slots:
    void copiesFourteenLinesEndingInCrLf()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        CopyRowReport(nullptr);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

        TMyRec rec;
        rec.Protocol = QByteArrayLiteral("UDP").toStdString();
        rec.Pid = QByteArrayLiteral("7").toStdString();
        rec.ProcessName = QStringLiteral("服务").toStdString();
        CopyRowReport(&rec);
        const QString text = QGuiApplication::clipboard()->text();
        QCOMPARE(text.count(QStringLiteral("\r\n")), 14);
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        QVERIFY(text.startsWith(QString(23, QChar(0x2015)) + QStringLiteral("\r\n")));
        QVERIFY(text.contains(QStringLiteral("程序名称:服务\r\n")));
    }
};

QTEST_MAIN(ClipboardReportTest)
#include "clipboard_report_test.moc"
