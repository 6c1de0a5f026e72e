#include "app/Usage.h"

#include "common/Text.h"
#include "data/ParametriTabX.h"

#include <algorithm>

#ifndef QORITA_VERSION
#error "QORITA_VERSION must be the project's version"
#endif

namespace qorita {
namespace {

constexpr std::size_t kWidth = 80;
// Terms longer than this put their text on the next line.
constexpr std::size_t kTermColumn = 28;

TUsageSezione ParametriSezione()
{
    TUsageSezione sezione{"TABX parameters", "TESTO of the rows with UTENTE NULL; names matched exactly", {}};
    for (const TParametroTabX& parametro : ParametriTabX()) {
        std::string testo(parametro.Uso);
        if (!parametro.Obbligatorio()) testo = "optional: " + testo;
        if (parametro.Tipo == TTipoParametro::Secondi) {
            testo += "; empty: " + std::to_string(parametro.Predefinito);
        }
        sezione.Voci.push_back({std::string(parametro.Nome), testo});
    }
    return sezione;
}

// AText in lines that end before kWidth, the first one starting at column
// AIndent (the caller writes what stands before it), the others indented to it.
std::string Wrapped(const std::string& AText, std::size_t AIndent)
{
    std::string out;
    std::size_t column = AIndent;
    std::size_t start = 0;
    bool lineEmpty = true;
    while (start < AText.size()) {
        std::size_t end = AText.find(' ', start);
        if (end == std::string::npos) end = AText.size();
        const std::string word = AText.substr(start, end - start);
        if (!lineEmpty && column + 1 + word.size() >= kWidth) {
            out += "\n" + std::string(AIndent, ' ');
            column = AIndent;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        lineEmpty = false;
        start = end + 1;
    }
    return out;
}

// Text for roff: backslashes and hyphens escaped, no line taken for a request.
std::string Roff(const std::string& AText)
{
    std::string out;
    for (const char c : AText) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    if (!out.empty() && (out.front() == '.' || out.front() == '\'')) out.insert(0, "\\&");
    return out;
}

std::string Sentence(const std::string& AText)
{
    std::string sentence = AText;
    if (!sentence.empty() && sentence.front() >= 'a' && sentence.front() <= 'z') {
        sentence.front() = static_cast<char>(sentence.front() - 'a' + 'A');
    }
    if (!sentence.empty() && sentence.back() != '.') sentence += '.';
    return sentence;
}

}  // namespace

TUsageDocumento UsageDocumento()
{
    TUsageDocumento documento;
    documento.Sommario = "bridge between order management and a courier's label service";
    documento.Sinossi = {"qorita -<Command> DatabaseName=<database> ChiamataId=<id>",
                         "qorita -Verifica DatabaseName=<database>", "qorita --help | -h | --version"};
    documento.Descrizione =
        "Exchanges one call of the order-management application with the courier's label web service: reads the "
        "call row, the shipment and the TABX parameters from the database, talks to the courier over HTTPS, "
        "archives every request and response, and writes the outcome into the call row.";
    documento.Sezioni = {
        {"Commands",
         "one per run; names matched without regard to case",
         {{"-Crea", "registers the parcels of the call's shipment not yet sent"},
          {"-Conferma", "confirms the registered shipment (CloseWorkDayByShipmentNumber)"},
          {"-CreaConferma", "registers the shipment when it is not yet registered, then confirms it"},
          {"-Elimina", "deletes the registered shipment at the courier"},
          {"-Verifica",
           "checks a deployment and changes nothing: the database connection and its user, the tables, columns and "
           "generators, the permissions, the TABX parameters, the archive folder and the exchanges in flight in its "
           "journal, the courier's service description and its endpoint; one line per check"}}},
        {"Parameters",
         "any order; name=value, names matched without regard to case",
         {{"DatabaseName=<database>",
           "a file path (embedded engine, one process at a time) or host:path (through a Firebird server)"},
          {"ChiamataId=<id>", "the call row in QORITA_CHIAMATE (not for -Verifica)"}}},
        {"Exit codes",
         "",
         {{"0", "the call row received an outcome, also a failed one; -Verifica: every check passed"},
          {"1",
           "the call could not be handled or recorded (the reason is printed); -Verifica: a check failed or was "
           "skipped"}}},
        {"Environment",
         "",
         {{"ISC_USER", "database user (default SYSDBA)"},
          {"ISC_PASSWORD", "database password (default the built-in one)"}}},
        ParametriSezione(),
        {"Files",
         "",
         {{"<QORITA_RequestResponseDir>/.journal",
           "the exchanges in flight: what the next run on a shipment recovers; never delete it by hand"},
          {"/usr/share/qorita/schema.sql", "reference definition of the tables"},
          {"/usr/share/qorita/example.sql", "TABX parameters and a call row, ready to run with isql-fb"}},
         true},
        {"See also",
         "/usr/share/doc/qorita/README.md: operations, the database account, what is read and written, recovery "
         "after a crash",
         {},
         true},
    };
    return documento;
}

std::string UsageText()
{
    const TUsageDocumento documento = UsageDocumento();
    std::string text;
    for (std::size_t i = 0; i < documento.Sinossi.size(); ++i) {
        text += (i == 0 ? "Usage: " : "\n       ") + documento.Sinossi[i];
    }
    text += "\n\n" + Wrapped(documento.Descrizione, 0) + "\n";
    for (const TUsageSezione& sezione : documento.Sezioni) {
        if (sezione.SoloManuale) continue;
        text += "\n" + sezione.Titolo + (sezione.Nota.empty() ? "" : " (" + sezione.Nota + ")") + ":\n";
        std::size_t termWidth = 0;
        for (const TUsageVoce& voce : sezione.Voci) {
            if (voce.Termine.size() <= kTermColumn) termWidth = std::max(termWidth, voce.Termine.size());
        }
        const std::size_t indent = 2 + termWidth + 2;
        for (const TUsageVoce& voce : sezione.Voci) {
            const std::string term = "  " + voce.Termine;
            // A term too long for the column has its text on the next line.
            const std::string lead = voce.Termine.size() > termWidth ? term + "\n" + std::string(indent, ' ')
                                                                     : term + std::string(indent - term.size(), ' ');
            text += lead + Wrapped(voce.Testo, indent) + "\n";
        }
    }
    text.pop_back();  // the lines are joined, the last one ends with the caller's line end
    return text;
}

std::string ManPage(const std::string& ADate)
{
    const TUsageDocumento documento = UsageDocumento();
    std::string page = ".TH QORITA 1 \"" + ADate + "\" \"qorita " QORITA_VERSION "\" \"User Commands\"\n";
    // Names such as TIPOETICHETTA are never hyphenated.
    page += ".nh\n";
    page += ".SH NAME\nqorita \\- " + Roff(documento.Sommario) + "\n";
    page += ".SH SYNOPSIS\n";
    for (std::size_t i = 0; i < documento.Sinossi.size(); ++i) {
        page += (i == 0 ? "" : ".br\n") + Roff(documento.Sinossi[i]) + "\n";
    }
    page += ".SH DESCRIPTION\n" + Roff(documento.Descrizione) + "\n";
    for (const TUsageSezione& sezione : documento.Sezioni) {
        page += ".SH " + Roff(UpperAscii(sezione.Titolo)) + "\n";
        if (!sezione.Nota.empty()) page += Roff(Sentence(sezione.Nota)) + "\n";
        for (const TUsageVoce& voce : sezione.Voci) {
            page += ".TP\n\\fB" + Roff(voce.Termine) + "\\fR\n" + Roff(Sentence(voce.Testo)) + "\n";
        }
    }
    return page;
}

std::string VersionText() { return std::string("qorita ") + QORITA_VERSION; }

std::optional<std::string> InfoRequested(const std::vector<std::string>& AArguments)
{
    for (const std::string& argument : AArguments) {
        const std::string option = UpperCase(argument);
        if (option == "--HELP" || option == "-H") return UsageText();
        if (option == "--VERSION") return VersionText();
    }
    return std::nullopt;
}

}  // namespace qorita
