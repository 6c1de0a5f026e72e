#include "app/Usage.h"

#include "common/Text.h"

#ifndef QORITA_VERSION
#error "QORITA_VERSION must be the project's version"
#endif

namespace qorita {

std::string UsageText()
{
    return "Usage: qorita -<Command> DatabaseName=<database> ChiamataId=<id>\n"
           "       qorita -Verifica DatabaseName=<database>\n"
           "       qorita --help | -h | --version\n"
           "\n"
           "Exchanges one call of the order-management application with the courier's label\n"
           "web service: reads the call row, the shipment and the TABX parameters from the\n"
           "database, talks to the courier over HTTPS, archives every request and response,\n"
           "and writes the outcome into the call row.\n"
           "\n"
           "Commands (one per run; names matched without regard to case):\n"
           "  -Crea           registers the parcels of the call's shipment not yet sent\n"
           "  -Conferma       confirms the registered shipment (CloseWorkDayByShipmentNumber)\n"
           "  -CreaConferma   registers the shipment when it is not yet registered, then\n"
           "                  confirms it\n"
           "  -Elimina        deletes the registered shipment at the courier\n"
           "  -Verifica       checks a deployment and changes nothing: the database\n"
           "                  connection, the tables, columns and generators, the permissions,\n"
           "                  the TABX parameters, the archive folder, the courier's service\n"
           "                  description and its endpoint; one line per check\n"
           "\n"
           "Parameters (any order; name=value, names matched without regard to case):\n"
           "  DatabaseName=<database>  a file path (embedded engine, one process at a time)\n"
           "                           or host:path (through a Firebird server)\n"
           "  ChiamataId=<id>          the call row in QORITA_CHIAMATE (not for -Verifica)\n"
           "\n"
           "Exit codes:\n"
           "  0  the call row received an outcome, also a failed one;\n"
           "     -Verifica: every check passed\n"
           "  1  the call could not be handled or recorded (the reason is printed);\n"
           "     -Verifica: a check failed or was skipped\n"
           "\n"
           "Environment:\n"
           "  ISC_USER       database user (default SYSDBA)\n"
           "  ISC_PASSWORD   database password (default the built-in one)\n"
           "\n"
           "TABX parameters (TESTO of the rows with UTENTE NULL):\n"
           "  QORITA_SedeQor              courier site code\n"
           "  QORITA_CodiceClienteQor     customer code (integer)\n"
           "  QORITA_PasswordClienteQor   customer password\n"
           "  QORITA_CodiceContrattoQor   contract code (integer)\n"
           "  QORITA_RequestResponseDir   existing folder for the archived request and\n"
           "                              response files\n"
           "  QORITA_TipoEtichetta        must be set (the label type comes from the header)\n"
           "  QORITA_ServiceUrl           optional: location of the courier's service\n"
           "                              description; empty: the built-in one\n"
           "  QORITA_ServiceCaFile        optional: PEM file of certificate authorities\n"
           "                              trusted besides the system store\n"
           "  QORITA_ServiceTimeout       optional: seconds one request may take; empty: 600\n"
           "  QORITA_RunTimeout           optional: seconds all the requests of one run may\n"
           "                              take together; empty: 900";
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
