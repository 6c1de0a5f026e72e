#include "labelservice/AddParcel.Request.h"

#include "ErrorOf.h"
#include "common/Exception.h"

#include <gtest/gtest.h>

#include <functional>

namespace qorita::addparcel_request {
namespace {

using test::ErrorOf;

const std::string Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

TEST(AddParcelRequest, StartsWithTheDeclarationAndAnEmptyInfo)
{
    TAddParcelRequest request;
    EXPECT_EQ(request.XMLDocument()->XML(), Declaration + "<Info/>\n");
    EXPECT_EQ(request.Info()->Parcel()->Count(), 0);
    EXPECT_EQ(request.Info()->Parcel(), request.Info()->Parcel());
}

TEST(AddParcelRequest, ElementsStandInTheOrderTheCreationSetsThem)
{
    TAddParcelRequest request;
    const IXMLInfoType& info = request.Info();
    info->SedeQor.Set("MI");
    info->CodiceClienteQor.Set(123456);
    info->PasswordClienteQor.Set("secret");
    EXPECT_EQ(info->XML(),
              "<Info><SedeQor>MI</SedeQor><CodiceClienteQor>123456</CodiceClienteQor>"
              "<PasswordClienteQor>secret</PasswordClienteQor></Info>");

    const IXMLParcelType first = info->Parcel()->Add();
    first->CodiceContrattoQor.Set(77);
    first->RagioneSociale.Set("Rossi & Figli");
    first->Indirizzo.Set("Via Roma 1");
    first->Localita.Set("Milano");
    first->Zipcode.Set("20100");
    first->Provincia.Set("MI");
    first->Colli.Set(2);
    first->PesoReale.Set(2.25);
    first->GeneraPdf.Set(4);
    first->ContatoreProgressivo.Set(1001);
    first->Email.Set("");
    first->Cellulare1.Set("3331234567");
    first->ServiziAccessori.Set("");
    const IXMLParcelType second = info->Parcel()->Add();
    second->CodiceContrattoQor.Set(77);
    second->RagioneSociale.Set("Bianchi");
    second->Indirizzo.Set("Corso Italia 5");
    second->Localita.Set("Roma");
    second->Zipcode.Set("00100");
    second->Provincia.Set("RM");
    second->Colli.Set(1);
    second->PesoReale.Set(10);
    second->GeneraPdf.Set(6);
    second->ContatoreProgressivo.Set(1002);
    second->Email.Set("b@example.com");
    second->Cellulare1.Set("");
    second->ServiziAccessori.Set("");
    second->ImportoContrassegno.Set(19.999);
    second->ModalitaIncasso.Set("CONT");

    EXPECT_EQ(info->Parcel()->Count(), 2);
    EXPECT_EQ(info->Parcel()->Parcel(1)->RagioneSociale(), "Bianchi");
    EXPECT_EQ(
        request.XMLDocument()->XML(),
        Declaration +
            "<Info><SedeQor>MI</SedeQor><CodiceClienteQor>123456</CodiceClienteQor>"
            "<PasswordClienteQor>secret</PasswordClienteQor>"
            "<Parcel><CodiceContrattoQor>77</CodiceContrattoQor><RagioneSociale>Rossi &amp; Figli</RagioneSociale>"
            "<Indirizzo>Via Roma 1</Indirizzo><Localita>Milano</Localita><Zipcode>20100</Zipcode>"
            "<Provincia>MI</Provincia><Colli>2</Colli><PesoReale>2.2</PesoReale><GeneraPdf>4</GeneraPdf>"
            "<ContatoreProgressivo>1001</ContatoreProgressivo><Email></Email><Cellulare1>3331234567</Cellulare1>"
            "<ServiziAccessori></ServiziAccessori></Parcel>"
            "<Parcel><CodiceContrattoQor>77</CodiceContrattoQor><RagioneSociale>Bianchi</RagioneSociale>"
            "<Indirizzo>Corso Italia 5</Indirizzo><Localita>Roma</Localita><Zipcode>00100</Zipcode>"
            "<Provincia>RM</Provincia><Colli>1</Colli><PesoReale>10</PesoReale><GeneraPdf>6</GeneraPdf>"
            "<ContatoreProgressivo>1002</ContatoreProgressivo><Email>b@example.com</Email>"
            "<Cellulare1></Cellulare1><ServiziAccessori></ServiziAccessori>"
            "<ImportoContrassegno>20</ImportoContrassegno><ModalitaIncasso>CONT</ModalitaIncasso></Parcel>"
            "</Info>\n");
}

// One written value: the setter applied to a fresh request and the element it leaves.
struct WriteCase {
    const char* Name;
    std::function<void(TXMLInfoType&, TXMLParcelType&)> Write;
    const char* Element;
};

void PrintTo(const WriteCase& ACase, std::ostream* AOut) { *AOut << ACase.Name; }

class AddParcelRequestWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(AddParcelRequestWrite, CutsCapsAndRounds)
{
    TAddParcelRequest request;
    const IXMLParcelType parcel = request.Info()->Parcel()->Add();
    GetParam().Write(*request.Info(), *parcel);
    const std::string xml = request.Info()->XML();
    EXPECT_NE(xml.find(GetParam().Element), std::string::npos) << xml;
}

const std::string Forty(40, 'R');
const std::string SeventyFive(75, 'e');

INSTANTIATE_TEST_SUITE_P(
    Table, AddParcelRequestWrite,
    ::testing::Values(
        WriteCase{"SedeThreeChars", [](auto& i, auto&) { i.SedeQor.Set("MIL"); }, "<SedeQor>MI</SedeQor>"},
        WriteCase{"SedeOneChar", [](auto& i, auto&) { i.SedeQor.Set("M"); }, "<SedeQor>M</SedeQor>"},
        WriteCase{"ClienteSevenDigits", [](auto& i, auto&) { i.CodiceClienteQor.Set(1234567); },
                  "<CodiceClienteQor>999999</CodiceClienteQor>"},
        WriteCase{"ClienteAtLimit", [](auto& i, auto&) { i.CodiceClienteQor.Set(999999); },
                  "<CodiceClienteQor>999999</CodiceClienteQor>"},
        WriteCase{"ClienteNegative", [](auto& i, auto&) { i.CodiceClienteQor.Set(-3); },
                  "<CodiceClienteQor>-3</CodiceClienteQor>"},
        WriteCase{"PasswordTwelve", [](auto& i, auto&) { i.PasswordClienteQor.Set("abcdefghijkl"); },
                  "<PasswordClienteQor>abcdefghij</PasswordClienteQor>"},
        WriteCase{"Contratto", [](auto&, auto& p) { p.CodiceContrattoQor.Set(10000); },
                  "<CodiceContrattoQor>9999</CodiceContrattoQor>"},
        WriteCase{"RagioneSocialeForty", [](auto&, auto& p) { p.RagioneSociale.Set(Forty); },
                  "<RagioneSociale>RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR</RagioneSociale>"},
        WriteCase{"RagioneSocialePairAtTheCut",
                  [](auto&, auto& p) { p.RagioneSociale.Set(std::string(34, 'A') + "😀tail"); },
                  "<RagioneSociale>AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA</RagioneSociale>"},
        WriteCase{"RagioneSocialeAccentsCountOnce",
                  [](auto&, auto& p) { p.RagioneSociale.Set(std::string(33, 'A') + "èèè"); },
                  "<RagioneSociale>AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAèè</RagioneSociale>"},
        WriteCase{"Indirizzo", [](auto&, auto& p) { p.Indirizzo.Set(Forty); },
                  "<Indirizzo>RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR</Indirizzo>"},
        WriteCase{"Localita", [](auto&, auto& p) { p.Localita.Set(Forty); },
                  "<Localita>RRRRRRRRRRRRRRRRRRRRRRRRRRRRRR</Localita>"},
        WriteCase{"Zipcode", [](auto&, auto& p) { p.Zipcode.Set("201000"); }, "<Zipcode>20100</Zipcode>"},
        WriteCase{"Provincia", [](auto&, auto& p) { p.Provincia.Set("MIL"); }, "<Provincia>MI</Provincia>"},
        WriteCase{"ColliThousand", [](auto&, auto& p) { p.Colli.Set(1000); }, "<Colli>999</Colli>"},
        WriteCase{"ColliZero", [](auto&, auto& p) { p.Colli.Set(0); }, "<Colli>0</Colli>"},
        WriteCase{"PesoHalfToEven", [](auto&, auto& p) { p.PesoReale.Set(2.25); }, "<PesoReale>2.2</PesoReale>"},
        WriteCase{"PesoHeldAboveHalf", [](auto&, auto& p) { p.PesoReale.Set(2.35); }, "<PesoReale>2.4</PesoReale>"},
        WriteCase{"PesoUp", [](auto&, auto& p) { p.PesoReale.Set(2.75); }, "<PesoReale>2.8</PesoReale>"},
        WriteCase{"PesoWhole", [](auto&, auto& p) { p.PesoReale.Set(10); }, "<PesoReale>10</PesoReale>"},
        WriteCase{"ImportoHalfToEven", [](auto&, auto& p) { p.ImportoContrassegno.Set(0.125); },
                  "<ImportoContrassegno>0.12</ImportoContrassegno>"},
        WriteCase{"ImportoCarries", [](auto&, auto& p) { p.ImportoContrassegno.Set(19.999); },
                  "<ImportoContrassegno>20</ImportoContrassegno>"},
        WriteCase{"ImportoTwoPlaces", [](auto&, auto& p) { p.ImportoContrassegno.Set(35.5); },
                  "<ImportoContrassegno>35.5</ImportoContrassegno>"},
        WriteCase{"ModalitaSevenChars", [](auto&, auto& p) { p.ModalitaIncasso.Set("ASSEGNO"); },
                  "<ModalitaIncasso>ASSE</ModalitaIncasso>"},
        WriteCase{"GeneraPdfUncapped", [](auto&, auto& p) { p.GeneraPdf.Set(123456); },
                  "<GeneraPdf>123456</GeneraPdf>"},
        WriteCase{"Contatore", [](auto&, auto& p) { p.ContatoreProgressivo.Set(1000000000); },
                  "<ContatoreProgressivo>999999999</ContatoreProgressivo>"},
        WriteCase{"EmailSeventy", [](auto&, auto& p) { p.Email.Set(SeventyFive); },
                  "<Email>eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeee</Email>"},
        WriteCase{"EmailEmpty", [](auto&, auto& p) { p.Email.Set(""); }, "<Email></Email>"},
        WriteCase{"Cellulare", [](auto&, auto& p) { p.Cellulare1.Set("+39 333 123 4567 890 12"); },
                  "<Cellulare1>+39 333 123 4567 890</Cellulare1>"},
        WriteCase{"Servizi", [](auto&, auto& p) { p.ServiziAccessori.Set(SeventyFive); },
                  "<ServiziAccessori>eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeee</ServiziAccessori>"}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(AddParcelRequest, ReadsGiveBackWhatTheElementsHold)
{
    TAddParcelRequest request;
    const IXMLParcelType parcel = request.Info()->Parcel()->Add();
    parcel->PesoReale.Set(2.25);
    parcel->ImportoContrassegno.Set(0.125);
    parcel->Colli.Set(1000);
    EXPECT_EQ(parcel->PesoReale(), 2.2);
    EXPECT_EQ(parcel->ImportoContrassegno(), 0.12);
    EXPECT_EQ(parcel->Colli(), 999);
    EXPECT_EQ(ErrorOf([&] { parcel->GeneraPdf(); }), "Could not convert variant of type (Null) into type (Integer)");
}

}  // namespace
}  // namespace qorita::addparcel_request
