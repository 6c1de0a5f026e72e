#include "Registry.h"

#include "Numbers.h"
#include "SandboxXml.h"
#include "common/Exception.h"
#include "common/Numbers.h"

#include <fstream>
#include <sstream>
#include <system_error>

namespace qorita::sandbox {

namespace {

// The state file is a small XML document in the courier's own words; numbers are
// written locale-free so that the file reads back identically anywhere.

std::int32_t RequireInt(const TXmlElement& AElement, std::string_view AName)
{
    const auto value = ParseInt(AElement.ChildText(AName));
    if (!value) {
        throw Exception("Registry file: element " + std::string(AName) + " is not an integer");
    }
    return *value;
}

double RequireDecimal(const TXmlElement& AElement, std::string_view AName)
{
    const auto value = ParseDecimal(AElement.ChildText(AName));
    if (!value) {
        throw Exception("Registry file: element " + std::string(AName) + " is not a number");
    }
    return *value;
}

TShipmentState StateFromName(std::string_view AName)
{
    for (TShipmentState state : {TShipmentState::Registrata, TShipmentState::Confermata, TShipmentState::Eliminata}) {
        if (AName == ShipmentStateName(state)) {
            return state;
        }
    }
    throw Exception("Registry file: unknown state " + std::string(AName));
}

void WriteParcel(std::string& AOut, const TRegisteredParcel& AParcel)
{
    AOut += "<Parcel>";
    AOut += XmlTextElement("ContatoreProgressivo", FormatInteger(AParcel.ContatoreProgressivo));
    AOut += XmlTextElement("ProgressivoCollo", FormatInteger(AParcel.ProgressivoCollo));
    AOut += XmlTextElement("CodiceContrattoQor", FormatInteger(AParcel.CodiceContrattoQor));
    AOut += XmlTextElement("RagioneSociale", AParcel.RagioneSociale);
    AOut += XmlTextElement("Indirizzo", AParcel.Indirizzo);
    AOut += XmlTextElement("Localita", AParcel.Localita);
    AOut += XmlTextElement("Zipcode", AParcel.Zipcode);
    AOut += XmlTextElement("Provincia", AParcel.Provincia);
    AOut += XmlTextElement("PesoReale", FormatDecimal(AParcel.PesoReale));
    AOut += XmlTextElement("ImportoContrassegno", FormatDecimal(AParcel.ImportoContrassegno));
    AOut += XmlTextElement("ModalitaIncasso", AParcel.ModalitaIncasso);
    AOut += XmlTextElement("GeneraPdf", FormatInteger(AParcel.GeneraPdf));
    AOut += XmlTextElement("Email", AParcel.Email);
    AOut += XmlTextElement("Cellulare1", AParcel.Cellulare1);
    AOut += XmlTextElement("ServiziAccessori", AParcel.ServiziAccessori);
    AOut += "</Parcel>";
}

TRegisteredParcel ReadParcel(const TXmlElement& AElement)
{
    TRegisteredParcel parcel;
    parcel.ContatoreProgressivo = RequireInt(AElement, "ContatoreProgressivo");
    parcel.ProgressivoCollo = RequireInt(AElement, "ProgressivoCollo");
    parcel.CodiceContrattoQor = RequireInt(AElement, "CodiceContrattoQor");
    parcel.RagioneSociale = AElement.ChildText("RagioneSociale");
    parcel.Indirizzo = AElement.ChildText("Indirizzo");
    parcel.Localita = AElement.ChildText("Localita");
    parcel.Zipcode = AElement.ChildText("Zipcode");
    parcel.Provincia = AElement.ChildText("Provincia");
    parcel.PesoReale = RequireDecimal(AElement, "PesoReale");
    parcel.ImportoContrassegno = RequireDecimal(AElement, "ImportoContrassegno");
    parcel.ModalitaIncasso = AElement.ChildText("ModalitaIncasso");
    parcel.GeneraPdf = RequireInt(AElement, "GeneraPdf");
    parcel.Email = AElement.ChildText("Email");
    parcel.Cellulare1 = AElement.ChildText("Cellulare1");
    parcel.ServiziAccessori = AElement.ChildText("ServiziAccessori");
    return parcel;
}

}  // namespace

const char* ShipmentStateName(TShipmentState AState)
{
    switch (AState) {
    case TShipmentState::Registrata: return "REGISTRATA";
    case TShipmentState::Confermata: return "CONFERMATA";
    case TShipmentState::Eliminata: return "ELIMINATA";
    }
    return "?";
}

TShipmentRegistry::TShipmentRegistry(std::filesystem::path AStateFile) : FStateFile(std::move(AStateFile))
{
    if (!FStateFile.empty() && std::filesystem::exists(FStateFile)) {
        Load();
    }
}

std::int32_t TShipmentRegistry::Register(TRegisteredShipment AShipment)
{
    if (FNextNumber == INT32_MAX) {
        throw Exception("No shipment numbers left");
    }
    const std::int32_t number = FNextNumber++;
    AShipment.NumeroSpedizione = number;
    IndexCounters(AShipment);
    FShipments.emplace(number, std::move(AShipment));
    Save();
    return number;
}

void TShipmentRegistry::AddParcels(std::int32_t ANumeroSpedizione, std::vector<TRegisteredParcel> AParcels)
{
    const auto found = FShipments.find(ANumeroSpedizione);
    if (found == FShipments.end()) {
        throw Exception("Unknown shipment " + FormatInteger(ANumeroSpedizione));
    }
    TRegisteredShipment& shipment = found->second;
    for (TRegisteredParcel& parcel : AParcels) {
        parcel.ProgressivoCollo = static_cast<std::int32_t>(shipment.Parcels.size()) + 1;
        shipment.Parcels.push_back(std::move(parcel));
    }
    IndexCounters(shipment);
    Save();
}

void TShipmentRegistry::IndexCounters(const TRegisteredShipment& AShipment)
{
    for (const TRegisteredParcel& parcel : AShipment.Parcels) {
        FByCounter.emplace(std::make_pair(AShipment.CodiceClienteQor, parcel.ContatoreProgressivo),
                           AShipment.NumeroSpedizione);
    }
}

const TRegisteredShipment* TShipmentRegistry::FindCounter(std::int32_t ACodiceClienteQor, std::int32_t AContatore) const
{
    const auto found = FByCounter.find({ACodiceClienteQor, AContatore});
    return found == FByCounter.end() ? nullptr : Find(found->second);
}

std::map<std::int32_t, int> TShipmentRegistry::RegistrationsPerCounter() const
{
    std::map<std::int32_t, int> counts;
    for (const auto& [number, shipment] : FShipments) {
        for (const TRegisteredParcel& parcel : shipment.Parcels) {
            ++counts[parcel.ContatoreProgressivo];
        }
    }
    return counts;
}

const TRegisteredShipment* TShipmentRegistry::Find(std::int32_t ANumeroSpedizione) const
{
    const auto found = FShipments.find(ANumeroSpedizione);
    return found == FShipments.end() ? nullptr : &found->second;
}

void TShipmentRegistry::SetState(std::int32_t ANumeroSpedizione, TShipmentState AState)
{
    const auto found = FShipments.find(ANumeroSpedizione);
    if (found == FShipments.end()) {
        throw Exception("Unknown shipment " + FormatInteger(ANumeroSpedizione));
    }
    found->second.State = AState;
    Save();
}

std::vector<TRegisteredShipment> TShipmentRegistry::Shipments() const
{
    std::vector<TRegisteredShipment> result;
    result.reserve(FShipments.size());
    for (const auto& [number, shipment] : FShipments) {
        result.push_back(shipment);
    }
    return result;
}

void TShipmentRegistry::Load()
{
    std::ifstream in(FStateFile, std::ios::binary);
    if (!in) {
        throw Exception("Cannot read the registry file " + FStateFile.string());
    }
    std::ostringstream text;
    text << in.rdbuf();
    TXmlElement root;
    try {
        root = ParseXml(text.str());
    } catch (const Exception& error) {
        throw Exception(ComposeMessage("Registry file " + FStateFile.string() + " is damaged:", error.Message()));
    }
    if (root.LocalName != "Registro") {
        throw Exception("Registry file " + FStateFile.string() + " is not a sandbox registry");
    }
    FNextNumber = RequireInt(root, "ProssimoNumero");
    for (const TXmlElement& element : root.Children) {
        if (element.LocalName != "Spedizione") {
            continue;
        }
        TRegisteredShipment shipment;
        shipment.NumeroSpedizione = RequireInt(element, "NumeroSpedizione");
        shipment.SedeQor = element.ChildText("SedeQor");
        shipment.CodiceClienteQor = RequireInt(element, "CodiceClienteQor");
        shipment.DataSpedizione = element.ChildText("DataSpedizione");
        shipment.State = StateFromName(element.ChildText("Stato"));
        for (const TXmlElement& parcel : element.Children) {
            if (parcel.LocalName == "Parcel") {
                shipment.Parcels.push_back(ReadParcel(parcel));
            }
        }
        if (shipment.NumeroSpedizione >= FNextNumber) {
            FNextNumber = shipment.NumeroSpedizione + 1;
        }
        IndexCounters(shipment);
        FShipments[shipment.NumeroSpedizione] = std::move(shipment);
    }
}

void TShipmentRegistry::Save() const
{
    if (FStateFile.empty()) {
        return;
    }
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Registro>";
    out += XmlTextElement("ProssimoNumero", FormatInteger(FNextNumber));
    for (const auto& [number, shipment] : FShipments) {
        out += "\n<Spedizione>";
        out += XmlTextElement("NumeroSpedizione", FormatInteger(number));
        out += XmlTextElement("SedeQor", shipment.SedeQor);
        out += XmlTextElement("CodiceClienteQor", FormatInteger(shipment.CodiceClienteQor));
        out += XmlTextElement("DataSpedizione", shipment.DataSpedizione);
        out += XmlTextElement("Stato", ShipmentStateName(shipment.State));
        for (const TRegisteredParcel& parcel : shipment.Parcels) {
            WriteParcel(out, parcel);
        }
        out += "</Spedizione>";
    }
    out += "\n</Registro>\n";
    // Written beside the file and renamed over it, so that a crash never leaves
    // half a registry behind.
    std::filesystem::path temporary = FStateFile;
    temporary += ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << out;
        file.flush();
        if (!file) {
            throw Exception("Cannot write the registry file " + temporary.string());
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, FStateFile, error);
    if (error) {
        throw Exception("Cannot replace the registry file " + FStateFile.string() + ": " + error.message());
    }
}

}  // namespace qorita::sandbox
