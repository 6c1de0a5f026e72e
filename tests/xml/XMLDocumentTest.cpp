#include "xml/XMLDocument.h"
#include "xml/XMLNode.h"

#include "ErrorOf.h"
#include "common/Exception.h"

#include <gtest/gtest.h>

namespace qorita::xml {
namespace {

using test::ErrorOf;

std::string ParseError(const std::string& AText)
{
    return ErrorOf([&] { TXMLDocument::Parse(AText); });
}

TEST(XMLDocument, DeclarationAttributesKeepTheirOrderWhateverTheOrderSet)
{
    const auto standaloneFirst = TXMLDocument::Create();
    standaloneFirst->SetStandalone("yes");
    standaloneFirst->SetEncoding("UTF-8");
    const auto encodingFirst = TXMLDocument::Create();
    encodingFirst->SetEncoding("UTF-8");
    encodingFirst->SetStandalone("yes");
    EXPECT_EQ(standaloneFirst->XML(), encodingFirst->XML());
    EXPECT_EQ(encodingFirst->XML(), "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n");

    const auto versionOnly = TXMLDocument::Create();
    EXPECT_EQ(versionOnly->XML(), "<?xml version=\"1.0\"?>\n");
}

TEST(XMLDocument, ADocumentFromTextKeepsOnlyWhatTheTextHolds)
{
    const auto plain = TXMLDocument::Parse("<DescrizioneErrore/>");
    EXPECT_FALSE(plain->HasDeclaration());
    EXPECT_EQ(plain->XML(), "<DescrizioneErrore/>\n");

    const auto declared = TXMLDocument::Parse("<?xml version=\"1.0\" standalone=\"no\"?><a>x</a>");
    EXPECT_EQ(declared->XML(), "<?xml version=\"1.0\" standalone=\"no\"?>\n<a>x</a>\n");
}

TEST(XMLDocument, TheTextIsReadAsUtf8WhateverEncodingItsDeclarationNames)
{
    const auto document = TXMLDocument::Parse("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>città</a>");
    EXPECT_EQ(document->DocumentElement()->Text(), "città");
    // Written as UTF-8, so the declaration says so.
    EXPECT_EQ(document->XML(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a>città</a>\n");
}

TEST(XMLDocument, ALeadingByteOrderMarkIsDropped)
{
    const auto document = TXMLDocument::Parse("\xEF\xBB\xBF<a>x</a>");
    EXPECT_EQ(document->DocumentElement()->Text(), "x");
    EXPECT_EQ(document->XML(), "<a>x</a>\n");
}

TEST(XMLDocument, WhitespaceBetweenElementsIsNotKept)
{
    const auto document = TXMLDocument::Parse("<a>\n  <b>1</b>\r\n  <c>  </c>\n</a>");
    EXPECT_EQ(document->DocumentElement()->XML(), "<a><b>1</b><c>  </c></a>");
}

TEST(XMLDocument, ParseErrorsGiveReasonLineAndTheStartOfTheLine)
{
    EXPECT_EQ(ParseError("<Info>\n<SedeQor>AB</Sede>\n</Info>"),
              "Opening and ending tag mismatch: SedeQor line 2 and Sede\r\nLine: 2\r\n<SedeQor>AB</Sede>");
    EXPECT_EQ(ParseError(""), "Document is empty\r\nLine: 1\r\n");
    EXPECT_EQ(ParseError("<a>1</a><b/>"), "Extra content at the end of the document\r\nLine: 1\r\n<a>1</a><b/>");
    // Only the first 40 characters of the offending line are quoted.
    const std::string longLine = "<a x=\"" + std::string(60, 'y') + "\" x=\"z\"/>";
    EXPECT_EQ(ParseError(longLine), "Attribute x redefined\r\nLine: 1\r\n" + longLine.substr(0, 40));
    // A prefix that was never declared is refused too.
    EXPECT_EQ(ParseError("<p:a/>"), "Namespace prefix p on a is not defined\r\nLine: 1\r\n<p:a/>");
}

TEST(XMLDocument, TheErrorOfOneParseDoesNotReachTheNext)
{
    const std::string first = ParseError("<a>\n<b></a>");
    EXPECT_NE(first.find("Line: 2"), std::string::npos) << first;
    EXPECT_EQ(TXMLDocument::Parse("<c>ok</c>")->DocumentElement()->Text(), "ok");
    EXPECT_EQ(ParseError("<d>"), "Premature end of data in tag d line 1\r\nLine: 1\r\n<d>");
}

TEST(XMLDocument, RootBindingTypesTheRootByNameInAnyNamespace)
{
    struct TRootType : TXMLNode {
        using TXMLNode::TXMLNode;
    };
    for (const char* text : {"<Info/>", "<Info xmlns=\"urn:courier\"/>", "<q:Info xmlns:q=\"urn:courier\"/>"}) {
        const auto document = TXMLDocument::Parse(text);
        EXPECT_NE(std::dynamic_pointer_cast<TRootType>(document->BindRoot("Info", &MakeNode<TRootType>, "")), nullptr)
            << text;
    }
    const auto other = TXMLDocument::Parse("<Fault/>");
    const IXMLNode plain = other->BindRoot("Info", &MakeNode<TRootType>, "");
    EXPECT_EQ(plain->LocalName(), "Fault");
    EXPECT_EQ(ErrorOf([&] { Supports<TRootType>(plain); }), "Interface not supported");
    // A namespace named in the binding must match.
    const auto namespaced = TXMLDocument::Parse("<Info xmlns=\"urn:other\"/>");
    EXPECT_EQ(std::dynamic_pointer_cast<TRootType>(namespaced->BindRoot("Info", &MakeNode<TRootType>, "urn:courier")),
              nullptr);
}

TEST(XMLDocument, AMaskedCopyHidesTheTextOfEveryElementOfThatNameAndOnlyThere)
{
    const TTextMask mask{"PasswordClienteQor", "********"};
    struct TCase {
        const char* Name;
        std::string Text;
        std::string Masked;
    };
    const std::vector<TCase> cases = {
        {"a child of the root",
         "<Info><SedeQor>MI</SedeQor><PasswordClienteQor>s&amp;3&lt;cret</PasswordClienteQor></Info>",
         "<Info><SedeQor>MI</SedeQor><PasswordClienteQor>********</PasswordClienteQor></Info>\n"},
        {"every one, at any depth and in any namespace, whatever it holds",
         "<Info><PasswordClienteQor>a</PasswordClienteQor><Parcel><p:PasswordClienteQor xmlns:p=\"urn:x\">b<c>d</c>"
         "</p:PasswordClienteQor></Parcel><PasswordClienteQor/><PasswordClienteQorX>kept</PasswordClienteQorX></Info>",
         "<Info><PasswordClienteQor>********</PasswordClienteQor><Parcel><p:PasswordClienteQor xmlns:p=\"urn:x\">"
         "********</p:PasswordClienteQor></Parcel><PasswordClienteQor>********</PasswordClienteQor>"
         "<PasswordClienteQorX>kept</PasswordClienteQorX></Info>\n"},
        {"the root itself", "<?xml version=\"1.0\"?><PasswordClienteQor>0123456789</PasswordClienteQor>",
         "<?xml version=\"1.0\"?>\n<PasswordClienteQor>********</PasswordClienteQor>\n"},
        {"none", "<!--c--><Info><SedeQor>MI</SedeQor></Info>", "<!--c-->\n<Info><SedeQor>MI</SedeQor></Info>\n"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto document = TXMLDocument::Parse(c.Text);
        const std::string original = document->XML();
        EXPECT_EQ(document->XML(mask), c.Masked);
        // The document itself still holds every text as it was.
        EXPECT_EQ(document->XML(), original);
    }
    const auto document = TXMLDocument::Parse("<Info><PasswordClienteQor>s3cret</PasswordClienteQor></Info>");
    const IXMLNode root = document->DocumentElement();
    document->XML(mask);
    EXPECT_EQ(root->ChildText("PasswordClienteQor"), "s3cret");
}

TEST(XMLDocument, AHeldRootViewKeepsTheDocumentAlive)
{
    IXMLNode root;
    {
        const auto document = TXMLDocument::Parse("<a><b>kept</b></a>");
        root = document->DocumentElement();
    }
    EXPECT_EQ(root->ChildText("b"), "kept");
}

}  // namespace
}  // namespace qorita::xml
