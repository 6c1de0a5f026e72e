#pragma once

// Libraries loaded while the program runs, and where an installation says it
// put them (SharedLibrary.Posix.cpp, SharedLibrary.Windows.cpp).
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace qorita {

class TSharedLibrary {
public:
    // nullptr when the library cannot be loaded; AError then says why. A bare
    // file name is looked for in the system's usual places.
    static std::unique_ptr<TSharedLibrary> Load(const std::filesystem::path& APath, std::string& AError);
    ~TSharedLibrary();
    TSharedLibrary(const TSharedLibrary&) = delete;
    TSharedLibrary& operator=(const TSharedLibrary&) = delete;

    // nullptr when the library has no such symbol.
    void* Symbol(const char* AName) const;

private:
    explicit TSharedLibrary(void* AHandle) : FHandle(AHandle) {}
    void* FHandle;
};

// A text value under HKEY_LOCAL_MACHINE in the registry, as UTF-8; nothing when
// it is missing, and always nothing on systems without a registry. AKey uses
// backslashes.
std::optional<std::string> MachineRegistryText(const std::string& AKey, const std::string& AValue);

}  // namespace qorita
