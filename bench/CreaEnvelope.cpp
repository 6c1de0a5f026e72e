// Writes the AddParcel envelope the program posts for an archived request: the
// floor of a Crea run (bench/crea.sh) posts it as it stands, since building it
// is CPU work of the program and not input or output.
//
//   bench_crea_envelope ARCHIVED_REQUEST PASSWORD WRAPPER_NAMESPACE ENVELOPE_FILE
//
// The archive masks the courier password: PASSWORD is written in its place.

#include "common/DurableFile.h"
#include "labelservice/Rest.Envelope.h"
#include "labelservice/RestMessage.h"
#include "xml/XMLNode.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fputs("usage: bench_crea_envelope ARCHIVED_REQUEST PASSWORD WRAPPER_NAMESPACE ENVELOPE_FILE\n", stderr);
        return 2;
    }
    try {
        std::string archived;
        if (!qorita::ReadWholeFile(argv[1], archived)) throw std::runtime_error(std::string("no file ") + argv[1]);
        const qorita::labelservice::TRestMessage request(archived);
        const qorita::xml::IXMLNode info = request.XMLDocument()->DocumentElement();
        info->SetChildText("PasswordClienteQor", argv[2]);
        const std::string envelope =
            qorita::labelservice::BuildEnvelope("AddParcel", argv[3], {{"XMLInfoParcel", info->XML()}});
        qorita::WriteFileDurably(argv[4], envelope);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_crea_envelope: %s\n", error.what());
        return 1;
    }
    return 0;
}
