#pragma once

// The records that the program moves between memory and the calling
// application's tables, and the two enumerations stored as text.
//
// A record is a plain struct with one member per column, named like the column.
// In a record, 0 (or the empty text, or a date-time of 0.0) stands for a
// missing value: it becomes SQL NULL on writing and NULL reads back as 0.
#include "common/DateTime.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qorita {

enum class TTipoEtichetta { Zpl = 0, Pdf = 1 };
enum class TStatusTestata { Valida = 0, Eliminata = 1 };

// The value whose text equals AText exactly; any other text gives Zpl.
TTipoEtichetta StrToTipoEtichetta(const std::string& AText);
std::string StatusTestataToStr(TStatusTestata AValue);

// One row of QORITA_CHIAMATE: the call the calling application asks us to run.
struct TQorItaChiamateData {
    std::int32_t Id = 0;
    std::int32_t Testata = 0;
    TDateTime DataOra = 0.0;
    std::int32_t Operatore = 0;
    std::int32_t EsitoCodice = 0;
    std::string EsitoMessaggio;
};

// One row of QORITA_TESTATE: the shipment header.
struct TQorItaTestateData {
    std::int32_t Id = 0;
    std::int32_t DocumentoId = 0;
    std::string DocumentoLinea;
    std::string RagioneSociale;
    std::string Indirizzo;
    std::string Localita;
    std::string ZipCode;
    std::string Provincia;
    std::int32_t Colli = 0;
    std::string TipoEtichetta;
    std::int32_t NumeroSpedizione = 0;
    TDateTime CreazioneDataOra = 0.0;
    std::int32_t CreazioneOperatore = 0;
    TDateTime StampaDataOra = 0.0;
    std::int32_t StampaOperatore = 0;
    TDateTime ConfermaDataOra = 0.0;
    std::int32_t ConfermaOperatore = 0;
    double PesoTotale = 0.0;
    double ContrassegnoTotale = 0.0;
    std::string ModalitaIncasso;
    std::int32_t IdBordero = 0;
    TDateTime EliminazioneDataOra = 0.0;
    std::int32_t EliminazioneOperatore = 0;
    std::string EMail;
    std::string Cellulare1;
    std::string ServiziAccessori;
    std::string Status;

    TTipoEtichetta GetTipoEtichetta() const { return StrToTipoEtichetta(TipoEtichetta); }
    bool IsConfermata() const { return ConfermaDataOra != 0.0; }
    void SetStatusTestata(TStatusTestata AValue) { Status = StatusTestataToStr(AValue); }
};

// One row of QORITA_RIGHE: a parcel, identified by its header and number.
struct TQorItaRigheData {
    std::int32_t Testata = 0;
    std::int32_t NCollo = 0;
    double PesoReale = 0.0;
    std::int32_t ContatoreProgressivo = 0;
    std::string Etichetta;
    TDateTime InvioDataOra = 0.0;
    std::int32_t InvioOperatore = 0;
    double ImportoContrassegno = 0.0;

    bool IsInviata() const { return InvioDataOra != 0.0; }
};

// The parcels of one header, in order.
using TQorItaRigheList = std::vector<TQorItaRigheData>;

// One row of QORITA_LOG: one exchange with the courier.
struct TQorItaLogData {
    std::int32_t Id = 0;
    std::int32_t Testata = 0;
    TDateTime DataOra = 0.0;
    std::int32_t Operatore = 0;
    std::string Operazione;
    std::string FileXmlRequest;
    std::string FileXmlResponse;
    std::int32_t EsitoCodice = 0;
    std::string EsitoMessaggio;
};

// The courier account and exchange settings read from TABX.
struct TQorItaParametri {
    std::string SedeQor;
    std::int32_t CodiceClienteQor = 0;
    std::string PasswordClienteQor;
    std::int32_t CodiceContrattoQor = 0;
    std::string RequestResponseDir;
    std::string TipoEtichetta;
    // Optional: where the courier's service description is (empty: the
    // built-in location) and a PEM file of extra certificate authorities.
    std::string ServiceUrl;
    std::string ServiceCaFile;
    // Optional: the most one request to the courier, and the most a whole
    // run, may take, in whole seconds, as stored (empty: the default of the
    // parameter table, ParametriTabX.h).
    std::string ServiceTimeout;
    std::string RunTimeout;

    // The message of every missing or invalid value, in the order of the
    // parameter table.
    std::vector<std::string> Problemi() const;
    // Raises with the message of the first missing or invalid value.
    void Validate() const;
    // ServiceTimeout in seconds; only meaningful once Validate passed.
    std::int32_t ServiceTimeoutSeconds() const;
    // RunTimeout in seconds; only meaningful once Validate passed.
    std::int32_t RunTimeoutSeconds() const;
};

}  // namespace qorita
