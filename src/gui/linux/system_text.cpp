#include "gui/system_text.h"

namespace quorvex {

// Linux records hold what the kernel and the files gave, which is UTF-8 on
// any current system; bytes that are not UTF-8 show as replacement marks.

QString FromSystemText(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToSystemText(const QString &text)
{
    return text.toUtf8().toStdString();
}

}  // namespace quorvex
