#include "SandboxTestSupport.h"

#include "Wsdl.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstdlib>
#include <memory>

namespace qorita::sandbox::test {

namespace {

struct TCurlDeleter {
    void operator()(CURL* AHandle) const noexcept { curl_easy_cleanup(AHandle); }
};
struct TSlistDeleter {
    void operator()(curl_slist* AList) const noexcept { curl_slist_free_all(AList); }
};

size_t Collect(char* AData, size_t ASize, size_t ACount, void* ATarget)
{
    static_cast<std::string*>(ATarget)->append(AData, ASize * ACount);
    return ASize * ACount;
}

THttpAnswer Exchange(const std::string& AUrl, const std::filesystem::path& ACaFile, const std::string* ABody,
                     const std::vector<std::string>& AHeaders)
{
    THttpAnswer answer;
    std::unique_ptr<CURL, TCurlDeleter> curl(curl_easy_init());
    std::unique_ptr<curl_slist, TSlistDeleter> headers;
    for (const std::string& header : AHeaders) {
        curl_slist* appended = curl_slist_append(headers.get(), header.c_str());
        if (appended == nullptr) {
            answer.Error = "curl_slist_append failed";
            return answer;
        }
        (void)headers.release();  // appended is the same list, now one longer
        headers.reset(appended);
    }
    char error[CURL_ERROR_SIZE] = {};
    const std::string ca = ACaFile.string();
    bool ok = curl_easy_setopt(curl.get(), CURLOPT_URL, AUrl.c_str()) == CURLE_OK &&
              curl_easy_setopt(curl.get(), CURLOPT_CAINFO, ca.c_str()) == CURLE_OK &&
              // Verification stays on: the tests prove the certificate is right.
              curl_easy_setopt(curl.get(), CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
              curl_easy_setopt(curl.get(), CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK &&
              curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, error) == CURLE_OK &&
              curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, Collect) == CURLE_OK &&
              curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &answer.Body) == CURLE_OK &&
              curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 30L) == CURLE_OK &&
              curl_easy_setopt(curl.get(), CURLOPT_NOPROXY, "*") == CURLE_OK &&
              curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK;
    if (ok && ABody != nullptr) {
        ok = curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, ABody->data()) == CURLE_OK &&
             curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(ABody->size())) ==
                 CURLE_OK;
    }
    if (!ok) {
        answer.Error = "curl_easy_setopt failed";
        return answer;
    }
    const CURLcode result = curl_easy_perform(curl.get());
    if (result != CURLE_OK) {
        answer.Error = error[0] != '\0' ? error : curl_easy_strerror(result);
        return answer;
    }
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &answer.Status);
    const char* type = nullptr;
    if (curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type != nullptr) {
        answer.ContentType = type;
    }
    return answer;
}

}  // namespace

THttpAnswer HttpsGet(const std::string& AUrl, const std::filesystem::path& ACaFile)
{
    return Exchange(AUrl, ACaFile, nullptr, {});
}

THttpAnswer HttpsPost(const std::string& AUrl, const std::filesystem::path& ACaFile, const std::string& ABody,
                      const std::vector<std::string>& AHeaders)
{
    return Exchange(AUrl, ACaFile, &ABody, AHeaders);
}

std::string RequestEnvelope(const std::string& AOperation,
                            const std::vector<std::pair<std::string, std::string>>& AParameters,
                            std::string_view AWrapperNamespace)
{
    std::string out =
        "<?xml version=\"1.0\"?><SOAP-ENV:Envelope"
        " xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\""
        " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
        " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><SOAP-ENV:Body><" +
        AOperation + " xmlns=\"" + std::string(AWrapperNamespace) + "\">";
    for (const auto& [name, value] : AParameters) {
        out += XmlTextElement(name, value);
    }
    out += "</" + AOperation + "></SOAP-ENV:Body></SOAP-ENV:Envelope>";
    return out;
}

std::string AddParcelRequest(const std::vector<TParcelValues>& AParcels, const std::string& ASede,
                             const std::string& ACliente, const std::string& APassword)
{
    std::string out = "<Info>" + XmlTextElement("SedeQor", ASede) + XmlTextElement("CodiceClienteQor", ACliente) +
                      XmlTextElement("PasswordClienteQor", APassword);
    for (const TParcelValues& parcel : AParcels) {
        out += "<Parcel>";
        out += XmlTextElement("CodiceContrattoQor", "77");
        out += XmlTextElement("RagioneSociale", parcel.RagioneSociale);
        out += XmlTextElement("Indirizzo", parcel.Indirizzo);
        out += XmlTextElement("Localita", parcel.Localita);
        out += XmlTextElement("Zipcode", parcel.Zipcode);
        out += XmlTextElement("Provincia", parcel.Provincia);
        out += XmlTextElement("Colli", "1");
        out += XmlTextElement("PesoReale", parcel.PesoReale);
        out += XmlTextElement("GeneraPdf", parcel.GeneraPdf);
        out += XmlTextElement("ContatoreProgressivo", parcel.ContatoreProgressivo);
        out += XmlTextElement("Email", "ufficio@example.com");
        out += XmlTextElement("Cellulare1", "3331234567");
        out += XmlTextElement("ServiziAccessori", "");
        if (!parcel.ImportoContrassegno.empty()) {
            out += XmlTextElement("ImportoContrassegno", parcel.ImportoContrassegno);
            out += XmlTextElement("ModalitaIncasso", parcel.ModalitaIncasso);
        }
        out += "</Parcel>";
    }
    out += "</Info>";
    return out;
}

std::string ConfirmRequest(const std::vector<std::string>& ANumbers, const std::string& ASede,
                           const std::string& ACliente, const std::string& APassword)
{
    std::string out = "<Info>" + XmlTextElement("SedeQor", ASede) + XmlTextElement("CodiceClienteQor", ACliente) +
                      XmlTextElement("PasswordClienteQor", APassword);
    for (const std::string& number : ANumbers) {
        out += "<Parcel>" + XmlTextElement("NumeroDiSpedizioneQORDaConfermare", number) + "</Parcel>";
    }
    out += "</Info>";
    return out;
}

TXmlElement AnswerPayload(const std::string& AEnvelope, const std::string& AOperation,
                          std::string_view AWrapperNamespace)
{
    const TXmlElement envelope = ParseXml(AEnvelope);
    EXPECT_EQ(envelope.LocalName, "Envelope");
    EXPECT_EQ(envelope.Namespace, "http://schemas.xmlsoap.org/soap/envelope/");
    const TXmlElement* body = envelope.Child("Body");
    if (body == nullptr || body->Children.size() != 1) {
        ADD_FAILURE() << "no single element in the body of " << AEnvelope;
        return {};
    }
    const TXmlElement& wrapper = body->Children.front();
    EXPECT_EQ(wrapper.LocalName, AOperation + "Response");
    EXPECT_EQ(wrapper.Namespace, AWrapperNamespace);
    const TXmlElement* result = wrapper.Child(AOperation + "Result");
    if (result == nullptr || result->Children.size() != 1 || result->Text != result->Children.front().Text) {
        ADD_FAILURE() << "the result does not hold exactly one element: " << AEnvelope;
        return {};
    }
    return result->Children.front();
}

std::string Base64Decode(const std::string& AText)
{
    std::string out(AText.size() / 4 * 3 + 3, '\0');
    const int length =
        EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                        reinterpret_cast<const unsigned char*>(AText.data()), static_cast<int>(AText.size()));
    if (length < 0) {
        ADD_FAILURE() << "not base64";
        return {};
    }
    // EVP_DecodeBlock counts the padding as zero bytes; drop them.
    std::size_t padding = 0;
    for (std::size_t i = AText.size(); i > 0 && AText[i - 1] == '='; --i) {
        ++padding;
    }
    out.resize(static_cast<std::size_t>(length) - padding);
    return out;
}

}  // namespace qorita::sandbox::test
