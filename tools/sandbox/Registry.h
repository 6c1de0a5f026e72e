#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qorita::sandbox {

// One parcel as the courier registered it, with the request values it keeps.
struct TRegisteredParcel {
    std::int32_t ContatoreProgressivo = 0;  // the customer's counter, echoed on the answer
    std::int32_t ProgressivoCollo = 0;      // 1-based position within the shipment
    std::int32_t CodiceContrattoQor = 0;
    std::string RagioneSociale;
    std::string Indirizzo;
    std::string Localita;
    std::string Zipcode;
    std::string Provincia;
    double PesoReale = 0.0;
    double ImportoContrassegno = 0.0;
    std::string ModalitaIncasso;
    std::int32_t GeneraPdf = 0;
    std::string Email;
    std::string Cellulare1;
    std::string ServiziAccessori;

    bool operator==(const TRegisteredParcel&) const = default;
};

enum class TShipmentState { Registrata, Confermata, Eliminata };

const char* ShipmentStateName(TShipmentState AState);

struct TRegisteredShipment {
    std::int32_t NumeroSpedizione = 0;
    std::string SedeQor;
    std::int32_t CodiceClienteQor = 0;
    std::string DataSpedizione;  // "%d/%m/%Y", as printed on the labels
    TShipmentState State = TShipmentState::Registrata;
    std::vector<TRegisteredParcel> Parcels;

    bool operator==(const TRegisteredShipment&) const = default;
};

// The shipments the courier knows, by number. When a state file is given it is
// read on construction and rewritten after each change, so a sandbox restarted on
// the same folder still knows what it registered. Not synchronised: the courier
// serialises its operations.
class TShipmentRegistry {
public:
    // An empty path keeps everything in memory.
    explicit TShipmentRegistry(std::filesystem::path AStateFile = {});

    // Gives the shipment the next number, stores it and returns the number.
    std::int32_t Register(TRegisteredShipment AShipment);
    // Adds parcels to a registered shipment, numbering them after its own.
    void AddParcels(std::int32_t ANumeroSpedizione, std::vector<TRegisteredParcel> AParcels);
    const TRegisteredShipment* Find(std::int32_t ANumeroSpedizione) const;
    // The shipment holding the customer's parcel with that counter, or nullptr.
    const TRegisteredShipment* FindCounter(std::int32_t ACodiceClienteQor, std::int32_t AContatore) const;
    // How many registered parcels carry each counter: a counter registered
    // twice is a parcel charged twice.
    std::map<std::int32_t, int> RegistrationsPerCounter() const;
    void SetState(std::int32_t ANumeroSpedizione, TShipmentState AState);
    std::vector<TRegisteredShipment> Shipments() const;

    // Numbers start here, far from the small counters of the customer's side.
    static constexpr std::int32_t FirstNumber = 100000001;

private:
    void Load();
    void Save() const;
    void IndexCounters(const TRegisteredShipment& AShipment);

    std::filesystem::path FStateFile;
    std::map<std::int32_t, TRegisteredShipment> FShipments;
    // (customer code, counter) -> shipment number.
    std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> FByCounter;
    std::int32_t FNextNumber = FirstNumber;
};

}  // namespace qorita::sandbox
