#include "gui/system_text.h"

namespace quorvex {

// Windows records hold ANSI code page text, as the A functions give it; Qt's
// local 8-bit encoding on Windows is that code page (CP_ACP). Characters the
// code page lacks become its default character on the way back.

QString FromSystemText(const std::string &text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToSystemText(const QString &text)
{
    return text.toLocal8Bit().toStdString();
}

}  // namespace quorvex
