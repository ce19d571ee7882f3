#pragma once

namespace quorvex {

class InstanceLock;
class Prompts;

/// Application title and, where the system needs one, the icon theme.
void SetupApplication();

/// False when another instance runs; the user has then been told so with
/// the plain message, and the program ends without a window.
bool EnsureSingleInstance(InstanceLock &instance, Prompts &prompts);

}  // namespace quorvex
