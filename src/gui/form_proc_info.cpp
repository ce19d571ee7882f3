#include "gui/form_proc_info.h"

#include <QColor>
#include <QCursor>
#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>

#include "core/fixed_texts.h"
#include "core/my_rec.h"
#include "core/shell_actions.h"
#include "gui/system_text.h"

namespace quorvex {

namespace {

constexpr int ClientWidth = 425;
constexpr int ClientHeight = 237;
constexpr int IconSize = 32;

// Face, hot-track and highlight colours of the hot-tracking OK button.
const char *OkButtonStyle =
    "QPushButton { background-color: rgb(209,218,238); border: 1px solid rgb(160,170,200); border-radius: 2px; }"
    "QPushButton:hover { border: 1px solid rgb(255,199,60); }"
    "QPushButton:pressed, QPushButton:focus { border: 1px solid rgb(106,141,244); }";

void Paint(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

QLabel *AddLabel(QWidget *parent, const char *name, const QString &text, int left, int top)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->adjustSize();  // as wide as its text
    return label;
}

QFrame *AddLine(QWidget *parent, const char *name, int top)
{
    auto *line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(QFrame::NoFrame);
    line->setGeometry(8, top, 409, 1);
    line->setAutoFillBackground(true);
    Paint(line, QPalette::Window, QColor(196, 211, 219));
    return line;
}

}  // namespace

TFormProcInfo::TFormProcInfo(const TMyRec &rec, ShellActions &shell, QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowCloseButtonHint),
      m_shell(shell), m_processPath(rec.ProcessPath)
{
    setObjectName(QStringLiteral("FormProcInfo"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    setWindowTitle(FromFixedText(texts::ProcInfoCaption));
    setFixedSize(ClientWidth, ClientHeight);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    setFont(font);

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(0, 0, ClientWidth, ClientHeight);
    panel->setAutoFillBackground(true);
    Paint(panel, QPalette::Window, QColor(236, 245, 248));

    // Made first so that it heads the tab order, with the path box second.
    m_ok = new QPushButton(FromFixedText(texts::ProcInfoOkButton), panel);
    m_ok->setObjectName(QStringLiteral("BTNOK"));
    m_ok->setGeometry(321, 202, 97, 26);
    m_ok->setDefault(true);
    // A style sheet of its own: the owner's sheet reaches into this dialog
    // and would give the button the main window's face.
    m_ok->setStyleSheet(QString::fromLatin1(OkButtonStyle));
    connect(m_ok, &QPushButton::clicked, this, &QDialog::close);

    m_path = new QLineEdit(FromSystemText(rec.ProcessPath), panel);
    m_path->setObjectName(QStringLiteral("EPath"));
    m_path->setGeometry(8, 140, 409, 20);
    m_path->setReadOnly(true);
    m_path->setFrame(false);
    m_path->setCursorPosition(0);
    // Like the button, through a sheet: under the owner's sheet a palette
    // colour would be painted over in white.
    m_path->setStyleSheet(QStringLiteral("QLineEdit { background-color: rgb(235,235,235); border: none; }"));

    m_image = new QLabel(panel);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setGeometry(16, 16, IconSize, IconSize);

    QLabel *exe = AddLabel(panel, "LabExe", FromSystemText(rec.ProcessName), 80, 16);
    QFont bold = exe->font();
    bold.setBold(true);
    exe->setFont(bold);
    exe->adjustSize();

    AddLabel(panel, "LabExeDes", FromSystemText(rec.Description) + QStringLiteral("  "), 80, 45)->setEnabled(false);
    AddLabel(panel, "LabPID", FromFixedText(texts::ProcInfoPidPrefix) + FromSystemText(rec.Pid), 80, 69);
    AddLabel(panel, "Labcomp", FromSystemText(rec.CompanyName) + QStringLiteral(" "), 80, 91);
    AddLine(panel, "Shape1", 114);
    AddLabel(panel, "Label5", FromFixedText(texts::ProcInfoPathLabel), 10, 121);

    m_locate = AddLabel(panel, "LabLocate", FromFixedText(texts::ProcInfoLocateLink), 12, 179);
    QFont link = m_locate->font();
    link.setUnderline(true);
    m_locate->setFont(link);
    m_locate->adjustSize();
    Paint(m_locate, QPalette::WindowText, QColor(0, 0, 255));
    m_locate->setCursor(Qt::PointingHandCursor);
    m_locate->installEventFilter(this);

    AddLine(panel, "Shape2", 198);

    setTabOrder(m_ok, m_path);
    m_ok->setFocus();
}

void TFormProcInfo::SetIcon(const QIcon &icon)
{
    if (icon.isNull())
        return;
    QPixmap picture(IconSize, IconSize);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.drawPixmap(QRect(1, 1, IconSize, IconSize), icon.pixmap(IconSize, IconSize));
    }
    m_image->setPixmap(picture);
}

bool TFormProcInfo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_locate && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && m_locate->rect().contains(mouse->position().toPoint())) {
            LabLocateClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormProcInfo::LabLocateClick()
{
    // No existence test here: for a missing file the file manager decides.
    m_shell.ShowInFileManager(m_processPath);
}

void ShowProcessInfo(const TMyRec &rec, const QIcon &largeIcon, ShellActions &shell, QWidget *parent)
{
    auto *dialog = new TFormProcInfo(rec, shell, parent);
    dialog->SetIcon(largeIcon);
    // QDialog centres itself on its parent's window when shown; the main
    // window's timer keeps running in the modal loop.
    dialog->exec();
}

}  // namespace quorvex
