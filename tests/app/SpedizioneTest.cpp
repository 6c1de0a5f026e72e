// Taking a courier's AddParcel answer over into the shipment in memory: all of
// it, or, when some item cannot be taken over, nothing at all.
#include "app/ChiamataHandler.h"
#include "common/Exception.h"
#include "labelservice/AddParcel.Response.h"

#include <gtest/gtest.h>

#include <string>

namespace qorita::test {
namespace {

std::string Item(const std::string& AInner) { return "<Parcel>" + AInner + "</Parcel>"; }

TChiamataHandler::TSpedizione TwoParcels()
{
    TChiamataHandler::TSpedizione spedizione;
    spedizione.Testata().Id = 7;
    for (std::int32_t ncollo : {1, 2}) {
        TQorItaRigheData parcel;
        parcel.Testata = 7;
        parcel.NCollo = ncollo;
        spedizione.Righe().push_back(parcel);
    }
    return spedizione;
}

// A first item that could be taken over does not change the shipment when a
// later one cannot: a parcel marked sent with the first item's label would be
// saved by whatever the run does next, and never sent again.
TEST(SpedizioneTest, AnAnswerThatCannotBeTakenOverWholeChangesNothing)
{
    const std::string first = Item(
        "<NumeroSpedizione>500</NumeroSpedizione><ContatoreProgressivo>11</ContatoreProgressivo>"
        "<Zpl>^XA1^XZ</Zpl>");
    const struct {
        const char* Case;
        std::string Second;
    } cases[] = {
        {"second item without its counter", Item("<NumeroSpedizione>500</NumeroSpedizione><Zpl>^XA2^XZ</Zpl>")},
        {"second item with a counter that is no number",
         Item("<NumeroSpedizione>500</NumeroSpedizione><ContatoreProgressivo>x</ContatoreProgressivo>")},
        {"second item with another shipment number",
         Item("<NumeroSpedizione>501</NumeroSpedizione><ContatoreProgressivo>12</ContatoreProgressivo>")},
        {"no second item", ""},
    };
    TQorItaLogData log;
    log.DataOra = 45642.5;
    log.Operatore = 42;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        addparcel_response::TAddParcelResponse response("<InfoLabel>" + first + c.Second + "</InfoLabel>");
        TChiamataHandler::TSpedizione spedizione = TwoParcels();
        EXPECT_ANY_THROW(spedizione.AssignAddParcelResponse(response, log));
        EXPECT_EQ(spedizione.Testata().NumeroSpedizione, 0);
        for (const TQorItaRigheData& parcel : spedizione.Righe()) {
            EXPECT_FALSE(parcel.IsInviata()) << parcel.NCollo;
            EXPECT_EQ(parcel.ContatoreProgressivo, 0) << parcel.NCollo;
            EXPECT_EQ(parcel.Etichetta, "") << parcel.NCollo;
        }
    }

    // Whole, it is taken over.
    addparcel_response::TAddParcelResponse response(
        "<InfoLabel>" + first +
        Item("<NumeroSpedizione>500</NumeroSpedizione><ContatoreProgressivo>12</ContatoreProgressivo><Zpl>^XA2^XZ</"
             "Zpl>") +
        "</InfoLabel>");
    TChiamataHandler::TSpedizione spedizione = TwoParcels();
    spedizione.AssignAddParcelResponse(response, log);
    EXPECT_EQ(spedizione.Testata().NumeroSpedizione, 500);
    EXPECT_EQ(spedizione.Righe()[0].ContatoreProgressivo, 11);
    EXPECT_EQ(spedizione.Righe()[1].Etichetta, "^XA2^XZ");
    EXPECT_EQ(spedizione.Righe()[1].InvioDataOra, 45642.5);
    EXPECT_EQ(spedizione.Righe()[1].InvioOperatore, 42);
}

}  // namespace
}  // namespace qorita::test
