// The lookup of an operation's endpoint, action and namespace in the courier's
// service description and the descriptions it imports, read from local files as
// a configured location would be. An Exception is the expected refusal;
// anything else that escapes, and any crash or sanitizer report, is a finding.
//
// The input holds up to three descriptions separated by a line "====": the
// first is d.wsdl, the others a.wsdl and b.wsdl, all in a folder of their own.
// A description may import any local file or URL, which would have the fuzzer
// read devices or go to the network: an input in which any import names
// something other than these three files is skipped. The harness reads each
// text with the same libxml2 and options as the program, so it sees the very
// imports the program would follow.

#include "TempFolder.h"
#include "common/Exception.h"
#include "labelservice/Rest.Description.h"
#include "labelservice/http/HttpClient.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::array<const char*, 3> FileNames = {"d.wsdl", "a.wsdl", "b.wsdl"};
constexpr std::string_view Separator = "\n====\n";

std::string Trim(const std::string& AText)
{
    const auto first = AText.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = AText.find_last_not_of(" \t\r\n");
    return AText.substr(first, last - first + 1);
}

bool ImportsOnlyOurFiles(const xmlNode* ANode)
{
    for (; ANode != nullptr; ANode = ANode->next) {
        if (ANode->type != XML_ELEMENT_NODE) continue;
        if (xmlStrcmp(ANode->name, reinterpret_cast<const xmlChar*>("import")) == 0) {
            if (xmlChar* value = xmlGetNoNsProp(ANode, reinterpret_cast<const xmlChar*>("location"))) {
                const std::string location = Trim(reinterpret_cast<const char*>(value));
                xmlFree(value);
                bool ours = location.empty();
                for (const char* name : FileNames) ours = ours || location == name;
                if (!ours) return false;
            }
        }
        if (!ImportsOnlyOurFiles(ANode->children)) return false;
    }
    return true;
}

bool ImportsOnlyOurFiles(std::string_view AText)
{
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOBLANKS;
    xmlDoc* doc = xmlReadMemory(AText.data(), static_cast<int>(AText.size()), nullptr, nullptr, options);
    if (doc == nullptr) return true;  // the program cannot read it either
    const bool ours = ImportsOnlyOurFiles(doc->children);
    xmlFreeDoc(doc);
    return ours;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize)
{
    const std::string_view input(reinterpret_cast<const char*>(AData), ASize);
    std::vector<std::string_view> texts;
    for (std::size_t start = 0; texts.size() < FileNames.size();) {
        const std::size_t end = texts.size() + 1 < FileNames.size() ? input.find(Separator, start) : input.npos;
        texts.push_back(input.substr(start, end == input.npos ? input.npos : end - start));
        if (end == input.npos) break;
        start = end + Separator.size();
    }
    for (const std::string_view text : texts)
        if (!ImportsOnlyOurFiles(text)) return 0;

    // The description files, one folder per fuzzing process, removed at exit.
    static const qorita::support::TTempFolder folder("qorita-fuzz-wsdl");
    static qorita::http::THttpClient client("");
    for (std::size_t i = 0; i < FileNames.size(); ++i) {
        const std::filesystem::path path = folder.Path() / FileNames[i];
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        if (i < texts.size()) {
            std::ofstream file(path, std::ios::binary | std::ios::trunc);
            file.write(texts[i].data(), static_cast<std::streamsize>(texts[i].size()));
        }
    }
    try {
        qorita::labelservice::TServiceDescription description((folder.Path() / FileNames[0]).string(), client);
        for (const char* operation : {"AddParcel", "CloseWorkDayByShipmentNumber", "DeleteSped"}) {
            try {
                const auto binding = description.Resolve(operation);
                if (binding.Endpoint.empty()) __builtin_trap();  // Resolve promises an endpoint or an Exception
            } catch (const qorita::Exception&) {
            }
        }
    } catch (const qorita::Exception&) {
    }
    return 0;
}
