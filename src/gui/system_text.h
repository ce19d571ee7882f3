#pragma once

#include <QString>
#include <string>

namespace quorvex {

/// Records hold 8-bit text in the system's encoding: UTF-8 on Linux, the
/// ANSI code page on Windows. Every text crossing into or out of a widget
/// goes through these two.
QString FromSystemText(const std::string &text);
std::string ToSystemText(const QString &text);

}  // namespace quorvex
