// The shipment cannot be saved after the courier accepted it: a parcel row is
// locked by another connection through the server. Nothing of the answer is
// half-written, and the next run records it without a second registration.
#include "CallFixture.h"
#include "CourierLedger.h"
#include "SandboxCourier.h"
#include "app/Journal.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbStatement.h"
#include "data/fb/FbTransaction.h"

namespace qorita::test {
namespace {

class SaveFailureTest : public CourierCallFixture {
protected:
    SaveFailureTest() : CourierCallFixture(true) {}

    std::size_t Posts() const
    {
        std::size_t count = 0;
        for (const auto& request : Courier.Requests()) count += request.Method == "POST";
        return count;
    }
};

TEST_F(SaveFailureTest, ALockedParcelUndoesTheWholeTakeOverAndTheNextRunRecordsTheAnswer)
{
    const std::int32_t testata = AddShipment({.Parcels = {{.Peso = 1.0}, {.Peso = 2.0}, {.Peso = 3.0}}});
    const std::int32_t call = AddCall(testata);
    const TRow header = Header(testata);
    const std::vector<TRow> parcels = Parcels(testata);
    TRunResult first;
    {
        const auto other = Db.Connect();
        fb::TFbTransaction transaction(*other);
        transaction.Start();
        fb::TFbStatement lock(*other, transaction,
                              "UPDATE QORITA_RIGHE SET PESOREALE=PESOREALE WHERE TESTATA=:TESTATA AND NCOLLO=3");
        lock.Param("TESTATA").SetInt32(testata);
        lock.Execute();
        first = Run("Crea", call);
        transaction.Rollback();
    }
    EXPECT_EQ(first.ExitCode, 0) << first.Out;
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), "-1");
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(message.rfind("Fallito aggiornamento QORITA_RIGHE:\r\n", 0), 0u) << message;
    EXPECT_NE(message.find("update conflicts with concurrent update"), std::string::npos) << message;
    // Header and the two parcels written before the locked one: as before.
    EXPECT_EQ(Header(testata), header);
    EXPECT_EQ(Parcels(testata), parcels);
    auto logs = LogRows();
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].at("ESITO_CODICE"), "0");
    EXPECT_EQ(logs[0].at("ESITO_MESSAGGIO"), "OK");
    EXPECT_TRUE(std::filesystem::exists(logs[0].at("FILEXML_RESPONSE").value_or("")));
    // The courier registered all three; the journal points at its answer.
    EXPECT_EQ(Courier.RegistrationsPerCounter().size(), 3u);
    std::vector<std::string> damaged;
    const auto entries = TJournal(ExchangeDir, testata).Read(damaged);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].FileXmlResponse, logs[0].at("FILEXML_RESPONSE"));

    const TRunResult again = Run("Crea", call);
    EXPECT_EQ(again.ExitCode, 0) << again.Out;
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), "0");
    EXPECT_EQ(CallRow(call).at("ESITO_MESSAGGIO"), "OK");
    EXPECT_EQ(Posts(), 1u) << "no second AddParcel";
    logs = LogRows();
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(logs[1].at("ESITO_CODICE"), "0");
    EXPECT_EQ(logs[1].at("ESITO_MESSAGGIO"),
              "Risposta registrata in ritardo: la chiamata che l'aveva ricevuta non ha potuto salvarla");
    EXPECT_EQ(logs[1].at("FILEXML_RESPONSE"), logs[0].at("FILEXML_RESPONSE"));
    for (const TRow& parcel : Parcels(testata)) EXPECT_EQ(parcel.at("INVIO_DATAORA"), logs[0].at("DATAORA"));
    EXPECT_TRUE(TJournal(ExchangeDir, testata).Read(damaged).empty());
    const TLedger ledger = CompareWithCourier(Db, Courier);
    EXPECT_TRUE(ledger.Clean()) << ledger.Report();
    EXPECT_EQ(ledger.SentParcels, 3);
}

}  // namespace
}  // namespace qorita::test
