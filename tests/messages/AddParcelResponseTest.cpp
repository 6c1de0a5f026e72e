#include "labelservice/AddParcel.Response.h"

#include "ErrorOf.h"
#include "TempFolder.h"
#include "common/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace qorita::addparcel_response {
namespace {

using test::ErrorOf;

std::string CreateError(const std::string& AXml)
{
    return ErrorOf([&] { TAddParcelResponse response(AXml); });
}

TEST(AddParcelResponse, ARefusedRequestGivesItsReasonAndNoInfoLabel)
{
    TAddParcelResponse refused("<DescrizioneErrore>Password errata</DescrizioneErrore>");
    EXPECT_EQ(refused.DescrizioneErrore(), "Password errata");
    EXPECT_TRUE(refused.ParcelErrors().empty());
    EXPECT_EQ(refused.InfoLabel(), nullptr);

    for (const char* empty : {"<DescrizioneErrore/>", "<DescrizioneErrore></DescrizioneErrore>"}) {
        TAddParcelResponse response(empty);
        EXPECT_EQ(response.DescrizioneErrore(), "");
        EXPECT_TRUE(response.ParcelErrors().empty());
        EXPECT_EQ(response.InfoLabel(), nullptr);
    }
}

TEST(AddParcelResponse, RefusedParcelsAreGatheredInDocumentOrder)
{
    TAddParcelResponse response(
        "<InfoLabel>"
        "<Parcel><NumeroSpedizione>5001</NumeroSpedizione><ContatoreProgressivo>11</ContatoreProgressivo>"
        "<PdfLabel>JVBERi0x</PdfLabel></Parcel>"
        "<Parcel><NoteSpedizione>CAP non valido</NoteSpedizione></Parcel>"
        "<Parcel><NoteSpedizione>Provincia errata</NoteSpedizione></Parcel>"
        "</InfoLabel>");
    EXPECT_EQ(response.DescrizioneErrore(), "");
    ASSERT_NE(response.InfoLabel(), nullptr);
    EXPECT_EQ(response.InfoLabel()->Count(), 3);
    EXPECT_EQ(response.ParcelErrors(), (std::vector<std::string>{"CAP non valido", "Provincia errata"}));
    const IXMLParcelType registered = response.InfoLabel()->Parcel(0);
    EXPECT_FALSE(registered->HasError());
    EXPECT_EQ(registered->NumeroSpedizione(), 5001);
    EXPECT_EQ(registered->ContatoreProgressivo(), 11);
    EXPECT_EQ(registered->Etichetta(), "JVBERi0x");
    EXPECT_TRUE(response.InfoLabel()->Parcel(1)->HasError());
    EXPECT_EQ(response.InfoLabel()->Parcel(1)->XML(),
              "<Parcel><NoteSpedizione>CAP non valido</NoteSpedizione></Parcel>");
}

TEST(AddParcelResponse, AnInfoLabelWithoutParcelsHasNoErrors)
{
    TAddParcelResponse response("<InfoLabel/>");
    EXPECT_EQ(response.InfoLabel()->Count(), 0);
    EXPECT_TRUE(response.ParcelErrors().empty());
}

TEST(AddParcelResponse, ReadingTheNumberOfARefusedParcelFailsAndLeavesTheElement)
{
    TAddParcelResponse response("<InfoLabel><Parcel><NoteSpedizione>x</NoteSpedizione></Parcel></InfoLabel>");
    const IXMLParcelType parcel = response.InfoLabel()->Parcel(0);
    EXPECT_EQ(ErrorOf([&] { parcel->NumeroSpedizione(); }),
              "Could not convert variant of type (Null) into type (Integer)");
    EXPECT_EQ(parcel->XML(),
              "<Parcel><NoteSpedizione>x</NoteSpedizione><NumeroSpedizione></NumeroSpedizione></Parcel>");
    EXPECT_FALSE(parcel->HasError());
}

struct LabelCase {
    const char* Parcel;
    const char* Etichetta;
};

void PrintTo(const LabelCase& ACase, std::ostream* AOut) { *AOut << ACase.Parcel; }

class AddParcelResponseLabel : public ::testing::TestWithParam<LabelCase> {};

TEST_P(AddParcelResponseLabel, TakesThePdfLabelElseTheZpl)
{
    TAddParcelResponse response(std::string("<InfoLabel>") + GetParam().Parcel + "</InfoLabel>");
    EXPECT_EQ(response.InfoLabel()->Parcel(0)->Etichetta(), GetParam().Etichetta);
}

TEST_P(AddParcelResponseLabel, TakingMovesTheSameLabelOutOfTheAnswer)
{
    TAddParcelResponse response(std::string("<InfoLabel>") + GetParam().Parcel + "</InfoLabel>");
    const IXMLParcelType parcel = response.InfoLabel()->Parcel(0);
    const std::string label = parcel->TakeEtichetta();
    EXPECT_EQ(label, GetParam().Etichetta);
    if (!label.empty()) {
        EXPECT_EQ(parcel->XML().find(label), std::string::npos) << parcel->XML();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AddParcelResponseLabel,
                         ::testing::Values(LabelCase{"<Parcel><PdfLabel>PDF</PdfLabel><Zpl>ZPL</Zpl></Parcel>", "PDF"},
                                           LabelCase{"<Parcel><PdfLabel/><Zpl>ZPL</Zpl></Parcel>", "ZPL"},
                                           LabelCase{"<Parcel><Zpl>^XA^XZ</Zpl></Parcel>", "^XA^XZ"},
                                           LabelCase{"<Parcel><PdfLabel/><Zpl/></Parcel>", ""},
                                           LabelCase{"<Parcel/>", ""}));

TEST(AddParcelResponse, NamespacedAnswersBindByName)
{
    for (const char* text : {"<InfoLabel xmlns=\"urn:courier\"><Parcel><NumeroSpedizione>7</NumeroSpedizione></Parcel>"
                             "<Parcel><NoteSpedizione>no</NoteSpedizione></Parcel></InfoLabel>",
                             "<c:InfoLabel xmlns:c=\"urn:courier\"><c:Parcel><c:NumeroSpedizione>7</c:NumeroSpedizione>"
                             "</c:Parcel><c:Parcel><c:NoteSpedizione>no</c:NoteSpedizione></c:Parcel></c:InfoLabel>"}) {
        TAddParcelResponse response(text);
        EXPECT_EQ(response.InfoLabel()->Count(), 2) << text;
        EXPECT_EQ(response.InfoLabel()->Parcel(0)->NumeroSpedizione(), 7) << text;
        EXPECT_EQ(response.ParcelErrors(), std::vector<std::string>{"no"}) << text;
    }
    TAddParcelResponse refused("<DescrizioneErrore xmlns=\"urn:courier\">ko</DescrizioneErrore>");
    EXPECT_EQ(refused.DescrizioneErrore(), "ko");
}

TEST(AddParcelResponse, ALabelOfMoreThanTenMegabytesIsReadWhole)
{
    const std::string label(12 * 1024 * 1024, 'Q');
    TAddParcelResponse response("<InfoLabel><Parcel><NumeroSpedizione>1</NumeroSpedizione><PdfLabel>" + label +
                                "</PdfLabel></Parcel></InfoLabel>");
    EXPECT_EQ(response.InfoLabel()->Parcel(0)->Etichetta().size(), label.size());
}

TEST(AddParcelResponse, AnswersThatCannotBeReadFailCreation)
{
    EXPECT_EQ(CreateError("<soap:Fault xmlns:soap=\"urn:s\"/>"), "Interface not supported");
    EXPECT_EQ(CreateError("<DescrizioneErrore><a/></DescrizioneErrore>"),
              "Element \"DescrizioneErrore\" does not contain a single text node");
    EXPECT_EQ(CreateError("<InfoLabel><Parcel><NoteSpedizione>a<b/></NoteSpedizione></Parcel></InfoLabel>"),
              "Element \"NoteSpedizione\" does not contain a single text node");
    EXPECT_EQ(
        CreateError("<InfoLabel><Parcel></InfoLabel>"),
        "Opening and ending tag mismatch: Parcel line 1 and InfoLabel\r\nLine: 1\r\n<InfoLabel><Parcel></InfoLabel>");
    EXPECT_EQ(CreateError(""), "Document is empty\r\nLine: 1\r\n");
}

TEST(AddParcelResponse, TheSavedAnswerShowsTheNoteAddedToARefusedParcel)
{
    const support::TTempFolder folder("qorita-addparcel");
    const auto path = folder.Path() / "answer.xml";
    {
        TAddParcelResponse response("<InfoLabel>\n  <Parcel><Colli>1</Colli></Parcel>\n</InfoLabel>");
        EXPECT_EQ(response.ParcelErrors(), std::vector<std::string>{""});
        response.SaveToFile(path.string());
    }
    std::ifstream in(path, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, "<InfoLabel><Parcel><Colli>1</Colli><NoteSpedizione></NoteSpedizione></Parcel></InfoLabel>\n");
}

// Every element of the answer's parcel, in the order of the type.
struct Property {
    const char* Name;
    labelservice::TTextElement TXMLParcelType::*Text;
    labelservice::TIntegerElement TXMLParcelType::*Integer;
};

const Property Properties[] = {
    {"SiglaMittente", &TXMLParcelType::SiglaMittente, nullptr},
    {"NumeroSpedizione", nullptr, &TXMLParcelType::NumeroSpedizione},
    {"TotaleColli", nullptr, &TXMLParcelType::TotaleColli},
    {"TipoCollo", &TXMLParcelType::TipoCollo, nullptr},
    {"SiglaSedeDestino", &TXMLParcelType::SiglaSedeDestino, nullptr},
    {"DenominazioneMittente", &TXMLParcelType::DenominazioneMittente, nullptr},
    {"DenominazioneDestinatario", &TXMLParcelType::DenominazioneDestinatario, nullptr},
    {"IndirizzoDestinatario", &TXMLParcelType::IndirizzoDestinatario, nullptr},
    {"CittaDestinatario", &TXMLParcelType::CittaDestinatario, nullptr},
    {"ProvinciaDestinatario", &TXMLParcelType::ProvinciaDestinatario, nullptr},
    {"DataSpedizione", &TXMLParcelType::DataSpedizione, nullptr},
    {"DescrizioneSedeDestino", &TXMLParcelType::DescrizioneSedeDestino, nullptr},
    {"PesoSpedizione", &TXMLParcelType::PesoSpedizione, nullptr},
    {"ImportoAssegnato", &TXMLParcelType::ImportoAssegnato, nullptr},
    {"ImportoCassegno", &TXMLParcelType::ImportoCassegno, nullptr},
    {"TotaleImportodaIncassare", &TXMLParcelType::TotaleImportodaIncassare, nullptr},
    {"TelefonoSede", &TXMLParcelType::TelefonoSede, nullptr},
    {"NoteSpedizione", &TXMLParcelType::NoteSpedizione, nullptr},
    {"DescrizioneTipoPorto", &TXMLParcelType::DescrizioneTipoPorto, nullptr},
    {"SiglaCSM", &TXMLParcelType::SiglaCSM, nullptr},
    {"DescrizioneCSM1", &TXMLParcelType::DescrizioneCSM1, nullptr},
    {"DescrizioneCSM2", &TXMLParcelType::DescrizioneCSM2, nullptr},
    {"Percorso1", &TXMLParcelType::Percorso1, nullptr},
    {"Percorso2", &TXMLParcelType::Percorso2, nullptr},
    {"Percorso3", &TXMLParcelType::Percorso3, nullptr},
    {"RapportoPesoVolume", nullptr, &TXMLParcelType::RapportoPesoVolume},
    {"ProgressivoCollo", nullptr, &TXMLParcelType::ProgressivoCollo},
    {"CodiceZona", &TXMLParcelType::CodiceZona, nullptr},
    {"RiferimentiCliente", &TXMLParcelType::RiferimentiCliente, nullptr},
    {"Reverse", &TXMLParcelType::Reverse, nullptr},
    {"Sprinter", &TXMLParcelType::Sprinter, nullptr},
    {"Bda", nullptr, &TXMLParcelType::Bda},
    {"ContatoreProgressivo", nullptr, &TXMLParcelType::ContatoreProgressivo},
    {"PdfLabel", &TXMLParcelType::PdfLabel, nullptr},
    {"Zpl", &TXMLParcelType::Zpl, nullptr},
    {"InfoPrivacy", &TXMLParcelType::InfoPrivacy, nullptr},
    {"SiglaCSMEmergenza", &TXMLParcelType::SiglaCSMEmergenza, nullptr},
    {"Priorita", &TXMLParcelType::Priorita, nullptr},
    {"Barcode2D", &TXMLParcelType::Barcode2D, nullptr},
    {"ReverseA", &TXMLParcelType::ReverseA, nullptr},
    {"ReverseB", &TXMLParcelType::ReverseB, nullptr},
    {"ReverseC", &TXMLParcelType::ReverseC, nullptr},
    {"ReverseD", &TXMLParcelType::ReverseD, nullptr},
};

TEST(AddParcelResponse, EveryParcelPropertyWritesAndReadsItsOwnElement)
{
    static_assert(std::size(Properties) == 43);
    TAddParcelResponse response("<InfoLabel/>");
    const IXMLParcelType parcel = response.InfoLabel()->Add();
    std::string expected = "<Parcel>";
    int number = 0;
    for (const Property& property : Properties) {
        ++number;
        if (property.Text != nullptr) {
            const std::string value = std::string("v") + property.Name;
            ((*parcel).*property.Text).Set(value);
            expected += std::string("<") + property.Name + ">" + value + "</" + property.Name + ">";
        } else {
            ((*parcel).*property.Integer).Set(-number);
            expected += std::string("<") + property.Name + ">" + std::to_string(-number) + "</" + property.Name + ">";
        }
    }
    EXPECT_EQ(parcel->XML(), expected + "</Parcel>");
    number = 0;
    for (const Property& property : Properties) {
        ++number;
        if (property.Text != nullptr) {
            EXPECT_EQ(((*parcel).*property.Text)(), std::string("v") + property.Name);
        } else {
            EXPECT_EQ(((*parcel).*property.Integer)(), -number) << property.Name;
        }
    }
    EXPECT_EQ(response.InfoLabel()->Count(), 1);
}

}  // namespace
}  // namespace qorita::addparcel_response
