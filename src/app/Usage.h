#pragma once

// What "qorita --help" and "qorita --version" print, and the manual page
// qorita(1): one document, rendered as plain text for --help and as roff for the
// manual page (built by tools/manpage), so that the two never drift apart. The
// TABX parameters come from their table (ParametriTabX.h). Both options are
// answered before the command line is read as a call, so they never open a
// connection.
#include <optional>
#include <string>
#include <vector>

namespace qorita {

// A term and what it means: a command, a parameter, an exit code.
struct TUsageVoce {
    std::string Termine;
    std::string Testo;
};

struct TUsageSezione {
    std::string Titolo;
    // Said of the whole section, before its terms; may be empty.
    std::string Nota;
    std::vector<TUsageVoce> Voci;
    // Sections the manual page has and --help leaves out.
    bool SoloManuale = false;
};

struct TUsageDocumento {
    std::string Sommario;  // the manual page's NAME line
    std::vector<std::string> Sinossi;
    std::string Descrizione;
    std::vector<TUsageSezione> Sezioni;
};

TUsageDocumento UsageDocumento();

// The usage: commands, parameters, exit codes, environment variables and the
// TABX parameters.
std::string UsageText();
// The manual page qorita(1) in roff, dated ADate (as the changelog dates the
// release).
std::string ManPage(const std::string& ADate);
// "qorita <version>", the version of the build.
std::string VersionText();

// The text to print when the arguments ask for the usage ("--help", "-h") or the
// version ("--version"), without regard to case; the first such argument wins.
// Nothing when they ask for neither.
std::optional<std::string> InfoRequested(const std::vector<std::string>& AArguments);

}  // namespace qorita
