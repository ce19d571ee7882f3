#include "platform/console_output.h"

#include <cstdlib>

#include <windows.h>

namespace quorvex {

namespace {
UINT g_formerCodePage = 0;

void RestoreCodePage()
{
    if (g_formerCodePage != 0)
        SetConsoleOutputCP(g_formerCodePage);
}
}  // namespace

void UseUtf8Console()
{
    DWORD mode = 0;
    // A console answers GetConsoleMode; a file or a pipe does not.
    if (!GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode))
        return;
    const UINT former = GetConsoleOutputCP();
    if (former == CP_UTF8 || !SetConsoleOutputCP(CP_UTF8))
        return;
    // The console outlives the program and serves the shell after it.
    g_formerCodePage = former;
    std::atexit(RestoreCodePage);
}

}  // namespace quorvex
