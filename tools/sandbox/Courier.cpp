#include "Courier.h"

#include "Envelope.h"
#include "Labels.h"
#include "Numbers.h"
#include "SandboxXml.h"
#include "common/Exception.h"
#include "common/Numbers.h"
#include "common/Text.h"

#include <ctime>
#include <set>

namespace qorita::sandbox {

namespace {

constexpr std::string_view WrongCredentials = "Credenziali non valide";
constexpr std::string_view AlreadyConfirmed = "GIA' CONFERMATA";

// Answer documents are read on their own by the customer, so each root clears the
// default namespace that the surrounding result element declares.
std::string ErrorDocument(std::string_view AText)
{
    return "<DescrizioneErrore xmlns=\"\">" + XmlEscape(AText) + "</DescrizioneErrore>";
}

std::string Today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%d/%m/%Y", &local);
    return buffer;
}

// A parcel of the request as read, with the reasons that make the courier refuse it.
struct TParcelRequest {
    TRegisteredParcel Parcel;
    std::string ContatoreText;  // echoed as sent, also when it is not a number
    std::string Reasons;
};

void AddReason(std::string& AReasons, std::string_view AReason)
{
    if (!AReasons.empty()) {
        AReasons += "; ";
    }
    AReasons += AReason;
}

TParcelRequest ReadParcel(const TXmlElement& AElement)
{
    TParcelRequest request;
    TRegisteredParcel& parcel = request.Parcel;
    request.ContatoreText = AElement.ChildText("ContatoreProgressivo");
    parcel.RagioneSociale = AElement.ChildText("RagioneSociale");
    parcel.Indirizzo = AElement.ChildText("Indirizzo");
    parcel.Localita = AElement.ChildText("Localita");
    parcel.Zipcode = AElement.ChildText("Zipcode");
    parcel.Provincia = AElement.ChildText("Provincia");
    parcel.ModalitaIncasso = AElement.ChildText("ModalitaIncasso");
    parcel.Email = AElement.ChildText("Email");
    parcel.Cellulare1 = AElement.ChildText("Cellulare1");
    parcel.ServiziAccessori = AElement.ChildText("ServiziAccessori");
    parcel.CodiceContrattoQor = ParseInt(AElement.ChildText("CodiceContrattoQor")).value_or(0);

    const auto contatore = ParseInt(request.ContatoreText);
    if (!contatore) {
        AddReason(request.Reasons, "contatore progressivo non valido");
    }
    parcel.ContatoreProgressivo = contatore.value_or(0);
    if (Trim(parcel.RagioneSociale).empty()) {
        AddReason(request.Reasons, "destinatario mancante");
    }
    if (Trim(parcel.Zipcode).empty()) {
        AddReason(request.Reasons, "CAP mancante");
    }
    const auto peso = ParseDecimal(AElement.ChildText("PesoReale"));
    if (!peso || *peso <= 0.0) {
        AddReason(request.Reasons, "peso non valido");
    }
    parcel.PesoReale = peso.value_or(0.0);
    const auto generaPdf = ParseInt(AElement.ChildText("GeneraPdf"));
    if (!generaPdf || (*generaPdf != 4 && *generaPdf != 6)) {
        AddReason(request.Reasons, "formato etichetta non gestito (GeneraPdf 4 = PDF, 6 = ZPL)");
    }
    parcel.GeneraPdf = generaPdf.value_or(0);
    // Cash on delivery is optional; when it is given it must be an amount.
    if (AElement.HasChild("ImportoContrassegno")) {
        const auto importo = ParseDecimal(AElement.ChildText("ImportoContrassegno"));
        if (!importo || *importo < 0.0) {
            AddReason(request.Reasons, "importo contrassegno non valido");
        }
        parcel.ImportoContrassegno = importo.value_or(0.0);
    }
    if (!request.Reasons.empty()) {
        request.Reasons = "Contatore " + request.ContatoreText + ": " + request.Reasons;
    }
    return request;
}

std::string BuildLabel(const TRegisteredShipment& AShipment, const TRegisteredParcel& AParcel,
                       std::size_t AZplLabelSize)
{
    TLabelData label;
    label.NumeroSpedizione = AShipment.NumeroSpedizione;
    label.ProgressivoCollo = AParcel.ProgressivoCollo;
    label.TotaleColli = static_cast<std::int32_t>(AShipment.Parcels.size());
    label.ContatoreProgressivo = AParcel.ContatoreProgressivo;
    label.Mittente = "Cliente " + FormatInteger(AShipment.CodiceClienteQor);
    label.RagioneSociale = AParcel.RagioneSociale;
    label.Indirizzo = AParcel.Indirizzo;
    label.Zipcode = AParcel.Zipcode;
    label.Localita = AParcel.Localita;
    label.Provincia = AParcel.Provincia;
    label.DataSpedizione = AShipment.DataSpedizione;
    label.PesoReale = AParcel.PesoReale;
    label.ImportoContrassegno = AParcel.ImportoContrassegno;
    return AParcel.GeneraPdf == 4 ? Base64Encode(BuildPdfLabel(label)) : BuildZplLabel(label, AZplLabelSize);
}

std::string AcceptedParcel(const TRegisteredShipment& AShipment, const TRegisteredParcel& AParcel,
                           const std::string& ALabel)
{
    double totalWeight = 0.0;
    double totalCash = 0.0;
    for (const TRegisteredParcel& parcel : AShipment.Parcels) {
        totalWeight += parcel.PesoReale;
        totalCash += parcel.ImportoContrassegno;
    }
    const std::string sedeDestino = Trim(AParcel.Provincia).empty() ? "XX" : UpperAscii(AParcel.Provincia);
    std::string out = "<Parcel>";
    out += XmlTextElement("SiglaMittente", AShipment.SedeQor);
    out += XmlTextElement("NumeroSpedizione", FormatInteger(AShipment.NumeroSpedizione));
    out += XmlTextElement("TotaleColli", FormatInteger(static_cast<std::int32_t>(AShipment.Parcels.size())));
    out += XmlTextElement("TipoCollo", "P");
    out += XmlTextElement("SiglaSedeDestino", sedeDestino);
    out += XmlTextElement("DenominazioneMittente", "Cliente " + FormatInteger(AShipment.CodiceClienteQor));
    out += XmlTextElement("DenominazioneDestinatario", AParcel.RagioneSociale);
    out += XmlTextElement("IndirizzoDestinatario", AParcel.Indirizzo);
    out += XmlTextElement("CittaDestinatario", AParcel.Localita);
    out += XmlTextElement("ProvinciaDestinatario", AParcel.Provincia);
    out += XmlTextElement("DataSpedizione", AShipment.DataSpedizione);
    out += XmlTextElement("DescrizioneSedeDestino", "Sede sandbox " + sedeDestino);
    out += XmlTextElement("PesoSpedizione", FormatFixed(totalWeight, 1));
    out += XmlTextElement("ImportoCassegno", FormatFixed(AParcel.ImportoContrassegno, 2));
    out += XmlTextElement("TotaleImportodaIncassare", FormatFixed(totalCash, 2));
    out += XmlTextElement("ProgressivoCollo", FormatInteger(AParcel.ProgressivoCollo));
    out += XmlTextElement("ContatoreProgressivo", FormatInteger(AParcel.ContatoreProgressivo));
    out += XmlTextElement(AParcel.GeneraPdf == 4 ? "PdfLabel" : "Zpl", ALabel);
    out += "</Parcel>";
    return out;
}

const TRegisteredParcel* FindParcel(const TRegisteredShipment& AShipment, std::int32_t AContatore)
{
    for (const TRegisteredParcel& parcel : AShipment.Parcels) {
        if (parcel.ContatoreProgressivo == AContatore) {
            return &parcel;
        }
    }
    return nullptr;
}

// The same parcel sent again: everything the customer sent is equal; only the
// courier's own position numbering may differ.
bool SameParcel(TRegisteredParcel ARegistered, const TRegisteredParcel& ASent)
{
    ARegistered.ProgressivoCollo = ASent.ProgressivoCollo;
    return ARegistered == ASent;
}

std::string RefusedParcel(const TParcelRequest& ARequest)
{
    // No NumeroSpedizione: that absence is what marks the parcel as refused.
    std::string out = "<Parcel>";
    out += XmlTextElement("DenominazioneDestinatario", ARequest.Parcel.RagioneSociale);
    out += XmlTextElement("NoteSpedizione", ARequest.Reasons);
    out += XmlTextElement("ContatoreProgressivo", ARequest.ContatoreText);
    out += "</Parcel>";
    return out;
}

std::string ConfirmDocument(std::string_view ADescrizione, const std::string& AParcels)
{
    return "<CloseWorkDayByShipmentNumberResult xmlns=\"\">" + XmlTextElement("DescrizioneErrore", ADescrizione) +
           AParcels + "</CloseWorkDayByShipmentNumberResult>";
}

}  // namespace

TCourier::TCourier(TCredentials ACredentials, std::filesystem::path AStateFile, std::size_t AZplLabelSize)
    : FCredentials(std::move(ACredentials)), FZplLabelSize(AZplLabelSize), FRegistry(std::move(AStateFile))
{
    if (FCredentials.SedeQor.size() > 2) {
        throw Exception("The site code may have at most 2 characters: requests carry no more");
    }
    if (FCredentials.CodiceClienteQor < 0 || FCredentials.CodiceClienteQor > 999999) {
        throw Exception("The customer code must lie between 0 (any) and 999999");
    }
    if (FCredentials.PasswordClienteQor.empty() || FCredentials.PasswordClienteQor.size() > 10) {
        throw Exception("The password must have 1 to 10 characters: requests carry no more");
    }
}

bool TCourier::IsOperation(std::string_view AOperation)
{
    return AOperation == "AddParcel" || AOperation == "CloseWorkDayByShipmentNumber" || AOperation == "DeleteSped";
}

std::string TCourier::Answer(const TSoapCall& ACall)
{
    if (ACall.Operation == "AddParcel") {
        return AddParcel(ACall.Parameter("XMLInfoParcel"));
    }
    if (ACall.Operation == "CloseWorkDayByShipmentNumber") {
        return CloseWorkDayByShipmentNumber(ACall.Parameter("_xmlRequest"));
    }
    if (ACall.Operation == "DeleteSped") {
        return DeleteSped(ACall.Parameter("SedeQor"), ACall.Parameter("CodiceClienteQor"),
                          ACall.Parameter("PasswordClienteQor"), ACall.Parameter("NumSpedizione"));
    }
    throw Exception("Unknown operation " + ACall.Operation);
}

bool TCourier::Accepts(std::string_view ASedeQor, std::string_view ACodiceClienteQor,
                       std::string_view APasswordClienteQor) const
{
    const auto codice = ParseInt(ACodiceClienteQor);
    return (FCredentials.SedeQor.empty() || ASedeQor == FCredentials.SedeQor) && codice.has_value() &&
           (FCredentials.CodiceClienteQor == 0 || *codice == FCredentials.CodiceClienteQor) &&
           APasswordClienteQor == FCredentials.PasswordClienteQor;
}

const TRegisteredShipment* TCourier::FindOwn(std::int32_t ANumber, std::int32_t ACodiceClienteQor) const
{
    const TRegisteredShipment* shipment = FRegistry.Find(ANumber);
    return shipment != nullptr && shipment->CodiceClienteQor == ACodiceClienteQor ? shipment : nullptr;
}

std::string TCourier::AddParcel(std::string_view AXmlInfoParcel)
{
    TXmlElement info;
    try {
        info = ParseXml(AXmlInfoParcel);
    } catch (const Exception& error) {
        return ErrorDocument("Richiesta non leggibile: " + error.Message());
    }
    if (info.LocalName != "Info") {
        return ErrorDocument("Richiesta non valida: elemento radice " + info.LocalName + " invece di Info");
    }
    if (!Accepts(info.ChildText("SedeQor"), info.ChildText("CodiceClienteQor"), info.ChildText("PasswordClienteQor"))) {
        return ErrorDocument(WrongCredentials);
    }
    std::vector<TParcelRequest> requests;
    for (const TXmlElement& child : info.Children) {
        if (child.LocalName == "Parcel") {
            requests.push_back(ReadParcel(child));
        }
    }
    if (requests.empty()) {
        return ErrorDocument("Nessun collo nella richiesta");
    }

    const std::lock_guard lock(FMutex);
    const std::int32_t cliente = *ParseInt(info.ChildText("CodiceClienteQor"));
    // The counter identifies the customer's parcel. A counter registered before
    // comes from a request sent again after its answer was lost: the courier
    // answers with what it registered then and charges nothing twice. The same
    // counter on a different parcel is refused.
    std::int32_t known = 0;  // the shipment of the first counter already registered
    std::vector<TRegisteredParcel> fresh;
    std::set<std::int32_t> freshCounters;
    for (TParcelRequest& request : requests) {
        if (!request.Reasons.empty()) {
            continue;
        }
        const TRegisteredParcel& sent = request.Parcel;
        const TRegisteredShipment* shipment = FRegistry.FindCounter(cliente, sent.ContatoreProgressivo);
        if (shipment == nullptr && !freshCounters.insert(sent.ContatoreProgressivo).second) {
            request.Reasons = "Contatore " + request.ContatoreText + ": contatore progressivo ripetuto nella richiesta";
        } else if (shipment == nullptr) {
            fresh.push_back(sent);
        } else if (!SameParcel(*FindParcel(*shipment, sent.ContatoreProgressivo), sent)) {
            request.Reasons =
                "Contatore " + request.ContatoreText + ": contatore progressivo già usato per un altro collo";
        } else if (known == 0) {
            known = shipment->NumeroSpedizione;
        }
    }
    // All new parcels of one request form one shipment under one number, the
    // one of the parcels it already knows when there are any.
    if (!fresh.empty()) {
        if (known != 0) {
            FRegistry.AddParcels(known, std::move(fresh));
        } else {
            TRegisteredShipment shipment;
            shipment.SedeQor = info.ChildText("SedeQor");
            shipment.CodiceClienteQor = cliente;
            shipment.DataSpedizione = Today();
            for (TRegisteredParcel& parcel : fresh) {
                parcel.ProgressivoCollo = static_cast<std::int32_t>(shipment.Parcels.size()) + 1;
                shipment.Parcels.push_back(std::move(parcel));
            }
            FRegistry.Register(std::move(shipment));
        }
        FRegistered.notify_all();
    }

    std::string out = "<InfoLabel xmlns=\"\">";
    for (const TParcelRequest& request : requests) {
        if (!request.Reasons.empty()) {
            out += RefusedParcel(request);
            continue;
        }
        const std::int32_t contatore = request.Parcel.ContatoreProgressivo;
        const TRegisteredShipment& shipment = *FRegistry.FindCounter(cliente, contatore);
        const TRegisteredParcel& parcel = *FindParcel(shipment, contatore);
        const std::string label = BuildLabel(shipment, parcel, FZplLabelSize);
        FIssuedLabels.emplace(std::make_pair(cliente, contatore), label);
        out += AcceptedParcel(shipment, parcel, label);
    }
    out += "</InfoLabel>";
    return out;
}

std::string TCourier::CloseWorkDayByShipmentNumber(std::string_view AXmlRequest)
{
    TXmlElement info;
    try {
        info = ParseXml(AXmlRequest);
    } catch (const Exception& error) {
        return ConfirmDocument("Richiesta non leggibile: " + error.Message(), {});
    }
    if (info.LocalName != "Info") {
        return ConfirmDocument("Richiesta non valida: elemento radice " + info.LocalName + " invece di Info", {});
    }
    if (!Accepts(info.ChildText("SedeQor"), info.ChildText("CodiceClienteQor"), info.ChildText("PasswordClienteQor"))) {
        return ConfirmDocument(WrongCredentials, {});
    }
    const std::int32_t cliente = *ParseInt(info.ChildText("CodiceClienteQor"));

    const std::lock_guard lock(FMutex);
    std::string parcels;
    std::string failures;
    bool any = false;
    for (const TXmlElement& child : info.Children) {
        if (child.LocalName != "Parcel") {
            continue;
        }
        any = true;
        const std::string text = child.ChildText("NumeroDiSpedizioneQORDaConfermare");
        const auto number = ParseInt(text);
        std::string esito;
        if (!number) {
            esito = "Numero spedizione non valido: " + text;
        } else if (const TRegisteredShipment* shipment = FindOwn(*number, cliente); shipment == nullptr) {
            esito = "Spedizione " + FormatInteger(*number) + " non presente";
        } else if (shipment->State == TShipmentState::Eliminata) {
            esito = "Spedizione " + FormatInteger(*number) + " annullata";
        } else if (shipment->State == TShipmentState::Confermata) {
            // Closing the day again for a confirmed shipment changes nothing; the
            // shipment's own outcome says so, the overall outcome stays OK.
            esito = AlreadyConfirmed;
        } else {
            FRegistry.SetState(*number, TShipmentState::Confermata);
            esito = "OK";
        }
        if (esito != "OK" && esito != AlreadyConfirmed) {
            AddReason(failures, esito);
        }
        parcels += "<Parcel>" +
                   XmlTextElement("NumeroDiSpedizioneQORDaConfermare", number ? FormatInteger(*number) : text) +
                   XmlTextElement("esito", esito) + "</Parcel>";
    }
    if (!any) {
        return ConfirmDocument("Nessuna spedizione da confermare", {});
    }
    // The overall outcome is OK only when every shipment was confirmed; otherwise it
    // names what went wrong, so a single failing shipment is never reported as done.
    return ConfirmDocument(failures.empty() ? "OK" : failures, parcels);
}

std::string TCourier::DeleteSped(std::string_view ASedeQor, std::string_view ACodiceClienteQor,
                                 std::string_view APasswordClienteQor, std::string_view ANumSpedizione)
{
    // The customer judges a deletion answer by words and by the shipment number it
    // contains, so refusals never repeat the number.
    if (!Accepts(ASedeQor, ACodiceClienteQor, APasswordClienteQor)) {
        return ErrorDocument(WrongCredentials);
    }
    const auto number = ParseInt(ANumSpedizione);
    if (!number) {
        return ErrorDocument("Numero spedizione non valido");
    }
    const std::int32_t cliente = *ParseInt(ACodiceClienteQor);

    const std::lock_guard lock(FMutex);
    const TRegisteredShipment* shipment = FindOwn(*number, cliente);
    if (shipment == nullptr || shipment->State == TShipmentState::Eliminata) {
        return ErrorDocument("Spedizione " + FormatInteger(*number) + " non presente");
    }
    if (shipment->State == TShipmentState::Confermata) {
        return ErrorDocument("Impossibile annullare: la giornata di questa spedizione è già chiusa");
    }
    FRegistry.SetState(*number, TShipmentState::Eliminata);
    return ErrorDocument("Eliminazione avvenuta");
}

std::vector<TRegisteredShipment> TCourier::Shipments() const
{
    const std::lock_guard lock(FMutex);
    return FRegistry.Shipments();
}

std::map<std::int32_t, int> TCourier::RegistrationsPerCounter() const
{
    const std::lock_guard lock(FMutex);
    return FRegistry.RegistrationsPerCounter();
}

bool TCourier::WaitForRegisteredCounters(std::size_t ACounters, std::chrono::milliseconds ATimeout) const
{
    std::unique_lock lock(FMutex);
    return FRegistered.wait_for(lock, ATimeout,
                                [&] { return FRegistry.RegistrationsPerCounter().size() >= ACounters; });
}

std::optional<std::string> TCourier::IssuedLabel(std::int32_t ACodiceClienteQor, std::int32_t AContatore) const
{
    const std::lock_guard lock(FMutex);
    const auto found = FIssuedLabels.find({ACodiceClienteQor, AContatore});
    if (found == FIssuedLabels.end()) {
        return std::nullopt;
    }
    return found->second;
}

}  // namespace qorita::sandbox
