#include "data/DataSql.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace qorita {
namespace {

std::string Lines(std::initializer_list<const char*> ALines)
{
    std::string text;
    for (const char* line : ALines) text = text + line + "\r\n";
    return text;
}

// The database quotes the line and column of a statement in its errors, and
// those errors reach the call's outcome and the deployment check: the text of
// every statement a run sends stays exactly as it is, line by line.
TEST(DataSqlTest, TheStatementsOfARunKeepTheirExactText)
{
    const std::vector<std::string> expected = {
        Lines({"SELECT * FROM QORITA_CHIAMATE WHERE ID=:ID WITH LOCK"}),
        Lines({"UPDATE OR INSERT INTO QORITA_CHIAMATE(", "  ID,", "  TESTATA,", "  DATAORA,", "  OPERATORE,",
               "  ESITO_CODICE,", "  ESITO_MESSAGGIO", ")", "VALUES(", "  :ID,", "  :TESTATA,", "  :DATAORA,",
               "  :OPERATORE,", "  :ESITO_CODICE,", "  :ESITO_MESSAGGIO", ")"}),
        Lines({"SELECT * FROM QORITA_TESTATE WHERE ID=:ID WITH LOCK"}),
        Lines({"UPDATE OR INSERT INTO QORITA_TESTATE(",
               "  ID,",
               "  DOCUMENTO_ID,",
               "  DOCUMENTO_LINEA,",
               "  RAGIONESOCIALE,",
               "  INDIRIZZO,",
               "  LOCALITA,",
               "  ZIPCODE,",
               "  PROVINCIA,",
               "  COLLI,",
               "  TIPOETICHETTA,",
               "  NUMEROSPEDIZIONE,",
               "  CREAZIONE_DATAORA,",
               "  CREAZIONE_OPERATORE,",
               "  STAMPA_DATAORA,",
               "  STAMPA_OPERATORE,",
               "  CONFERMA_DATAORA,",
               "  CONFERMA_OPERATORE",
               "  ,PESOTOTALE",
               "  ,CONTRASSEGNOTOTALE",
               "  ,MODALITAINCASSO",
               "  ,IDBORDERO",
               "  ,ELIMINAZIONE_DATAORA",
               "  ,ELIMINAZIONE_OPERATORE",
               "  ,EMAIL",
               "  ,CELLULARE1",
               "  ,SERVIZIACCESSORI",
               "  ,STATUS",
               ")",
               "VALUES(",
               "  :ID,",
               "  :DOCUMENTO_ID,",
               "  :DOCUMENTO_LINEA,",
               "  :RAGIONESOCIALE,",
               "  :INDIRIZZO,",
               "  :LOCALITA,",
               "  :ZIPCODE,",
               "  :PROVINCIA,",
               "  :COLLI,",
               "  :TIPOETICHETTA,",
               "  :NUMEROSPEDIZIONE,",
               "  :CREAZIONE_DATAORA,",
               "  :CREAZIONE_OPERATORE,",
               "  :STAMPA_DATAORA,",
               "  :STAMPA_OPERATORE,",
               "  :CONFERMA_DATAORA,",
               "  :CONFERMA_OPERATORE",
               "  ,:PESOTOTALE",
               "  ,:CONTRASSEGNOTOTALE",
               "  ,:MODALITAINCASSO",
               "  ,:IDBORDERO",
               "  ,:ELIMINAZIONE_DATAORA",
               "  ,:ELIMINAZIONE_OPERATORE",
               "  ,:EMAIL",
               "  ,:CELLULARE1",
               "  ,:SERVIZIACCESSORI",
               "  ,:STATUS",
               ")"}),
        Lines({"SELECT * FROM QORITA_RIGHE WHERE TESTATA=:TESTATA"}),
        Lines({"UPDATE OR INSERT INTO QORITA_RIGHE(",
               "  TESTATA,",
               "  NCOLLO,",
               "  PESOREALE,",
               "  CONTATOREPROGRESSIVO,",
               "  ETICHETTA,",
               "  INVIO_DATAORA,",
               "  INVIO_OPERATORE",
               "  ,IMPORTOCONTRASSEGNO",
               ")",
               "VALUES(",
               "  :TESTATA,",
               "  :NCOLLO,",
               "  :PESOREALE,",
               "  :CONTATOREPROGRESSIVO,",
               "  :ETICHETTA,",
               "  :INVIO_DATAORA,",
               "  :INVIO_OPERATORE",
               "  ,:IMPORTOCONTRASSEGNO",
               ")"}),
        Lines({"INSERT INTO QORITA_LOG",
               "(",
               "  ID,",
               "  TESTATA,",
               "  DATAORA,",
               "  OPERATORE,",
               "  OPERAZIONE,",
               "  FILEXML_REQUEST,",
               "  FILEXML_RESPONSE,",
               "  ESITO_CODICE,",
               "  ESITO_MESSAGGIO",
               ")",
               "VALUES(",
               "  :ID,",
               "  :TESTATA,",
               "  :DATAORA,",
               "  :OPERATORE,",
               "  :OPERAZIONE,",
               "  :FILEXML_REQUEST,",
               "  :FILEXML_RESPONSE,",
               "  :ESITO_CODICE,",
               "  :ESITO_MESSAGGIO",
               ")"}),
        Lines({"SELECT", "  TESTO,", "  MEMO", "FROM", "  TABX", "WHERE", "  NOME=:NOME", "  AND",
               "  UTENTE IS NOT DISTINCT FROM :UTENTE"}),
        "SELECT GEN_ID(QORITA_LOG_ID,1) FROM RDB$DATABASE",
        "SELECT GEN_ID(QORITA_RIGHE_CONTATOREPROG,1) FROM RDB$DATABASE",
        Lines({"SELECT GEN_ID(QORITA_RIGHE_CONTATOREPROG, CAST(:PASSO AS BIGINT)) AS CONTATORE FROM RDB$DATABASE"}),
    };
    const std::vector<std::string> actual = sql::RunStatements();
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual[i], expected[i]) << "statement " << i;
}

}  // namespace
}  // namespace qorita
