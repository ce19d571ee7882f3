#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/platform_port.h"

namespace quorvex {

// The programs outside ourselves that the Linux port calls on.
struct LinuxPlatformPaths {
    // quorvex-helper, in order of preference: beside the executable (a
    // build, or an unpacked folder), then where the package installs it.
    std::vector<std::string> Helpers;
    // Runs the helper as root after an administrator's authentication,
    // to end another user's process.
    std::string Pkexec;
};

// The paths of this build: the helper beside `executablePath`, then where
// the install puts it relative to the programs (../libexec/ondriquorvex/
// from the programs' folder), and pkexec in /usr/bin.
LinuxPlatformPaths DefaultLinuxPlatformPaths(const std::string &executablePath);

// The Linux port with the given outside programs; CreatePlatform uses
// DefaultLinuxPlatformPaths.
std::unique_ptr<Platform> CreateLinuxPlatform(LinuxPlatformPaths paths);

}  // namespace quorvex
