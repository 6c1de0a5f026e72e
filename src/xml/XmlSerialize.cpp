#include "common/Exception.h"
#include "xml/LibXml.h"

namespace qorita::xml::libxml {

int AppendToString(void* AContext, const char* ABuffer, int ALength)
{
    static_cast<std::string*>(AContext)->append(ABuffer, static_cast<std::size_t>(ALength));
    return ALength;
}

bool SerializeTo(xmlNode* ANode, xmlOutputWriteCallback AWrite, void* AContext)
{
    // UTF-8 as held (naming the encoding keeps non-ASCII characters as they
    // are instead of character references), with no conversion pass.
    std::unique_ptr<xmlOutputBuffer, int (*)(xmlOutputBuffer*)> output(
        xmlOutputBufferCreateIO(AWrite, nullptr, AContext, nullptr), xmlOutputBufferClose);
    if (!output) throw std::bad_alloc();
    if (ANode->type == XML_DOCUMENT_NODE) {
        for (xmlNode* child = ANode->children; child != nullptr; child = child->next) {
            xmlNodeDumpOutput(output.get(), ANode->doc, child, 0, 0, "UTF-8");
            xmlOutputBufferWrite(output.get(), 1, "\n");
        }
    } else {
        xmlNodeDumpOutput(output.get(), ANode->doc, ANode, 0, 0, "UTF-8");
    }
    const int error = output->error;
    const int closed = xmlOutputBufferClose(output.release());
    return error == 0 && closed >= 0;
}

std::string Serialize(xmlNode* ANode)
{
    // Written straight into the string, with no intermediate buffer to grow
    // and copy.
    std::string result;
    if (!SerializeTo(ANode, AppendToString, &result)) throw Exception("The XML document could not be serialized");
    return result;
}

}  // namespace qorita::xml::libxml
