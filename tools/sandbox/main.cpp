// qorita-sandbox: runs the sandbox courier until SIGTERM or SIGINT.

#include "Numbers.h"
#include "SandboxCourier.h"
#include "Wsdl.h"
#include "common/Exception.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

namespace {

constexpr const char* Usage =
    "Usage: qorita-sandbox [--port N] [--state DIR] [--site XX] [--customer N] [--password P]\n"
    "                      [--label-size BYTES] [--wsdl-style STYLE]\n"
    "                      [--answer-shape undeclared|inherited] [--transfer length|chunked]\n"
    "\n"
    "A stand-in for the courier's label web service over HTTPS on 127.0.0.1.\n"
    "\n"
    "  --port N       port to listen on; 0 (the default) takes any free port\n"
    "  --state DIR    keep the certificate authority, the server certificate and the\n"
    "                 registered shipments in DIR and reuse them on the next start;\n"
    "                 without it everything lives in a temporary folder removed on exit\n"
    "  --site XX      the only site code (SedeQor) accepted; default: any site code\n"
    "  --customer N   the only customer code (CodiceClienteQor) accepted, 1 to 999999;\n"
    "                 default 0: any customer code\n"
    "  --password P   the password (PasswordClienteQor) every request must carry,\n"
    "                 1 to 10 characters; default: sandbox\n"
    "  --label-size BYTES\n"
    "                 pad every ZPL label with comment lines (^FX) to at least BYTES\n"
    "                 bytes, up to 16777216; default 0: no padding (about 1 KB)\n"
    "  --wsdl-style STYLE\n"
    "                 how the service description names the namespace of the request\n"
    "                 wrappers: body-namespace (the default) in every soap:body;\n"
    "                 schema-element only through the elements of the message parts,\n"
    "                 declared in the types schema under a namespace of their own, as\n"
    "                 SOAP toolkits describe document/literal services (SOAP 1.2 binding\n"
    "                 and port listed first). A wrapper in another namespace gets a\n"
    "                 SOAP fault in both styles\n"
    "  --answer-shape undeclared|inherited\n"
    "                 the answer's payload undeclares the wrapper's namespace\n"
    "                 (xmlns=\"\", the default) or inherits it\n"
    "  --transfer length|chunked\n"
    "                 answers sent whole with Content-Length (the default) or in chunks\n"
    "  --help         this text\n"
    "\n"
    "Credentials: a request is accepted when its password equals --password and its\n"
    "site code and customer code match --site and --customer where those are given.\n"
    "Shipments belong to the customer code that registered them: confirming or deleting\n"
    "another customer's number answers \"non presente\".\n"
    "\n"
    "Courier behaviour: AddParcel gives one shipment number per request and a label per\n"
    "parcel (GeneraPdf 6: ZPL text, 4: base64 PDF); a parcel without consignee or zip\n"
    "code, or with a weight of 0, is refused with a note. A counter (ContatoreProgressivo)\n"
    "the customer registered before is answered with that registration and not\n"
    "registered again. A confirmed shipment can no longer be deleted.\n"
    "\n"
    "On start one line is printed and flushed:\n"
    "  wsdl=https://127.0.0.1:PORT/zanwebservice.asmx?WSDL ca=PATH\n"
    "where PATH (the rest of the line) is the PEM file of the certificate authority that\n"
    "signed the server certificate. The server stops cleanly on SIGTERM or SIGINT.\n";

[[noreturn]] void Fail(const std::string& AMessage)
{
    std::cerr << "qorita-sandbox: " << AMessage << "\n" << Usage;
    std::exit(2);
}

std::int32_t IntOption(std::string_view AName, const char* AValue)
{
    const auto value = qorita::sandbox::ParseInt(AValue);
    if (!value) {
        Fail(std::string(AName) + " needs a whole number, not '" + AValue + "'");
    }
    return *value;
}

}  // namespace

int main(int argc, char** argv)
{
    qorita::sandbox::TSandboxOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (name == "--help" || name == "-h") {
            std::cout << Usage;
            return 0;
        }
        if (i + 1 >= argc) {
            Fail("unknown option or missing value: " + std::string(name));
        }
        const char* value = argv[++i];
        if (name == "--port") {
            options.Port = IntOption(name, value);
            if (options.Port < 0 || options.Port > 65535) {
                Fail("--port must lie between 0 and 65535");
            }
        } else if (name == "--state") {
            options.StateFolder = value;
        } else if (name == "--site") {
            options.Credentials.SedeQor = value;
        } else if (name == "--customer") {
            options.Credentials.CodiceClienteQor = IntOption(name, value);
        } else if (name == "--password") {
            options.Credentials.PasswordClienteQor = value;
        } else if (name == "--label-size") {
            const std::int32_t size = IntOption(name, value);
            if (size < 0 || size > 16 * 1024 * 1024) {
                Fail("--label-size must lie between 0 and 16777216");
            }
            options.ZplLabelSize = static_cast<std::size_t>(size);
        } else if (name == "--answer-shape") {
            const std::string_view shape = value;
            if (shape != "undeclared" && shape != "inherited") {
                Fail("--answer-shape must be undeclared or inherited, not '" + std::string(shape) + "'");
            }
            options.InheritedPayloadNamespace = shape == "inherited";
        } else if (name == "--transfer") {
            const std::string_view transfer = value;
            if (transfer != "length" && transfer != "chunked") {
                Fail("--transfer must be length or chunked, not '" + std::string(transfer) + "'");
            }
            options.Chunked = transfer == "chunked";
        } else if (name == "--wsdl-style") {
            if (!qorita::sandbox::ParseStyleName(value, options.WsdlStyle)) {
                Fail("--wsdl-style must be body-namespace or schema-element, not '" + std::string(value) + "'");
            }
        } else {
            Fail("unknown option " + std::string(name));
        }
    }

    // Blocked before any thread starts, so every server thread inherits the mask and
    // the signals reach the sigwait below only.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        qorita::sandbox::TSandboxCourier sandbox(options);
        sandbox.Start();
        std::cout << "wsdl=" << sandbox.WsdlUrl() << " ca=" << sandbox.CaFile().string() << std::endl;
        int signal = 0;
        sigwait(&stopSignals, &signal);
        sandbox.Stop();
    } catch (const std::exception& error) {
        std::cerr << "qorita-sandbox: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
