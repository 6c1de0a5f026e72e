#include "labelservice/DeleteSped.Request.h"
#include "labelservice/DeleteSped.Response.h"

#include "ErrorOf.h"
#include "common/Exception.h"
#include "xml/XmlValue.h"

#include <gtest/gtest.h>

namespace qorita {
namespace {

using deletesped_request::TDeleteSpedRequest;
using deletesped_response::TDeleteSpedResponse;
using test::ErrorOf;

TEST(DeleteSpedRequest, CarriesTheFullValuesInOrder)
{
    TDeleteSpedRequest request;
    EXPECT_EQ(request.Info()->XML(), "<DeleteSped/>");
    request.Info()->SedeQor.Set("MIL");
    request.Info()->CodiceClienteQor.Set(1234567);
    request.Info()->PasswordClienteQor.Set("abcdefghijkl");
    request.Info()->NumSpedizione.Set(1000000000);
    EXPECT_EQ(request.XMLDocument()->XML(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
              "<DeleteSped><SedeQor>MIL</SedeQor><CodiceClienteQor>1234567</CodiceClienteQor>"
              "<PasswordClienteQor>abcdefghijkl</PasswordClienteQor><NumSpedizione>1000000000</NumSpedizione>"
              "</DeleteSped>\n");
}

TEST(DeleteSpedRequest, TheValuesReadBackAreTheElementsTexts)
{
    TDeleteSpedRequest request;
    request.Info()->CodiceClienteQor.Set(-4);
    request.Info()->NumSpedizione.Set(0);
    EXPECT_EQ(xml::IntegerToText(request.Info()->NumSpedizione()), "0");
    EXPECT_EQ(xml::IntegerToText(request.Info()->CodiceClienteQor()), "-4");
    EXPECT_EQ(request.Info()->SedeQor(), "");  // read of a missing element adds it, empty
    EXPECT_EQ(request.Info()->XML(),
              "<DeleteSped><CodiceClienteQor>-4</CodiceClienteQor><NumSpedizione>0</NumSpedizione>"
              "<SedeQor></SedeQor></DeleteSped>");
}

TEST(DeleteSpedResponse, TheRootsOwnTextIsTheOutcome)
{
    for (const auto& [text, outcome] : std::initializer_list<std::pair<const char*, const char*>>{
             {"<DescrizioneErrore>OK</DescrizioneErrore>", "OK"},
             {"<DescrizioneErrore>Spedizione inesistente</DescrizioneErrore>", "Spedizione inesistente"},
             {"<DescrizioneErrore/>", ""},
             {"<DescrizioneErrore></DescrizioneErrore>", ""},
             {"<DescrizioneErrore xmlns=\"urn:courier\">OK</DescrizioneErrore>", "OK"}}) {
        TDeleteSpedResponse response(text);
        EXPECT_EQ(response.DescrizioneErrore(), outcome) << text;
    }
}

TEST(DeleteSpedResponse, ARootWithChildrenFailsOnlyWhenRead)
{
    TDeleteSpedResponse response("<DescrizioneErrore><a/>b</DescrizioneErrore>");
    EXPECT_EQ(ErrorOf([&] { (void)response.DescrizioneErrore(); }),
              "Element \"DescrizioneErrore\" does not contain a single text node");
    response.XMLDocument()->XML();
    EXPECT_EQ(ErrorOf([] { TDeleteSpedResponse other("<Risultato>OK</Risultato>"); }), "Interface not supported");
    EXPECT_THROW(TDeleteSpedResponse("<DescrizioneErrore>OK"), Exception);
}

}  // namespace
}  // namespace qorita
