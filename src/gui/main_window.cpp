#include "gui/main_window.h"

#include <algorithm>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSessionManager>
#include <QShortcut>
#include <QVBoxLayout>

#include "core/columns.h"
#include "core/fixed_texts.h"
#include "core/window_layout.h"
#include "gui/clipboard_report.h"
#include "gui/connection_model.h"
#include "gui/connection_view.h"
#include "gui/form_proc_info.h"
#include "gui/icon_cache.h"
#include "gui/list_header.h"
#include "gui/row_menu.h"
#include "gui/system_text.h"
#include "platform/atomic_file.h"
#include "gui/window_system.h"

namespace quorvex {

namespace {

using layout::BarControl;

QColor Colour(layout::Rgb rgb)
{
    return QColor(rgb.R, rgb.G, rgb.B);
}

QRect PlaceRect(BarControl id)
{
    const layout::ControlPlace &p = layout::PlaceOf(id);
    return QRect(p.Left, p.Top, p.Width, p.Height);
}

const char *ButtonStyle =
    "QPushButton { background-color: rgb(244,244,240); border: 1px solid rgb(170,170,170); border-radius: 2px; }"
    "QPushButton:hover { border: 1px solid rgb(255,199,60); background-color: rgb(255,243,214); }"
    "QPushButton:pressed { border: 1px solid rgb(106,141,244); background-color: rgb(220,228,252); }"
    "QPushButton:focus { border: 1px solid rgb(106,141,244); }"
    "QPushButton:disabled { color: rgb(160,160,160); }";

QLabel *TextLabel(const char *text, QWidget *parent)
{
    auto *label = new QLabel(FromFixedText(text), parent);
    label->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    return label;
}

QLabel *CounterLabel(const char *name, const QColor &colour, QWidget *parent)
{
    auto *label = new QLabel(QStringLiteral("0"), parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

QPushButton *Button(const char *name, const char *text, QWidget *parent)
{
    auto *button = new QPushButton(FromFixedText(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QCheckBox *Box(const char *name, const char *text, bool checked, QWidget *parent)
{
    auto *box = new QCheckBox(FromFixedText(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(checked);
    return box;
}

QString MailLinkHtml(const QColor &colour)
{
    const QString address = FromFixedText(texts::ContactAddress);
    return QStringLiteral("<a href=\"mailto:%1\" style=\"color:%2; text-decoration:underline;\">%1</a>")
        .arg(address, colour.name());
}

// Qt describes a plain top-level widget as a client area, which screen
// readers announce as a filler; the main window is a window.
QAccessibleInterface *MainWindowAccessible(const QString &className, QObject *object)
{
    if (className != QLatin1String(MainWindow::staticMetaObject.className()) || !object || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
}

}  // namespace

MainWindow::MainWindow(Platform &platform, Prompts &prompts, ShellActions &shell, MainOptions options,
                       QWidget *parent)
    : QWidget(parent, Qt::Window),
      m_controller(platform, m_list, *this, prompts, shell, std::move(options)),
      m_windowController(m_list, m_controller, *this), m_shell(shell)
{
    static const bool accessibleFactoryInstalled = [] {
        QAccessible::installFactory(MainWindowAccessible);
        return true;
    }();
    (void)accessibleFactoryInstalled;
    setObjectName(QStringLiteral("FormQuorvex"));
    setWindowTitle(FromFixedText(texts::InitialCaption));
    QFont font(QString::fromLatin1(layout::FontFace));
    font.setPixelSize(layout::FontHeight);  // 8 pt on a 96 dpi screen
    setFont(font);
    setStyleSheet(QString::fromLatin1(ButtonStyle));

    auto *top = new QWidget(this);
    top->setObjectName(QStringLiteral("PTop"));
    auto *bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("PBottom"));
    for (QWidget *bar : {top, bottom}) {
        bar->setAutoFillBackground(true);
        QPalette palette = bar->palette();
        palette.setColor(QPalette::Window, Colour(layout::BarColour));
        bar->setPalette(palette);
    }
    top->setFixedHeight(layout::TopBarHeight);
    bottom->setFixedHeight(layout::BottomBarHeight);
    BuildTopBar(top);
    BuildBottomBar(bottom);
    SetCounters(0, 0);

    m_model = new ConnectionModel(m_windowController.Rows(), this);
    m_view = CreateListView();
    m_view->setAccessibleName(FromFixedText(texts::ListAccessibleName));
    m_view->setModel(m_model);
    ConfigureColumns();
    m_rowMenu = new RowMenu(m_controller.MenuState(), this);
    ConnectListView();
    BindListTools();
    m_controller.Hooks.CreateIconCaches = [this] { CreateIconCaches(); };

    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    rows->addWidget(top);
    rows->addWidget(m_view, 1);
    rows->addWidget(bottom);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(RefreshIntervalMs);
    // A coarse timer may shift a 10 s tick by half a second either way; the
    // next automatic refresh is meant to come 10 s after the last one.
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, [this] { RunHandler([this] { m_controller.Timer1Timer(); }); });

    connect(m_model, &ConnectionModel::listSelectionChanged, this, [this] { m_windowController.ListSelectionChanged(); });
    connect(m_model, &ConnectionModel::listSorted, this, &MainWindow::SyncSortIndicator);

    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, &MainWindow::AskSessionEnd);

    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setMinimumSize(layout::MinClientWidth, layout::MinClientHeight);
    resize(layout::ClientWidth, layout::ClientHeight);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(layout::ClientWidth / 2, layout::ClientHeight / 2));
}

MainWindow::~MainWindow()
{
    m_timer->stop();
    delete m_rowMenu;
    m_rowMenu = nullptr;
    // The view and model go before the list and the icons they show.
    delete m_view;
    m_view = nullptr;
    delete m_model;
    m_model = nullptr;
}

void MainWindow::BuildTopBar(QWidget *bar)
{
    m_labAppCount = CounterLabel("LabAppCount", Colour(layout::AppCountColour), bar);
    m_labNetCount = CounterLabel("LabNetCount", Colour(layout::NetCountColour), bar);
    auto *help = Button("BTNHelp", texts::HelpButton, bar);
    auto *update = Button("BTNUpdate", texts::UpdateButton, bar);
    auto *home = Button("BTNHomePage", texts::HomePageButton, bar);
    // Side by side at the right edge, which the layout keeps them at.
    help->setFixedSize(PlaceRect(BarControl::BTNHelp).size());
    update->setFixedSize(PlaceRect(BarControl::BTNUpdate).size());
    home->setFixedSize(PlaceRect(BarControl::BTNHomePage).size());

    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(TextLabel(texts::CountersBefore, bar));
    row->addWidget(m_labAppCount);
    row->addWidget(TextLabel(texts::CountersBetween, bar));
    row->addWidget(m_labNetCount);
    row->addWidget(TextLabel(texts::CountersAfter, bar));
    // The filter field, when shown, takes the free room up to its widest and
    // leaves the rest to the spacer; the sentence never gives way to it.
    // The options button keeps its distance to the help button (both places
    // count from the bar's right edge).
    const layout::ControlPlace &optionsPlace = layout::PlaceOf(BarControl::BTNOptions);
    const int optionsGap = optionsPlace.Left - optionsPlace.Width - layout::PlaceOf(BarControl::BTNHelp).Left;
    row->addSpacing(layout::FilterFieldGapLeft);
    row->addStretch(0);
    row->addWidget(BuildFilterField(bar), 1);
    row->addSpacing(layout::FilterFieldGapRight);
    row->addWidget(BuildOptionsButton(bar));
    row->addSpacing(optionsGap);
    row->addWidget(help);
    row->addWidget(update);
    row->addWidget(home);

    connect(help, &QPushButton::clicked, this, [this] { RunHandler([this] { m_controller.BTNHelpClick(); }); });
    connect(update, &QPushButton::clicked, this,
            [this] { RunHandler([this] { m_controller.BTNUpdateClick(); }); });
    connect(home, &QPushButton::clicked, this,
            [this] { RunHandler([this] { m_controller.BTNHomePageClick(); }); });
}

QPushButton *MainWindow::BuildOptionsButton(QWidget *bar)
{
    // The view options beyond the bottom bar's boxes live in the top bar's
    // free room, as checkable items of one menu.
    auto *button = Button("BTNOptions", texts::OptionsButton, bar);
    button->setFixedSize(PlaceRect(BarControl::BTNOptions).size());
    button->setToolTip(FromFixedText(texts::OptionsToolTip));
    auto *menu = new QMenu(button);
    for (const CheckBox option : ViewOptions) {
        QAction *action = menu->addAction(FromFixedText(OptionCaption(option)));
        action->setCheckable(true);
        m_optionActions.push_back(action);
        connect(action, &QAction::toggled, this, [this, option](bool checked) {
            RunHandler([this, option, checked] { m_controller.SetChecked(option, checked); });
        });
    }
    button->setMenu(menu);
    return button;
}

QLineEdit *MainWindow::BuildFilterField(QWidget *bar)
{
    // In the top bar's free room, left of the options button; hidden until
    // Ctrl+F. The count of rows shown sits inside it, at its right end.
    m_filterEdit = new QLineEdit(bar);
    m_filterEdit->setObjectName(QStringLiteral("EFilter"));
    m_filterEdit->setFixedHeight(layout::FilterFieldHeight);
    m_filterEdit->setMinimumWidth(layout::FilterFieldMinWidth);
    m_filterEdit->setMaximumWidth(layout::FilterFieldMaxWidth);
    m_filterEdit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_filterEdit->setPlaceholderText(FromFixedText(texts::FilterPlaceholder));
    m_filterEdit->setToolTip(FromFixedText(texts::FilterToolTip));
    m_filterEdit->setClearButtonEnabled(false);
    m_filterCount = new QLabel(m_filterEdit);
    m_filterCount->setObjectName(QStringLiteral("LabFilterCount"));
    m_filterCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette palette = m_filterCount->palette();
    palette.setColor(QPalette::WindowText, Colour(layout::FilterCountColour));
    m_filterCount->setPalette(palette);
    m_filterCount->hide();
    auto *inside = new QHBoxLayout(m_filterEdit);
    inside->setContentsMargins(0, 0, 4, 0);
    inside->addStretch(1);
    inside->addWidget(m_filterCount);
    m_filterEdit->hide();
    return m_filterEdit;
}

void MainWindow::BindListTools()
{
    m_windowController.SetToolsPort(this);
    m_windowController.SetExportWriter([](const std::string &path, std::string_view data, std::string &why) {
        return WriteFileAtomically(path, data, why);
    });
    connect(m_filterEdit, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_windowController.FilterEdited(ToSystemText(text)); });
    auto *find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    connect(find, &QShortcut::activated, this, [this] { m_windowController.FilterKey(); });
    auto *save = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    connect(save, &QShortcut::activated, this, [this] { m_windowController.ExportList(); });
    // Escape clears the filter wherever the focus is in the window, as long
    // as the field is shown; otherwise the key is left to the widgets.
    m_filterEscape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_filterEscape->setEnabled(false);
    connect(m_filterEscape, &QShortcut::activated, this, [this] { m_windowController.FilterEscape(); });
}

void MainWindow::ShowFilterField(bool visible, const std::string &countText)
{
    m_filterEscape->setEnabled(visible);
    if (!visible) {
        if (m_filterEdit->hasFocus())
            m_view->setFocus(Qt::OtherFocusReason);
        m_filterEdit->clear();
        m_filterEdit->hide();
    } else {
        m_filterEdit->show();
    }
    const QString count = QString::fromStdString(countText);
    m_filterCount->setText(count);
    m_filterCount->setVisible(!count.isEmpty());
    // The typed text stops short of the count.
    const int width = count.isEmpty() ? 0 : m_filterCount->fontMetrics().horizontalAdvance(count) + 8;
    m_filterEdit->setTextMargins(0, 0, width, 0);
}

void MainWindow::FocusFilterField()
{
    m_filterEdit->setFocus(Qt::ShortcutFocusReason);
    m_filterEdit->selectAll();
}

bool MainWindow::AskExportFile(const std::string &suggestedName, std::string &path, ExportFormat &format)
{
    QStringList types;
    for (const ExportFormatInfo &info : ExportFormats()) {
        QString patterns = QStringLiteral("*.") + QString::fromLatin1(info.Extension);
        if (info.Format == ExportFormat::Html)
            patterns += QStringLiteral(" *.htm");
        types << FromFixedText(info.Caption) + QStringLiteral(" (") + patterns + QStringLiteral(")");
    }
    if (m_exportDir.isEmpty())
        m_exportDir = QDir::homePath();
    // Without an extension: the file type the user picks supplies it.
    const QString suggested = QDir(m_exportDir).filePath(FromSystemText(suggestedName));
    int type = 0;
    QString chosen;
    if (m_exportAsker) {
        chosen = m_exportAsker(suggested, types, type);
    } else {
        QString selected = types.front();
        chosen = QFileDialog::getSaveFileName(this, FromFixedText(texts::ExportDialogCaption), suggested,
                                              types.join(QStringLiteral(";;")), &selected);
        type = static_cast<int>(types.indexOf(selected));
    }
    if (chosen.isEmpty())
        return false;
    m_exportDir = QFileInfo(chosen).absolutePath();
    const auto &formats = ExportFormats();
    format = formats[type >= 0 && static_cast<size_t>(type) < formats.size() ? static_cast<size_t>(type) : 0].Format;
    path = ToSystemText(QDir::toNativeSeparators(chosen));
    return true;
}

void MainWindow::BuildBottomBar(QWidget *bar)
{
    // Fixed places: the controls keep their distance from the left edge, and
    // the last three lie beyond the initial width until the window widens.
    m_cbShowLocal = Box("CBShowLocal", texts::ShowLocalBox, true, bar);
    m_cbAutoRefresh = Box("CBAutoRefresh", texts::AutoRefreshBox, false, bar);
    m_cbAlwaysTop = Box("CBAlwaysTop", texts::AlwaysTopBox, true, bar);
    m_cbShowInfo = Box("CBShowInfo", texts::ShowInfoBox, false, bar);
    m_cbShowLocal->setGeometry(PlaceRect(BarControl::CBShowLocal));
    m_cbAutoRefresh->setGeometry(PlaceRect(BarControl::CBAutoRefresh));
    m_cbAlwaysTop->setGeometry(PlaceRect(BarControl::CBAlwaysTop));
    m_cbShowInfo->setGeometry(PlaceRect(BarControl::CBShowInfo));
    if (!CanKeepWindowOnTop(QGuiApplication::platformName().toStdString())) {
        // The box keeps its remembered state, but cannot act on it here.
        m_cbAlwaysTop->setEnabled(false);
        m_cbAlwaysTop->setToolTip(FromFixedText(texts::AlwaysTopUnavailable));
    }

    m_btnRefresh = Button("BTNRefresh", texts::RefreshButton, bar);
    m_btnEndPro = Button("BTNEndPro", texts::EndProcessButton, bar);
    m_btnRefresh->setGeometry(PlaceRect(BarControl::BTNRefresh));
    m_btnEndPro->setGeometry(PlaceRect(BarControl::BTNEndPro));

    auto *email = new QLabel(FromFixedText(texts::MailLabel), bar);
    email->setObjectName(QStringLiteral("Label6"));
    email->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    email->setGeometry(PlaceRect(BarControl::Label6));

    m_mailLink = new QLabel(MailLinkHtml(Colour(layout::MailLinkColour)), bar);
    m_mailLink->setObjectName(QStringLiteral("RzURLLabel1"));
    m_mailLink->setTextFormat(Qt::RichText);
    m_mailLink->setOpenExternalLinks(false);
    QFont linkFont(QString::fromLatin1(layout::MailLinkFontFace));
    linkFont.setPixelSize(layout::FontHeight);
    m_mailLink->setFont(linkFont);
    m_mailLink->adjustSize();
    m_mailLink->move(PlaceRect(BarControl::RzURLLabel1).left(), (layout::BottomBarHeight - m_mailLink->height()) / 2);

    connect(m_btnRefresh, &QPushButton::clicked, this,
            [this] { RunHandler([this] { m_controller.BTNRefreshClick(); }); });
    connect(m_btnEndPro, &QPushButton::clicked, this,
            [this] { RunHandler([this] { m_controller.BTNEndProClick(); }); });
    connect(m_mailLink, &QLabel::linkActivated, this, [this] {
        bool taken = false;
        RunHandler([&] { taken = m_controller.MailLinkClick(); });
        if (taken)
            m_mailLink->setText(MailLinkHtml(Colour(layout::MailLinkVisitedColour)));
    });
    const std::pair<QCheckBox *, CheckBox> boxes[] = {{m_cbShowLocal, CheckBox::ShowLocal},
                                                      {m_cbAutoRefresh, CheckBox::AutoRefresh},
                                                      {m_cbAlwaysTop, CheckBox::AlwaysTop},
                                                      {m_cbShowInfo, CheckBox::ShowInfo}};
    for (const auto &[widget, box] : boxes) {
        connect(widget, &QCheckBox::toggled, this, [this, box = box](bool checked) {
            RunHandler([this, box, checked] { m_controller.SetChecked(box, checked); });
        });
    }
}

ConnectionView *MainWindow::CreateListView()
{
    auto *view = new ConnectionView(this);
    view->setObjectName(QStringLiteral("VTS"));
    return view;
}

void MainWindow::ConfigureColumns()
{
    // The manage column's fixed width came with the model; the rest follow
    // the column table.
    for (int column = 0; column < ColumnCount; ++column) {
        const ColumnInfo &info = GetColumnInfo(column);
        if (!info.Fixed)
            m_view->header()->resizeSection(column, info.Width);
        m_view->setColumnHidden(column, !info.VisibleAtStart);
    }
    SyncSortIndicator();
}

void MainWindow::ConnectListView()
{
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::PullSelectionFromView);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MainWindow::PullSelectionFromView);
    connect(m_view->listHeader(), &ListHeader::headerClicked, this,
            [this](int column) { m_windowController.HeaderClick(column); });
    connect(m_view, &ConnectionView::mouseReported, this,
            [this](ClickKind kind, MouseButton button, int row, int column, QPoint globalPos) {
                m_clickPos = globalPos;
                m_windowController.ListMouse(kind, button, row, column);
            });
    connect(m_view, &ConnectionView::menuKeyPressed, this, [this] { m_windowController.MenuKey(); });
    connect(m_view, &ConnectionView::textTyped, this, [this](const QString &text, qint64 timeMs) {
        m_windowController.KeyTyped(ToSystemText(text), timeMs, m_view->focusedColumn());
    });
    connect(m_rowMenu, &RowMenu::commandChosen, this,
            [this](RowCommand command) { m_windowController.ChooseRowCommand(command); });
}

void MainWindow::SetIconProvider(std::shared_ptr<SystemIconProvider> provider)
{
    m_iconProvider = std::move(provider);
}

void MainWindow::CreateIconCaches()
{
    if (!m_iconProvider)
        m_iconProvider = CreateSystemIconProvider();
    // Both sizes share the provider's index space, as the system's small and
    // large icon lists do.
    m_largeIcons = std::make_unique<IconCache>(32, m_iconProvider);
    m_smallIcons = std::make_unique<IconCache>(16, m_iconProvider);
    m_model->SetSmallIcons(m_smallIcons.get());
}

void MainWindow::SyncSortIndicator()
{
    m_view->listHeader()->setSortState(m_list.SortColumn(), m_list.Direction() == SortDirection::Ascending
                                                                ? Qt::AscendingOrder
                                                                : Qt::DescendingOrder);
}

void MainWindow::Create()
{
    RunHandler([this] { m_controller.FormCreate(); });
}

void MainWindow::RunHandler(const std::function<void()> &handler)
{
    m_windowController.Run(handler);
}

void MainWindow::ShowSelection(int selectedRow, int focusedRow)
{
    QItemSelectionModel *selection = m_view->selectionModel();
    // The focused column stays where the user put it: incremental search reads it.
    const QModelIndex current = m_view->currentIndex();
    const int column = current.isValid() ? current.column() : m_view->focusedColumn();
    if (selectedRow >= 0 && selectedRow < m_model->rowCount())
        selection->select(m_model->index(selectedRow, column),
                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    else
        selection->clearSelection();
    if (focusedRow >= 0 && focusedRow < m_model->rowCount())
        selection->setCurrentIndex(m_model->index(focusedRow, column), QItemSelectionModel::NoUpdate);
    else
        selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void MainWindow::PullSelectionFromView()
{
    QItemSelectionModel *selection = m_view->selectionModel();
    const QModelIndexList rows = selection->selectedRows();
    const QModelIndex current = selection->currentIndex();
    m_windowController.UserSelectionChanged(rows.isEmpty() ? -1 : rows.first().row(), current.isValid() ? current.row() : -1);
}

void MainWindow::FocusCell(int row, int column)
{
    m_view->focusCell(row, column);
}

void MainWindow::OpenRowMenu(MenuPlace place)
{
    switch (place) {
    case MenuPlace::AtClick: m_rowMenu->open(m_clickPos); break;
    case MenuPlace::AtCursor: m_rowMenu->open(m_rowMenu->cursorPos()); break;
    case MenuPlace::OverFocusedRow: m_rowMenu->open(m_view->focusedRowMenuPosition()); break;
    }
}

void MainWindow::ShowSort(int, SortDirection)
{
    SyncSortIndicator();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // A close from the window system (close button, system menu, Alt+F4)
    // is the user's; the application's quit, which follows an agreed end of
    // the session, closes its windows itself.
    const auto cause = event->spontaneous() ? MainController::CloseCause::User
                                            : MainController::CloseCause::SessionEnd;
    bool mayClose = false;
    RunHandler([&] { mayClose = m_controller.FormCloseQuery(cause); });
    if (mayClose) {
        m_timer->stop();
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::AskSessionEnd(QSessionManager &manager)
{
    if (!manager.allowsInteraction())
        return;
    bool mayEnd = false;
    RunHandler([&] { mayEnd = m_controller.SessionEndQuery(); });
    manager.release();
    if (!mayEnd)
        manager.cancel();
}

void MainWindow::SetRefreshEnabled(bool enabled)
{
    m_btnRefresh->setEnabled(enabled);
}

void MainWindow::StartRefreshTimer()
{
    m_timer->start();
}

void MainWindow::StopRefreshTimer()
{
    m_timer->stop();
}

QCheckBox *MainWindow::BoxWidget(CheckBox box) const
{
    switch (box) {
    case CheckBox::ShowLocal: return m_cbShowLocal;
    case CheckBox::AutoRefresh: return m_cbAutoRefresh;
    case CheckBox::AlwaysTop: return m_cbAlwaysTop;
    default: break;
    }
    return m_cbShowInfo;
}

void MainWindow::SetCheckBox(CheckBox box, bool checked)
{
    if (IsViewOption(box)) {
        QAction *action = m_optionActions[static_cast<size_t>(static_cast<int>(box) - static_cast<int>(ViewOptions[0]))];
        const QSignalBlocker blocker(action);
        action->setChecked(checked);
        return;
    }
    QCheckBox *widget = BoxWidget(box);
    const QSignalBlocker blocker(widget);
    widget->setChecked(checked);
}

void MainWindow::SetTopmost(bool topmost)
{
    if (topmost == windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        return;
    // Changing a window flag recreates the native window and hides it;
    // bring it back where it was, at its size, and activate it.
    const bool shown = isVisible();
    const QRect place = geometry();
    setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (shown) {
        setGeometry(place);
        show();
        raise();
        activateWindow();
    }
}

void MainWindow::SetCounters(int appCount, int netCount)
{
    m_labAppCount->setText(QString::number(appCount));
    m_labNetCount->setText(QString::number(netCount));
    m_labAppCount->setAccessibleName(FromFixedText(texts::AppCountAccessibleName).arg(appCount));
    m_labNetCount->setAccessibleName(FromFixedText(texts::NetCountAccessibleName).arg(netCount));
}

std::string MainWindow::Caption() const
{
    return windowTitle().toStdString();
}

void MainWindow::SetCaption(const std::string &caption)
{
    setWindowTitle(QString::fromStdString(caption));
}

void MainWindow::FocusList()
{
    m_view->setFocus(Qt::OtherFocusReason);
}

bool MainWindow::FilterFieldHasFocus() const
{
    // The window's own focus widget: it stays while another window is active.
    return m_filterEdit && focusWidget() == m_filterEdit;
}

void MainWindow::SetInfoColumnsVisible(bool visible)
{
    m_view->setInfoColumnsVisible(visible);
}

void MainWindow::SetTrafficColumnsVisible(bool visible)
{
    for (int column : TrafficColumns)
        m_view->setColumnHidden(column, !visible);
}

void MainWindow::RepaintList()
{
    m_windowController.ShowSelection();
    m_view->viewport()->update();
}

void MainWindow::CopyRowReport(const TMyRec &rec)
{
    quorvex::CopyRowReport(&rec);
}

void MainWindow::ShowProcessInfo(const TMyRec &rec)
{
    QIcon icon;
    if (m_largeIcons) {
        const QPixmap image = m_largeIcons->Image(m_largeIcons->GetFileIconIndex(rec.ProcessPath));
        if (!image.isNull())
            icon = QIcon(image);
    }
    quorvex::ShowProcessInfo(rec, icon, m_shell, this);
}

}  // namespace quorvex
