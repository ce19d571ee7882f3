#include "gui/qt_prompts.h"

#include <QMessageBox>

#include "core/fixed_texts.h"
#include "gui/system_text.h"

namespace quorvex {

namespace {

QString Title()
{
    return FromFixedText(texts::ApplicationTitle);
}

}  // namespace

void QtPrompts::SetOwner(QWidget *owner)
{
    m_owner = owner;
}

void QtPrompts::ShowMessage(const std::string &text)
{
    QMessageBox box(QMessageBox::NoIcon, Title(), QString::fromStdString(text), QMessageBox::Ok, m_owner);
    box.exec();
}

bool QtPrompts::AskYesNo(const std::string &text, bool defaultNo)
{
    QMessageBox box(QMessageBox::Question, Title(), QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No,
                    m_owner);
    box.setDefaultButton(defaultNo ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void QtPrompts::ReportError(const std::string &text)
{
    QMessageBox box(QMessageBox::Critical, Title(), QString::fromStdString(ErrorReportText(text)), QMessageBox::Ok,
                    m_owner);
    box.exec();
}

}  // namespace quorvex
