// Elimina: a shipment deleted at the courier keeps its send data.
#include "OperationsFixture.h"

namespace qorita::test {
namespace {

using sandbox::TShipmentState;

TEST_P(OperationsByStyleTest, EliminaDeletesAndKeepsTheSendData)
{
    const std::int32_t testata = AddShipment();
    EXPECT_EQ(Run("Crea", AddCall(testata)).ExitCode, 0);
    const TRow sent = Header(testata);
    const std::int32_t call = AddCall(testata, 44);
    EXPECT_EQ(Run("Elimina", call).ExitCode, 0);
    ExpectOutcome(call, "0", "OK");
    const TRow log = ExpectLog(1, "DeleteSped", "0", "OK", true, "44");
    const TRow header = Header(testata);
    EXPECT_EQ(header.at("STATUS"), "ELIMINATA");
    EXPECT_EQ(header.at("ELIMINAZIONE_DATAORA"), log.at("DATAORA"));
    EXPECT_EQ(header.at("ELIMINAZIONE_OPERATORE"), "44");
    EXPECT_EQ(header.at("NUMEROSPEDIZIONE"), sent.at("NUMEROSPEDIZIONE"));
    EXPECT_NE(Parcels(testata).at(0).at("INVIO_DATAORA"), std::nullopt);
    EXPECT_EQ(Courier.Shipments().at(0).State, TShipmentState::Eliminata);
    EXPECT_TRUE(LastWrapperInStyleNamespace("DeleteSped"));

    // Deleting again: the courier no longer knows it, which counts as deleted.
    const std::int32_t again = AddCall(testata);
    EXPECT_EQ(Run("Elimina", again).ExitCode, 0);
    ExpectOutcome(again, "0", "OK");
    // A deleted shipment still counts as sent.
    const std::int32_t crea = AddCall(testata);
    EXPECT_EQ(Run("Crea", crea).ExitCode, 0);
    ExpectOutcome(crea, "1", "Spedizione già creata");
}

TEST_F(OperationsTest, EliminaRefusedByTheCourierChangesNothing)
{
    const std::int32_t testata = AddShipment();
    EXPECT_EQ(Run("CreaConferma", AddCall(testata)).ExitCode, 0);
    const TRow before = Header(testata);
    const std::int32_t call = AddCall(testata);
    EXPECT_EQ(Run("Elimina", call).ExitCode, 0);
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), "-1");
    EXPECT_EQ(message.rfind("Risposta negativa dal server QOR\r\n", 0), 0u) << message;
    ExpectLog(2, "DeleteSped", "-1", message);
    EXPECT_EQ(Header(testata), before);
}

}  // namespace
}  // namespace qorita::test
