#include "gui/desktop_shell.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include "gui/system_text.h"

namespace quorvex {

void DesktopShell::OpenUrl(const std::string &url)
{
    QDesktopServices::openUrl(QUrl(FromSystemText(url)));
}

void DesktopShell::OpenFile(const std::string &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(FromSystemText(path)));
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
