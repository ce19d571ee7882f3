#include "wingui/single_instance.h"

#include <windows.h>

namespace quorvex::win {

bool AnotherInstanceRunning(const wchar_t *mutexName)
{
    HANDLE mutex = CreateMutexW(nullptr, FALSE, mutexName);
    return mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace quorvex::win
