#pragma once

#include <QTimer>
#include <QWidget>

#include "core/connection_list.h"
#include "core/main_controller.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSessionManager;
class QTreeView;

namespace quorvex {

class ConnectionModel;
class Platform;
class Prompts;
class ShellActions;

/// The main window: binds the bars, the list and the timer to the
/// MainController and shows what it asks for. Every call from Qt into the
/// controller passes through RunHandler, so no error crosses the event loop.
class MainWindow : public QWidget, private MainView {
    Q_OBJECT
public:
    MainWindow(Platform &platform, Prompts &prompts, ShellActions &shell, MainOptions options = {},
               QWidget *parent = nullptr);
    ~MainWindow() override;

    /// Join points for the settings and the icon caches go into
    /// Controller().Hooks before Create() runs.
    MainController &Controller() { return m_controller; }
    ConnectionList &List() { return m_list; }
    ConnectionModel *Model() { return m_model; }
    QTreeView *ListView() { return m_view; }

    /// The start-up sequence; errors go to the error report and the window
    /// opens anyway.
    void Create();

    /// The one way in from a Qt signal: runs `handler` behind the error
    /// guard. The view's selection is not fed back to the list while the
    /// list itself changes; afterwards the list's selection is pushed to the
    /// view. Header clicks and row commands come in through here too.
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
    void SetInfoColumnsVisible(bool visible) override;
    void RepaintList() override;

    void BuildTopBar(QWidget *bar);
    void BuildBottomBar(QWidget *bar);
    QTreeView *CreateListView();
    void ConfigureColumns();
    QCheckBox *BoxWidget(CheckBox box) const;

    void PushSelectionToView();
    void PullSelectionFromView();
    void SyncSortIndicator();
    void AskSessionEnd(QSessionManager &manager);

    ConnectionList m_list;
    MainController m_controller;
    ConnectionModel *m_model = nullptr;
    QTreeView *m_view = nullptr;
    QTimer *m_timer = nullptr;
    int m_busy = 0;  // nesting depth of RunHandler and of selection syncs

    QLabel *m_labAppCount = nullptr;
    QLabel *m_labNetCount = nullptr;
    QPushButton *m_btnRefresh = nullptr;
    QPushButton *m_btnEndPro = nullptr;
    QCheckBox *m_cbShowLocal = nullptr;
    QCheckBox *m_cbAutoRefresh = nullptr;
    QCheckBox *m_cbAlwaysTop = nullptr;
    QCheckBox *m_cbShowInfo = nullptr;
    QLabel *m_mailLink = nullptr;
};

}  // namespace quorvex
