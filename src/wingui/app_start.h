#pragma once

#include "core/main_controller.h"

namespace quorvex {

/// The help files and path rules of Windows: "QuorvexHelp.chm", then
/// "QuorvexHelp.html", beside the executable; both separators.
MainOptions WindowsMainOptions();

/// Joins the settings file ("Quorvex.ini" beside the executable, or the
/// user's own) to the controller's start-up and boxes; files it creates get
/// CR LF line ends. Before the window's Create().
void BindSettingsFile(MainController &controller);

}  // namespace quorvex
