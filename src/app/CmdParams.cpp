#include "app/CmdParams.h"

#include "common/Exception.h"
#include "common/Text.h"

#include <utility>

namespace qorita {

TCmdParams::TCmdParams(const std::vector<std::string>& AArguments)
{
    for (const std::string& argument : AArguments) {
        if (!argument.empty() && argument[0] == '-') {
            FComandi.push_back(argument.substr(1));
            continue;
        }
        const auto equals = argument.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = UpperCase(argument.substr(0, equals));
        if (!FParams.emplace(key, argument.substr(equals + 1)).second) throw Exception("Duplicates not allowed");
    }
}

void TCmdParams::CheckRequired(const std::string& AName) const
{
    const auto found = FParams.find(UpperCase(AName));
    if (found == FParams.end()) throw Exception(Format("Parametro CMD %s non rilevato", AName.c_str()));
    if (found->second.empty()) {
        throw Exception(Format("Parametro CMD %s \"%s\" non valido", AName.c_str(), found->second.c_str()));
    }
}

void TCmdParams::Validate() const
{
    if (FComandi.empty()) throw Exception("Nessun comando CMD rilevato");
    if (FComandi.size() > 1) throw Exception("Rilevati più di 1 comando CMD");
    if (FParams.empty()) throw Exception("Nessun parametro CMD rilevato");
    CheckRequired("DatabaseName");
    if (!IsVerifica()) CheckRequired("ChiamataId");
}

bool TCmdParams::IsVerifica() const { return UpperCase(NomeComando()) == UpperCase("Verifica"); }

std::string TCmdParams::GetDatabaseName() const
{
    const auto found = FParams.find(UpperCase("DatabaseName"));
    return found == FParams.end() ? std::string() : found->second;
}

std::int32_t TCmdParams::GetChiamataId() const
{
    const auto found = FParams.find(UpperCase("ChiamataId"));
    return found == FParams.end() ? 0 : StrToIntDef(found->second, 0);
}

std::string TCmdParams::NomeComando() const { return FComandi.empty() ? std::string() : FComandi.front(); }

std::optional<TComando> TCmdParams::GetComando() const
{
    static constexpr std::pair<const char*, TTipoComando> Nomi[] = {
        {"Crea", TTipoComando::Crea},
        {"Conferma", TTipoComando::Conferma},
        {"CreaConferma", TTipoComando::CreaConferma},
        {"Elimina", TTipoComando::Elimina},
        {"Verifica", TTipoComando::Verifica},
    };
    const std::string name = UpperCase(NomeComando());
    for (const auto& [nome, tipo] : Nomi) {
        if (name == UpperCase(nome)) return TComando{tipo, GetDatabaseName(), GetChiamataId()};
    }
    return std::nullopt;
}

}  // namespace qorita
