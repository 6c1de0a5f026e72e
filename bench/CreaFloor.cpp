// bench_crea_floor: the least a Crea run has to do, as the yardstick for the
// real program in bench/run.sh. The same database work through the thin
// Firebird wrapper (one attach, the call row and the header locked in one
// concurrency + nowait transaction, the eight TABX values in a second short
// transaction, the parcels, one counter draw per parcel, parcels, header, one
// log row and the call row written, one commit), the same two HTTPS requests
// with plain libcurl on one handle (GET the service description, POST the
// AddParcel envelope), and the same two archive files. No XML tree anywhere:
// the request is built by appending text, the answer is cut by substring search.
// It trusts only the CA file from TABX (CURLOPT_CAINFO), where the program also
// keeps the system store: the floor's handshake is never the dearer one. Once
// committed and detached it leaves with _Exit, skipping the client library's
// exit handlers (which sleep after a server connection), as the program does.
//
// bench_crea_floor DATABASE CHIAMATA_ID
// The courier's location, CA file and archive folder come from TABX, as for
// the program.

#include "common/DateTime.h"
#include "common/Numbers.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbStatement.h"
#include "data/fb/FbTransaction.h"

#include <curl/curl.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace qorita;

struct TParcel {
    std::int32_t NCollo = 0;
    double PesoReale = 0.0;
    double ImportoContrassegno = 0.0;
    std::int32_t Contatore = 0;
    std::string Etichetta;
};

std::string Escape(std::string_view AText)
{
    std::string out;
    out.reserve(AText.size() + AText.size() / 8);
    for (const char c : AText) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '\r': out += "&#13;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Unescape(std::string_view AText)
{
    if (AText.find('&') == std::string_view::npos) return std::string(AText);
    std::string out;
    out.reserve(AText.size());
    for (std::size_t i = 0; i < AText.size(); ++i) {
        if (AText[i] != '&') {
            out += AText[i];
            continue;
        }
        const std::size_t end = AText.find(';', i);
        const std::string_view entity = AText.substr(i + 1, end - i - 1);
        if (entity == "amp") out += '&';
        else if (entity == "lt") out += '<';
        else if (entity == "gt") out += '>';
        else if (entity == "quot") out += '"';
        else if (entity == "apos") out += '\'';
        else if (entity == "#13") out += '\r';
        else out.append(AText.substr(i, end - i + 1));
        i = end;
    }
    return out;
}

void Element(std::string& AOut, std::string_view AName, std::string_view AValue)
{
    AOut.append("<").append(AName).append(">").append(Escape(AValue)).append("</").append(AName).append(">");
}

std::string Number(double AValue, int ADecimals)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, AValue, std::chars_format::fixed, ADecimals);
    std::string text(buffer, result.ptr);
    // Trailing zeros dropped, as a decimal is written in the request.
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

// The text between "<AName>" and "</AName>" from AFrom on, or npos.
std::size_t Between(std::string_view AText, std::string_view AName, std::size_t AFrom, std::string_view& AValue)
{
    std::string open = "<";
    open.append(AName).append(">");
    std::string close = "</";
    close.append(AName).append(">");
    const std::size_t start = AText.find(open, AFrom);
    if (start == std::string_view::npos) return start;
    const std::size_t end = AText.find(close, start + open.size());
    if (end == std::string_view::npos) return end;
    AValue = AText.substr(start + open.size(), end - start - open.size());
    return end + close.size();
}

std::string Attribute(std::string_view AText, std::string_view APrefix)
{
    const std::size_t start = AText.find(APrefix);
    if (start == std::string_view::npos) throw std::runtime_error("not in the description: " + std::string(APrefix));
    const std::size_t end = AText.find('"', start + APrefix.size());
    return std::string(AText.substr(start + APrefix.size(), end - start - APrefix.size()));
}

size_t Collect(char* AData, size_t ASize, size_t ACount, void* AUser)
{
    static_cast<std::string*>(AUser)->append(AData, ASize * ACount);
    return ASize * ACount;
}

void Check(CURLcode ACode, const char* AWhat)
{
    if (ACode != CURLE_OK) throw std::runtime_error(std::string(AWhat) + ": " + curl_easy_strerror(ACode));
}

void WriteFile(const std::string& AName, std::string_view AText)
{
    std::ofstream file(AName, std::ios::binary);
    file.write(AText.data(), static_cast<std::streamsize>(AText.size()));
    if (!file) throw std::runtime_error("cannot write " + AName);
}

std::string ArchiveName(std::string AFolder, std::int32_t ATestata, TDateTime AStamp, const char* AKind)
{
    if (AFolder.empty() || AFolder.back() != '/') AFolder += '/';
    return AFolder + FormatPaddedId(ATestata) + "_" + FormatStamp(AStamp) + "_AddParcel" + AKind + ".xml";
}

int Run(const std::string& ADatabase, std::int32_t AChiamataId)
{
    fb::TFbConnection db;
    // The program's account rule: the built-in password unless ISC_PASSWORD
    // gives another (the tests' server takes another).
    const char* iscPassword = std::getenv("ISC_PASSWORD");
    db.Open(ADatabase, {"SYSDBA", iscPassword && *iscPassword ? iscPassword : "quillbark"});
    fb::TFbTransaction tr(
        db, {.Isolation = fb::TFbIsolation::Concurrency, .LockResolution = fb::TFbLockResolution::Nowait});
    tr.Start();

    fb::TFbStatement chiamata(db, tr, "SELECT * FROM QORITA_CHIAMATE WHERE ID=:ID WITH LOCK");
    chiamata.Param("ID").SetInt32(AChiamataId);
    chiamata.Execute();
    if (chiamata.Eof()) throw std::runtime_error("no call row");
    const std::int32_t testataId = chiamata.Field("TESTATA").AsInt32();
    const std::int32_t operatore = chiamata.Field("OPERATORE").IsNull() ? 0 : chiamata.Field("OPERATORE").AsInt32();
    chiamata.Close();

    // The parameters, read in a transaction of their own as TKelTabX does.
    std::vector<std::string> parametri;
    {
        fb::TFbTransaction tabx(
            db, {.Isolation = fb::TFbIsolation::Concurrency, .LockResolution = fb::TFbLockResolution::Nowait});
        tabx.Start();
        fb::TFbStatement read(db, tabx,
                              "SELECT TESTO, MEMO FROM TABX WHERE NOME=:NOME AND UTENTE IS NOT DISTINCT FROM :UTENTE");
        for (const char* nome :
             {"QORITA_SedeQor", "QORITA_CodiceClienteQor", "QORITA_PasswordClienteQor", "QORITA_CodiceContrattoQor",
              "QORITA_RequestResponseDir", "QORITA_TipoEtichetta", "QORITA_ServiceUrl", "QORITA_ServiceCaFile"}) {
            read.Param("NOME").SetText(nome);
            read.Param("UTENTE").SetNull();
            read.Execute();
            parametri.push_back(read.Eof() || read.Field("TESTO").IsNull() ? std::string()
                                                                           : read.Field("TESTO").AsText());
            read.Close();
        }
        tabx.Commit();
    }
    const std::string& sede = parametri[0];
    const std::string& cliente = parametri[1];
    const std::string& password = parametri[2];
    const std::string& contratto = parametri[3];
    const std::string& archivio = parametri[4];
    const std::string& serviceUrl = parametri[6];
    const std::string& caFile = parametri[7];

    fb::TFbStatement testata(db, tr, "SELECT * FROM QORITA_TESTATE WHERE ID=:ID WITH LOCK");
    testata.Param("ID").SetInt32(testataId);
    testata.Execute();
    if (testata.Eof()) throw std::runtime_error("no header row");
    auto text = [&](const char* AName) {
        const fb::TFbField& field = testata.Field(AName);
        return field.IsNull() ? std::string() : field.AsText();
    };
    const std::string ragioneSociale = text("RAGIONESOCIALE");
    const std::string indirizzo = text("INDIRIZZO");
    const std::string localita = text("LOCALITA");
    const std::string zipcode = text("ZIPCODE");
    const std::string provincia = text("PROVINCIA");
    const std::string tipo = text("TIPOETICHETTA");
    const std::string email = text("EMAIL");
    const std::string cellulare = text("CELLULARE1");
    const std::string servizi = text("SERVIZIACCESSORI");
    const std::string incasso = text("MODALITAINCASSO");
    testata.Close();

    std::vector<TParcel> parcels;
    fb::TFbStatement righe(db, tr, "SELECT * FROM QORITA_RIGHE WHERE TESTATA=:TESTATA");
    righe.Param("TESTATA").SetInt32(testataId);
    righe.Execute();
    while (!righe.Eof()) {
        TParcel parcel;
        parcel.NCollo = righe.Field("NCOLLO").AsInt32();
        parcel.PesoReale = righe.Field("PESOREALE").IsNull() ? 0.0 : righe.Field("PESOREALE").AsDouble();
        const fb::TFbField& importo = righe.Field("IMPORTOCONTRASSEGNO");
        parcel.ImportoContrassegno = importo.IsNull() ? 0.0 : importo.AsDouble();
        parcels.push_back(std::move(parcel));
        righe.Fetch();
    }
    righe.Close();

    // The request: one counter draw per parcel, the Info document by appends.
    fb::TFbStatement draw(db, tr, "SELECT GEN_ID(QORITA_RIGHE_CONTATOREPROG,1) FROM RDB$DATABASE", false);
    const std::string generaPdf = tipo == "PDF" ? "4" : "6";
    std::string info = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Info>";
    Element(info, "SedeQor", sede);
    Element(info, "CodiceClienteQor", cliente);
    Element(info, "PasswordClienteQor", password);
    for (TParcel& parcel : parcels) {
        draw.Execute();
        parcel.Contatore = draw.FieldAt(0).AsInt32();
        draw.Close();
        info += "<Parcel>";
        Element(info, "CodiceContrattoQor", contratto);
        Element(info, "RagioneSociale", ragioneSociale);
        Element(info, "Indirizzo", indirizzo);
        Element(info, "Localita", localita);
        Element(info, "Zipcode", zipcode);
        Element(info, "Provincia", provincia);
        Element(info, "Colli", "1");
        Element(info, "PesoReale", Number(parcel.PesoReale, 1));
        Element(info, "GeneraPdf", generaPdf);
        Element(info, "ContatoreProgressivo", std::to_string(parcel.Contatore));
        Element(info, "Email", email);
        Element(info, "Cellulare1", cellulare);
        Element(info, "ServiziAccessori", servizi);
        if (parcel.ImportoContrassegno != 0.0) {
            Element(info, "ImportoContrassegno", Number(parcel.ImportoContrassegno, 2));
            Element(info, "ModalitaIncasso", incasso);
        }
        info += "</Parcel>";
    }
    info += "</Info>\n";
    const TDateTime stamp = Now();
    WriteFile(ArchiveName(archivio, testataId, stamp, "Request"), info);

    // The two requests on one handle and one connection.
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    std::string wsdl;
    Check(curl_easy_setopt(curl.get(), CURLOPT_URL, serviceUrl.c_str()), "url");
    Check(curl_easy_setopt(curl.get(), CURLOPT_CAINFO, caFile.c_str()), "cainfo");
    Check(curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &Collect), "write");
    Check(curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &wsdl), "data");
    Check(curl_easy_perform(curl.get()), "GET");
    const std::string endpoint = Attribute(wsdl, "<soap:address location=\"");
    const std::string wrapper = Attribute(wsdl, "targetNamespace=\"");
    const std::string action = "SOAPAction: \"" + Attribute(wsdl, "soapAction=\"" + wrapper + "AddParcel") + "\"";

    std::string envelope =
        "<?xml version=\"1.0\"?>"
        "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\""
        " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
        " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><SOAP-ENV:Body>";
    envelope += "<AddParcel xmlns=\"" + wrapper + "\"><XMLInfoParcel>";
    envelope += Escape(info);
    envelope += "</XMLInfoParcel></AddParcel></SOAP-ENV:Body></SOAP-ENV:Envelope>";
    std::string answer;
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(nullptr, curl_slist_free_all);
    headers.reset(curl_slist_append(headers.release(), "Content-Type: text/xml; charset=utf-8"));
    headers.reset(curl_slist_append(headers.release(), action.c_str()));
    Check(curl_easy_setopt(curl.get(), CURLOPT_URL, endpoint.c_str()), "url");
    Check(curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get()), "headers");
    Check(curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, envelope.data()), "body");
    Check(curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(envelope.size())), "size");
    Check(curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &answer), "data");
    Check(curl_easy_perform(curl.get()), "POST");
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) throw std::runtime_error("HTTP status " + std::to_string(status));

    // The answer: one Parcel per request parcel, in order.
    std::string_view result;
    if (Between(answer, "AddParcelResult", 0, result) == std::string_view::npos)
        throw std::runtime_error("no AddParcelResult in the answer");
    WriteFile(ArchiveName(archivio, testataId, stamp, "Response"), result);
    std::string_view numero;
    if (Between(result, "NumeroSpedizione", 0, numero) == std::string_view::npos)
        throw std::runtime_error("no shipment number in the answer");
    const std::string labelTag = tipo == "PDF" ? "PdfLabel" : "Zpl";
    std::size_t at = 0;
    for (TParcel& parcel : parcels) {
        std::string_view item;
        at = Between(result, "Parcel", at, item);
        if (at == std::string_view::npos) throw std::runtime_error("fewer parcels in the answer");
        std::string_view label;
        if (Between(item, labelTag, 0, label) == std::string_view::npos) throw std::runtime_error("parcel refused");
        parcel.Etichetta = Unescape(label);
    }

    const TDateTime now = Now();
    fb::TFbStatement riga(db, tr,
                          "UPDATE QORITA_RIGHE SET CONTATOREPROGRESSIVO=:C, ETICHETTA=:E, INVIO_DATAORA=:D,"
                          " INVIO_OPERATORE=:O WHERE TESTATA=:T AND NCOLLO=:N");
    for (TParcel& parcel : parcels) {
        riga.Param("C").SetInt32(parcel.Contatore);
        riga.Param("E").SetText(std::move(parcel.Etichetta));
        riga.Param("D").SetDateTime(now);
        if (operatore != 0) riga.Param("O").SetInt32(operatore);
        riga.Param("T").SetInt32(testataId);
        riga.Param("N").SetInt32(parcel.NCollo);
        riga.Execute();
    }
    fb::TFbStatement header(db, tr, "UPDATE QORITA_TESTATE SET NUMEROSPEDIZIONE=:S WHERE ID=:ID");
    header.Param("S").SetInt32(std::atoi(std::string(numero).c_str()));
    header.Param("ID").SetInt32(testataId);
    header.Execute();
    fb::TFbStatement log(db, tr,
                         "INSERT INTO QORITA_LOG(ID, TESTATA, DATAORA, OPERATORE, OPERAZIONE, FILEXML_REQUEST,"
                         " FILEXML_RESPONSE, ESITO_CODICE, ESITO_MESSAGGIO) VALUES(GEN_ID(QORITA_LOG_ID,1), :T, :D,"
                         " :O, 'AddParcel', :RQ, :RS, 0, 'OK')");
    log.Param("T").SetInt32(testataId);
    log.Param("D").SetDateTime(stamp);
    if (operatore != 0) log.Param("O").SetInt32(operatore);
    log.Param("RQ").SetText(ArchiveName(archivio, testataId, stamp, "Request"));
    log.Param("RS").SetText(ArchiveName(archivio, testataId, stamp, "Response"));
    log.Execute();
    fb::TFbStatement esito(db, tr, "UPDATE QORITA_CHIAMATE SET ESITO_CODICE=0, ESITO_MESSAGGIO='OK' WHERE ID=:ID");
    esito.Param("ID").SetInt32(AChiamataId);
    esito.Execute();
    tr.Commit();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: bench_crea_floor DATABASE CHIAMATA_ID\n";
        return 2;
    }
    int code = 1;
    curl_global_init(CURL_GLOBAL_DEFAULT);
    try {
        code = Run(argv[1], std::atoi(argv[2]));
    } catch (const std::exception& error) {
        std::cerr << "bench_crea_floor: " << error.what() << "\n";
    }
    // Everything is committed and detached, the archive files are closed.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(code);
}
