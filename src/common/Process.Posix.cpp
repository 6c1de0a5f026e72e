#include "common/Process.h"

#include <unistd.h>

namespace qorita {

unsigned long CurrentProcessId() { return static_cast<unsigned long>(::getpid()); }

std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

std::filesystem::path ProgramFolder()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path();
}

}  // namespace qorita
