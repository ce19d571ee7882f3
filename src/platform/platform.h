#pragma once

#include <memory>

#include "core/platform_port.h"

namespace quorvex {

/// The implementation for the OS this program was built for.
std::unique_ptr<Platform> CreatePlatform();

}  // namespace quorvex
