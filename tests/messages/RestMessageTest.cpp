#include "labelservice/RestMessage.h"
#include "xml/XMLDocument.h"
#include "xml/XMLNode.h"

#include "ErrorOf.h"
#include "FileText.h"
#include "TempFolder.h"
#include "common/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace qorita::labelservice {
namespace {

using test::ReadFile;

using test::ErrorOf;
using xml::IXMLNode;
using xml::MakeNode;
using xml::TXMLNode;

TEST(RestMessage, ANewMessageIsTheDeclarationAlone)
{
    TRestMessage message("");
    EXPECT_EQ(message.XMLDocument()->XML(), "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n");
    EXPECT_EQ(message.XMLDocument()->DocumentElement(), nullptr);
}

TEST(RestMessage, BindingAnEmptyDocumentAppendsTheRootAfterTheDeclaration)
{
    TRestMessage message("");
    const IXMLNode root = message.XMLDocument()->BindRoot("Info", &MakeNode<TXMLNode>, "");
    root->SetChildText("SedeQor", "MI");
    EXPECT_EQ(message.XMLDocument()->XML(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Info><SedeQor>MI</SedeQor></Info>\n");
}

// Files written into a private folder of each test's own.
class TempFolder : public ::testing::Test {
protected:
    const support::TTempFolder FTemp{"qorita-message"};
    const std::filesystem::path FFolder = FTemp.Path();
};

using RestMessageFile = TempFolder;

TEST_F(RestMessageFile, SavedFilesAreUtf8AndReadBack)
{
    TRestMessage request("");
    const IXMLNode root = request.XMLDocument()->BindRoot("Info", &MakeNode<TXMLNode>, "");
    root->SetChildText("RagioneSociale", "Caffè & Co. <Città> 😀");
    const auto path = FFolder / "request.xml";
    request.SaveToFile(path.string());
    const std::string written = ReadFile(path);
    EXPECT_EQ(written,
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
              "<Info><RagioneSociale>Caffè &amp; Co. &lt;Città&gt; 😀</RagioneSociale></Info>\n");
    TRestMessage readBack(written);
    EXPECT_EQ(readBack.XMLDocument()->DocumentElement()->ChildText("RagioneSociale"), "Caffè & Co. <Città> 😀");

    TRestMessage response("<DescrizioneErrore>Già presente</DescrizioneErrore>");
    response.SaveToFile((FFolder / "response.xml").string());
    EXPECT_EQ(ReadFile(FFolder / "response.xml"), "<DescrizioneErrore>Già presente</DescrizioneErrore>\n");
}

TEST_F(RestMessageFile, AMaskedFileLeavesTheDocumentAsItWas)
{
    TRestMessage request("");
    const IXMLNode root = request.XMLDocument()->BindRoot("Info", &MakeNode<TXMLNode>, "");
    root->SetChildText("PasswordClienteQor", "pw");
    root->SetChildText("SedeQor", "MI");
    const auto path = FFolder / "request.xml";
    request.SaveToFile(path.string(), {"PasswordClienteQor", "********"});
    EXPECT_EQ(ReadFile(path),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
              "<Info><PasswordClienteQor>********</PasswordClienteQor><SedeQor>MI</SedeQor></Info>\n");
    EXPECT_EQ(root->XML(), "<Info><PasswordClienteQor>pw</PasswordClienteQor><SedeQor>MI</SedeQor></Info>");

    // A file that cannot be written leaves the document unmasked too.
    EXPECT_THROW(request.SaveToFile((FFolder / "missing" / "a.xml").string(), {"PasswordClienteQor", "x"}), Exception);
    EXPECT_EQ(root->ChildText("PasswordClienteQor"), "pw");
}

TEST_F(RestMessageFile, AFileThatCannotBeWrittenFails)
{
    TRestMessage message("<a/>");
    const auto path = FFolder / "missing" / "a.xml";
    EXPECT_EQ(ErrorOf([&] { message.SaveToFile(path.string()); }),
              "Cannot create file \"" + path.string() + "\". No such file or directory");
    EXPECT_EQ(message.XMLDocument()->XML(), "<a/>\n");
}

}  // namespace
}  // namespace qorita::labelservice
