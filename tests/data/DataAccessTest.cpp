#include "ErrorOf.h"
#include "TestDatabase.h"
#include "common/Exception.h"
#include "data/DataAccess.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbTransaction.h"

#include <gtest/gtest.h>

namespace qorita {
namespace {

using test::ErrorOf;
using test::TTestDatabase;

// An access object's view of a fresh database: one connection, one transaction
// that the test commits when it wants others to see the rows.
class DataAccessTest : public ::testing::Test {
protected:
    void SetUp() override { Connection.Open(Db.Location(), {"SYSDBA", TTestDatabase::Password()}); }

    void Begin() { Transaction.Start(); }
    void Commit() { Transaction.Commit(); }

    TTestDatabase Db;
    fb::TFbConnection Connection;
    fb::TFbTransaction Transaction{Connection};
};

TEST_F(DataAccessTest, CallRowLoadsWithNullsAsZeroAndSavesThemBackAsNull)
{
    Db.Exec("INSERT INTO QORITA_CHIAMATE (ID) VALUES (5)");
    Begin();
    TQorItaChiamateAccess access(&Connection, &Transaction);
    TQorItaChiamateData call;
    ASSERT_TRUE(access.Load(5, call));
    EXPECT_EQ(call.Testata, 0);
    EXPECT_EQ(call.DataOra, 0.0);
    EXPECT_EQ(call.Operatore, 0);
    EXPECT_EQ(call.EsitoCodice, 0);
    access.Save(call);
    Commit();
    const auto row = Db.Query("SELECT * FROM QORITA_CHIAMATE WHERE ID=5").at(0);
    EXPECT_EQ(row.at("TESTATA"), std::nullopt);
    EXPECT_EQ(row.at("DATAORA"), std::nullopt);
    EXPECT_EQ(row.at("OPERATORE"), std::nullopt);
    EXPECT_EQ(row.at("ESITO_CODICE"), "0");  // the outcome code is always written
    EXPECT_EQ(row.at("ESITO_MESSAGGIO"), std::nullopt);
}

TEST_F(DataAccessTest, CallRowMissingLeavesTheRecordUntouched)
{
    Begin();
    TQorItaChiamateAccess access(&Connection, &Transaction);
    TQorItaChiamateData call;
    call.EsitoMessaggio = "keep";
    call.Testata = 9;
    EXPECT_FALSE(access.Load(0, call));
    EXPECT_EQ(call.EsitoMessaggio, "keep");
    EXPECT_EQ(call.Testata, 9);
}

TEST_F(DataAccessTest, CallRowSaveDrawsAnIdOnceAndStoresTextExactly)
{
    Begin();
    TQorItaChiamateAccess access(&Connection, &Transaction);
    TQorItaChiamateData call;
    call.Testata = 3;
    call.Operatore = 0;
    call.DataOra = EncodeDateTime({2026, 12, 10, 8, 30, 15, 0});
    call.EsitoCodice = -1;
    call.EsitoMessaggio = "l'indirizzo \"già\" €\r\nseconda riga";
    access.Save(call);
    const std::int32_t id = call.Id;
    EXPECT_GT(id, 0);
    call.EsitoCodice = 1;
    access.Save(call);  // updates the same row
    EXPECT_EQ(call.Id, id);
    Commit();
    const auto rows = Db.Query("SELECT * FROM QORITA_CHIAMATE");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("ESITO_CODICE"), "1");
    EXPECT_EQ(rows[0].at("ESITO_MESSAGGIO"), "l'indirizzo \"già\" €\r\nseconda riga");
    EXPECT_EQ(rows[0].at("OPERATORE"), std::nullopt);
    EXPECT_EQ(rows[0].at("DATAORA"), "2026-12-10 08:30:15");
}

TEST_F(DataAccessTest, HeaderRoundTripsWithTheNullRules)
{
    Db.Exec(
        "INSERT INTO QORITA_TESTATE (ID, COLLI, DOCUMENTO_ID, PESOTOTALE, TIPOETICHETTA, RAGIONESOCIALE) "
        "VALUES (7, NULL, 0, 0.0, 'PDF', 'Rossi & Figli')");
    Begin();
    TQorItaTestateAccess access(&Connection, &Transaction);
    TQorItaTestateData header;
    ASSERT_TRUE(access.Load(7, header));
    EXPECT_EQ(header.Colli, 0);
    EXPECT_EQ(header.GetTipoEtichetta(), TTipoEtichetta::Pdf);
    EXPECT_FALSE(header.IsConfermata());
    EXPECT_EQ(header.Status, "");
    header.ContrassegnoTotale = 1E-13;
    header.NumeroSpedizione = 123456;
    access.Save(header);
    Commit();
    const auto row = Db.Query("SELECT * FROM QORITA_TESTATE WHERE ID=7").at(0);
    EXPECT_EQ(row.at("COLLI"), "0");  // COLLI is always written
    EXPECT_EQ(row.at("DOCUMENTO_ID"), std::nullopt);
    EXPECT_EQ(row.at("PESOTOTALE"), std::nullopt);
    EXPECT_EQ(row.at("CONTRASSEGNOTOTALE"), std::nullopt);
    EXPECT_EQ(row.at("STATUS"), std::nullopt);
    EXPECT_EQ(row.at("NUMEROSPEDIZIONE"), "123456");
    EXPECT_EQ(row.at("RAGIONESOCIALE"), "Rossi & Figli");
}

TEST_F(DataAccessTest, HeaderStatusAndConfirmationDates)
{
    Begin();
    TQorItaTestateAccess access(&Connection, &Transaction);
    TQorItaTestateData header;
    header.SetStatusTestata(TStatusTestata::Eliminata);
    header.ConfermaDataOra = -10.5;  // 1899-12-20 12:00: before 1899 still counts as set
    EXPECT_TRUE(header.IsConfermata());
    header.PesoTotale = 12.345;
    access.Save(header);
    Commit();
    const auto row = Db.Query("SELECT * FROM QORITA_TESTATE").at(0);
    EXPECT_EQ(row.at("ID"), std::to_string(header.Id));
    EXPECT_EQ(row.at("STATUS"), "ELIMINATA");
    EXPECT_EQ(row.at("CONFERMA_DATAORA"), "1899-12-20 12:00:00");
    EXPECT_EQ(row.at("PESOTOTALE"), "12.345");
}

TEST(TipoEtichettaTest, OnlyExactPdfIsPdf)
{
    EXPECT_EQ(StrToTipoEtichetta("PDF"), TTipoEtichetta::Pdf);
    for (const char* text : {"ZPL", "", "pdf", " PDF"}) EXPECT_EQ(StrToTipoEtichetta(text), TTipoEtichetta::Zpl);
}

TEST_F(DataAccessTest, ParcelsLoadAppendAndSaveInPlace)
{
    Db.Exec("INSERT INTO QORITA_RIGHE (TESTATA, NCOLLO, PESOREALE, IMPORTOCONTRASSEGNO) VALUES (4, 1, 0, NULL)");
    Db.Exec("INSERT INTO QORITA_RIGHE (TESTATA, NCOLLO, PESOREALE, IMPORTOCONTRASSEGNO) VALUES (4, 2, 2.5, 10.5)");
    Begin();
    TQorItaRigheAccess access(&Connection, &Transaction);
    TQorItaRigheList parcels;
    EXPECT_FALSE(access.Load(99, parcels));
    EXPECT_TRUE(parcels.empty());
    ASSERT_TRUE(access.Load(4, parcels));
    ASSERT_EQ(parcels.size(), 2u);
    ASSERT_TRUE(access.Load(4, parcels));  // appends
    EXPECT_EQ(parcels.size(), 4u);
    parcels.resize(2);
    TQorItaRigheData& first = parcels[0].NCollo == 1 ? parcels[0] : parcels[1];
    EXPECT_EQ(first.ImportoContrassegno, 0.0);
    EXPECT_FALSE(first.IsInviata());
    const std::string label(200000, 'L');
    first.Etichetta = label;
    first.InvioDataOra = EncodeDateTime({2026, 1, 1, 10, 0, 0, 0});
    TQorItaRigheData added;
    added.Testata = 4;
    added.NCollo = 3;
    parcels.push_back(added);
    access.Save(parcels);
    Commit();
    const auto rows = Db.Query("SELECT * FROM QORITA_RIGHE WHERE TESTATA=4 ORDER BY NCOLLO");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].at("ETICHETTA")->size(), label.size());
    EXPECT_EQ(rows[0].at("PESOREALE"), "0");  // the weight is written even when 0
    EXPECT_EQ(rows[0].at("IMPORTOCONTRASSEGNO"), std::nullopt);
    EXPECT_EQ(rows[1].at("IMPORTOCONTRASSEGNO"), "10.5");
    EXPECT_EQ(rows[2].at("PESOREALE"), "0");
    EXPECT_EQ(rows[2].at("CONTATOREPROGRESSIVO"), std::nullopt);
}

TEST_F(DataAccessTest, GeneratorsGiveIncreasingValues)
{
    Begin();
    TQorItaRigheAccess access(&Connection, &Transaction);
    const std::int32_t first = access.GenContatoreProgressivo();
    const std::int32_t second = access.GenContatoreProgressivo();
    EXPECT_EQ(second, first + 1);
}

// A counter above the highest one ever sent: a generator that went back (its
// draws lost) is moved past it, one that is already beyond it is left alone.
TEST_F(DataAccessTest, CounterDrawsSkipPastTheHighestSent)
{
    Begin();
    TQorItaRigheAccess access(&Connection, &Transaction);
    EXPECT_EQ(access.GenContatoreProgressivoOltre(500), 501);
    EXPECT_EQ(access.GenContatoreProgressivoOltre(500), 502);
    EXPECT_EQ(access.GenContatoreProgressivo(), 503);
    EXPECT_EQ(access.GenContatoreProgressivoOltre(0), 504);
}

TEST_F(DataAccessTest, GeneratorDrawsReuseOneStatementAcrossTransactions)
{
    // One counter per parcel: a thousand draws in a row, then more in the next
    // transaction of the same connection, all consecutive and all real draws.
    Begin();
    TQorItaRigheAccess access(&Connection, &Transaction);
    const std::int32_t first = access.GenContatoreProgressivo();
    std::int32_t last = first;
    for (int i = 1; i < 1000; ++i) {
        const std::int32_t next = access.GenContatoreProgressivo();
        ASSERT_EQ(next, last + 1);
        last = next;
    }
    Commit();
    Begin();
    EXPECT_EQ(access.GenContatoreProgressivo(), last + 1);
    Transaction.Rollback();  // a draw survives the rollback
    Begin();
    EXPECT_EQ(access.GenContatoreProgressivo(), last + 2);
    Commit();
    const auto rows = Db.Query("SELECT GEN_ID(QORITA_RIGHE_CONTATOREPROG, 0) AS G FROM RDB$DATABASE");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("G"), std::to_string(last + 2));
}

TEST_F(DataAccessTest, LogRowsAreInsertedOnceWithTheirNullRules)
{
    Begin();
    TQorItaLogAccess access(&Connection, &Transaction);
    TQorItaLogData log;
    log.DataOra = EncodeDateTime({2026, 2, 3, 4, 5, 6, 789});
    log.Operazione = "AddParcel";
    log.FileXmlRequest = "/tmp/x_request.xml";
    log.EsitoMessaggio = "Collo 1: CAP errato\r\nCollo 2: peso 'zero'";
    access.Save(log);
    EXPECT_GT(log.Id, 0);
    EXPECT_THROW(access.Save(log), Exception);  // a second insert of the same ID
    Commit();
    const auto row = Db.Query("SELECT * FROM QORITA_LOG").at(0);
    EXPECT_EQ(row.at("TESTATA"), std::nullopt);
    EXPECT_EQ(row.at("OPERATORE"), std::nullopt);
    EXPECT_EQ(row.at("FILEXML_RESPONSE"), std::nullopt);
    EXPECT_EQ(row.at("ESITO_CODICE"), "0");
    EXPECT_EQ(row.at("DATAORA"), "2026-02-03 04:05:06");
    EXPECT_EQ(row.at("ESITO_MESSAGGIO"), "Collo 1: CAP errato\r\nCollo 2: peso 'zero'");
}

// A text longer than its column is cut to the characters the column declares,
// never in the middle of a character, instead of costing the row.
TEST_F(DataAccessTest, TextIsCutToTheLengthItsColumnDeclares)
{
    std::string fiveThousand;
    for (int i = 0; i < 1250; ++i) fiveThousand += "è€😀a";
    std::string cut4000;
    for (int i = 0; i < 1000; ++i) cut4000 += "è€😀a";
    const struct {
        const char* Column;
        std::string Text;
        std::string Stored;
    } cases[] = {
        {"VARCHAR(4000)", fiveThousand, cut4000},
        {"VARCHAR(4000)", cut4000, cut4000},
        {"CHAR(6)", "è€😀aè€😀a", "è€😀aè€"},
        {"VARCHAR(3) CHARACTER SET WIN1252", "èèèè", "èèè"},
        {"VARCHAR(5) CHARACTER SET NONE", "èèèè", "èè"},  // bytes, not characters
        {"VARCHAR(6) CHARACTER SET UNICODE_FSS", "àèìòùàèìòù", "àèìòùà"},
        {"BLOB SUB_TYPE TEXT", fiveThousand, fiveThousand},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Column);
        Db.Exec("DELETE FROM QORITA_LOG");
        Db.Exec("ALTER TABLE QORITA_LOG DROP ESITO_MESSAGGIO");
        Db.Exec(std::string("ALTER TABLE QORITA_LOG ADD ESITO_MESSAGGIO ") + c.Column);
        Begin();
        TQorItaLogAccess access(&Connection, &Transaction);
        TQorItaLogData log;
        log.Operazione = "AddParcel";
        log.EsitoCodice = -1;
        log.EsitoMessaggio = c.Text;
        access.Save(log);
        Commit();
        EXPECT_EQ(Db.Query("SELECT ESITO_MESSAGGIO FROM QORITA_LOG").at(0).at("ESITO_MESSAGGIO"), c.Stored);
    }
}

TEST_F(DataAccessTest, AMissingColumnIsTheDatabasesError)
{
    Db.Exec("ALTER TABLE QORITA_CHIAMATE DROP OPERATORE");
    Db.Exec("INSERT INTO QORITA_CHIAMATE (ID) VALUES (1)");
    Begin();
    TQorItaChiamateAccess access(&Connection, &Transaction);
    TQorItaChiamateData call;
    EXPECT_THROW(access.Load(1, call), Exception);
    const std::string error = ErrorOf([&] { access.Save(call); });
    EXPECT_NE(error.find("OPERATORE"), std::string::npos) << error;
}

}  // namespace
}  // namespace qorita
