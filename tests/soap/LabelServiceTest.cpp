// The facade: request documents in, response documents out, through the whole
// stack against the loopback server.

#include "SoapFixture.h"

#include "labelservice/AddParcel.Request.h"
#include "labelservice/AddParcel.Response.h"
#include "labelservice/CWDBSN.Request.h"
#include "labelservice/CWDBSN.Response.h"
#include "labelservice/DeleteSped.Request.h"
#include "labelservice/DeleteSped.Response.h"
#include "labelservice/LabelService.h"

namespace qorita::soaptest {
namespace {

TEST_F(TSoapTest, AddParcelSendsTheInfoMarkupAndReadsTheLabels)
{
    ServeWsdl();
    EnqueueAnswer(ResultEnvelope("AddParcel",
                                 "<InfoLabel><Parcel><NumeroSpedizione>5001</NumeroSpedizione>"
                                 "<ContatoreProgressivo>11</ContatoreProgressivo><PdfLabel>JVBERi0x</PdfLabel>"
                                 "</Parcel><Parcel><NoteSpedizione>CAP non valido &amp; più</NoteSpedizione>"
                                 "</Parcel></InfoLabel>"));
    addparcel_request::TAddParcelRequest request;
    request.Info()->SedeQor.Set("MI");
    request.Info()->CodiceClienteQor.Set(4711);
    request.Info()->Parcel()->Add()->RagioneSociale.Set("Rossi & Figli <srl>");
    const std::string markup = request.Info()->XML();

    const auto response = labelservice::AddParcel(request, Settings());

    ASSERT_NE(response, nullptr);
    ASSERT_NE(response->InfoLabel(), nullptr);
    EXPECT_EQ(response->InfoLabel()->Parcel(0)->NumeroSpedizione(), 5001);
    EXPECT_EQ(response->ParcelErrors(), (std::vector<std::string>{"CAP non valido & più"}));
    EXPECT_EQ(request.Info()->XML(), markup);  // the request is left as it was
    const auto requests = Server().Requests();
    ASSERT_EQ(requests.size(), 2u);
    std::string escaped;
    for (char c : markup) escaped += c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '&' ? "&amp;" : std::string(1, c);
    EXPECT_NE(requests[1].Body.find("<XMLInfoParcel>" + escaped + "</XMLInfoParcel>"), std::string::npos)
        << requests[1].Body;
}

TEST_F(TSoapTest, CloseWorkDaySendsUnderscoredParameter)
{
    ServeWsdl();
    EnqueueAnswer(ResultEnvelope("CloseWorkDayByShipmentNumber",
                                 "<CloseWorkDayByShipmentNumberResult><DescrizioneErrore>OK</DescrizioneErrore>"
                                 "</CloseWorkDayByShipmentNumberResult>"));
    cwdbsn_request::TCWDBSNRequest request;
    request.Info()->SedeQor.Set("MI");

    const auto response = labelservice::CloseWorkDayByShipmentNumber(request, Settings());

    ASSERT_NE(response, nullptr);
    EXPECT_TRUE(response->ParcelErrors().empty());
    EXPECT_NE(Server().Requests().back().Body.find("<_xmlRequest>&lt;Info&gt;&lt;SedeQor&gt;MI&lt;/SedeQor&gt;"),
              std::string::npos);
}

TEST_F(TSoapTest, DeleteSpedReadsItsParametersFromTheRequest)
{
    ServeWsdl();
    EnqueueAnswer(ResultEnvelope("DeleteSped", "<DescrizioneErrore>Spedizione eliminata</DescrizioneErrore>"));
    deletesped_request::TDeleteSpedRequest request;
    request.Info()->SedeQor.Set("MI");
    request.Info()->CodiceClienteQor.Set(-12);
    request.Info()->PasswordClienteQor.Set("p&ss<");
    request.Info()->NumSpedizione.Set(0);

    const auto response = labelservice::DeleteSped(request, Settings());

    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response->DescrizioneErrore(), "Spedizione eliminata");
    EXPECT_NE(Server().Requests().back().Body.find(
                  "<SedeQor>MI</SedeQor><CodiceClienteQor>-12</CodiceClienteQor>"
                  "<PasswordClienteQor>p&amp;ss&lt;</PasswordClienteQor><NumSpedizione>0</NumSpedizione>"),
              std::string::npos);
}

TEST_F(TSoapTest, PayloadTheResponseDocumentRejectsEndsTheCall)
{
    ServeWsdl();
    EnqueueAnswer(ResultEnvelope("DeleteSped", "<Other>x</Other>"));
    EnqueueAnswer(ResultEnvelope("AddParcel", "<Parcel>x</Parcel>"));
    // A text payload: its markup is not a document.
    EnqueueAnswer(AnswerEnvelope("<AddParcelResponse><AddParcelResult>a &lt; b</AddParcelResult></AddParcelResponse>"));
    deletesped_request::TDeleteSpedRequest deleteRequest;
    deleteRequest.Info()->NumSpedizione.Set(1);
    deleteRequest.Info()->CodiceClienteQor.Set(1);
    addparcel_request::TAddParcelRequest addRequest;

    EXPECT_EQ(ErrorOf([&] { labelservice::DeleteSped(deleteRequest, Settings()); }), "Interface not supported");
    EXPECT_EQ(ErrorOf([&] { labelservice::AddParcel(addRequest, Settings()); }), "Interface not supported");
    EXPECT_EQ(ErrorOf([&] { labelservice::AddParcel(addRequest, Settings()); }),
              "Start tag expected, '<' not found\r\nLine: 1\r\na &lt; b");
}

}  // namespace
}  // namespace qorita::soaptest
