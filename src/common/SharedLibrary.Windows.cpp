#include "common/SharedLibrary.h"

#include "common/WindowsText.h"

#include <windows.h>

namespace qorita {

std::unique_ptr<TSharedLibrary> TSharedLibrary::Load(const std::filesystem::path& APath, std::string& AError)
{
    // A full path loads that file, and its own dependencies are looked for in
    // its folder first; a bare name goes through the standard search.
    const DWORD flags = APath.has_parent_path() ? LOAD_WITH_ALTERED_SEARCH_PATH : 0;
    HMODULE handle = LoadLibraryExW(APath.c_str(), nullptr, flags);
    if (handle == nullptr) {
        AError = windows::ErrorText(GetLastError());
        return nullptr;
    }
    return std::unique_ptr<TSharedLibrary>(new TSharedLibrary(reinterpret_cast<void*>(handle)));
}

TSharedLibrary::~TSharedLibrary() { FreeLibrary(reinterpret_cast<HMODULE>(FHandle)); }

void* TSharedLibrary::Symbol(const char* AName) const
{
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(FHandle), AName));
}

std::optional<std::string> MachineRegistryText(const std::string& AKey, const std::string& AValue)
{
    const std::wstring key = windows::Wide(AKey);
    const std::wstring value = windows::Wide(AValue);
    DWORD size = 0;
    // The view of this process's bitness: a 32-bit program reads the 32-bit
    // installation's entries, which is the client it can load.
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size < sizeof(wchar_t))
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, text.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return windows::Utf8(text);
}

}  // namespace qorita
