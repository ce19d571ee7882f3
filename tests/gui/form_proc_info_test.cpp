#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <string>
#include <vector>

#include "core/my_rec.h"
#include "core/shell_actions.h"
#include "gui/form_proc_info.h"

using namespace quorvex;

namespace {

class RecordingShell : public ShellActions {
public:
    bool OpenUrl(const std::string &) override { return true; }
    void OpenFile(const std::string &) override {}
    void ShowInFileManager(const std::string &path) override { located.push_back(path); }
    void ShowProperties(const std::string &) override {}
    std::vector<std::string> located;
};

TMyRec Row()
{
    TMyRec rec;
    rec.Pid = "4321";
    rec.ProcessName = "sshd";
    rec.ProcessPath = "/opt/gone/\xE7\xA8\x8B\xE5\xBA\x8F";  // deleted since the snapshot
    return rec;
}

}  // namespace

class FormProcInfoTest : public QObject {
    Q_OBJECT
private slots:
    void textsAndGeometry()
    {
        RecordingShell shell;
        TFormProcInfo dialog(Row(), shell);
        QVERIFY(dialog.testAttribute(Qt::WA_DeleteOnClose));
        dialog.setAttribute(Qt::WA_DeleteOnClose, false);  // it lives on the stack here
        QCOMPARE(dialog.font().family(), QStringLiteral("Arial"));
        QCOMPARE(dialog.font().pointSize(), 8);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("进程详细信息"));
        QCOMPARE(dialog.size(), QSize(425, 237));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QVERIFY(!(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(dialog.isModal());

        const struct {
            const char *name;
            QString text;
            QPoint at;
        } labels[] = {
            {"LabExe", "sshd", {80, 16}},
            {"LabExeDes", "  ", {80, 45}},  // empty description: two blanks
            {"LabPID", "PID:4321", {80, 69}},
            {"Labcomp", " ", {80, 91}},  // empty company: one blank
            {"Label5", QStringLiteral("文件路径: "), {10, 121}},
            {"LabLocate", QStringLiteral("定位文件"), {12, 179}},
        };
        for (const auto &l : labels) {
            auto *label = dialog.findChild<QLabel *>(l.name);
            QVERIFY2(label, l.name);
            QCOMPARE(label->text(), l.text);
            QCOMPARE(label->pos(), l.at);
        }
        QVERIFY(dialog.findChild<QLabel *>("LabExe")->font().bold());
        QVERIFY(!dialog.findChild<QLabel *>("LabExeDes")->isEnabled());
        auto *link = dialog.findChild<QLabel *>("LabLocate");
        QVERIFY(link->font().underline());
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);

        const struct {
            const char *name;
            QRect geometry;
        } boxes[] = {
            {"Panel1", {0, 0, 425, 237}}, {"Image1", {16, 16, 32, 32}},   {"Shape1", {8, 114, 409, 1}},
            {"Shape2", {8, 198, 409, 1}}, {"EPath", {8, 140, 409, 20}},   {"BTNOK", {321, 202, 97, 26}},
        };
        for (const auto &b : boxes) {
            auto *widget = dialog.findChild<QWidget *>(b.name);
            QVERIFY2(widget, b.name);
            QCOMPARE(widget->geometry(), b.geometry);
        }
        QCOMPARE(dialog.findChild<QWidget *>("Panel1")->palette().color(QPalette::Window), QColor(236, 245, 248));
        auto *path = dialog.findChild<QLineEdit *>("EPath");
        QCOMPARE(path->text(), QStringLiteral("/opt/gone/程序"));
        QVERIFY(path->isReadOnly());
        QCOMPARE(dialog.findChild<QPushButton *>("BTNOK")->text(), QStringLiteral("确定"));
    }

    void okHasTheFocusAndLeadsTheTabOrder()
    {
        RecordingShell shell;
        TFormProcInfo dialog(Row(), shell);
        dialog.setAttribute(Qt::WA_DeleteOnClose, false);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), dialog.findChild<QWidget *>("BTNOK"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.findChild<QWidget *>("EPath"));
    }

    void iconIsDrawnAtOneOne()
    {
        RecordingShell shell;
        TFormProcInfo dialog(Row(), shell);
        dialog.setAttribute(Qt::WA_DeleteOnClose, false);
        auto *image = dialog.findChild<QLabel *>("Image1");
        dialog.SetIcon(QIcon());
        QVERIFY(image->pixmap().isNull());

        QPixmap red(32, 32);
        red.fill(Qt::red);
        dialog.SetIcon(QIcon(red));
        const QImage drawn = image->pixmap().toImage();
        QCOMPARE(drawn.size(), QSize(32, 32));
        QCOMPARE(qAlpha(drawn.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(drawn.pixel(31, 0)), 0);
        QCOMPARE(qAlpha(drawn.pixel(0, 31)), 0);
        QCOMPARE(QColor(drawn.pixel(1, 1)), QColor(Qt::red));
        QCOMPARE(QColor(drawn.pixel(31, 31)), QColor(Qt::red));
    }

    void linkShowsThePathWithoutAnExistenceTest()
    {
        RecordingShell shell;
        TFormProcInfo dialog(Row(), shell);
        dialog.setAttribute(Qt::WA_DeleteOnClose, false);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QLabel *>("LabLocate"), Qt::LeftButton);
        QCOMPARE(shell.located, std::vector<std::string>{Row().ProcessPath});
    }

    void okButtonAndPathKeepTheirColoursInsideAStyledWindow()
    {
        // The main window styles its own buttons; the dialog is its child and
        // would inherit that look.
        QWidget owner;
        owner.setStyleSheet(QStringLiteral("QPushButton { background-color: rgb(244,244,240); }"));
        RecordingShell shell;
        auto *dialog = new TFormProcInfo(Row(), shell, &owner);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        auto *ok = dialog->findChild<QPushButton *>("BTNOK");
        const QImage face = ok->grab().toImage();
        QCOMPARE(face.pixelColor(6, 6), QColor(209, 218, 238));
        auto *path = dialog->findChild<QLineEdit *>("EPath");
        QCOMPARE(path->grab().toImage().pixelColor(path->width() - 3, path->height() / 2), QColor(235, 235, 235));
        dialog->close();
    }

    void linkKeepsPathBytesThatAreNoText()
    {
        RecordingShell shell;
        TMyRec rec = Row();
        rec.ProcessPath = "/opt/\xff\xfe-app";  // not UTF-8: a name the kernel allows
        TFormProcInfo dialog(rec, shell);
        dialog.setAttribute(Qt::WA_DeleteOnClose, false);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QLabel *>("LabLocate"), Qt::LeftButton);
        QCOMPARE(shell.located, std::vector<std::string>{rec.ProcessPath});
    }

    void eachOpeningIsANewModalDialogDeletedOnClose()
    {
        RecordingShell shell;
        QWidget owner;
        owner.setGeometry(200, 150, 746, 433);
        owner.show();
        QList<QPointer<QWidget>> seen;
        QList<QPoint> centres;
        for (int opening = 0; opening < 2; ++opening) {
            // Closes the dialog from inside its modal loop, once it is up.
            QTimer::singleShot(0, [&] {
                QWidget *modal = QApplication::activeModalWidget();
                QVERIFY(modal);
                seen.append(modal);
                centres.append(modal->geometry().center());
                if (opening == 0)
                    QTest::mouseClick(modal->findChild<QPushButton *>("BTNOK"), Qt::LeftButton);
                else
                    modal->close();  // the frame's close button
            });
            ShowProcessInfo(Row(), QIcon(), shell, &owner);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(seen.size(), 2);
        QVERIFY(seen[0].isNull());
        QVERIFY(seen[1].isNull());
        for (const QPoint &centre : centres)
            QVERIFY((centre - owner.geometry().center()).manhattanLength() <= 4);
    }
};

QTEST_MAIN(FormProcInfoTest)
#include "form_proc_info_test.moc"
