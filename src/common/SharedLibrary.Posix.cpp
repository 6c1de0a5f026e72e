#include "common/SharedLibrary.h"

#include <dlfcn.h>

namespace qorita {

std::unique_ptr<TSharedLibrary> TSharedLibrary::Load(const std::filesystem::path& APath, std::string& AError)
{
    void* handle = ::dlopen(APath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = ::dlerror();
        AError = reason != nullptr ? reason : "not loaded";
        return nullptr;
    }
    return std::unique_ptr<TSharedLibrary>(new TSharedLibrary(handle));
}

TSharedLibrary::~TSharedLibrary() { ::dlclose(FHandle); }

void* TSharedLibrary::Symbol(const char* AName) const { return ::dlsym(FHandle, AName); }

std::optional<std::string> MachineRegistryText(const std::string&, const std::string&) { return std::nullopt; }

}  // namespace qorita
