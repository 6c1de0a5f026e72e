#pragma once

// The SQL of a run, in one place: the access classes and TKelTabX prepare these
// texts, and the deployment check (-Verifica) derives from the same texts the
// tables, columns and generators it looks for, and prepares them to find out
// whether the account may run them. A statement is a list of lines; the text
// sent is each line followed by CR LF.
#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qorita::sql {

using TLines = std::span<const char* const>;

std::string Text(TLines ALines);

// The write statements list the columns of the record's column table
// (DataColumns.h), in its order.

// The call row, locked for the run, and its write-back.
inline constexpr std::array ChiamateSelect{"SELECT * FROM QORITA_CHIAMATE WHERE ID=:ID WITH LOCK"};
std::string ChiamateUpdateOrInsert();

// The shipment header, locked for the run, and its write-back.
inline constexpr std::array TestateSelect{"SELECT * FROM QORITA_TESTATE WHERE ID=:ID WITH LOCK"};
std::string TestateUpdateOrInsert();

// The parcels of a header and their write-back.
inline constexpr std::array RigheSelect{"SELECT * FROM QORITA_RIGHE WHERE TESTATA=:TESTATA"};
std::string RigheUpdateOrInsert();

// One row per exchange with the courier.
std::string LogInsert();

// A named value of the parameter table.
inline constexpr std::array TabXSelect{"SELECT",       "  TESTO,", "  MEMO",
                                       "FROM",         "  TABX",   "WHERE",
                                       "  NOME=:NOME", "  AND",    "  UTENTE IS NOT DISTINCT FROM :UTENTE"};

// Every row that looks like one of the program's parameters, whatever its
// letter case or user, for the deployment check; a run never sends it.
inline constexpr std::array TabXQorita{"SELECT NOME, UTENTE, TESTO FROM TABX",
                                       "WHERE UPPER(NOME) STARTING WITH 'QORITA'", "ORDER BY CODICE"};

// What tells this database from another that shares its archive folder: when
// it was created (to the ten-thousandth of a second) and the file the engine
// keeps it in, the same whether it is reached through a server or embedded.
inline constexpr std::array DatabaseIdentitySelect{"SELECT", "  CAST(MON$CREATION_DATE AS VARCHAR(30)) AS CREAZIONE,",
                                                   "  MON$DATABASE_NAME AS NOME", "FROM", "  MON$DATABASE"};

// Generators: new row IDs and the parcel counter.
inline constexpr const char* GenChiamateId = "QORITA_CHIAMATE_ID";
inline constexpr const char* GenTestateId = "QORITA_TESTATE_ID";
inline constexpr const char* GenLogId = "QORITA_LOG_ID";
inline constexpr const char* GenRigheContatoreProg = "QORITA_RIGHE_CONTATOREPROG";

// The parcel counter moved past the highest counter already sent to the
// courier, in one step of :PASSO.
inline constexpr std::array RigheContatoreAvanza{
    "SELECT GEN_ID(QORITA_RIGHE_CONTATOREPROG, CAST(:PASSO AS BIGINT)) AS CONTATORE FROM RDB$DATABASE"};

// The draw of the next value of a generator.
std::string GenIdText(std::string_view AGenerator);

// The text of every statement a Crea, Conferma, CreaConferma or Elimina may
// send, generator draws included. A run draws no new call or header ID: the
// calling application writes those rows, the run only writes them back.
std::vector<std::string> RunStatements();

}  // namespace qorita::sql
