#pragma once

// What "qorita --help" and "qorita --version" print. Both are answered before
// the command line is read as a call, so they never open a connection.
#include <optional>
#include <string>
#include <vector>

namespace qorita {

// The usage: commands, parameters, exit codes, environment variables and the
// TABX parameters.
std::string UsageText();
// "qorita <version>", the version of the build.
std::string VersionText();

// The text to print when the arguments ask for the usage ("--help", "-h") or the
// version ("--version"), without regard to case; the first such argument wins.
// Nothing when they ask for neither.
std::optional<std::string> InfoRequested(const std::vector<std::string>& AArguments);

}  // namespace qorita
