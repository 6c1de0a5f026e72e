#include "data/fb/FbClient.h"

#include "common/Exception.h"
#include "common/Paths.h"
#include "common/Process.h"
#include "common/SharedLibrary.h"

#include <atomic>
#include <string>
#include <vector>

namespace qorita::fb {
namespace {

constexpr const char* kLibrary = "fbclient.dll";
constexpr const char* kInstancesKey = "SOFTWARE\\Firebird Project\\Firebird Server\\Instances";
constexpr const char* kInstanceValue = "DefaultInstance";

using TGetMaster = Firebird::IMaster* (*)();

std::atomic<Firebird::IMaster*> LoadedMaster{nullptr};

// Takes the entry point from the library at APath; on failure adds a line
// saying where and why to ATried.
Firebird::IMaster* TryLoad(const std::filesystem::path& APath, const std::string& AWhere, std::string& ATried)
{
    std::string error;
    std::unique_ptr<TSharedLibrary> library = TSharedLibrary::Load(APath, error);
    if (!library) {
        ATried += "\r\n  " + AWhere + ": " + error;
        return nullptr;
    }
    const auto getMaster = reinterpret_cast<TGetMaster>(library->Symbol("fb_get_master_interface"));
    if (getMaster == nullptr) {
        ATried += "\r\n  " + AWhere + ": fb_get_master_interface mancante (non e' un client Firebird 3 o successivo)";
        return nullptr;
    }
    // The client stays loaded until the process ends: its objects and threads
    // live that long.
    library.release();
    return getMaster();
}

}  // namespace

Firebird::IMaster* ClientMaster()
{
    if (Firebird::IMaster* master = LoadedMaster.load()) return master;
    std::string tried;
    // Beside the program first: a deployment that ships its own client wins
    // over whatever the workstation has installed.
    const std::filesystem::path beside = ProgramFolder() / kLibrary;
    Firebird::IMaster* master = TryLoad(beside, Utf8FromPath(beside), tried);
    if (master == nullptr) master = TryLoad(kLibrary, "ricerca standard delle DLL (cartella di sistema, PATH)", tried);
    if (master == nullptr) {
        const std::string where =
            std::string("installazione registrata (HKLM\\") + kInstancesKey + ", " + kInstanceValue + ")";
        if (const std::optional<std::string> root = MachineRegistryText(kInstancesKey, kInstanceValue)) {
            // Firebird 3 and later keep the client in the root folder, 2.5 in bin.
            for (const char* folder : {"", "bin"}) {
                const std::filesystem::path candidate = PathFromUtf8(*root) / folder / kLibrary;
                master = TryLoad(candidate, where + " " + Utf8FromPath(candidate), tried);
                if (master != nullptr) break;
            }
        } else {
            tried += "\r\n  " + where + ": nessuna installazione registrata";
        }
    }
    if (master == nullptr) {
        throw Exception(
            Format("Client Firebird a %d bit (%s) non trovato. Cercato:%s\r\nServe un client Firebird a "
                   "%d bit, come questo programma: accanto a qorita.exe, nella cartella di sistema o "
                   "installato con Firebird.",
                   kProcessBits, kLibrary, tried.c_str(), kProcessBits));
    }
    LoadedMaster.store(master);
    return master;
}

bool ClientLoaded() { return LoadedMaster.load() != nullptr; }

}  // namespace qorita::fb
