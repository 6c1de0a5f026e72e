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
    kZeroIsNull = 1u << 0,
    // In the write statement the column's lines begin with the comma
    // ("  ,PESOTOTALE"), as those of the columns added to a table after its
    // first version do. The database quotes lines and columns of a statement in
    // its errors, so the layout stays.
    kLeadingComma = 1u << 1,
    // A message: cut to the characters its column declares, so that a long
    // courier text never costs the row (and the outcome in it). Values a cut
    // would falsify (labels, file names, the header's own texts, written back
    // as read) are never cut: one that does not fit fails the save.
    kCutToFit = 1u << 2,
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
    IntegerColumn("TESTATA", &TQorItaChiamateData::Testata, kZeroIsNull),
    DateTimeColumn("DATAORA", &TQorItaChiamateData::DataOra),
    IntegerColumn("OPERATORE", &TQorItaChiamateData::Operatore, kZeroIsNull),
    // The outcome code is always written, 0 included.
    IntegerColumn("ESITO_CODICE", &TQorItaChiamateData::EsitoCodice),
    TextColumn("ESITO_MESSAGGIO", &TQorItaChiamateData::EsitoMessaggio, kCutToFit),
};

inline constexpr std::array TestateColumns{
    IntegerColumn("ID", &TQorItaTestateData::Id),
    IntegerColumn("DOCUMENTO_ID", &TQorItaTestateData::DocumentoId, kZeroIsNull),
    TextColumn("DOCUMENTO_LINEA", &TQorItaTestateData::DocumentoLinea),
    TextColumn("RAGIONESOCIALE", &TQorItaTestateData::RagioneSociale),
    TextColumn("INDIRIZZO", &TQorItaTestateData::Indirizzo),
    TextColumn("LOCALITA", &TQorItaTestateData::Localita),
    TextColumn("ZIPCODE", &TQorItaTestateData::ZipCode),
    TextColumn("PROVINCIA", &TQorItaTestateData::Provincia),
    IntegerColumn("COLLI", &TQorItaTestateData::Colli),
    TextColumn("TIPOETICHETTA", &TQorItaTestateData::TipoEtichetta),
    IntegerColumn("NUMEROSPEDIZIONE", &TQorItaTestateData::NumeroSpedizione, kZeroIsNull),
    DateTimeColumn("CREAZIONE_DATAORA", &TQorItaTestateData::CreazioneDataOra),
    IntegerColumn("CREAZIONE_OPERATORE", &TQorItaTestateData::CreazioneOperatore, kZeroIsNull),
    DateTimeColumn("STAMPA_DATAORA", &TQorItaTestateData::StampaDataOra),
    IntegerColumn("STAMPA_OPERATORE", &TQorItaTestateData::StampaOperatore, kZeroIsNull),
    DateTimeColumn("CONFERMA_DATAORA", &TQorItaTestateData::ConfermaDataOra),
    IntegerColumn("CONFERMA_OPERATORE", &TQorItaTestateData::ConfermaOperatore, kZeroIsNull),
    DoubleColumn("PESOTOTALE", &TQorItaTestateData::PesoTotale, kZeroIsNull | kLeadingComma),
    DoubleColumn("CONTRASSEGNOTOTALE", &TQorItaTestateData::ContrassegnoTotale, kZeroIsNull | kLeadingComma),
    TextColumn("MODALITAINCASSO", &TQorItaTestateData::ModalitaIncasso, kLeadingComma),
    IntegerColumn("IDBORDERO", &TQorItaTestateData::IdBordero, kZeroIsNull | kLeadingComma),
    DateTimeColumn("ELIMINAZIONE_DATAORA", &TQorItaTestateData::EliminazioneDataOra, kLeadingComma),
    IntegerColumn("ELIMINAZIONE_OPERATORE", &TQorItaTestateData::EliminazioneOperatore, kZeroIsNull | kLeadingComma),
    TextColumn("EMAIL", &TQorItaTestateData::EMail, kLeadingComma),
    TextColumn("CELLULARE1", &TQorItaTestateData::Cellulare1, kLeadingComma),
    TextColumn("SERVIZIACCESSORI", &TQorItaTestateData::ServiziAccessori, kLeadingComma),
    TextColumn("STATUS", &TQorItaTestateData::Status, kLeadingComma),
};

inline constexpr std::array RigheColumns{
    IntegerColumn("TESTATA", &TQorItaRigheData::Testata),
    IntegerColumn("NCOLLO", &TQorItaRigheData::NCollo),
    // The weight is written even when 0.
    DoubleColumn("PESOREALE", &TQorItaRigheData::PesoReale),
    IntegerColumn("CONTATOREPROGRESSIVO", &TQorItaRigheData::ContatoreProgressivo, kZeroIsNull),
    TextColumn("ETICHETTA", &TQorItaRigheData::Etichetta),
    DateTimeColumn("INVIO_DATAORA", &TQorItaRigheData::InvioDataOra),
    IntegerColumn("INVIO_OPERATORE", &TQorItaRigheData::InvioOperatore, kZeroIsNull),
    DoubleColumn("IMPORTOCONTRASSEGNO", &TQorItaRigheData::ImportoContrassegno, kZeroIsNull | kLeadingComma),
};

inline constexpr std::array LogColumns{
    IntegerColumn("ID", &TQorItaLogData::Id, kZeroIsNull),
    IntegerColumn("TESTATA", &TQorItaLogData::Testata, kZeroIsNull),
    DateTimeColumn("DATAORA", &TQorItaLogData::DataOra),
    IntegerColumn("OPERATORE", &TQorItaLogData::Operatore, kZeroIsNull),
    TextColumn("OPERAZIONE", &TQorItaLogData::Operazione),
    TextColumn("FILEXML_REQUEST", &TQorItaLogData::FileXmlRequest),
    TextColumn("FILEXML_RESPONSE", &TQorItaLogData::FileXmlResponse),
    IntegerColumn("ESITO_CODICE", &TQorItaLogData::EsitoCodice),
    TextColumn("ESITO_MESSAGGIO", &TQorItaLogData::EsitoMessaggio, kCutToFit),
};

}  // namespace qorita
