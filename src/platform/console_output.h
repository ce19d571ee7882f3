#pragma once

namespace quorvex {

/// Makes a console that standard output writes to show UTF-8, which is what
/// quorvex-list writes. Called once by its main() before any output; the
/// console gets its former code page back when the program ends. Output to
/// a file or a pipe is left alone. Nothing to do on Linux, whose terminals
/// take UTF-8 anyway.
void UseUtf8Console();

}  // namespace quorvex
