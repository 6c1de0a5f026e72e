#include "TestServer.h"

#include "common/Exception.h"

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#ifndef QORITA_SOURCE_DIR
#error "QORITA_SOURCE_DIR must name the repository"
#endif

namespace qorita::test {
namespace {

std::string RequiredVariable(const char* AName)
{
    const char* value = std::getenv(AName);
    if (value == nullptr || *value == '\0') {
        throw Exception(std::string(AName) +
                        " is not set: start the tests' Firebird server with scripts/fbserver.sh start and "
                        "eval \"$(scripts/fbserver.sh env)\", or run scripts/test.sh");
    }
    return value;
}

std::filesystem::path ServerFolder() { return RequiredVariable("QORITA_TEST_FB_SERVER_DIR"); }

std::string FirstLine(const std::filesystem::path& AFile)
{
    std::ifstream in(AFile);
    std::string line;
    std::getline(in, line);
    return line;
}

// The arguments the process was started with; empty when it is gone.
std::vector<std::string> CommandLine(pid_t APid)
{
    std::ifstream in("/proc/" + std::to_string(APid) + "/cmdline", std::ios::binary);
    std::vector<std::string> arguments;
    std::string argument;
    while (std::getline(in, argument, '\0')) arguments.push_back(argument);
    return arguments;
}

// False once the process has ended (a zombie has ended too).
bool Alive(pid_t APid)
{
    std::ifstream in("/proc/" + std::to_string(APid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("State:", 0) == 0) {
            const auto state = line.find_first_not_of(" \t", 6);
            return state != std::string::npos && line[state] != 'Z' && line[state] != 'X';
        }
    }
    return false;
}

// The pid of the server at TestServerAddress(), checked against its folder: a
// pid left in the file by a server that is gone may belong to anyone now.
pid_t ServerPid()
{
    const std::filesystem::path folder = ServerFolder();
    const std::string address = TestServerAddress();
    if (FirstLine(folder / "address") != address) {
        throw Exception("The server at " + address + " is not the one in " + folder.string());
    }
    const std::string text = FirstLine(folder / "pid");
    const pid_t pid = static_cast<pid_t>(std::atoi(text.c_str()));
    const std::vector<std::string> arguments = CommandLine(pid);
    bool ours = false;
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) ours |= arguments[i] == "-e" && arguments[i + 1] == folder;
    if (pid <= 1 || !ours || !Alive(pid)) {
        throw Exception("No Firebird server of " + folder.string() + " runs with pid \"" + text + "\"");
    }
    return pid;
}

}  // namespace

std::string TestServerAddress() { return RequiredVariable("QORITA_TEST_FB_SERVER"); }

void KillTestServer()
{
    const pid_t pid = ServerPid();
    if (kill(pid, SIGKILL) != 0) throw Exception("Cannot kill the Firebird server, pid " + std::to_string(pid));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Alive(pid)) {
        if (std::chrono::steady_clock::now() > deadline) {
            throw Exception("The Firebird server, pid " + std::to_string(pid) + ", is still there after SIGKILL");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void RestartTestServer()
{
    const std::string command = std::string(QORITA_SOURCE_DIR) + "/scripts/fbserver.sh restart >/dev/null";
    if (std::system(command.c_str()) != 0) throw Exception("scripts/fbserver.sh restart failed");
    ServerPid();
}

}  // namespace qorita::test
