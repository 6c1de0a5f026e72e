#pragma once

// The command line: "-<Command> DatabaseName=<location> ChiamataId=<id>", in
// any order ("-Verifica DatabaseName=<location>" for the deployment check).
// Arguments beginning with "-" are commands, arguments holding "=" are
// parameters (key upper-cased, value kept as typed), the rest is ignored.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qorita {

// The five commands. -Verifica is the deployment check: it needs the database
// only, no call row.
enum class TTipoComando { Crea, Conferma, CreaConferma, Elimina, Verifica };

// A command as read from the command line.
struct TComando {
    TTipoComando Tipo = TTipoComando::Crea;
    std::string DatabaseName;
    std::int32_t ChiamataId = 0;
};

class TCmdParams {
public:
    // AArguments are the process arguments without the program name. A
    // parameter key given twice raises "Duplicates not allowed", which the
    // entry reports on standard error, like an error nobody handled.
    explicit TCmdParams(const std::vector<std::string>& AArguments);

    // Raises with the first failing check's message. ChiamataId is required
    // for every command but -Verifica.
    void Validate() const;
    // The first command, or nothing when its name is none of the five.
    std::optional<TComando> GetComando() const;
    // The first command as typed (for the message about an unknown command).
    std::string NomeComando() const;

    const std::map<std::string, std::string>& Params() const { return FParams; }

private:
    bool IsVerifica() const;
    void CheckRequired(const std::string& AName) const;
    std::string GetDatabaseName() const;
    std::int32_t GetChiamataId() const;

    std::map<std::string, std::string> FParams;
    std::vector<std::string> FComandi;
};

}  // namespace qorita
