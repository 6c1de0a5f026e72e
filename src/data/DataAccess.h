#pragma once

// The access classes: the SQL that moves each record between memory and its
// table. They run in the connection and transaction their owner gives them and
// never start, commit or roll back; database errors reach the caller with the
// database's own message.
#include "data/DataColumns.h"
#include "data/DataObject.h"
#include "data/DataSql.h"
#include "data/fb/FbForward.h"
#include "data/fb/FbStatement.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <type_traits>

namespace qorita {

class TKelTabX;

class TDataAccess {
public:
    TDataAccess(fb::TFbConnection* ADatabase, fb::TFbTransaction* ATransaction)
        : FDatabase(ADatabase), FTransaction(ATransaction)
    {
    }
    virtual ~TDataAccess() = default;
    TDataAccess(const TDataAccess&) = delete;
    TDataAccess& operator=(const TDataAccess&) = delete;

    fb::TFbConnection* Database() const { return FDatabase; }
    fb::TFbTransaction* Transaction() const { return FTransaction; }

protected:
    // The NULL rules: 0 (or |value| <= 1E-12, or the empty text, or a date-time
    // of exactly 0.0) becomes NULL where the column allows a missing value.
    // With ACutToFit a text is cut to the length its column declares
    // (CutToFit, TFbParam::SetTextCutToFit).
    static void SetParamInteger(std::int32_t AValue, fb::TFbParam& AParam, bool ANullIfZero);
    static void SetParamDouble(double AValue, fb::TFbParam& AParam, bool ANullIfZero);
    static void SetParamString(const std::string& AValue, fb::TFbParam& AParam, bool ACutToFit = false);
    static void SetParamDateTime(TDateTime AValue, fb::TFbParam& AParam);
    static std::int32_t GetFieldInteger(const fb::TFbField& AField);
    static double GetFieldDouble(const fb::TFbField& AField);
    static std::string GetFieldString(const fb::TFbField& AField);
    static TDateTime GetFieldDateTime(const fb::TFbField& AField);

    // Every column of the table from the statement's current row into ATo.
    template <typename TRecord>
    static void ReadColumns(fb::TFbStatement& AStatement,
                            std::span<const TColumn<std::type_identity_t<TRecord>>> AColumns, TRecord& ATo);
    // Every column of the table from AFrom into the parameter of its name.
    template <typename TRecord>
    static void BindColumns(const TRecord& AFrom, std::span<const TColumn<std::type_identity_t<TRecord>>> AColumns,
                            fb::TFbStatement& AStatement);

    // The row that ASelect finds by its ID parameter, read into ATo; false when
    // there is none. The statement is prepared into AStatement on first use.
    template <typename TRecord>
    bool LoadRowById(std::unique_ptr<fb::TFbStatement>& AStatement, sql::TLines ASelect, std::int32_t AId,
                     std::span<const TColumn<std::type_identity_t<TRecord>>> AColumns, TRecord& ATo);
    // Writes ARecord with the statement AWriteText gives (prepared into
    // AStatement on first use), after drawing its Id from AGenerator when it has
    // none.
    template <typename TRecord>
    void SaveRowWithId(std::unique_ptr<fb::TFbStatement>& AStatement, std::string (*AWriteText)(),
                       const char* AGenerator, std::span<const TColumn<std::type_identity_t<TRecord>>> AColumns,
                       TRecord& ARecord);

    // Next value of the named generator; every call advances it by one.
    std::int32_t GenId(const std::string& AGenerator);

    // A statement whose text is the given lines, each ending with CR LF.
    std::unique_ptr<fb::TFbStatement> NewStatement(sql::TLines ALines);
    std::unique_ptr<fb::TFbStatement> NewStatement(std::string AText);

    fb::TFbConnection* FDatabase;
    fb::TFbTransaction* FTransaction;

private:
    // One prepared statement per generator: a counter is drawn for every parcel
    // sent, and preparing each draw anew costs the server round trips of a
    // prepare and a free per parcel.
    std::map<std::string, std::unique_ptr<fb::TFbStatement>, std::less<>> FGenIdStatements;
};

template <typename TRecord>
void TDataAccess::ReadColumns(fb::TFbStatement& AStatement,
                              std::span<const TColumn<std::type_identity_t<TRecord>>> AColumns, TRecord& ATo)
{
    for (const TColumn<TRecord>& column : AColumns) {
        const fb::TFbField& field = AStatement.Field(column.Name);
        switch (column.Kind) {
        case TColumnKind::Integer:
            ATo.*std::get<std::int32_t TRecord::*>(column.Member) = GetFieldInteger(field);
            break;
        case TColumnKind::Double: ATo.*std::get<double TRecord::*>(column.Member) = GetFieldDouble(field); break;
        case TColumnKind::Text: ATo.*std::get<std::string TRecord::*>(column.Member) = GetFieldString(field); break;
        case TColumnKind::DateTime: ATo.*std::get<TDateTime TRecord::*>(column.Member) = GetFieldDateTime(field); break;
        }
    }
}

template <typename TRecord>
void TDataAccess::BindColumns(const TRecord& AFrom, std::span<const TColumn<std::type_identity_t<TRecord>>> AColumns,
                              fb::TFbStatement& AStatement)
{
    for (const TColumn<TRecord>& column : AColumns) {
        fb::TFbParam& param = AStatement.Param(column.Name);
        switch (column.Kind) {
        case TColumnKind::Integer:
            SetParamInteger(AFrom.*std::get<std::int32_t TRecord::*>(column.Member), param, column.Has(ZeroIsNull));
            break;
        case TColumnKind::Double:
            SetParamDouble(AFrom.*std::get<double TRecord::*>(column.Member), param, column.Has(ZeroIsNull));
            break;
        case TColumnKind::Text:
            SetParamString(AFrom.*std::get<std::string TRecord::*>(column.Member), param, column.Has(CutToFit));
            break;
        case TColumnKind::DateTime:
            SetParamDateTime(AFrom.*std::get<TDateTime TRecord::*>(column.Member), param);
            break;
        }
    }
}

template <typename TRecord>
bool TDataAccess::LoadRowById(std::unique_ptr<fb::TFbStatement>& AStatement, sql::TLines ASelect, std::int32_t AId,
                              std::span<const TColumn<std::type_identity_t<TRecord>>> AColumns, TRecord& ATo)
{
    if (!AStatement) AStatement = NewStatement(ASelect);
    fb::TFbStatement& sql = *AStatement;
    SetParamInteger(AId, sql.Param("ID"), false);
    sql.Execute();
    const bool found = !sql.Eof();
    if (found) ReadColumns(sql, AColumns, ATo);
    sql.Close();
    return found;
}

template <typename TRecord>
void TDataAccess::SaveRowWithId(std::unique_ptr<fb::TFbStatement>& AStatement, std::string (*AWriteText)(),
                                const char* AGenerator,
                                std::span<const TColumn<std::type_identity_t<TRecord>>> AColumns, TRecord& ARecord)
{
    if (ARecord.Id == 0) ARecord.Id = GenId(AGenerator);
    if (!AStatement) AStatement = NewStatement(AWriteText());
    BindColumns(ARecord, AColumns, *AStatement);
    AStatement->Execute();
}

class TQorItaChiamateAccess : public TDataAccess {
public:
    using TDataAccess::TDataAccess;
    bool Load(std::int32_t AId, TQorItaChiamateData& ATo);
    void Save(TQorItaChiamateData& AData);

private:
    std::unique_ptr<fb::TFbStatement> FSelect;
    std::unique_ptr<fb::TFbStatement> FUpdateOrInsert;
};

class TQorItaTestateAccess : public TDataAccess {
public:
    using TDataAccess::TDataAccess;
    bool Load(std::int32_t AId, TQorItaTestateData& ATo);
    void Save(TQorItaTestateData& AData);

private:
    std::unique_ptr<fb::TFbStatement> FSelect;
    std::unique_ptr<fb::TFbStatement> FUpdateOrInsert;
};

class TQorItaRigheAccess : public TDataAccess {
public:
    using TDataAccess::TDataAccess;
    // Appends the parcels of the header to ATo; false when it has none.
    bool Load(std::int32_t ATestata, TQorItaRigheList& ATo);
    void Save(const TQorItaRigheList& AData);
    std::int32_t GenContatoreProgressivo();
    // A new counter above AUltimoUsato: a draw at or below it moves the
    // generator past it first.
    std::int32_t GenContatoreProgressivoOltre(std::int32_t AUltimoUsato);

private:
    std::unique_ptr<fb::TFbStatement> FSelect;
    std::unique_ptr<fb::TFbStatement> FUpdateOrInsert;
    std::unique_ptr<fb::TFbStatement> FAvanzaContatore;
};

class TQorItaLogAccess : public TDataAccess {
public:
    using TDataAccess::TDataAccess;
    // Log rows are only ever inserted.
    void Save(TQorItaLogData& AData);

private:
    std::unique_ptr<fb::TFbStatement> FInsert;
};

// The database itself, as the journal beside the archive tells databases apart.
class TQorItaDatabaseAccess : public TDataAccess {
public:
    using TDataAccess::TDataAccess;
    // Creation stamp and file, one line.
    std::string Identita();

private:
    std::unique_ptr<fb::TFbStatement> FIdentita;
};

// Reads the service parameters through the parameter-table component, in one
// update bracket of its own; it runs no statement itself, so it needs neither
// the run's connection nor its transaction.
class TQorItaParametriAccess {
public:
    explicit TQorItaParametriAccess(TKelTabX* AKelTabX) : FKelTabX(AKelTabX) {}
    TKelTabX* KelTabX() const { return FKelTabX; }
    void Load(TQorItaParametri& ATo);

private:
    TKelTabX* FKelTabX;
};

}  // namespace qorita
