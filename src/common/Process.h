#pragma once

// The running process as the operating system sees it (Process.Posix.cpp,
// Process.Windows.cpp; CMake compiles the one of the target).
#include <filesystem>
#include <string>
#include <vector>

namespace qorita {

// The process's id, for names that no other process uses.
unsigned long CurrentProcessId();

// The command line as UTF-8. Windows hands main its arguments in the ANSI code
// page, where characters outside it are lost; they are read wide there.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// The folder of the running program.
std::filesystem::path ProgramFolder();

// Pointer width of this build, in bits: 64 or 32.
constexpr int kProcessBits = static_cast<int>(sizeof(void*) * 8);

}  // namespace qorita
