#include "xml/XMLDocument.h"
#include "xml/XMLNode.h"
#include "xml/XMLNodeCollection.h"

#include "ErrorOf.h"
#include "common/Exception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qorita::xml {
namespace {

using test::ErrorOf;

IXMLNode Root(const std::string& AText) { return TXMLDocument::Parse(AText)->DocumentElement(); }

TEST(XMLNode, ChildrenStandInTheOrderTheyWereFirstReached)
{
    const IXMLNode root = Root("<r/>");
    root->SetChildText("b", "1");
    root->SetChildInteger("a", 2);
    root->SetChildText("b", "3");         // replaced in place
    EXPECT_EQ(root->ChildText("c"), "");  // a read adds the missing element, empty
    EXPECT_EQ(root->XML(), "<r><b>3</b><a>2</a><c></c></r>");
}

TEST(XMLNode, ChildLookupStaysInTheElementsNamespaceAndPrefix)
{
    const IXMLNode prefixed = Root("<q:r xmlns:q=\"urn:x\"><b>no namespace</b><q:b>found</q:b></q:r>");
    EXPECT_EQ(prefixed->ChildText("b"), "found");
    prefixed->SetChildText("new", "v");
    EXPECT_EQ(prefixed->XML(), "<q:r xmlns:q=\"urn:x\"><b>no namespace</b><q:b>found</q:b><q:new>v</q:new></q:r>");

    const IXMLNode defaulted = Root("<r xmlns=\"urn:x\"><b>found</b></r>");
    EXPECT_EQ(defaulted->ChildText("b"), "found");
    defaulted->SetChildText("c", "v");
    EXPECT_EQ(defaulted->ChildNode("c")->NamespaceURI(), "urn:x");
    EXPECT_EQ(defaulted->XML(), "<r xmlns=\"urn:x\"><b>found</b><c>v</c></r>");
}

TEST(XMLNode, MarkupOfAnElementDeclaresTheNamespacesItUses)
{
    const IXMLNode prefixed = Root("<q:r xmlns:q=\"urn:x\"><q:b><q:c>1</q:c></q:b></q:r>");
    EXPECT_EQ(prefixed->ChildNode("b")->XML(), "<q:b xmlns:q=\"urn:x\"><q:c>1</q:c></q:b>");
    const IXMLNode defaulted = Root("<r xmlns=\"urn:x\"><b>1</b></r>");
    EXPECT_EQ(defaulted->ChildNode("b")->XML(), "<b xmlns=\"urn:x\">1</b>");
    EXPECT_EQ(Root("<r><b>1</b></r>")->ChildNode("b")->XML(), "<b>1</b>");
}

TEST(XMLNode, ChildPositionNeverCreates)
{
    const IXMLNode root = Root("<r><a/><b/></r>");
    EXPECT_EQ(root->IndexOfChild("b"), 1);
    EXPECT_EQ(root->IndexOfChild("missing"), -1);
    EXPECT_EQ(root->XML(), "<r><a/><b/></r>");
}

TEST(XMLNode, TextNeedsASingleTextOrCdataNode)
{
    const IXMLNode root = Root(
        "<r><cdata><![CDATA[<raw>]]></cdata><nested><x/></nested><mixed>a<x/></mixed><note><!--c--></note>"
        "<refs>a &amp; &#232; b</refs></r>");
    EXPECT_EQ(root->ChildText("cdata"), "<raw>");
    EXPECT_EQ(root->ChildText("refs"), "a & è b");
    for (const char* name : {"nested", "mixed", "note"}) {
        EXPECT_EQ(ErrorOf([&] { root->ChildText(name); }),
                  std::string("Element \"") + name + "\" does not contain a single text node");
        EXPECT_EQ(ErrorOf([&] { root->SetChildText(name, "x"); }),
                  std::string("Element \"") + name + "\" does not contain a single text node");
    }
    EXPECT_EQ(ErrorOf([&] { Root("<q:r xmlns:q=\"urn:x\"><q:x/></q:r>")->Text(); }),
              "Element \"q:r\" does not contain a single text node");
    root->SetChildText("cdata", "");
    EXPECT_EQ(root->ChildNode("cdata")->XML(), "<cdata><![CDATA[]]></cdata>");
}

TEST(XMLNode, ValuesAreWrittenByTheirKind)
{
    const IXMLNode root = Root("<r/>");
    root->ChildNode("i")->SetNodeValue(std::int32_t{-5});
    root->ChildNode("z")->SetNodeValue(std::int32_t{0});
    root->ChildNode("d")->SetNodeValue(12.0);
    root->ChildNode("n")->SetNodeValue(std::numeric_limits<double>::quiet_NaN());
    root->ChildNode("b")->SetNodeValue(true);
    root->ChildNode("t")->SetNodeValue(std::string_view("x<y"));
    root->ChildNode("l")->SetNodeValue("literal");
    EXPECT_EQ(root->XML(), "<r><i>-5</i><z>0</z><d>12</d><n>NaN</n><b>true</b><t>x&lt;y</t><l>literal</l></r>");
    EXPECT_EQ(root->ChildNode("missing")->NodeValue(), std::nullopt);
    EXPECT_EQ(root->ChildNode("i")->NodeValue(), "-5");
}

TEST(XMLNode, TypedReadsAndTheirErrors)
{
    const IXMLNode root = Root("<r><i>42</i><e/><d> 2.5 </d><s>   </s><inf>inf</inf><comma>1,5</comma></r>");
    EXPECT_EQ(root->ChildInteger("i"), 42);
    EXPECT_EQ(ErrorOf([&] { root->ChildInteger("e"); }),
              "Could not convert variant of type (Null) into type (Integer)");
    EXPECT_EQ(ErrorOf([&] { root->ChildInteger("missing"); }),
              "Could not convert variant of type (Null) into type (Integer)");
    EXPECT_EQ(root->IndexOfChild("missing"), 6);  // the failed read left it, empty, at the end
    EXPECT_EQ(root->ChildDecimal("d"), 2.5);
    EXPECT_EQ(root->ChildDecimal("s"), 0.0);
    EXPECT_EQ(root->ChildDecimal("inf"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ErrorOf([&] { root->ChildDecimal("comma"); }), "'1,5' is not a valid floating point value");
}

TEST(XMLNode, WrittenTextIsAlwaysWellFormedUtf8)
{
    const IXMLNode root = Root("<r/>");
    root->SetChildText("t", "a\xE8z");
    EXPECT_EQ(root->ChildText("t"), "a\xEF\xBF\xBDz");
    EXPECT_NO_THROW(TXMLDocument::Parse(root->XML()));
}

TEST(XMLNode, TheXmlnsAttributeIsTheDefaultNamespaceDeclaration)
{
    const IXMLNode root = Root("<r xmlns=\"urn:x\" a=\"1\"><c/></r>");
    EXPECT_EQ(root->Attribute("xmlns"), "urn:x");
    EXPECT_EQ(root->Attribute("a"), "1");
    EXPECT_EQ(root->Attribute("missing"), "");
    root->SetAttribute("xmlns", "urn:y");
    root->SetAttribute("a", "2");
    EXPECT_EQ(root->XML(), "<r xmlns=\"urn:y\" a=\"2\"><c/></r>");
    EXPECT_EQ(root->ChildNode("c")->NamespaceURI(), "urn:y");

    const IXMLNode plain = Root("<r/>");
    EXPECT_EQ(plain->Attribute("xmlns"), "");
    plain->SetAttribute("xmlns", "urn:z");
    EXPECT_EQ(plain->XML(), "<r xmlns=\"urn:z\"/>");
}

class XMLNodeCollectionTest : public ::testing::Test {
protected:
    IXMLDocument FDocument = TXMLDocument::Parse("<r><item>1</item><other/><item>2</item></r>");
    IXMLNodeCollection FList =
        std::make_shared<TXMLNodeCollection>(FDocument, FDocument->DocumentElement()->Handle(), "item", nullptr);
};

TEST_F(XMLNodeCollectionTest, CountsOnlyTheItemTag)
{
    EXPECT_EQ(FList->Count(), 2);
    EXPECT_EQ(FList->Item(1)->Text(), "2");
    EXPECT_EQ(ErrorOf([&] { FList->Item(2); }), "List index out of bounds (2)");
    EXPECT_EQ(ErrorOf([&] { FList->Item(-1); }), "List index out of bounds (-1)");
}

TEST_F(XMLNodeCollectionTest, AddAppendsAndInsertPlacesAmongAllChildren)
{
    FList->Add()->SetText("3");
    FList->Insert(1)->SetText("0");
    FList->Insert(-1)->SetText("4");
    EXPECT_EQ(FDocument->DocumentElement()->XML(),
              "<r><item>1</item><item>0</item><other/><item>2</item><item>3</item><item>4</item></r>");
    EXPECT_EQ(FList->Count(), 5);
    EXPECT_EQ(FList->Item(1)->Text(), "0");
    EXPECT_EQ(ErrorOf([&] { FList->Insert(9); }), "List index out of bounds (9)");
}

TEST_F(XMLNodeCollectionTest, SeesItemsAddedThroughAnyViewOfTheListingElement)
{
    EXPECT_EQ(FList->Count(), 2);
    FDocument->DocumentElement()->ChildNode("absent")->ChildNode("item");  // a grandchild: not an item
    EXPECT_EQ(FList->Count(), 2);
    auto other =
        std::make_shared<TXMLNodeCollection>(FDocument, FDocument->DocumentElement()->Handle(), "item", nullptr);
    other->Add()->SetText("new");
    EXPECT_EQ(FList->Count(), 3);
    EXPECT_EQ(FList->Item(2)->Text(), "new");
}

TEST_F(XMLNodeCollectionTest, AListWithoutItemTagRefusesToWork)
{
    TXMLNodeCollection untagged(FDocument, FDocument->DocumentElement()->Handle(), "", nullptr);
    EXPECT_EQ(ErrorOf([&] { untagged.Count(); }), "ItemTag property is not initialized");
    EXPECT_EQ(ErrorOf([&] { untagged.Add(); }), "ItemTag property is not initialized");
}

}  // namespace
}  // namespace qorita::xml
