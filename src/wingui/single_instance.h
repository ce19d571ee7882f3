#pragma once

namespace quorvex::win {

/// The name of the mutex that marks a running instance; it lives in the
/// current logon's namespace, so instances of other logons do not see it.
inline constexpr const wchar_t *InstanceMutexName = L"OndriQuorvex";

/// Creates the named mutex (not initially owned) and keeps its handle open
/// until the process ends: that is what keeps a second instance out, and a
/// crashed instance releases it with its process. True when another process
/// already holds a mutex of that name (ERROR_ALREADY_EXISTS); a failed
/// creation counts as no other instance.
bool AnotherInstanceRunning(const wchar_t *mutexName = InstanceMutexName);

}  // namespace quorvex::win
