#pragma once

// The records that the program moves between memory and the calling
// application's tables, and the two enumerations stored as text.
//
// In a record, 0 (or the empty text, or a date-time of 0.0) stands for a
// missing value: it becomes SQL NULL on writing and NULL reads back as 0.
// Each column is a field F<Name> with a getter <Name>() and a setter Set<Name>().
#include "common/DateTime.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#define QORITA_PROPERTY(Type, Name)                                \
public:                                                            \
    const Type& Name() const { return F##Name; }                   \
    void Set##Name(const Type& AValue) { F##Name = AValue; }       \
    void Set##Name(Type&& AValue) { F##Name = std::move(AValue); } \
                                                                   \
private:                                                           \
    Type F##Name{};

namespace qorita {

enum class TTipoEtichetta { teZpl = 0, tePdf = 1 };
enum class TStatusTestata { sValida = 0, sEliminata = 1 };

// The value whose text equals AText exactly; any other text gives teZpl.
TTipoEtichetta StrToTipoEtichetta(const std::string& AText);
std::string TipoEtichettaToStr(TTipoEtichetta AValue);
std::string StatusTestataToStr(TStatusTestata AValue);

// One row of QORITA_CHIAMATE: the call the calling application asks us to run.
class TQorItaChiamateData {
    QORITA_PROPERTY(std::int32_t, Id)
    QORITA_PROPERTY(std::int32_t, Testata)
    QORITA_PROPERTY(TDateTime, DataOra)
    QORITA_PROPERTY(std::int32_t, Operatore)
    QORITA_PROPERTY(std::int32_t, EsitoCodice)
    QORITA_PROPERTY(std::string, EsitoMessaggio)
};

// One row of QORITA_TESTATE: the shipment header.
class TQorItaTestateData {
    QORITA_PROPERTY(std::int32_t, Id)
    QORITA_PROPERTY(std::int32_t, DocumentoId)
    QORITA_PROPERTY(std::string, DocumentoLinea)
    QORITA_PROPERTY(std::string, RagioneSociale)
    QORITA_PROPERTY(std::string, Indirizzo)
    QORITA_PROPERTY(std::string, Localita)
    QORITA_PROPERTY(std::string, ZipCode)
    QORITA_PROPERTY(std::string, Provincia)
    QORITA_PROPERTY(std::int32_t, Colli)
    QORITA_PROPERTY(std::string, TipoEtichetta)
    QORITA_PROPERTY(std::int32_t, NumeroSpedizione)
    QORITA_PROPERTY(TDateTime, CreazioneDataOra)
    QORITA_PROPERTY(std::int32_t, CreazioneOperatore)
    QORITA_PROPERTY(TDateTime, StampaDataOra)
    QORITA_PROPERTY(std::int32_t, StampaOperatore)
    QORITA_PROPERTY(TDateTime, ConfermaDataOra)
    QORITA_PROPERTY(std::int32_t, ConfermaOperatore)
    QORITA_PROPERTY(double, PesoTotale)
    QORITA_PROPERTY(double, ContrassegnoTotale)
    QORITA_PROPERTY(std::string, ModalitaIncasso)
    QORITA_PROPERTY(std::int32_t, IdBordero)
    QORITA_PROPERTY(TDateTime, EliminazioneDataOra)
    QORITA_PROPERTY(std::int32_t, EliminazioneOperatore)
    QORITA_PROPERTY(std::string, EMail)
    QORITA_PROPERTY(std::string, Cellulare1)
    QORITA_PROPERTY(std::string, ServiziAccessori)
    QORITA_PROPERTY(std::string, Status)

public:
    TTipoEtichetta GetTipoEtichetta() const { return StrToTipoEtichetta(FTipoEtichetta); }
    bool IsConfermata() const { return FConfermaDataOra != 0.0; }
    void SetStatusTestata(TStatusTestata AValue) { FStatus = StatusTestataToStr(AValue); }
};

// One row of QORITA_RIGHE: a parcel, identified by its header and number.
class TQorItaRigheData {
    QORITA_PROPERTY(std::int32_t, Testata)
    QORITA_PROPERTY(std::int32_t, NCollo)
    QORITA_PROPERTY(double, PesoReale)
    QORITA_PROPERTY(std::int32_t, ContatoreProgressivo)
    QORITA_PROPERTY(std::string, Etichetta)
    QORITA_PROPERTY(TDateTime, InvioDataOra)
    QORITA_PROPERTY(std::int32_t, InvioOperatore)
    QORITA_PROPERTY(double, ImportoContrassegno)

public:
    bool IsInviata() const { return FInvioDataOra != 0.0; }
};

// An ordered list of parcels that owns its items.
using TQorItaRigheList = std::vector<std::unique_ptr<TQorItaRigheData>>;

// One row of QORITA_LOG: one exchange with the courier.
class TQorItaLogData {
    QORITA_PROPERTY(std::int32_t, Id)
    QORITA_PROPERTY(std::int32_t, Testata)
    QORITA_PROPERTY(TDateTime, DataOra)
    QORITA_PROPERTY(std::int32_t, Operatore)
    QORITA_PROPERTY(std::string, Operazione)
    QORITA_PROPERTY(std::string, FileXmlRequest)
    QORITA_PROPERTY(std::string, FileXmlResponse)
    QORITA_PROPERTY(std::int32_t, EsitoCodice)
    QORITA_PROPERTY(std::string, EsitoMessaggio)
};

// The courier account and exchange settings read from TABX.
class TQorItaParametri {
    QORITA_PROPERTY(std::string, SedeQor)
    QORITA_PROPERTY(std::int32_t, CodiceClienteQor)
    QORITA_PROPERTY(std::string, PasswordClienteQor)
    QORITA_PROPERTY(std::int32_t, CodiceContrattoQor)
    QORITA_PROPERTY(std::string, RequestResponseDir)
    QORITA_PROPERTY(std::string, TipoEtichetta)
    // Optional: where the courier's service description is (empty: the
    // built-in location) and a PEM file of extra certificate authorities.
    QORITA_PROPERTY(std::string, ServiceUrl)
    QORITA_PROPERTY(std::string, ServiceCaFile)
    // Optional: the most one request to the courier may take, in whole
    // seconds, as stored (empty: DefaultServiceTimeout).
    QORITA_PROPERTY(std::string, ServiceTimeout)

public:
    static constexpr std::int32_t DefaultServiceTimeout = 600;

    // The message of every missing or invalid value, in the order of the checks.
    std::vector<std::string> Problemi() const;
    // Raises with the message of the first missing or invalid value.
    void Validate() const;
    // ServiceTimeout in seconds; only meaningful once Validate passed.
    std::int32_t ServiceTimeoutSeconds() const;
};

}  // namespace qorita
