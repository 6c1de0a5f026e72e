#pragma once

// Runs the real qorita binary as the calling application does and collects
// what it printed and its exit code.
#include <string>
#include <vector>

namespace qorita::test {

struct TRunResult {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

TRunResult RunQorita(const std::vector<std::string>& AArguments, const std::vector<std::string>& AEnvironment = {});

}  // namespace qorita::test
