#include "RunProgram.h"

#include "TestDatabase.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace qorita::test {
namespace {

std::string ReadAll(const std::filesystem::path& APath)
{
    std::ifstream file(APath, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

TRunResult RunQorita(const std::vector<std::string>& AArguments, const std::vector<std::string>& AEnvironment)
{
    TTempDir dir;
    const std::string out = (dir.Path() / "out").string();
    const std::string err = (dir.Path() / "err").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    std::vector<std::string> arguments{QORITA_BINARY};
    arguments.insert(arguments.end(), AArguments.begin(), AArguments.end());
    std::vector<char*> argv;
    for (auto& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) environment.emplace_back(*e);
    environment.insert(environment.end(), AEnvironment.begin(), AEnvironment.end());
    std::vector<char*> envp;
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, QORITA_BINARY, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " QORITA_BINARY);
    int status = 0;
    waitpid(pid, &status, 0);
    TRunResult result;
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.Out = ReadAll(out);
    result.Err = ReadAll(err);
    return result;
}

}  // namespace qorita::test
