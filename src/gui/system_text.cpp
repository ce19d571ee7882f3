#include "gui/system_text.h"

namespace quorvex {

QString FromSystemText(const std::string &text)
{
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
#else
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
#endif
}

std::string ToSystemText(const QString &text)
{
#ifdef Q_OS_WIN
    return text.toLocal8Bit().toStdString();
#else
    return text.toUtf8().toStdString();
#endif
}

}  // namespace quorvex
