#include "RunProgram.h"

#include "FileText.h"
#include "TempFolder.h"
#include "TestDatabase.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include <algorithm>
#include <stdexcept>

extern char** environ;

namespace qorita::test {
struct TRunningQorita::TOutput {
    support::TTempFolder Dir{"qorita-run"};
    std::string Out = (Dir.Path() / "out").string();
    std::string Err = (Dir.Path() / "err").string();
};

TRunningQorita::TRunningQorita(const std::vector<std::string>& AArguments, const std::vector<std::string>& AEnvironment,
                               const std::string& ABinary)
    : FOutput(std::make_unique<TOutput>())
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, FOutput->Out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, FOutput->Err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    std::vector<std::string> arguments{ABinary};
    arguments.insert(arguments.end(), AArguments.begin(), AArguments.end());
    std::vector<char*> argv;
    for (auto& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    // A variable given here replaces the test process's own of the same name.
    auto nameOf = [](const std::string& AEntry) { return AEntry.substr(0, AEntry.find('=')); };
    std::vector<std::string> given = AEnvironment;
    // The tests' server does not take the program's built-in password: a run
    // is handed the server's, unless the test hands it another.
    const bool passwordGiven = std::any_of(given.begin(), given.end(),
                                           [&](const std::string& AEntry) { return nameOf(AEntry) == "ISC_PASSWORD"; });
    if (!passwordGiven) given.push_back("ISC_PASSWORD=" + TTestDatabase::Password());
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        bool replaced = false;
        for (const std::string& entry : given) replaced = replaced || nameOf(entry) == nameOf(*e);
        if (!replaced) environment.emplace_back(*e);
    }
    environment.insert(environment.end(), given.begin(), given.end());
    std::vector<char*> envp;
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, ABinary.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + ABinary);
    FPid = pid;
}

TRunningQorita::~TRunningQorita()
{
    if (!FWaited) {
        Kill();
        Wait();
    }
}

void TRunningQorita::Kill()
{
    if (!FWaited) kill(FPid, SIGKILL);
}

TRunResult TRunningQorita::Wait()
{
    int status = 0;
    waitpid(FPid, &status, 0);
    FWaited = true;
    TRunResult result;
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.Out = ReadFile(FOutput->Out);
    result.Err = ReadFile(FOutput->Err);
    return result;
}

TRunResult RunQorita(const std::vector<std::string>& AArguments, const std::vector<std::string>& AEnvironment,
                     const std::string& ABinary)
{
    return TRunningQorita(AArguments, AEnvironment, ABinary).Wait();
}

}  // namespace qorita::test
