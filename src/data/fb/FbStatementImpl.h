#pragma once

// The statement's state behind TFbStatement and TFbField: the prepared
// statement, its metadata and buffers, the open cursor. Internal to the wrapper.
#include "data/fb/FbOwners.h"
#include "data/fb/FbStatement.h"
#include "data/fb/FbStatus.h"
#include "data/fb/NamedSql.h"

#include <map>
#include <string>
#include <vector>

namespace qorita::fb {

struct TRawColumn {
    unsigned Type;
    const unsigned char* Data;
    bool Null;
};

// Where a column of the output message lies, read once from its metadata.
struct TColumnLayout {
    unsigned Type;
    unsigned Offset;
    unsigned NullOffset;
};

struct TFbStatement::TImpl {
    TFbStatement* Owner;
    TFbConnection& Connection;
    TFbTransaction& Transaction;
    std::string Sql;
    bool Named;
    TNamedSql Translated;
    std::map<std::string, TFbParam, std::less<>> Params;

    TRef<Firebird::IStatement> Statement;
    TRef<Firebird::IMessageMetadata> InputMeta;   // as declared by the server
    TRef<Firebird::IMessageMetadata> OutputMeta;  // coerced to the kinds we read
    std::vector<unsigned char> OutputBuffer;
    std::vector<TColumnLayout> Columns;
    TRef<Firebird::IResultSet> Cursor;
    bool IsSelect = false;
    bool HasRow = false;
    std::vector<TFbField> Fields;
    std::map<std::string, unsigned, std::less<>> FieldIndex;

    TImpl(TFbStatement* AOwner, TFbConnection& AConnection, TFbTransaction& ATransaction, std::string ASql, bool ANamed)
        : Owner(AOwner), Connection(AConnection), Transaction(ATransaction), Sql(std::move(ASql)), Named(ANamed)
    {
        if (Named) {
            Translated = TranslateNamedSql(Sql);
            for (const std::string& name : Translated.Names) Params.emplace(name, TFbParam{});
        } else {
            Translated.PositionalSql = Sql;
        }
    }

    // The statement is kept only when it is prepared with all its metadata.
    void Prepare(TStatusWrapper& AStatus);
    void BuildOutput(TStatusWrapper& AStatus, Firebird::IMessageMetadata* ADeclared);
    TRef<Firebird::IMessageMetadata> BuildInput(TStatusWrapper& AStatus, std::vector<unsigned char>& ABuffer);
    const TFbParam& ParamAt(unsigned APosition) const;
    void WriteBlob(TStatusWrapper& AStatus, const std::string& AText, ISC_QUAD& AId);
    std::string ReadBlob(const ISC_QUAD& AId) const;
    // Runs the prepared statement; a select opens its cursor on the first row.
    void Run(TStatusWrapper& AStatus);
    bool FetchNext(TStatusWrapper& AStatus);
    void CloseCursor();
    void Free();
    TRawColumn Column(unsigned AIndex) const;
};

}  // namespace qorita::fb
