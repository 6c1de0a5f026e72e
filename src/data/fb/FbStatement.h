#pragma once

// A prepared statement with named parameters and columns read by name.
//
// The statement is prepared once, at its first execution, and re-executed with
// new values. Input values are int32/int64, double, text (also into text blob
// columns, of any size), date-time and NULL; every parameter starts as NULL.
// Columns of any type the calling application chose (SMALLINT/INTEGER/BIGINT,
// scaled NUMERIC/DECIMAL, FLOAT/DOUBLE, CHAR/VARCHAR, text blobs, DATE/TIMESTAMP)
// are read back as the kind the caller asks for; the server does the
// conversions, so its own messages reach the caller.
#include "common/DateTime.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

namespace qorita::fb {

class TFbConnection;
class TFbTransaction;

struct TFbDateTimeValue {
    TDateTime Value;
};

class TFbParam {
public:
    void SetNull() { FValue = std::monostate{}; }
    void SetInt32(std::int32_t AValue) { FValue = static_cast<std::int64_t>(AValue); }
    void SetInt64(std::int64_t AValue) { FValue = AValue; }
    void SetDouble(double AValue) { FValue = AValue; }
    void SetText(std::string AValue)
    {
        FValue = std::move(AValue);
        FCutToFit = false;
    }
    // Text written into a column: cut, on a character boundary, to the
    // characters the column's declared type holds (CHAR/VARCHAR; a blob
    // takes it whole), so that a long text never costs the row.
    void SetTextCutToFit(std::string AValue)
    {
        FValue = std::move(AValue);
        FCutToFit = true;
    }
    bool CutToFit() const { return FCutToFit; }
    // Written to the whole second: milliseconds are dropped.
    void SetDateTime(TDateTime AValue) { FValue = TFbDateTimeValue{AValue}; }

    using TValue = std::variant<std::monostate, std::int64_t, double, std::string, TFbDateTimeValue>;
    const TValue& Value() const { return FValue; }

private:
    TValue FValue;
    bool FCutToFit = false;
};

class TFbStatement;

// A column of the statement's current row.
class TFbField {
public:
    bool IsNull() const;
    std::int32_t AsInt32() const;
    std::int64_t AsInt64() const;
    double AsDouble() const;
    std::string AsText() const;
    // To the whole second.
    TDateTime AsDateTime() const;
    const std::string& Name() const { return FName; }

private:
    friend class TFbStatement;
    TFbField(const TFbStatement& AStatement, unsigned AIndex, std::string AName)
        : FStatement(&AStatement), FIndex(AIndex), FName(std::move(AName))
    {
    }
    const TFbStatement* FStatement;
    unsigned FIndex;
    std::string FName;
};

class TFbStatement {
public:
    // With ANamedParameters false the text is sent as it stands (no ":NAME"
    // processing), as for statements built from a generator name.
    TFbStatement(TFbConnection& AConnection, TFbTransaction& ATransaction, std::string ASql,
                 bool ANamedParameters = true);
    ~TFbStatement();
    TFbStatement(const TFbStatement&) = delete;
    TFbStatement& operator=(const TFbStatement&) = delete;

    // The parameter of that name (case-insensitive); an unknown name is an error.
    TFbParam& Param(std::string_view AName);

    // Prepares the statement now, without running it: the server checks that
    // its tables, columns and generators exist and that the account may use
    // them. Execute prepares on its own when needed.
    void Prepare();

    // Runs the statement in the transaction's current handle. For a select the
    // cursor is opened and the first row fetched (see Eof).
    void Execute();
    bool Eof() const;
    bool Fetch();
    void Close();

    // A column of the current row by name (case-insensitive); unknown is an error.
    const TFbField& Field(std::string_view AName);
    // A column of the current row by position, from 0.
    const TFbField& FieldAt(unsigned AIndex);

    const std::string& Sql() const;

    struct TImpl;

private:
    friend class TFbField;
    std::unique_ptr<TImpl> FImpl;
};

}  // namespace qorita::fb
