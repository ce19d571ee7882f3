#include "gui/clipboard_report.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>

#include "core/my_rec.h"
#include "core/process_commands.h"
#include "gui/system_text.h"

namespace quorvex {

void CopyRowReport(const TMyRec *focused)
{
    if (!focused)
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    // The report is in the system's encoding; the clipboard offers it to
    // other programs in the forms they ask for.
    clipboard->setText(FromSystemText(RowReportText(*focused)));
}

}  // namespace quorvex
