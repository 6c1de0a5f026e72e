#include "labelservice/CWDBSN.Request.h"
#include "labelservice/CWDBSN.Response.h"

#include "ErrorOf.h"
#include "common/Exception.h"

#include <gtest/gtest.h>

namespace qorita {
namespace {

using cwdbsn_request::TCWDBSNRequest;
using cwdbsn_response::TCWDBSNResponse;
using test::ErrorOf;

TEST(CWDBSNRequest, HoldsTheAccountAndOneShipmentNumberInOrder)
{
    TCWDBSNRequest request;
    EXPECT_EQ(request.Info()->XML(), "<Info/>");
    request.Info()->SedeQor.Set("MI");
    request.Info()->CodiceClienteQor.Set(123456);
    request.Info()->PasswordClienteQor.Set("pw");
    request.Info()->Parcel()->Add()->NumeroDiSpedizioneQORDaConfermare.Set(5001);
    EXPECT_EQ(request.Info()->Parcel()->Count(), 1);
    EXPECT_EQ(request.XMLDocument()->XML(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
              "<Info><SedeQor>MI</SedeQor><CodiceClienteQor>123456</CodiceClienteQor>"
              "<PasswordClienteQor>pw</PasswordClienteQor>"
              "<Parcel><NumeroDiSpedizioneQORDaConfermare>5001</NumeroDiSpedizioneQORDaConfermare></Parcel></Info>\n");
    EXPECT_EQ(request.Info()->Parcel()->Parcel(0)->NumeroDiSpedizioneQORDaConfermare(), 5001);
}

TEST(CWDBSNRequest, CutsAndCapsLikeTheCourierExpects)
{
    struct Case {
        std::function<void(TCWDBSNRequest&)> Write;
        const char* Element;
    };
    const Case cases[] = {
        {[](auto& r) { r.Info()->SedeQor.Set("ROM"); }, "<SedeQor>RO</SedeQor>"},
        {[](auto& r) { r.Info()->SedeQor.Set("R"); }, "<SedeQor>R</SedeQor>"},
        {[](auto& r) { r.Info()->SedeQor.Set(""); }, "<SedeQor></SedeQor>"},
        {[](auto& r) { r.Info()->CodiceClienteQor.Set(1234567); }, "<CodiceClienteQor>999999</CodiceClienteQor>"},
        {[](auto& r) { r.Info()->CodiceClienteQor.Set(999998); }, "<CodiceClienteQor>999998</CodiceClienteQor>"},
        {[](auto& r) { r.Info()->CodiceClienteQor.Set(-5); }, "<CodiceClienteQor>-5</CodiceClienteQor>"},
        {[](auto& r) { r.Info()->PasswordClienteQor.Set("abcdefghijkl"); },
         "<PasswordClienteQor>abcdefghij</PasswordClienteQor>"},
        {[](auto& r) { r.Info()->PasswordClienteQor.Set("abcdefghi😀"); },
         "<PasswordClienteQor>abcdefghi</PasswordClienteQor>"},
        {[](auto& r) { r.Info()->Parcel()->Add()->NumeroDiSpedizioneQORDaConfermare.Set(1000000000); },
         "<NumeroDiSpedizioneQORDaConfermare>999999999</NumeroDiSpedizioneQORDaConfermare>"},
    };
    for (const Case& c : cases) {
        TCWDBSNRequest request;
        c.Write(request);
        EXPECT_NE(request.Info()->XML().find(c.Element), std::string::npos) << request.Info()->XML();
    }
}

TEST(CWDBSNResponse, AnOkAnswerHasNoErrors)
{
    TCWDBSNResponse response(
        "<CloseWorkDayByShipmentNumberResult><DescrizioneErrore>OK</DescrizioneErrore>"
        "</CloseWorkDayByShipmentNumberResult>");
    EXPECT_FALSE(response.CloseWorkDayByShipmentNumberResult()->HasError());
    EXPECT_TRUE(response.ParcelErrors().empty());
    EXPECT_EQ(response.CloseWorkDayByShipmentNumberResult()->Parcel()->Count(), 0);

    for (const char* text : {"<CloseWorkDayByShipmentNumberResult><DescrizioneErrore>ok</DescrizioneErrore>"
                             "</CloseWorkDayByShipmentNumberResult>",
                             "<CloseWorkDayByShipmentNumberResult/>"}) {
        TCWDBSNResponse notOk(text);
        EXPECT_TRUE(notOk.CloseWorkDayByShipmentNumberResult()->HasError()) << text;
    }
}

TEST(CWDBSNResponse, GathersTheEsitoOfEveryItemThatIsNotOk)
{
    TCWDBSNResponse response(
        "<CloseWorkDayByShipmentNumberResult xmlns=\"http://courier.example/\">"
        "<DescrizioneErrore>Errori</DescrizioneErrore>"
        "<Parcel><NumeroDiSpedizioneQORDaConfermare>1</NumeroDiSpedizioneQORDaConfermare><esito>OK</esito></Parcel>"
        "<Parcel><NumeroDiSpedizioneQORDaConfermare>2</NumeroDiSpedizioneQORDaConfermare><esito>Gia confermata</esito>"
        "</Parcel>"
        "<Parcel><NumeroDiSpedizioneQORDaConfermare>3</NumeroDiSpedizioneQORDaConfermare></Parcel>"
        "<Parcel><esito>Gia confermata</esito></Parcel>"
        "</CloseWorkDayByShipmentNumberResult>");
    const auto& root = response.CloseWorkDayByShipmentNumberResult();
    EXPECT_EQ(root->xmlns(), "http://courier.example/");
    EXPECT_EQ(root->DescrizioneErrore(), "Errori");
    EXPECT_EQ(root->Parcel()->Count(), 4);
    EXPECT_EQ(response.ParcelErrors(), (std::vector<std::string>{"Gia confermata", "", "Gia confermata"}));
    // The item without esito gained an empty one, which the archived copy shows.
    EXPECT_EQ(root->Parcel()->Parcel(2)->XML(),
              "<Parcel xmlns=\"http://courier.example/\"><NumeroDiSpedizioneQORDaConfermare>3"
              "</NumeroDiSpedizioneQORDaConfermare><esito></esito></Parcel>");
    EXPECT_EQ(root->Parcel()->Parcel(1)->NumeroDiSpedizioneQORDaConfermare(), 2);
    EXPECT_EQ(ErrorOf([&] { root->Parcel()->Parcel(3)->NumeroDiSpedizioneQORDaConfermare(); }),
              "Could not convert variant of type (Null) into type (Integer)");
}

TEST(CWDBSNResponse, WritersKeepValuesWhole)
{
    TCWDBSNResponse response("<CloseWorkDayByShipmentNumberResult/>");
    const auto& root = response.CloseWorkDayByShipmentNumberResult();
    root->Setxmlns("urn:courier");
    root->DescrizioneErrore.Set("OK");
    const auto item = root->Parcel()->Add();
    item->NumeroDiSpedizioneQORDaConfermare.Set(1000000000);
    item->esito.Set("OK");
    EXPECT_EQ(root->XML(),
              "<CloseWorkDayByShipmentNumberResult xmlns=\"urn:courier\"><DescrizioneErrore>OK"
              "</DescrizioneErrore><Parcel><NumeroDiSpedizioneQORDaConfermare>1000000000"
              "</NumeroDiSpedizioneQORDaConfermare><esito>OK</esito></Parcel>"
              "</CloseWorkDayByShipmentNumberResult>");
    EXPECT_FALSE(item->HasError());
}

TEST(CWDBSNResponse, AnswersThatCannotBeReadFailCreation)
{
    const auto error = [](const std::string& AXml) { return ErrorOf([&] { TCWDBSNResponse response(AXml); }); };
    EXPECT_EQ(error("<DescrizioneErrore>Servizio non disponibile</DescrizioneErrore>"), "Interface not supported");
    EXPECT_EQ(error("<CloseWorkDayByShipmentNumberResult><Parcel><esito><x/></esito></Parcel>"
                    "</CloseWorkDayByShipmentNumberResult>"),
              "Element \"esito\" does not contain a single text node");
    EXPECT_EQ(error("<CloseWorkDayByShipmentNumberResult>"),
              "Premature end of data in tag CloseWorkDayByShipmentNumberResult line 1\r\nLine: 1\r\n"
              "<CloseWorkDayByShipmentNumberResult>");
    EXPECT_NO_THROW(TCWDBSNResponse("<q:CloseWorkDayByShipmentNumberResult xmlns:q=\"urn:c\"/>"));
}

}  // namespace
}  // namespace qorita
