#pragma once

// Runs the real qorita binary as the calling application does and collects
// what it printed and its exit code.
#include <memory>
#include <string>
#include <vector>

namespace qorita::test {

struct TRunResult {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

// A started run, to be waited for (or killed first).
class TRunningQorita {
public:
    // ABinary: the program to run, the real one by default (the test build
    // with failpoints is QORITA_FAILPOINTS_BINARY).
    TRunningQorita(const std::vector<std::string>& AArguments, const std::vector<std::string>& AEnvironment,
                   const std::string& ABinary = QORITA_BINARY);
    ~TRunningQorita();
    TRunningQorita(const TRunningQorita&) = delete;
    TRunningQorita& operator=(const TRunningQorita&) = delete;

    void Kill();
    TRunResult Wait();

private:
    struct TOutput;
    std::unique_ptr<TOutput> FOutput;
    int FPid = -1;
    bool FWaited = false;
};

// AEnvironment holds "NAME=value" entries added to (or replacing) the test's
// own; without ISC_PASSWORD among them the run gets the tests' server's
// SYSDBA password. ABinary is the program or its build with failpoints.
TRunResult RunQorita(const std::vector<std::string>& AArguments, const std::vector<std::string>& AEnvironment = {},
                     const std::string& ABinary = QORITA_BINARY);

}  // namespace qorita::test
