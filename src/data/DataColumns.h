#pragma once

// One table of columns per record, in the order of the table's statements. It
// drives the three things an access class does with a row: read it from a
// statement's current row, list its columns and parameters in the write
// statement, and bind its values to those parameters.
#include "data/DataObject.h"

#include <array>
#include <cstdint>
#include <string>
#include <variant>

namespace qorita {

enum class TColumnKind { Integer, Double, Text, DateTime };

enum TColumnFlag : unsigned {
    // An integer or double column written as NULL when 0 (|value| <= 1E-12).
    // Text and date-time columns always write a missing value ("", 0.0) as NULL.
    ZeroIsNull = 1u << 0,
    // In the write statement the column's lines begin with the comma
    // ("  ,PESOTOTALE"), as those of the columns added to a table after its
    // first version do. The database quotes lines and columns of a statement in
    // its errors, so the layout stays.
    LeadingComma = 1u << 1,
    // A message: cut to the characters its column declares, so that a long
    // courier text never costs the row (and the outcome in it). Values a cut
    // would falsify (labels, file names, the header's own texts, written back
    // as read) are never cut: one that does not fit fails the save.
    CutToFit = 1u << 2,
};

template <typename TRecord>
struct TColumn {
    const char* Name;
    TColumnKind Kind;
    std::variant<std::int32_t TRecord::*, double TRecord::*, std::string TRecord::*> Member;
    unsigned Flags;

    bool Has(TColumnFlag AFlag) const { return (Flags & AFlag) != 0; }
};

template <typename TRecord>
constexpr TColumn<TRecord> IntegerColumn(const char* AName, std::int32_t TRecord::*AMember, unsigned AFlags = 0)
{
    return {AName, TColumnKind::Integer, AMember, AFlags};
}

template <typename TRecord>
constexpr TColumn<TRecord> DoubleColumn(const char* AName, double TRecord::*AMember, unsigned AFlags = 0)
{
    return {AName, TColumnKind::Double, AMember, AFlags};
}

template <typename TRecord>
constexpr TColumn<TRecord> TextColumn(const char* AName, std::string TRecord::*AMember, unsigned AFlags = 0)
{
    return {AName, TColumnKind::Text, AMember, AFlags};
}

template <typename TRecord>
constexpr TColumn<TRecord> DateTimeColumn(const char* AName, TDateTime TRecord::*AMember, unsigned AFlags = 0)
{
    return {AName, TColumnKind::DateTime, AMember, AFlags};
}

inline constexpr std::array ChiamateColumns{
    IntegerColumn("ID", &TQorItaChiamateData::Id),
    IntegerColumn("TESTATA", &TQorItaChiamateData::Testata, ZeroIsNull),
    DateTimeColumn("DATAORA", &TQorItaChiamateData::DataOra),
    IntegerColumn("OPERATORE", &TQorItaChiamateData::Operatore, ZeroIsNull),
    // The outcome code is always written, 0 included.
    IntegerColumn("ESITO_CODICE", &TQorItaChiamateData::EsitoCodice),
    TextColumn("ESITO_MESSAGGIO", &TQorItaChiamateData::EsitoMessaggio, CutToFit),
};

inline constexpr std::array TestateColumns{
    IntegerColumn("ID", &TQorItaTestateData::Id),
    IntegerColumn("DOCUMENTO_ID", &TQorItaTestateData::DocumentoId, ZeroIsNull),
    TextColumn("DOCUMENTO_LINEA", &TQorItaTestateData::DocumentoLinea),
    TextColumn("RAGIONESOCIALE", &TQorItaTestateData::RagioneSociale),
    TextColumn("INDIRIZZO", &TQorItaTestateData::Indirizzo),
    TextColumn("LOCALITA", &TQorItaTestateData::Localita),
    TextColumn("ZIPCODE", &TQorItaTestateData::ZipCode),
    TextColumn("PROVINCIA", &TQorItaTestateData::Provincia),
    IntegerColumn("COLLI", &TQorItaTestateData::Colli),
    TextColumn("TIPOETICHETTA", &TQorItaTestateData::TipoEtichetta),
    IntegerColumn("NUMEROSPEDIZIONE", &TQorItaTestateData::NumeroSpedizione, ZeroIsNull),
    DateTimeColumn("CREAZIONE_DATAORA", &TQorItaTestateData::CreazioneDataOra),
    IntegerColumn("CREAZIONE_OPERATORE", &TQorItaTestateData::CreazioneOperatore, ZeroIsNull),
    DateTimeColumn("STAMPA_DATAORA", &TQorItaTestateData::StampaDataOra),
    IntegerColumn("STAMPA_OPERATORE", &TQorItaTestateData::StampaOperatore, ZeroIsNull),
    DateTimeColumn("CONFERMA_DATAORA", &TQorItaTestateData::ConfermaDataOra),
    IntegerColumn("CONFERMA_OPERATORE", &TQorItaTestateData::ConfermaOperatore, ZeroIsNull),
    DoubleColumn("PESOTOTALE", &TQorItaTestateData::PesoTotale, ZeroIsNull | LeadingComma),
    DoubleColumn("CONTRASSEGNOTOTALE", &TQorItaTestateData::ContrassegnoTotale, ZeroIsNull | LeadingComma),
    TextColumn("MODALITAINCASSO", &TQorItaTestateData::ModalitaIncasso, LeadingComma),
    IntegerColumn("IDBORDERO", &TQorItaTestateData::IdBordero, ZeroIsNull | LeadingComma),
    DateTimeColumn("ELIMINAZIONE_DATAORA", &TQorItaTestateData::EliminazioneDataOra, LeadingComma),
    IntegerColumn("ELIMINAZIONE_OPERATORE", &TQorItaTestateData::EliminazioneOperatore, ZeroIsNull | LeadingComma),
    TextColumn("EMAIL", &TQorItaTestateData::EMail, LeadingComma),
    TextColumn("CELLULARE1", &TQorItaTestateData::Cellulare1, LeadingComma),
    TextColumn("SERVIZIACCESSORI", &TQorItaTestateData::ServiziAccessori, LeadingComma),
    TextColumn("STATUS", &TQorItaTestateData::Status, LeadingComma),
};

inline constexpr std::array RigheColumns{
    IntegerColumn("TESTATA", &TQorItaRigheData::Testata),
    IntegerColumn("NCOLLO", &TQorItaRigheData::NCollo),
    // The weight is written even when 0.
    DoubleColumn("PESOREALE", &TQorItaRigheData::PesoReale),
    IntegerColumn("CONTATOREPROGRESSIVO", &TQorItaRigheData::ContatoreProgressivo, ZeroIsNull),
    TextColumn("ETICHETTA", &TQorItaRigheData::Etichetta),
    DateTimeColumn("INVIO_DATAORA", &TQorItaRigheData::InvioDataOra),
    IntegerColumn("INVIO_OPERATORE", &TQorItaRigheData::InvioOperatore, ZeroIsNull),
    DoubleColumn("IMPORTOCONTRASSEGNO", &TQorItaRigheData::ImportoContrassegno, ZeroIsNull | LeadingComma),
};

inline constexpr std::array LogColumns{
    IntegerColumn("ID", &TQorItaLogData::Id, ZeroIsNull),
    IntegerColumn("TESTATA", &TQorItaLogData::Testata, ZeroIsNull),
    DateTimeColumn("DATAORA", &TQorItaLogData::DataOra),
    IntegerColumn("OPERATORE", &TQorItaLogData::Operatore, ZeroIsNull),
    TextColumn("OPERAZIONE", &TQorItaLogData::Operazione),
    TextColumn("FILEXML_REQUEST", &TQorItaLogData::FileXmlRequest),
    TextColumn("FILEXML_RESPONSE", &TQorItaLogData::FileXmlResponse),
    IntegerColumn("ESITO_CODICE", &TQorItaLogData::EsitoCodice),
    TextColumn("ESITO_MESSAGGIO", &TQorItaLogData::EsitoMessaggio, CutToFit),
};

}  // namespace qorita
