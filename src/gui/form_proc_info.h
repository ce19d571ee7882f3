#pragma once

#include <string>

#include <QDialog>

class QIcon;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvex {

class ShellActions;
struct TMyRec;

/// The process details dialog: the executable's large icon, name,
/// description, PID, company and path of one row, and a link that shows the
/// file in the file manager. It keeps copies of the row's texts, so a refresh
/// behind it changes nothing. Made for one showing and deleted when it
/// closes, whichever way.
class TFormProcInfo : public QDialog {
    Q_OBJECT
public:
    /// `shell` must outlive the dialog.
    TFormProcInfo(const TMyRec &rec, ShellActions &shell, QWidget *parent = nullptr);

    /// Draws the 32x32 icon into the picture with its corner at (1, 1), so its
    /// last column and row fall outside. A null icon draws nothing.
    void SetIcon(const QIcon &icon);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void LabLocateClick();

    ShellActions &m_shell;
    // The path as the row holds it: a file name need not be valid text, and
    // the edit box's text would not give the same bytes back.
    std::string m_processPath;
    QLabel *m_image = nullptr;
    QLineEdit *m_path = nullptr;
    QLabel *m_locate = nullptr;
    QPushButton *m_ok = nullptr;
};

/// The details command's dialog for `rec`: a new one, modal, centred on
/// `parent`; returns when it has closed.
void ShowProcessInfo(const TMyRec &rec, const QIcon &largeIcon, ShellActions &shell, QWidget *parent);

}  // namespace quorvex
