#pragma once

#include <functional>
#include <string>

#include "core/my_rec.h"
#include "core/platform_port.h"

namespace quorvex {

class Prompts;

// The row menu's close-connection command.

/// A row whose connection can be closed: TCP or TCPv6, in any state but
/// listening (a listener has no peer; ending it is ending its program).
bool CanCloseConnection(const TMyRec &rec);

/// The question before closing, naming both ends ("127.0.0.1:80",
/// "[::1]:80"), in UTF-8 for the question box.
std::string CloseConnectionQuestion(const TMyRec &rec);

/// The message for a close that failed, in UTF-8; empty for
/// CloseResult::Closed.
std::string CloseFailureText(const CloseOutcome &outcome);

/// Closes the focused row's connection: asks first (No is the default),
/// then has the platform close it. The row is copied at once: a refresh
/// that runs while the question is open may delete it. Closed: `refresh`
/// runs (the refresh button's operation). Failed: a message says why; the
/// list is refreshed as well when the connection is gone already, so that
/// its row goes. A row that cannot be closed (CanCloseConnection) does
/// nothing.
void CloseConnection(const TMyRec *focused, Prompts &prompts, Platform &platform,
                     const std::function<void()> &refresh);

}  // namespace quorvex
