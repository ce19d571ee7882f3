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
#include "core/process_commands.h"
#include "core/window_layout.h"
#include "core/shell_actions.h"
#include "gui/system_text.h"

namespace quorvex {

namespace {

using layout::InfoControl;

constexpr int IconSize = layout::ProcInfoIconSize;

QColor Colour(layout::Rgb rgb)
{
    return QColor(rgb.R, rgb.G, rgb.B);
}

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

QRect PlaceRect(InfoControl id)
{
    const layout::InfoPlace &p = layout::PlaceOf(id);
    return QRect(p.Left, p.Top, p.Width, p.Height);
}

QLabel *AddLabel(QWidget *parent, InfoControl id, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(layout::PlaceOf(id).Name));
    label->move(PlaceRect(id).topLeft());
    label->adjustSize();  // as wide as its text
    return label;
}

QFrame *AddLine(QWidget *parent, InfoControl id)
{
    auto *line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(layout::PlaceOf(id).Name));
    line->setFrameShape(QFrame::NoFrame);
    line->setGeometry(PlaceRect(id));
    line->setAutoFillBackground(true);
    Paint(line, QPalette::Window, Colour(layout::ProcInfoLineColour));
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
    setFixedSize(layout::ProcInfoWidth, layout::ProcInfoHeight);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    setFont(font);

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(0, 0, layout::ProcInfoWidth, layout::ProcInfoHeight);
    panel->setAutoFillBackground(true);
    Paint(panel, QPalette::Window, Colour(layout::BarColour));
    const ProcInfoTexts shown = MakeProcInfoTexts(rec);

    // Made first so that it heads the tab order, with the path box second.
    m_ok = new QPushButton(FromFixedText(texts::ProcInfoOkButton), panel);
    m_ok->setObjectName(QStringLiteral("BTNOK"));
    m_ok->setGeometry(PlaceRect(InfoControl::BTNOK));
    m_ok->setDefault(true);
    // A style sheet of its own: the owner's sheet reaches into this dialog
    // and would give the button the main window's face.
    m_ok->setStyleSheet(QString::fromLatin1(OkButtonStyle));
    connect(m_ok, &QPushButton::clicked, this, &QDialog::close);

    m_path = new QLineEdit(FromSystemText(shown.Path), panel);
    m_path->setObjectName(QStringLiteral("EPath"));
    m_path->setGeometry(PlaceRect(InfoControl::EPath));
    m_path->setReadOnly(true);
    m_path->setFrame(false);
    m_path->setCursorPosition(0);
    // Like the button, through a sheet: under the owner's sheet a palette
    // colour would be painted over in white.
    m_path->setStyleSheet(QStringLiteral("QLineEdit { background-color: rgb(235,235,235); border: none; }"));

    m_image = new QLabel(panel);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setGeometry(PlaceRect(InfoControl::Image1));

    QLabel *exe = AddLabel(panel, InfoControl::LabExe, FromSystemText(shown.Exe));
    QFont bold = exe->font();
    bold.setBold(true);
    exe->setFont(bold);
    exe->adjustSize();

    AddLabel(panel, InfoControl::LabExeDes, FromSystemText(shown.ExeDes))->setEnabled(false);
    AddLabel(panel, InfoControl::LabPID, FromSystemText(shown.Pid));
    AddLabel(panel, InfoControl::Labcomp, FromSystemText(shown.Comp));
    AddLine(panel, InfoControl::Shape1);
    AddLabel(panel, InfoControl::Label5, FromFixedText(texts::ProcInfoPathLabel));

    m_locate = AddLabel(panel, InfoControl::LabLocate, FromFixedText(texts::ProcInfoLocateLink));
    QFont link = m_locate->font();
    link.setUnderline(true);
    m_locate->setFont(link);
    m_locate->adjustSize();
    Paint(m_locate, QPalette::WindowText, Colour(layout::ProcInfoLinkColour));
    m_locate->setCursor(Qt::PointingHandCursor);
    m_locate->installEventFilter(this);

    AddLine(panel, InfoControl::Shape2);

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
        painter.drawPixmap(QRect(layout::ProcInfoIconOffset, layout::ProcInfoIconOffset, IconSize, IconSize),
                           icon.pixmap(IconSize, IconSize));
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
