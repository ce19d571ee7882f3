#include "gui/desktop_shell.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace quorvex {

void DesktopShell::OpenUrl(const std::string &url)
{
    QDesktopServices::openUrl(QUrl(QString::fromLocal8Bit(url.c_str())));
}

void DesktopShell::OpenFile(const std::string &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromLocal8Bit(path.c_str())));
}

void DesktopShell::ShowInFileManager(const std::string &)
{
    // Filled in with the file manager's D-Bus interface.
}

void DesktopShell::ShowProperties(const std::string &)
{
    // Filled in with the file manager's D-Bus interface.
}

}  // namespace quorvex
