#include "gui/app_start.h"

#include <QCoreApplication>
#include <QString>

#include "core/fixed_texts.h"
#include "core/prompts.h"
#include "core/text_forms.h"
#include "gui/host_system.h"
#include "gui/system_text.h"

namespace quorvex {

void SetupApplication()
{
    QCoreApplication::setApplicationName(FromFixedText(texts::ApplicationTitle));
    SetupIconTheme();
}

bool EnsureSingleInstance(InstanceLock &instance, Prompts &prompts)
{
    if (instance.TryAcquire())
        return true;
    prompts.ShowMessage(texts::AlreadyRunning);
    return false;
}

}  // namespace quorvex
