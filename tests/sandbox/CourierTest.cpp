// The courier's answers, read as the customer reads them.

#include "Courier.h"
#include "SandboxTestSupport.h"
#include "common/Exception.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace qorita::sandbox::test {
namespace {

std::string Upper(std::string AText)
{
    std::transform(AText.begin(), AText.end(), AText.begin(), [](unsigned char c) { return std::toupper(c); });
    return AText;
}

// How the customer judges a deletion answer: accepted when empty or when it
// mentions the deletion, the shipment number or that the shipment is not present.
bool CustomerTakesAsDeleted(const std::string& ADescrizione, const std::string& ANumber)
{
    const std::string text = Upper(ADescrizione);
    return text.empty() || text.find("ELIMINAZIONE") != std::string::npos ||
           text.find("AVVENUTA") != std::string::npos || text.find(ANumber) != std::string::npos ||
           text.find("NON PRESENTE") != std::string::npos;
}

std::vector<const TXmlElement*> Parcels(const TXmlElement& AInfoLabel)
{
    std::vector<const TXmlElement*> result;
    for (const TXmlElement& child : AInfoLabel.Children) {
        if (child.LocalName == "Parcel") {
            result.push_back(&child);
        }
    }
    return result;
}

class CourierTest : public ::testing::Test {
protected:
    TXmlElement Add(const std::vector<TParcelValues>& AParcels)
    {
        return ParseXml(FCourier.AddParcel(AddParcelRequest(AParcels)));
    }
    // Registers one ZPL parcel under a counter of its own and returns its
    // shipment number as text.
    std::string RegisterOne()
    {
        TParcelValues parcel;
        parcel.ContatoreProgressivo = std::to_string(FNextCounter++);
        const TXmlElement answer = Add({parcel});
        return answer.Children.at(0).ChildText("NumeroSpedizione");
    }
    TXmlElement Confirm(const std::vector<std::string>& ANumbers, const std::string& ACliente = "123456")
    {
        return ParseXml(FCourier.CloseWorkDayByShipmentNumber(ConfirmRequest(ANumbers, "MI", ACliente)));
    }
    std::string Delete(const std::string& ANumber, const std::string& ACliente = "123456")
    {
        const TXmlElement answer = ParseXml(FCourier.DeleteSped("MI", ACliente, "sandbox", ANumber));
        EXPECT_EQ(answer.LocalName, "DescrizioneErrore");
        EXPECT_TRUE(answer.Children.empty());
        return answer.Text;
    }
    TShipmentState StateOf(const std::string& ANumber) const
    {
        for (const TRegisteredShipment& shipment : FCourier.Shipments()) {
            if (std::to_string(shipment.NumeroSpedizione) == ANumber) {
                return shipment.State;
            }
        }
        ADD_FAILURE() << "shipment " << ANumber << " not registered";
        return TShipmentState::Registrata;
    }

    TCourier FCourier;
    int FNextCounter = 5001;
};

TEST_F(CourierTest, OneShipmentNumberPerRequestAndCountersEchoed)
{
    TParcelValues first;
    TParcelValues second;
    second.ContatoreProgressivo = "102";
    second.PesoReale = "1.25";
    const TXmlElement answer = Add({first, second});

    ASSERT_EQ(answer.LocalName, "InfoLabel");
    EXPECT_EQ(answer.Namespace, "");
    const auto parcels = Parcels(answer);
    ASSERT_EQ(parcels.size(), 2u);
    const std::string number = parcels[0]->ChildText("NumeroSpedizione");
    EXPECT_EQ(number, "100000001");
    EXPECT_EQ(parcels[1]->ChildText("NumeroSpedizione"), number);
    EXPECT_EQ(parcels[0]->ChildText("ContatoreProgressivo"), "101");
    EXPECT_EQ(parcels[1]->ChildText("ContatoreProgressivo"), "102");
    EXPECT_EQ(parcels[0]->ChildText("ProgressivoCollo"), "1");
    EXPECT_EQ(parcels[1]->ChildText("ProgressivoCollo"), "2");
    EXPECT_EQ(parcels[0]->ChildText("TotaleColli"), "2");
    EXPECT_EQ(parcels[0]->ChildText("DenominazioneDestinatario"), "Rossi & Figli S.r.l.");
    EXPECT_FALSE(parcels[0]->HasChild("NoteSpedizione"));

    // The next request, with counters of its own, is a new shipment.
    first.ContatoreProgressivo = "103";
    EXPECT_EQ(Parcels(Add({first})).at(0)->ChildText("NumeroSpedizione"), "100000002");

    const auto shipments = FCourier.Shipments();
    ASSERT_EQ(shipments.size(), 2u);
    EXPECT_EQ(shipments[0].NumeroSpedizione, 100000001);
    EXPECT_EQ(shipments[0].CodiceClienteQor, 123456);
    EXPECT_EQ(shipments[0].SedeQor, "MI");
    EXPECT_EQ(shipments[0].State, TShipmentState::Registrata);
    ASSERT_EQ(shipments[0].Parcels.size(), 2u);
    EXPECT_EQ(shipments[0].Parcels[1].ContatoreProgressivo, 102);
    EXPECT_DOUBLE_EQ(shipments[0].Parcels[1].PesoReale, 1.25);
    EXPECT_EQ(shipments[0].Parcels[0].RagioneSociale, "Rossi & Figli S.r.l.");
    EXPECT_EQ(shipments[0].Parcels[0].CodiceContrattoQor, 77);
}

// A request sent again after its answer was lost carries the same counters:
// the courier answers with what it registered then and registers nothing new.
TEST_F(CourierTest, CountersSentAgainAreAnsweredFromTheirRegistration)
{
    TParcelValues first;
    TParcelValues second;
    second.ContatoreProgressivo = "102";
    const std::string original = FCourier.AddParcel(AddParcelRequest({first, second}));
    EXPECT_EQ(FCourier.AddParcel(AddParcelRequest({first, second})), original);

    // A parcel the customer added meanwhile joins the same shipment.
    TParcelValues third;
    third.ContatoreProgressivo = "103";
    const TXmlElement grown = Add({first, second, third});
    const auto parcels = Parcels(grown);
    ASSERT_EQ(parcels.size(), 3u);
    for (const TXmlElement* parcel : parcels) EXPECT_EQ(parcel->ChildText("NumeroSpedizione"), "100000001");
    EXPECT_EQ(parcels[2]->ChildText("ProgressivoCollo"), "3");
    ASSERT_EQ(FCourier.Shipments().size(), 1u);
    EXPECT_EQ(FCourier.RegistrationsPerCounter(), (std::map<std::int32_t, int>{{101, 1}, {102, 1}, {103, 1}}));
    const std::string label = ParseXml(original).Children.at(1).ChildText("Zpl");
    EXPECT_EQ(FCourier.IssuedLabel(123456, 102), label);
    EXPECT_EQ(FCourier.IssuedLabel(123456, 104), std::nullopt);

    // The same counter on another parcel, or twice in one request, is refused;
    // another customer's counters are its own.
    TParcelValues other = first;
    other.RagioneSociale = "Bianchi Spa";
    TParcelValues fourth;
    fourth.ContatoreProgressivo = "104";
    const TXmlElement answer = Add({other, fourth, fourth});
    const auto refused = Parcels(answer);
    ASSERT_EQ(refused.size(), 3u);
    EXPECT_EQ(refused[0]->ChildText("NoteSpedizione"),
              "Contatore 101: contatore progressivo già usato per un altro collo");
    EXPECT_FALSE(refused[0]->HasChild("NumeroSpedizione"));
    EXPECT_EQ(refused[1]->ChildText("NumeroSpedizione"), "100000002");
    EXPECT_EQ(refused[2]->ChildText("NoteSpedizione"), "Contatore 104: contatore progressivo ripetuto nella richiesta");
    const auto foreign = ParseXml(FCourier.AddParcel(AddParcelRequest({other}, "MI", "654321")));
    EXPECT_EQ(foreign.Children.at(0).ChildText("NumeroSpedizione"), "100000003");
    EXPECT_EQ(FCourier.RegistrationsPerCounter().at(101), 2);  // one per customer
}

TEST_F(CourierTest, LabelFormatFollowsGeneraPdf)
{
    TParcelValues zpl;
    TParcelValues pdf;
    pdf.GeneraPdf = "4";
    pdf.ContatoreProgressivo = "202";
    const TXmlElement answer = Add({zpl, pdf});
    const auto parcels = Parcels(answer);
    ASSERT_EQ(parcels.size(), 2u);
    const std::string number = parcels[0]->ChildText("NumeroSpedizione");

    const std::string label = parcels[0]->ChildText("Zpl");
    EXPECT_EQ(label.rfind("^XA", 0), 0u) << label;
    EXPECT_NE(label.find("^XZ"), std::string::npos);
    EXPECT_NE(label.find("Spedizione " + number), std::string::npos);
    EXPECT_NE(label.find("Rossi & Figli S.r.l."), std::string::npos);
    EXPECT_NE(label.find("^BC"), std::string::npos) << "no barcode";
    EXPECT_FALSE(parcels[0]->HasChild("PdfLabel"));

    const std::string document = Base64Decode(parcels[1]->ChildText("PdfLabel"));
    EXPECT_EQ(document.rfind("%PDF-1.4", 0), 0u);
    EXPECT_NE(document.find("(Spedizione " + number), std::string::npos);
    EXPECT_NE(document.find("Collo 2/2"), std::string::npos);
    EXPECT_FALSE(parcels[1]->HasChild("Zpl"));
}

TEST_F(CourierTest, RefusesObviouslyInvalidParcelsWithANote)
{
    struct TCase {
        const char* Name;
        void (*Spoil)(TParcelValues&);
        const char* Reason;
    };
    const TCase cases[] = {
        {"empty zip code", [](TParcelValues& AParcel) { AParcel.Zipcode = ""; }, "CAP mancante"},
        {"blank consignee", [](TParcelValues& AParcel) { AParcel.RagioneSociale = "  "; }, "destinatario mancante"},
        {"weight 0", [](TParcelValues& AParcel) { AParcel.PesoReale = "0"; }, "peso non valido"},
        {"negative weight", [](TParcelValues& AParcel) { AParcel.PesoReale = "-1.5"; }, "peso non valido"},
        {"weight not a number", [](TParcelValues& AParcel) { AParcel.PesoReale = "2,5"; }, "peso non valido"},
        {"unknown label format", [](TParcelValues& AParcel) { AParcel.GeneraPdf = "5"; }, "formato etichetta"},
        {"bad cash amount", [](TParcelValues& AParcel) { AParcel.ImportoContrassegno = "x"; }, "importo contrassegno"},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        TCourier courier;
        TParcelValues good;
        TParcelValues bad;
        bad.ContatoreProgressivo = "555";
        test.Spoil(bad);
        const TXmlElement answer = ParseXml(courier.AddParcel(AddParcelRequest({good, bad})));
        const auto parcels = Parcels(answer);
        ASSERT_EQ(parcels.size(), 2u);
        EXPECT_TRUE(parcels[0]->HasChild("NumeroSpedizione"));
        EXPECT_FALSE(parcels[1]->HasChild("NumeroSpedizione"));
        const std::string note = parcels[1]->ChildText("NoteSpedizione");
        EXPECT_NE(note.find(test.Reason), std::string::npos) << note;
        EXPECT_NE(note.find("555"), std::string::npos) << note;
        EXPECT_EQ(parcels[1]->ChildText("ContatoreProgressivo"), "555");
        // Only the accepted parcel was registered, as the shipment's single parcel.
        const auto shipments = courier.Shipments();
        ASSERT_EQ(shipments.size(), 1u);
        ASSERT_EQ(shipments[0].Parcels.size(), 1u);
        EXPECT_EQ(shipments[0].Parcels[0].ContatoreProgressivo, 101);
        EXPECT_EQ(parcels[0]->ChildText("TotaleColli"), "1");
    }
}

TEST_F(CourierTest, EveryParcelRefusedRegistersNothingAndNotesEachReason)
{
    TParcelValues bad;
    bad.Zipcode = "";
    bad.PesoReale = "0";
    const TXmlElement answer = Add({bad, bad});
    const auto parcels = Parcels(answer);
    ASSERT_EQ(parcels.size(), 2u);
    for (const TXmlElement* parcel : parcels) {
        EXPECT_FALSE(parcel->HasChild("NumeroSpedizione"));
        EXPECT_EQ(parcel->ChildText("NoteSpedizione"), "Contatore 101: CAP mancante; peso non valido");
    }
    EXPECT_TRUE(FCourier.Shipments().empty());
    // No number was spent on the refused request.
    EXPECT_EQ(RegisterOne(), "100000001");
}

TEST_F(CourierTest, CashOnDeliveryIsKeptAndPrinted)
{
    TParcelValues parcel;
    parcel.ImportoContrassegno = "19.9";
    parcel.ModalitaIncasso = "CONT";
    const TXmlElement answer = Add({parcel});
    const auto parcels = Parcels(answer);
    ASSERT_EQ(parcels.size(), 1u);
    EXPECT_EQ(parcels[0]->ChildText("ImportoCassegno"), "19.90");
    EXPECT_EQ(parcels[0]->ChildText("TotaleImportodaIncassare"), "19.90");
    EXPECT_NE(parcels[0]->ChildText("Zpl").find("Contrassegno 19.90 EUR"), std::string::npos);
    const auto shipments = FCourier.Shipments();
    EXPECT_DOUBLE_EQ(shipments.at(0).Parcels.at(0).ImportoContrassegno, 19.9);
    EXPECT_EQ(shipments.at(0).Parcels.at(0).ModalitaIncasso, "CONT");
}

TEST_F(CourierTest, RequestsThatCannotBeReadAreRefusedAsAWhole)
{
    const std::pair<const char*, std::string> cases[] = {
        {"not XML", "<Info><SedeQor>MI</Info>"},
        {"another root", "<Richiesta/>"},
        {"no parcel", AddParcelRequest({})},
    };
    for (const auto& [name, request] : cases) {
        SCOPED_TRACE(name);
        const TXmlElement answer = ParseXml(FCourier.AddParcel(request));
        EXPECT_EQ(answer.LocalName, "DescrizioneErrore");
        EXPECT_EQ(answer.Namespace, "");
        EXPECT_FALSE(answer.Text.empty());
    }
    EXPECT_TRUE(FCourier.Shipments().empty());
}

TEST(CourierCredentialsTest, WrongCredentialsAreRefusedInEveryOperation)
{
    TCredentials credentials;
    credentials.SedeQor = "MI";
    credentials.CodiceClienteQor = 123456;
    credentials.PasswordClienteQor = "segreta";
    struct TCase {
        const char* Sede;
        const char* Cliente;
        const char* Password;
        bool Accepted;
    };
    const TCase cases[] = {
        {"MI", "123456", "segreta", true},  {"MI", "123456", "Segreta", false}, {"RM", "123456", "segreta", false},
        {"MI", "123457", "segreta", false}, {"MI", "", "segreta", false},       {"MI", "12x", "segreta", false},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(std::string(test.Sede) + "/" + test.Cliente + "/" + test.Password);
        TCourier courier(credentials);
        const TXmlElement added =
            ParseXml(courier.AddParcel(AddParcelRequest({TParcelValues{}}, test.Sede, test.Cliente, test.Password)));
        const TXmlElement confirmed = ParseXml(courier.CloseWorkDayByShipmentNumber(
            ConfirmRequest({"100000001"}, test.Sede, test.Cliente, test.Password)));
        const TXmlElement deleted = ParseXml(courier.DeleteSped(test.Sede, test.Cliente, test.Password, "100000001"));
        if (test.Accepted) {
            EXPECT_EQ(added.LocalName, "InfoLabel");
            EXPECT_EQ(confirmed.ChildText("DescrizioneErrore"), "OK");
            // Confirmed shipments can no longer be deleted.
            EXPECT_FALSE(CustomerTakesAsDeleted(deleted.Text, "100000001")) << deleted.Text;
        } else {
            EXPECT_EQ(added.LocalName, "DescrizioneErrore");
            EXPECT_EQ(added.Text, "Credenziali non valide");
            EXPECT_EQ(confirmed.ChildText("DescrizioneErrore"), "Credenziali non valide");
            EXPECT_FALSE(confirmed.HasChild("Parcel"));
            EXPECT_EQ(deleted.Text, "Credenziali non valide");
            EXPECT_FALSE(CustomerTakesAsDeleted(deleted.Text, "100000001"));
            EXPECT_TRUE(courier.Shipments().empty());
        }
    }
}

TEST(CourierCredentialsTest, DefaultAcceptsAnySiteAndCustomerWithThePassword)
{
    TCourier courier;
    EXPECT_EQ(ParseXml(courier.AddParcel(AddParcelRequest({TParcelValues{}}, "TO", "42", "sandbox"))).LocalName,
              "InfoLabel");
    EXPECT_EQ(ParseXml(courier.AddParcel(AddParcelRequest({TParcelValues{}}, "", "999999", "sandbox"))).LocalName,
              "InfoLabel");
    EXPECT_EQ(ParseXml(courier.AddParcel(AddParcelRequest({TParcelValues{}}, "TO", "42", "other"))).LocalName,
              "DescrizioneErrore");
}

TEST(CourierLabelSizeTest, ZplLabelsPaddedToTheSizeAskedPdfLabelsUntouched)
{
    TCourier plain;
    TCourier large({}, {}, 65536);
    TParcelValues zpl;
    TParcelValues pdf;
    pdf.GeneraPdf = "4";
    const TXmlElement plainAnswer = ParseXml(plain.AddParcel(AddParcelRequest({zpl, pdf})));
    const TXmlElement largeAnswer = ParseXml(large.AddParcel(AddParcelRequest({zpl, pdf})));
    const auto plainParcels = Parcels(plainAnswer);
    const auto largeParcels = Parcels(largeAnswer);
    ASSERT_EQ(plainParcels.size(), 2u);
    ASSERT_EQ(largeParcels.size(), 2u);
    const std::string label = largeParcels[0]->ChildText("Zpl");
    EXPECT_GE(label.size(), 65536u);
    EXPECT_LE(label.size(), 65540u);
    EXPECT_LT(plainParcels[0]->ChildText("Zpl").size(), 4096u);
    EXPECT_EQ(label.substr(label.size() - 4), "^XZ\n");
    EXPECT_EQ(largeParcels[1]->ChildText("PdfLabel").size(), plainParcels[1]->ChildText("PdfLabel").size());
}

TEST(CourierCredentialsTest, CredentialsBeyondWhatARequestCarriesAreRejected)
{
    EXPECT_THROW(TCourier(TCredentials{"MIL", 0, "sandbox"}), qorita::Exception);
    EXPECT_THROW(TCourier(TCredentials{"", 1000000, "sandbox"}), qorita::Exception);
    EXPECT_THROW(TCourier(TCredentials{"", -1, "sandbox"}), qorita::Exception);
    EXPECT_THROW(TCourier(TCredentials{"", 0, "12345678901"}), qorita::Exception);
    EXPECT_THROW(TCourier(TCredentials{"", 0, ""}), qorita::Exception);
    EXPECT_NO_THROW(TCourier(TCredentials{"MI", 999999, "1234567890"}));
}

TEST_F(CourierTest, ConfirmMarksTheShipmentAndRepeatsHarmlessly)
{
    const std::string number = RegisterOne();
    // A repeated confirmation changes nothing; the shipment's own outcome says
    // it was confirmed already, the overall outcome stays OK.
    for (const std::string esito : {"OK", "GIA' CONFERMATA"}) {
        SCOPED_TRACE(esito);
        const TXmlElement answer = Confirm({number});
        EXPECT_EQ(answer.LocalName, "CloseWorkDayByShipmentNumberResult");
        EXPECT_EQ(answer.Namespace, "");
        EXPECT_EQ(answer.Children.at(0).LocalName, "DescrizioneErrore");
        EXPECT_EQ(answer.ChildText("DescrizioneErrore"), "OK");
        const TXmlElement* parcel = answer.Child("Parcel");
        ASSERT_NE(parcel, nullptr);
        EXPECT_EQ(parcel->ChildText("NumeroDiSpedizioneQORDaConfermare"), number);
        EXPECT_EQ(parcel->ChildText("esito"), esito);
        EXPECT_EQ(StateOf(number), TShipmentState::Confermata);
    }
}

TEST_F(CourierTest, ConfirmOfUnknownDeletedOrForeignShipmentsFails)
{
    const std::string deleted = RegisterOne();
    Delete(deleted);
    const std::string foreign = RegisterOne();
    struct TCase {
        std::string Number;
        std::string Esito;
    };
    const TCase cases[] = {
        {"0", "Spedizione 0 non presente"},
        {"999999999", "Spedizione 999999999 non presente"},
        {deleted, "Spedizione " + deleted + " annullata"},
        {"abc", "Numero spedizione non valido: abc"},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Number);
        const TXmlElement answer = Confirm({test.Number});
        EXPECT_EQ(answer.ChildText("DescrizioneErrore"), test.Esito);
        ASSERT_NE(answer.Child("Parcel"), nullptr);
        EXPECT_EQ(answer.Child("Parcel")->ChildText("esito"), test.Esito);
    }
    // A number registered by another customer is not this customer's.
    EXPECT_EQ(Confirm({foreign}, "654321").ChildText("DescrizioneErrore"), "Spedizione " + foreign + " non presente");
    EXPECT_EQ(StateOf(foreign), TShipmentState::Registrata);
    EXPECT_EQ(StateOf(deleted), TShipmentState::Eliminata);
}

TEST_F(CourierTest, ConfirmOfSeveralNumbersReportsEachOne)
{
    const std::string number = RegisterOne();
    const TXmlElement answer = Confirm({number, "5"});
    EXPECT_EQ(answer.ChildText("DescrizioneErrore"), "Spedizione 5 non presente");
    std::vector<std::string> esiti;
    for (const TXmlElement& child : answer.Children) {
        if (child.LocalName == "Parcel") {
            esiti.push_back(child.ChildText("NumeroDiSpedizioneQORDaConfermare") + "=" + child.ChildText("esito"));
        }
    }
    EXPECT_EQ(esiti, (std::vector<std::string>{number + "=OK", "5=Spedizione 5 non presente"}));
    EXPECT_EQ(StateOf(number), TShipmentState::Confermata);
    EXPECT_EQ(Confirm({}).ChildText("DescrizioneErrore"), "Nessuna spedizione da confermare");
}

TEST_F(CourierTest, DeleteAnswersAsTheCustomerExpects)
{
    const std::string number = RegisterOne();
    const std::string first = Delete(number);
    EXPECT_EQ(first, "Eliminazione avvenuta");
    EXPECT_TRUE(CustomerTakesAsDeleted(first, number));
    EXPECT_EQ(StateOf(number), TShipmentState::Eliminata);

    // Deleting again, or a number never registered: the courier no longer has it.
    EXPECT_EQ(Delete(number), "Spedizione " + number + " non presente");
    EXPECT_EQ(Delete("0"), "Spedizione 0 non presente");
    EXPECT_TRUE(CustomerTakesAsDeleted(Delete("0"), "0"));
    EXPECT_FALSE(CustomerTakesAsDeleted(Delete("x"), "x")) << "a malformed number is no deletion";

    // Another customer's shipment stays where it is.
    const std::string foreign = RegisterOne();
    EXPECT_EQ(Delete(foreign, "654321"), "Spedizione " + foreign + " non presente");
    EXPECT_EQ(StateOf(foreign), TShipmentState::Registrata);
}

TEST_F(CourierTest, ConfirmedShipmentCannotBeDeleted)
{
    const std::string number = RegisterOne();
    Confirm({number});
    const std::string answer = Delete(number);
    EXPECT_FALSE(CustomerTakesAsDeleted(answer, number)) << answer;
    EXPECT_EQ(StateOf(number), TShipmentState::Confermata);
}

}  // namespace
}  // namespace qorita::sandbox::test
