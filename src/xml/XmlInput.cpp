#include "xml/XmlInput.h"

#include "common/Exception.h"
#include "xml/LibXml.h"
#include "xml/XmlParser.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

namespace qorita::xml {

namespace {

// The pieces handed to the parser at a time: a text at hand is parsed as an
// answer of that size would arrive.
constexpr std::size_t kPieceBytes = 64u << 10;
// The room kept between texts for gathering the next one.
constexpr std::size_t kKeptTextRoom = 1u << 20;

// The start of the most recent lines of received bytes, for the line a parse
// error quotes (SourceLine, TXmlOrigin::Received): the bytes themselves are
// gone once parsed. An error is always at the parser's position, within the
// last few lines received, or on line 1 when it has no position.
class TReceivedLines {
public:
    void Append(std::string_view AData)
    {
        while (!AData.empty()) {
            TLine& current = FLines.empty() ? FFirst : FLines.back();
            const char* feed = static_cast<const char*>(std::memchr(AData.data(), '\n', AData.size()));
            const std::size_t end = feed == nullptr ? AData.size() : static_cast<std::size_t>(feed - AData.data());
            if (current.Start.size() < kStartBytes) {
                current.Start.append(AData.substr(0, std::min(end, kStartBytes - current.Start.size())));
            }
            if (feed == nullptr) return;
            AData.remove_prefix(end + 1);
            FLines.push_back({current.Number + 1, {}});
            if (FLines.size() > kKeptLines) {
                if (FLines.front().Number == FPinned) FPinnedLine = std::move(FLines.front());
                FLines.pop_front();
            }
        }
    }

    // Keeps ALine while the rest of the text arrives.
    void Pin(int ALine) { FPinned = ALine < 1 ? 1 : static_cast<std::size_t>(ALine); }

    std::string Line(int ALine) const
    {
        const std::size_t number = ALine < 1 ? 1 : static_cast<std::size_t>(ALine);
        const TLine* line = nullptr;
        if (number == 1) line = &FFirst;
        else if (FPinnedLine && FPinnedLine->Number == number) line = &*FPinnedLine;
        else if (!FLines.empty() && number >= FLines.front().Number && number <= FLines.back().Number)
            line = &FLines[number - FLines.front().Number];
        return line != nullptr ? SourceLine(line->Start, 1, TXmlOrigin::Received) : std::string();
    }

private:
    // 40 characters never take more.
    static constexpr std::size_t kStartBytes = 160;
    static constexpr std::size_t kKeptLines = 4096;

    struct TLine {
        std::size_t Number;
        std::string Start;
    };

    TLine FFirst{1, {}};
    // The lines after the first, the most recent ones.
    std::deque<TLine> FLines;
    std::size_t FPinned = 0;
    std::optional<TLine> FPinnedLine;
};

}  // namespace

// One push parse with its own context and SAX handler: libxml2's own tree
// building, counted on the way.
class TXmlInput::TPushParse final : public libxml::TParserContext {
public:
    explicit TPushParse(std::size_t AMaxNodes)
        : TParserContext(TXmlOrigin::Received, NewContext()), FMaxNodes(AMaxNodes)
    {
        xmlCtxtUseOptions(Get(), libxml::ParseOptions(TXmlOrigin::Received));
    }

    void Feed(std::string_view AData)
    {
        while (!AData.empty()) {
            const std::string_view piece = AData.substr(0, kPieceBytes);
            FLines.Append(piece);
            KeepTail(piece);
            if (!Stopped()) xmlParseChunk(Get(), piece.data(), static_cast<int>(piece.size()), 0);
            AData.remove_prefix(piece.size());
        }
    }

    TParsedXml Finish(std::size_t AReceived)
    {
        FReceived = AReceived;
        FEnding = true;
        if (!Stopped()) xmlParseChunk(Get(), nullptr, 0, 1);
        xmlParserCtxt* ctxt = Get();
        TDocPtr doc(ctxt->myDoc);
        ctxt->myDoc = nullptr;
        if (!FRefusal.empty()) throw Exception(FRefusal);
        if (!Accepts(doc.get())) throw Exception(ErrorMessage());
        return TParsedXml(std::move(doc), ctxt->nsWellFormed != 0);
    }

private:
    static xmlParserCtxt* NewContext()
    {
        libxml::EnsureInitialized();
        xmlSAXHandler handler;
        std::memset(&handler, 0, sizeof handler);
        if (xmlSAXVersion(&handler, 2) != 0) return nullptr;
        handler.startElementNs = &StartElement;
        handler.endElementNs = &EndElement;
        handler.characters = &Characters;
        handler.cdataBlock = &CData;
        handler.comment = &Comment;
        handler.processingInstruction = &Instruction;
        handler.reference = &Reference;
        // The context takes a copy of the handler; the user data is the context.
        return xmlCreatePushParserCtxt(&handler, nullptr, nullptr, 0, nullptr);
    }

    // The last bytes received, where a text cut short ends.
    void KeepTail(std::string_view APiece)
    {
        constexpr std::size_t kTailBytes = 512;
        if (APiece.size() >= kTailBytes) {
            FTail.assign(APiece.substr(APiece.size() - kTailBytes));
            return;
        }
        FTail.append(APiece);
        if (FTail.size() > 2 * kTailBytes) FTail.erase(0, FTail.size() - kTailBytes);
    }

    static TPushParse& Self(void* AContext) { return static_cast<TPushParse&>(Of(AContext)); }

    bool Stopped() const { return !FRefusal.empty() || Get()->wellFormed == 0 || Get()->disableSAX != 0; }

    // Counts ACount more nodes; false (and the parse stopped) past the bound.
    bool Add(std::size_t ACount)
    {
        FNodes += ACount;
        if (FNodes <= FMaxNodes) return true;
        Refuse(Format("XML text refused: more than %zu nodes", FMaxNodes));
        return false;
    }

    void Refuse(std::string AMessage)
    {
        if (FRefusal.empty()) FRefusal = std::move(AMessage);
        xmlStopParser(Get());
    }

    // The push parser names a text that ends too soon by where it ended, not
    // by what is missing; these are the reasons a text read whole gives.
    std::string FirstError(int ACode, int ALine, std::string AReason) override
    {
        FLines.Pin(ALine);
        if (ACode == XML_ERR_DOCUMENT_EMPTY || (FEnding && !FRootStarted)) {
            return FReceived == 0 && FEnding ? "Document is empty" : "Start tag expected, '<' not found";
        }
        if (FEnding && !FOpen.empty()) {
            // Cut inside a tag: the tag is what a whole text's parse names.
            const std::size_t tag = FTail.rfind('<');
            if (tag != std::string::npos && FTail.find('>', tag) == std::string::npos) {
                const std::string_view rest = std::string_view(FTail).substr(tag + 1);
                if (rest.starts_with('/')) return "expected '>'";
                if (!rest.empty() && rest.find_first_of(" \t\r\n=\"'/!?&") == std::string_view::npos) {
                    return Format("Couldn't find end of Start Tag %s line %d", std::string(rest).c_str(), ALine);
                }
            }
            const TOpenElement& open = FOpen.back();
            std::string name;
            if (open.Prefix != nullptr) name.append(libxml::FromXml(open.Prefix)).append(":");
            name.append(libxml::FromXml(open.LocalName));
            return Format("Premature end of data in tag %s line %d", name.c_str(), open.Line);
        }
        return AReason;
    }
    std::string SourceLine(int ALine) const override { return FLines.Line(ALine); }

    static void StartElement(void* AContext, const xmlChar* ALocalName, const xmlChar* APrefix, const xmlChar* AUri,
                             int ANamespaces, const xmlChar** ANamespaceList, int AAttributes, int ADefaulted,
                             const xmlChar** AAttributeList)
    {
        EndText(AContext);
        TPushParse& self = Self(AContext);
        self.FRootStarted = true;
        self.FOpen.push_back({ALocalName, APrefix, xmlSAX2GetLineNumber(AContext)});
        // An attribute is a node with a text node for its value.
        if (!self.Add(1 + static_cast<std::size_t>(ANamespaces) + 2 * static_cast<std::size_t>(AAttributes))) return;
        xmlSAX2StartElementNs(AContext, ALocalName, APrefix, AUri, ANamespaces, ANamespaceList, AAttributes, ADefaulted,
                              AAttributeList);
    }

    static void EndElement(void* AContext, const xmlChar* ALocalName, const xmlChar* APrefix, const xmlChar* AUri)
    {
        EndText(AContext);
        TPushParse& self = Self(AContext);
        if (!self.FOpen.empty()) self.FOpen.pop_back();
        xmlSAX2EndElementNs(AContext, ALocalName, APrefix, AUri);
    }

    // libxml2 grows a text node that arrives in pieces by doubling its room,
    // which a large label keeps for as long as the tree lives: the pieces are
    // gathered here and the node is made once, at its size.
    static void Characters(void* AContext, const xmlChar* AText, int ALength)
    {
        TPushParse& self = Self(AContext);
        if (!self.FInText) {
            if (!self.Add(1)) return;
            self.FInText = true;
        }
        if (self.FText.size() + static_cast<std::size_t>(ALength) > MaxTextBytes) {
            const xmlNode* element = static_cast<xmlParserCtxt*>(AContext)->node;
            const std::string name = element != nullptr ? libxml::QualifiedName(element) : std::string();
            self.Refuse(Format("XML text refused: the text of element <%s> is larger than %zu bytes", name.c_str(),
                               MaxTextBytes));
            return;
        }
        self.FText.append(reinterpret_cast<const char*>(AText), static_cast<std::size_t>(ALength));
    }

    // Hands the gathered text to libxml2 before anything else happens in the
    // tree; the room stays for the next text unless it is a large one.
    static void EndText(void* AContext)
    {
        TPushParse& self = Self(AContext);
        self.FInText = false;
        if (self.FText.empty()) return;
        xmlSAX2Characters(AContext, libxml::ToXml(self.FText.c_str()), static_cast<int>(self.FText.size()));
        self.FText.clear();
        if (self.FText.capacity() > kKeptTextRoom) self.FText.shrink_to_fit();
    }

    static void CData(void* AContext, const xmlChar* AText, int ALength)
    {
        EndText(AContext);
        TPushParse& self = Self(AContext);
        if (self.Add(1)) xmlSAX2CDataBlock(AContext, AText, ALength);
    }

    static void Comment(void* AContext, const xmlChar* AText)
    {
        EndText(AContext);
        TPushParse& self = Self(AContext);
        if (self.Add(1)) xmlSAX2Comment(AContext, AText);
    }

    static void Instruction(void* AContext, const xmlChar* ATarget, const xmlChar* AData)
    {
        EndText(AContext);
        TPushParse& self = Self(AContext);
        if (self.Add(1)) xmlSAX2ProcessingInstruction(AContext, ATarget, AData);
    }

    static void Reference(void* AContext, const xmlChar* AName)
    {
        EndText(AContext);
        TPushParse& self = Self(AContext);
        if (self.Add(1)) xmlSAX2Reference(AContext, AName);
    }

    // An element not ended yet: its name (kept by the parser's dictionary) and
    // the line of its start tag.
    struct TOpenElement {
        const xmlChar* LocalName;
        const xmlChar* Prefix;
        int Line;
    };

    std::size_t FMaxNodes;
    std::size_t FNodes = 0;
    std::vector<TOpenElement> FOpen;
    bool FRootStarted = false;
    bool FEnding = false;
    std::size_t FReceived = 0;
    std::string FTail;
    bool FInText = false;
    std::string FText;
    std::string FRefusal;
    TReceivedLines FLines;
};

TXmlInput::TXmlInput(std::size_t AMaxNodes) : FParse(std::make_unique<TPushParse>(AMaxNodes)) {}

TXmlInput::TXmlInput(std::string_view AText, std::size_t AMaxNodes) : TXmlInput(AMaxNodes) { Append(AText); }

TXmlInput::~TXmlInput() = default;

bool TXmlInput::Append(std::string_view AData)
{
    if (!FParse) return false;
    FSize += AData.size();
    FParse->Feed(AData);
    return true;
}

std::size_t TXmlInput::Size() const { return FSize; }

TParsedXml TXmlInput::Parse()
{
    if (!FParse) throw Exception("The XML text was already parsed");
    const std::unique_ptr<TPushParse> parse = std::move(FParse);
    return parse->Finish(FSize);
}

}  // namespace qorita::xml
