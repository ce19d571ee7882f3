#pragma once

#include <memory>

#include <QTimer>
#include <QWidget>

#include "core/connection_list.h"
#include "core/list_tools_port.h"
#include "core/main_controller.h"
#include "core/window_controller.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QAction;
class QPushButton;
class QSessionManager;
class QShortcut;

namespace quorvex {

class ConnectionModel;
class ConnectionView;
class IconCache;
class Platform;
class Prompts;
class RowMenu;
class ShellActions;
class SystemIconProvider;

/// The main window: binds the bars, the list and the timer to the
/// MainController and the list's events to the WindowController, and shows
/// what they ask for. Every call from Qt into the controllers passes through
/// WindowController::Run, so no error crosses the event loop.
class MainWindow : public QWidget, private MainView, private ListPort, private ListToolsPort {
    Q_OBJECT
public:
    MainWindow(Platform &platform, Prompts &prompts, ShellActions &shell, MainOptions options = {},
               QWidget *parent = nullptr);
    ~MainWindow() override;

    /// The settings file's join points go into Controller().Hooks before
    /// Create() runs; the window itself joins the icon caches.
    MainController &Controller() { return m_controller; }
    ConnectionList &List() { return m_list; }
    ConnectionModel *Model() { return m_model; }
    ConnectionView *ListView() { return m_view; }
    RowMenu *Menu() { return m_rowMenu; }
    WindowController &ListController() { return m_windowController; }
    /// The top bar's filter field (hidden until Ctrl+F).
    QLineEdit *FilterField() { return m_filterEdit; }
    QLabel *FilterCount() { return m_filterCount; }

    /// The export's save dialog: returns the chosen file (empty when
    /// cancelled) and sets the index of the chosen file type among
    /// ExportFormats(). QFileDialog's unless set, for tests.
    using ExportFileAsker = std::function<QString(const QString &suggested, const QStringList &types, int &type)>;
    void SetExportFileAsker(ExportFileAsker asker) { m_exportAsker = std::move(asker); }
    /// Null until the start-up has made them.
    IconCache *SmallIcons() { return m_smallIcons.get(); }
    IconCache *LargeIcons() { return m_largeIcons.get(); }

    /// Where the icon caches take their icons from; the OS's own unless
    /// set before Create().
    void SetIconProvider(std::shared_ptr<SystemIconProvider> provider);

    /// The start-up sequence; errors go to the error report and the window
    /// opens anyway.
    void Create();

    /// The one way in from a Qt signal: WindowController::Run.
    void RunHandler(const std::function<void()> &handler);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // MainView
    void SetRefreshEnabled(bool enabled) override;
    void StartRefreshTimer() override;
    void StopRefreshTimer() override;
    void SetCheckBox(CheckBox box, bool checked) override;
    void SetTopmost(bool topmost) override;
    void SetCounters(int appCount, int netCount) override;
    std::string Caption() const override;
    void SetCaption(const std::string &caption) override;
    void FocusList() override;
    bool FilterFieldHasFocus() const override;
    void SetInfoColumnsVisible(bool visible) override;
    void SetTrafficColumnsVisible(bool visible) override;
    void RepaintList() override;
    void CopyRowReport(const TMyRec &rec) override;
    void ShowProcessInfo(const TMyRec &rec) override;

    // ListPort
    void ShowSelection(int selectedRow, int focusedRow) override;
    void FocusCell(int row, int column) override;
    void OpenRowMenu(MenuPlace place) override;
    void ShowSort(int column, SortDirection direction) override;

    // ListToolsPort
    void ShowFilterField(bool visible, const std::string &countText) override;
    void FocusFilterField() override;
    bool AskExportFile(const std::string &suggestedName, std::string &path, ExportFormat &format) override;

    void BuildTopBar(QWidget *bar);
    void BuildBottomBar(QWidget *bar);
    QPushButton *BuildOptionsButton(QWidget *bar);
    QLineEdit *BuildFilterField(QWidget *bar);
    void BindListTools();
    ConnectionView *CreateListView();
    void ConfigureColumns();
    void ConnectListView();
    void CreateIconCaches();
    QCheckBox *BoxWidget(CheckBox box) const;

    void PullSelectionFromView();
    void SyncSortIndicator();
    void AskSessionEnd(QSessionManager &manager);

    ConnectionList m_list;
    MainController m_controller;
    WindowController m_windowController;
    ShellActions &m_shell;
    ConnectionModel *m_model = nullptr;
    ConnectionView *m_view = nullptr;
    RowMenu *m_rowMenu = nullptr;
    std::shared_ptr<SystemIconProvider> m_iconProvider;
    std::unique_ptr<IconCache> m_smallIcons;
    std::unique_ptr<IconCache> m_largeIcons;
    QTimer *m_timer = nullptr;
    QPoint m_clickPos;  // screen position of the last mouse event in the list

    QLabel *m_labAppCount = nullptr;
    QLabel *m_labNetCount = nullptr;
    QPushButton *m_btnRefresh = nullptr;
    QPushButton *m_btnEndPro = nullptr;
    QCheckBox *m_cbShowLocal = nullptr;
    QCheckBox *m_cbAutoRefresh = nullptr;
    QCheckBox *m_cbAlwaysTop = nullptr;
    QCheckBox *m_cbShowInfo = nullptr;
    QLabel *m_mailLink = nullptr;
    std::vector<QAction *> m_optionActions;  // in the order of ViewOptions
    QLineEdit *m_filterEdit = nullptr;
    QLabel *m_filterCount = nullptr;
    QShortcut *m_filterEscape = nullptr;
    ExportFileAsker m_exportAsker;
    QString m_exportDir;  // where the last export went
};

}  // namespace quorvex
