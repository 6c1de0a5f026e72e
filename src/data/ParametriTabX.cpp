#include "data/ParametriTabX.h"

#include "common/Text.h"
#include "data/DataSql.h"
#include "data/fb/FbStatement.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <system_error>

namespace qorita {
namespace {

using P = TQorItaParametri;
using enum TTipoParametro;

// In the order of the run's checks: the six values every run needs first.
constexpr std::array kParametri{
    TParametroTabX{"QORITA_SedeQor", Testo, &P::SedeQor, "Sede QOR non specificata", "", 0, "courier site code"},
    TParametroTabX{"QORITA_CodiceClienteQor", Intero, &P::CodiceClienteQor, "Codice Cliente QOR non specificato", "", 0,
                   "customer code (an integer other than 0; $1F or 0x1F: hexadecimal)"},
    TParametroTabX{"QORITA_PasswordClienteQor", Testo, &P::PasswordClienteQor, "Password Cliente QOR non specificata",
                   "", 0, "customer password; the archived copies of the requests show ******** in its place"},
    TParametroTabX{"QORITA_CodiceContrattoQor", Intero, &P::CodiceContrattoQor, "Codice Contratto QOR non specificato",
                   "", 0, "contract code (an integer other than 0)"},
    TParametroTabX{"QORITA_RequestResponseDir", Cartella, &P::RequestResponseDir,
                   "Percorso XML scambi rest QOR non specificata", "Percorso XML scambi rest QOR %s non trovata", 0,
                   "existing folder where every request and response is archived; its .journal folder holds the "
                   "exchanges in flight"},
    TParametroTabX{"QORITA_TipoEtichetta", Testo, &P::TipoEtichetta, "Tipo etichetta QOR non specificata", "", 0,
                   "must be set; the label type sent comes from the header's TIPOETICHETTA"},
    TParametroTabX{"QORITA_ServiceUrl", Testo, &P::ServiceUrl, "", "", 0,
                   "location of the courier's service description (WSDL); empty: the built-in production location"},
    TParametroTabX{"QORITA_ServiceCaFile", File, &P::ServiceCaFile, "", "", 0,
                   "PEM file of certificate authorities trusted besides the system store"},
    TParametroTabX{"QORITA_ServiceTimeout", Secondi, &P::ServiceTimeout, "",
                   "Tempo massimo di una richiesta a QOR (QORITA_ServiceTimeout) non valido: %s; "
                   "indicare i secondi, un intero maggiore di 0",
                   600, "the most one request to the courier may take, answer included, in seconds"},
    TParametroTabX{"QORITA_RunTimeout", Secondi, &P::RunTimeout, "",
                   "Tempo massimo di un'esecuzione (QORITA_RunTimeout) non valido: %s; "
                   "indicare i secondi, un intero maggiore di 0",
                   900, "the most all the requests of one run may take together, in seconds"},
};

std::string WithValue(std::string_view AMessage, const std::string& AValue)
{
    std::string message(AMessage);
    const std::size_t at = message.find("%s");
    if (at != std::string::npos) message.replace(at, 2, AValue);
    return message;
}

bool IsFolder(const std::string& APath)
{
    std::error_code error;
    // Follows symbolic links, so a link to a folder counts as one.
    return std::filesystem::is_directory(APath, error);
}

bool IsFile(const std::string& APath)
{
    std::error_code error;
    return std::filesystem::is_regular_file(APath, error);
}

// What a valid value looks like, for a "not valid" message.
std::string_view Atteso(TTipoParametro ATipo)
{
    switch (ATipo) {
    case Intero: return "an integer other than 0; $1F or 0x1F for hexadecimal";
    case Cartella: return "an existing folder";
    case File: return "an existing file";
    case Secondi: return "whole seconds, above 0";
    case Testo: break;
    }
    return "a text";
}

// Edits that turn one name into the other (insert, delete, replace).
std::size_t Distanza(std::string_view A, std::string_view B)
{
    std::vector<std::size_t> row(B.size() + 1);
    for (std::size_t j = 0; j <= B.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= A.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= B.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (A[i - 1] == B[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[B.size()];
}

// The parameter an unknown key was probably meant to be, if any.
const TParametroTabX* Somigliante(const std::string& ANome)
{
    const TParametroTabX* best = nullptr;
    std::size_t bestDistance = 3;  // at most a few slips of the keyboard
    for (const TParametroTabX& parametro : kParametri) {
        const std::size_t distance = Distanza(UpperAscii(ANome), UpperAscii(parametro.Nome));
        if (distance < bestDistance) {
            best = &parametro;
            bestDistance = distance;
        }
    }
    return best;
}

std::string Quoted(const std::string& AText) { return "\"" + AText + "\""; }

}  // namespace

std::span<const TParametroTabX> ParametriTabX() { return kParametri; }

const TParametroTabX* ParametroTabX(std::string_view ANome)
{
    for (const TParametroTabX& parametro : kParametri) {
        if (parametro.Nome == ANome) return &parametro;
    }
    return nullptr;
}

TStatoParametro StatoParametro(const TParametroTabX& AParametro, const std::string& ATesto)
{
    if (ATesto.empty()) return AParametro.Obbligatorio() ? TStatoParametro::Mancante : TStatoParametro::Valido;
    switch (AParametro.Tipo) {
    case Testo: return TStatoParametro::Valido;
    case Intero: return StrToIntDef(ATesto, 0) != 0 ? TStatoParametro::Valido : TStatoParametro::NonValido;
    case Cartella: return IsFolder(ATesto) ? TStatoParametro::Valido : TStatoParametro::NonValido;
    case File: return IsFile(ATesto) ? TStatoParametro::Valido : TStatoParametro::NonValido;
    case Secondi: return StrToIntDef(ATesto, 0) > 0 ? TStatoParametro::Valido : TStatoParametro::NonValido;
    }
    return TStatoParametro::NonValido;
}

std::string MessaggioParametro(const TParametroTabX& AParametro, const std::string& ATesto)
{
    switch (StatoParametro(AParametro, ATesto)) {
    case TStatoParametro::Valido: break;
    case TStatoParametro::Mancante: return std::string(AParametro.Mancante);
    // An integer that is not one reads as 0, which the run calls missing; a
    // file is not looked for before it is needed.
    case TStatoParametro::NonValido:
        return AParametro.NonValido.empty() ? std::string(AParametro.Mancante)
                                            : WithValue(AParametro.NonValido, ATesto);
    }
    return {};
}

std::string TestoCampo(const TParametroTabX& AParametro, const TQorItaParametri& AParametri)
{
    if (const auto* testo = std::get_if<std::string P::*>(&AParametro.Campo)) return AParametri.*(*testo);
    const std::int32_t numero = AParametri.*std::get<std::int32_t P::*>(AParametro.Campo);
    // 0 is what a missing or unreadable integer leaves.
    return numero == 0 ? std::string() : std::to_string(numero);
}

void AssegnaCampo(const TParametroTabX& AParametro, TQorItaParametri& AParametri, const std::string& ATesto)
{
    if (const auto* testo = std::get_if<std::string P::*>(&AParametro.Campo)) {
        AParametri.*(*testo) = ATesto;
    } else {
        AParametri.*std::get<std::int32_t P::*>(AParametro.Campo) = StrToIntDef(ATesto, 0);
    }
}

std::int32_t SecondiParametro(const TParametroTabX& AParametro, const std::string& ATesto)
{
    if (ATesto.empty()) return AParametro.Predefinito;
    return std::max(StrToIntDef(ATesto, 0), 0);
}

std::vector<TRigaTabX> RigheQoritaTabX(fb::TFbConnection& ADatabase, fb::TFbTransaction& ATransaction)
{
    fb::TFbStatement select(ADatabase, ATransaction, sql::Text(sql::TabXQorita));
    std::vector<TRigaTabX> righe;
    for (select.Execute(); !select.Eof(); select.Fetch()) {
        TRigaTabX riga;
        riga.Nome = select.Field("NOME").AsText();
        if (!select.Field("UTENTE").IsNull()) riga.Utente = select.Field("UTENTE").AsInt32();
        riga.Testo = select.Field("TESTO").AsText();
        righe.push_back(std::move(riga));
    }
    select.Close();
    return righe;
}

std::vector<std::string> EsameParametriTabX(const std::vector<TRigaTabX>& ARighe)
{
    std::vector<std::string> problemi;
    for (const TParametroTabX& parametro : kParametri) {
        const std::string nome(parametro.Nome);
        std::vector<const TRigaTabX*> generali;
        std::vector<std::int32_t> utenti;
        for (const TRigaTabX& riga : ARighe) {
            if (riga.Nome != nome) continue;
            if (riga.Utente) {
                utenti.push_back(*riga.Utente);
            } else {
                generali.push_back(&riga);
            }
        }
        const std::string testo = generali.empty() ? std::string() : generali.front()->Testo;
        if (generali.size() > 1) {
            problemi.push_back(nome + " is set " + std::to_string(generali.size()) +
                               " times with UTENTE NULL: a run takes whichever row the database returns first; "
                               "keep one");
        }
        switch (StatoParametro(parametro, testo)) {
        case TStatoParametro::Valido: break;
        case TStatoParametro::Mancante: {
            std::string problema = nome + " not set: " + std::string(parametro.Mancante);
            if (generali.empty() && !utenti.empty()) {
                problema += " (set only for UTENTE " + std::to_string(utenti.front()) +
                            "; a run reads the row with UTENTE NULL)";
            }
            problemi.push_back(problema);
            break;
        }
        case TStatoParametro::NonValido:
            problemi.push_back(nome + " not valid: " + Quoted(testo) + " (" + std::string(Atteso(parametro.Tipo)) +
                               ")");
            break;
        }
    }
    std::map<std::string, bool> segnalati;
    for (const TRigaTabX& riga : ARighe) {
        if (ParametroTabX(riga.Nome) || segnalati[riga.Nome]) continue;
        segnalati[riga.Nome] = true;
        std::string problema = riga.Nome + ": unknown key, a run never reads it";
        if (const TParametroTabX* somigliante = Somigliante(riga.Nome)) {
            const std::string atteso(somigliante->Nome);
            problema += EqualsNoCase(riga.Nome, atteso) ? "; names are matched with their letter case: " + atteso
                                                        : "; did you mean " + atteso + "?";
        }
        problemi.push_back(problema);
    }
    return problemi;
}

}  // namespace qorita
