#include "common/Process.h"

#include "common/WindowsText.h"

#include <windows.h>

#include <shellapi.h>

namespace qorita {

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(windows::Utf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

std::filesystem::path ProgramFolder()
{
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) {
            name.resize(length);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2);
    }
}

}  // namespace qorita
