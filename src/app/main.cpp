// qorita: one run handles one call of the order-management application.
//   qorita -<Crea|Conferma|CreaConferma|Elimina> DatabaseName=<db> ChiamataId=<id>
//   qorita -Verifica DatabaseName=<db>   (checks a deployment, changes nothing)
//   qorita --help | -h | --version
// Exit code 0 when the call row received an outcome (also a failed one), 1 when
// the call could not be handled; the reason is then printed on standard output.
// -Verifica exits with 0 only when every check passed.
#include "app/ChiamataHandler.h"
#include "app/CmdParams.h"
#include "app/Console.h"
#include "app/ProcessEnd.h"
#include "app/Usage.h"
#include "app/Verifica.h"
#include "common/Process.h"
#include "data/fb/FbConnection.h"

#include <clocale>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace {

// Upper-casing of command names and parameter keys follows the user's
// character classes; numbers never follow the locale.
void SetUpLocale()
{
    const char* locale = std::setlocale(LC_CTYPE, "");
    if (!locale || std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0) {
        // Without a configured locale, still treat text as UTF-8.
        std::setlocale(LC_CTYPE, "C.UTF-8");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    SetUpLocale();
    std::vector<std::string> arguments = qorita::CommandLineArguments(argc, argv);
    if (!arguments.empty()) arguments.erase(arguments.begin());
    if (const std::optional<std::string> info = qorita::InfoRequested(arguments)) {
        qorita::WriteLines(*info);
        return 0;
    }
    int exitCode = 0;
    std::unique_ptr<qorita::TCmdParams> params;
    try {
        params = std::make_unique<qorita::TCmdParams>(arguments);
    } catch (const std::exception& error) {
        // Not an error of the call: reported like one that nobody handled.
        qorita::WriteLines(stderr, error.what());
        return 1;
    }
    bool detached = false;
    try {
        params->Validate();
        const std::optional<qorita::TComando> comando = params->GetComando();
        if (comando && comando->Tipo == qorita::TTipoComando::Verifica) {
            exitCode = qorita::TVerifica(comando->DatabaseName).Esegui() ? 0 : 1;
        } else {
            qorita::TChiamataHandler handler;
            handler.Esegui(*params);
            detached = handler.DisconnectDatabase();
        }
    } catch (const std::exception& error) {
        exitCode = 1;
        qorita::WriteLines(error.what());
    }
    return qorita::EndProcess(exitCode, detached);
}
