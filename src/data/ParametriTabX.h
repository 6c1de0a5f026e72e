#pragma once

// The TABX parameters of a run, written once. Loading (TQorItaParametriAccess),
// the run's checks (TQorItaParametri::Problemi), the deployment check, the
// usage text and the manual page all read this table, in its order, which is
// the order of the run's checks.
#include "data/DataObject.h"
#include "data/fb/FbForward.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qorita {

enum class TTipoParametro {
    Testo,     // any text; required ones must not be empty
    Intero,    // a 32-bit integer, decimal or hexadecimal ($1F, 0x1F); 0 counts as not set
    Cartella,  // an existing folder (a link to one counts)
    File,      // a file the program reads; only the deployment check looks for it
    Secondi,   // whole seconds above 0; empty: the default
};

struct TParametroTabX {
    std::string_view Nome;
    TTipoParametro Tipo;
    // The record's field: text, or a number for TTipoParametro::Intero.
    std::variant<std::string TQorItaParametri::*, std::int32_t TQorItaParametri::*> Campo;
    // The run's message when a required value is missing; empty: optional.
    std::string_view Mancante;
    // The run's message, %s the value as stored, when a value is set but
    // wrong; empty where the run reports it as missing (integers).
    std::string_view NonValido;
    // TTipoParametro::Secondi: the seconds an empty value stands for.
    std::int32_t Predefinito;
    // What the value is, for the usage and the manual page.
    std::string_view Uso;

    bool Obbligatorio() const { return !Mancante.empty(); }
};

std::span<const TParametroTabX> ParametriTabX();
// The row of that exact name; nullptr for any other.
const TParametroTabX* ParametroTabX(std::string_view ANome);

enum class TStatoParametro { Valido, Mancante, NonValido };
// How a stored text fares with the run's rule for the parameter.
TStatoParametro StatoParametro(const TParametroTabX& AParametro, const std::string& ATesto);

// The run's message about a stored text (missing, or set but wrong); empty
// when the run lets it pass.
std::string MessaggioParametro(const TParametroTabX& AParametro, const std::string& ATesto);

// The field as the run holds it, and the stored text into it (integers by the
// platform's text-to-integer rule, 0 for anything else).
std::string TestoCampo(const TParametroTabX& AParametro, const TQorItaParametri& AParametri);
void AssegnaCampo(const TParametroTabX& AParametro, TQorItaParametri& AParametri, const std::string& ATesto);

// TTipoParametro::Secondi: the seconds a stored text gives, the default for an
// empty one, 0 for one that is not valid.
std::int32_t SecondiParametro(const TParametroTabX& AParametro, const std::string& ATesto);

// A TABX row whose name looks like one of ours, for the deployment check.
struct TRigaTabX {
    std::string Nome;
    std::optional<std::int32_t> Utente;
    std::string Testo;  // NULL reads as empty, as for a run
};

// Every TABX row whose name begins with "QORITA" in any letter case, in the
// order of their CODICE.
std::vector<TRigaTabX> RigheQoritaTabX(fb::TFbConnection& ADatabase, fb::TFbTransaction& ATransaction);

// What the deployment check says about the stored rows, one message per
// problem, each beginning with the key it is about: a value missing ("not
// set") or set but wrong ("not valid"), a key given twice for the general
// value, a key that is none of ours. Empty when a run would find nothing wrong.
std::vector<std::string> EsameParametriTabX(const std::vector<TRigaTabX>& ARighe);

}  // namespace qorita
