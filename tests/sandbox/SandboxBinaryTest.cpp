// The qorita-sandbox program as scripts use it: start, read the one line, use it,
// stop with SIGTERM.

#include "SandboxTestSupport.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

extern char** environ;

namespace qorita::sandbox::test {
namespace {

// A child process with its standard output on a pipe; killed if a test leaves early.
class TChild {
public:
    explicit TChild(std::vector<std::string> AArguments)
    {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            throw std::runtime_error("pipe failed");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        // The usage text of refused options would only clutter the test log.
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        AArguments.insert(AArguments.begin(), QORITA_SANDBOX_BINARY);
        std::vector<char*> argv;
        for (std::string& argument : AArguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        const int result = posix_spawn(&FPid, QORITA_SANDBOX_BINARY, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        FOutput = pipeFds[0];
        if (result != 0) {
            FPid = -1;
            throw std::runtime_error("posix_spawn failed");
        }
    }
    ~TChild()
    {
        if (FPid > 0) {
            kill(FPid, SIGKILL);
            waitpid(FPid, nullptr, 0);
        }
        close(FOutput);
    }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;

    // Reads up to the first line break, waiting at most 20 s in all.
    std::string ReadLine()
    {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd descriptor{FOutput, POLLIN, 0};
            if (poll(&descriptor, 1, 1000) <= 0) {
                continue;
            }
            char c = 0;
            if (read(FOutput, &c, 1) != 1) {
                break;
            }
            if (c == '\n') {
                return line;
            }
            line += c;
        }
        return line;
    }
    std::string ReadAll()
    {
        std::string text;
        char buffer[4096];
        ssize_t count = 0;
        while ((count = read(FOutput, buffer, sizeof buffer)) > 0) {
            text.append(buffer, static_cast<std::size_t>(count));
        }
        return text;
    }
    void Signal(int ASignal) { kill(FPid, ASignal); }
    // The exit code, or -1 when the process ended by a signal.
    int Wait()
    {
        int status = 0;
        waitpid(FPid, &status, 0);
        FPid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t FPid = -1;
    int FOutput = -1;
};

TEST(SandboxBinaryTest, PrintsWsdlAndCaThenStopsCleanlyOnSigterm)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        const support::TTempFolder state;
        TChild sandbox({"--port", "0", "--state", state.Path().string(), "--customer", "4242", "--password", "pw"});
        const std::string line = sandbox.ReadLine();
        // wsdl=https://127.0.0.1:PORT/zanwebservice.asmx?WSDL ca=PATH
        const std::string prefix = "wsdl=https://127.0.0.1:";
        const std::string suffix = "/zanwebservice.asmx?WSDL";
        const std::size_t caAt = line.find(" ca=");
        ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
        ASSERT_NE(caAt, std::string::npos) << line;
        const std::string url = line.substr(5, caAt - 5);
        const std::string ca = line.substr(caAt + 4);
        ASSERT_GT(url.size(), prefix.size() - 5 + suffix.size());
        ASSERT_EQ(url.substr(url.size() - suffix.size()), suffix);
        const std::string port = url.substr(prefix.size() - 5, url.size() - suffix.size() - (prefix.size() - 5));
        EXPECT_TRUE(!port.empty() && std::all_of(port.begin(), port.end(), [](unsigned char c) {
            return std::isdigit(c);
        })) << port;
        EXPECT_EQ(std::filesystem::path(ca), state.Path() / "ca.pem");
        const THttpAnswer wsdl = HttpsGet(url, ca);
        EXPECT_EQ(wsdl.Error, "");
        EXPECT_EQ(wsdl.Status, 200);

        // The credentials of the command line are the ones accepted.
        const std::string endpoint = url.substr(0, url.find('?'));
        const auto add = [&](const std::string& ACliente, const std::string& APassword) {
            const THttpAnswer answer = HttpsPost(
                endpoint, ca,
                RequestEnvelope("AddParcel",
                                {{"XMLInfoParcel", AddParcelRequest({TParcelValues{}}, "MI", ACliente, APassword)}}),
                {"Content-Type: text/xml; charset=utf-8"});
            return AnswerPayload(answer.Body, "AddParcel").LocalName;
        };
        EXPECT_EQ(add("4242", "pw"), "InfoLabel");
        EXPECT_EQ(add("4242", "sandbox"), "DescrizioneErrore");
        EXPECT_EQ(add("4243", "pw"), "DescrizioneErrore");

        sandbox.Signal(signal);
        EXPECT_EQ(sandbox.Wait(), 0);
        EXPECT_EQ(sandbox.ReadAll(), "") << "exactly one line on standard output";
        EXPECT_TRUE(std::filesystem::exists(state.Path() / "registry.xml"));
    }
}

TEST(SandboxBinaryTest, WsdlStyleChosenOnTheCommandLine)
{
    TChild sandbox({"--port", "0", "--wsdl-style", "schema-element"});
    const std::string line = sandbox.ReadLine();
    const std::size_t caAt = line.find(" ca=");
    ASSERT_EQ(line.rfind("wsdl=", 0), 0u) << line;
    ASSERT_NE(caAt, std::string::npos) << line;
    const THttpAnswer wsdl = HttpsGet(line.substr(5, caAt - 5), line.substr(caAt + 4));
    EXPECT_EQ(wsdl.Status, 200);
    EXPECT_NE(wsdl.Body.find("targetNamespace=\"" + std::string(SchemaStyleElementNamespace) + "\""),
              std::string::npos);
    EXPECT_EQ(wsdl.Body.find(" namespace="), std::string::npos);
    sandbox.Signal(SIGTERM);
    EXPECT_EQ(sandbox.Wait(), 0);
}

TEST(SandboxBinaryTest, HelpDocumentsTheCredentialRuleAndBadOptionsFail)
{
    TChild help({"--help"});
    const std::string text = help.ReadAll();
    EXPECT_EQ(help.Wait(), 0);
    for (const char* word : {"--port", "--state", "--site", "--customer", "--password", "--label-size", "--wsdl-style",
                             "schema-element", "Credentials", "sandbox"}) {
        EXPECT_NE(text.find(word), std::string::npos) << word;
    }
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{{"--port", "x"},
                                                                                           {"--bogus", "1"},
                                                                                           {"--port"},
                                                                                           {"--port", "70000"},
                                                                                           {"--label-size", "-1"},
                                                                                           {"--label-size", "16777217"},
                                                                                           {"--wsdl-style", "rpc"}}) {
        SCOPED_TRACE(arguments.front());
        TChild bad(arguments);
        EXPECT_EQ(bad.ReadAll(), "");
        EXPECT_EQ(bad.Wait(), 2);
    }
    // Credentials a request could never carry stop the program before it serves.
    TChild longPassword({"--password", "12345678901"});
    EXPECT_EQ(longPassword.ReadAll(), "");
    EXPECT_EQ(longPassword.Wait(), 1);
}

}  // namespace
}  // namespace qorita::sandbox::test
