#pragma once

#include <QString>
#include <string>

namespace quorvex {

/// Records hold 8-bit text in the system's encoding, UTF-8 on Linux. Every
/// text crossing into or out of a widget (and the clipboard) goes through
/// these two.
QString FromSystemText(const std::string &text);
std::string ToSystemText(const QString &text);

/// The program's own fixed texts (core/fixed_texts.h, the column captions)
/// are UTF-8 in the source on every system; they reach a widget through
/// this, never through FromSystemText.
inline QString FromFixedText(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

}  // namespace quorvex
