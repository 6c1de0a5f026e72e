#include "data/fb/FbStatement.h"

#include "common/Exception.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "common/Utf8.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbStatementImpl.h"
#include "data/fb/FbTransaction.h"
#include "data/fb/FbValues.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace qorita::fb {
namespace {

constexpr unsigned CharsetUtf8 = 4;
constexpr std::size_t MaxVarying = 32765;
constexpr unsigned BlobSegment = 32768;

// The most bytes one character takes in a character set: Firebird declares a
// text parameter's length in bytes, that many characters times this.
unsigned BytesPerCharacter(unsigned ACharSet)
{
    switch (ACharSet & 0xFF) {
    case 3: return 3;   // UNICODE_FSS
    case 4: return 4;   // UTF8
    case 69: return 4;  // GB18030
    case 5:
    case 6:
    case 44:
    case 56:
    case 57:
    case 67:
    case 68: return 2;  // SJIS, EUCJ, KSC, BIG5, GB2312, GBK, CP943C
    default: return 1;
    }
}

std::string_view WithoutLastCharacter(std::string_view AText)
{
    std::size_t end = AText.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(AText[end]) & 0xC0) == 0x80) --end;
    return AText.substr(0, end);
}

bool IsNumericType(unsigned AType)
{
    return AType == SQL_SHORT || AType == SQL_LONG || AType == SQL_INT64 || AType == SQL_FLOAT || AType == SQL_DOUBLE ||
           AType == SQL_D_FLOAT;
}

}  // namespace

void TFbStatement::TImpl::Prepare(TStatusWrapper& AStatus)
{
    Firebird::IAttachment* attachment = Connection.Handle();
    TRef<Firebird::IStatement> statement(attachment->prepare(&AStatus, Transaction.Handle(), 0,
                                                             Translated.PositionalSql.c_str(), SQL_DIALECT_V6,
                                                             Firebird::IStatement::PREPARE_PREFETCH_METADATA));
    const unsigned type = statement->getType(&AStatus);
    TRef<Firebird::IMessageMetadata> input(statement->getInputMetadata(&AStatus));
    if (Named && input->getCount(&AStatus) != Translated.ParameterAtPosition.size()) {
        throw Exception("Parameter count mismatch in statement");
    }
    const TRef<Firebird::IMessageMetadata> declared(statement->getOutputMetadata(&AStatus));
    BuildOutput(AStatus, declared.get());
    IsSelect = type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd;
    InputMeta = std::move(input);
    Statement = std::move(statement);
}

// Output columns are coerced to the few kinds the program reads: 64-bit
// integers, doubles (also for scaled NUMERIC/DECIMAL), VARCHAR text (CHAR
// included), text blobs and timestamps (DATE included).
void TFbStatement::TImpl::BuildOutput(TStatusWrapper& AStatus, Firebird::IMessageMetadata* ADeclared)
{
    const unsigned count = ADeclared->getCount(&AStatus);
    const TRef<Firebird::IMetadataBuilder> builder(ADeclared->getBuilder(&AStatus));
    Fields.clear();
    FieldIndex.clear();
    for (unsigned i = 0; i < count; ++i) {
        const unsigned type = ADeclared->getType(&AStatus, i) & ~1u;
        const int scale = ADeclared->getScale(&AStatus, i);
        if ((type == SQL_SHORT || type == SQL_LONG || type == SQL_INT64) && scale == 0) {
            builder->setType(&AStatus, i, SQL_INT64 + 1);
            builder->setLength(&AStatus, i, sizeof(ISC_INT64));
            builder->setScale(&AStatus, i, 0);
        } else if (IsNumericType(type)) {
            builder->setType(&AStatus, i, SQL_DOUBLE + 1);
            builder->setLength(&AStatus, i, sizeof(double));
            builder->setScale(&AStatus, i, 0);
        } else if (type == SQL_TEXT) {
            builder->setType(&AStatus, i, SQL_VARYING + 1);
        } else if (type == SQL_TYPE_DATE) {
            builder->setType(&AStatus, i, SQL_TIMESTAMP + 1);
            builder->setLength(&AStatus, i, sizeof(ISC_TIMESTAMP));
        } else {
            builder->setType(&AStatus, i, type + 1);
        }
        const char* alias = ADeclared->getAlias(&AStatus, i);
        std::string name = UpperAscii(alias ? alias : "");
        FieldIndex.emplace(name, i);
        Fields.push_back(TFbField(*Owner, i, name));
    }
    OutputMeta.reset(builder->getMetadata(&AStatus));
    OutputBuffer.assign(OutputMeta->getMessageLength(&AStatus), 0);
    Columns.clear();
    for (unsigned i = 0; i < count; ++i) {
        Columns.push_back({OutputMeta->getType(&AStatus, i) & ~1u, OutputMeta->getOffset(&AStatus, i),
                           OutputMeta->getNullOffset(&AStatus, i)});
    }
}

const TFbParam& TFbStatement::TImpl::ParamAt(unsigned APosition) const
{
    static const TFbParam NullParam;
    if (!Named) return NullParam;
    return Params.find(Translated.ParameterAtPosition[APosition])->second;
}

// The input message is built for the values at hand: each value keeps its own
// kind and the server converts it to the parameter's declared type (and reports
// a value the column cannot take). Text for a blob parameter goes into a new blob.
TRef<Firebird::IMessageMetadata> TFbStatement::TImpl::BuildInput(TStatusWrapper& AStatus,
                                                                 std::vector<unsigned char>& ABuffer)
{
    const unsigned count = InputMeta->getCount(&AStatus);
    const TRef<Firebird::IMetadataBuilder> builder(InputMeta->getBuilder(&AStatus));
    std::vector<unsigned> declaredTypes(count);
    // Texts cut to their column, by position; the parameter keeps its value.
    std::map<unsigned, std::string> cut;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned declared = InputMeta->getType(&AStatus, i) & ~1u;
        declaredTypes[i] = declared;
        const TFbParam::TValue& value = ParamAt(i).Value();
        if (declared == SQL_BLOB && !std::holds_alternative<std::monostate>(value)) {
            builder->setType(&AStatus, i, SQL_BLOB + 1);
        } else if (std::holds_alternative<std::int64_t>(value)) {
            builder->setType(&AStatus, i, SQL_INT64 + 1);
            builder->setLength(&AStatus, i, sizeof(ISC_INT64));
            builder->setScale(&AStatus, i, 0);
        } else if (std::holds_alternative<double>(value)) {
            builder->setType(&AStatus, i, SQL_DOUBLE + 1);
            builder->setLength(&AStatus, i, sizeof(double));
            builder->setScale(&AStatus, i, 0);
        } else if (const auto* text = std::get_if<std::string>(&value)) {
            if (ParamAt(i).CutToFit() && (declared == SQL_VARYING || declared == SQL_TEXT)) {
                const unsigned bytes = InputMeta->getLength(&AStatus, i);
                std::string_view kept =
                    FirstCharacters(*text, bytes / BytesPerCharacter(InputMeta->getCharSet(&AStatus, i)));
                // A column without a character set counts bytes: no more of
                // them either, and no character cut in half.
                while (kept.size() > bytes) kept = WithoutLastCharacter(kept);
                cut[i] = kept;
                text = &cut[i];
            }
            if (text->size() > MaxVarying) {
                throw Exception(
                    Format("Text of %zu bytes is too long for a parameter of this statement", text->size()));
            }
            builder->setType(&AStatus, i, SQL_VARYING + 1);
            builder->setLength(&AStatus, i, static_cast<unsigned>(std::max<std::size_t>(text->size(), 1)));
            builder->setScale(&AStatus, i, 0);
            builder->setCharSet(&AStatus, i, CharsetUtf8);
        } else if (std::holds_alternative<TFbDateTimeValue>(value)) {
            builder->setType(&AStatus, i, SQL_TIMESTAMP + 1);
            builder->setLength(&AStatus, i, sizeof(ISC_TIMESTAMP));
            builder->setScale(&AStatus, i, 0);
        } else {
            builder->setType(&AStatus, i, declared + 1);
        }
    }
    TRef<Firebird::IMessageMetadata> meta(builder->getMetadata(&AStatus));
    ABuffer.assign(meta->getMessageLength(&AStatus), 0);
    for (unsigned i = 0; i < count; ++i) {
        const unsigned offset = meta->getOffset(&AStatus, i);
        const unsigned nullOffset = meta->getNullOffset(&AStatus, i);
        unsigned char* data = ABuffer.data() + offset;
        const TFbParam::TValue& value = ParamAt(i).Value();
        const bool null = std::holds_alternative<std::monostate>(value);
        StoreValue<short>(ABuffer.data() + nullOffset, null ? -1 : 0);
        if (null) continue;
        if (declaredTypes[i] == SQL_BLOB) {
            std::string text;
            if (const auto* s = std::get_if<std::string>(&value)) {
                text = *s;
            } else if (const auto* n = std::get_if<std::int64_t>(&value)) {
                text = FormatInteger(*n);
            } else if (const auto* d = std::get_if<double>(&value)) {
                text = FormatDouble(*d);
            } else {
                throw Exception("A date-time cannot be written into a blob column");
            }
            ISC_QUAD id;
            WriteBlob(AStatus, text, id);
            StoreValue(data, id);
        } else if (const auto* n = std::get_if<std::int64_t>(&value)) {
            StoreValue(data, *n);
        } else if (const auto* d = std::get_if<double>(&value)) {
            StoreValue(data, *d);
        } else if (const auto* s = std::get_if<std::string>(&value)) {
            if (const auto found = cut.find(i); found != cut.end()) s = &found->second;
            const auto length = static_cast<ISC_USHORT>(s->size());
            StoreValue(data, length);
            std::memcpy(data + sizeof length, s->data(), s->size());
        } else if (const auto* t = std::get_if<TFbDateTimeValue>(&value)) {
            StoreValue(data, EncodeTimestamp(t->Value));
        }
    }
    return meta;
}

void TFbStatement::TImpl::WriteBlob(TStatusWrapper& AStatus, const std::string& AText, ISC_QUAD& AId)
{
    Firebird::IAttachment* attachment = Connection.Handle();
    TRef<Firebird::IBlob> blob(attachment->createBlob(&AStatus, Transaction.Handle(), &AId, 0, nullptr));
    for (std::size_t done = 0; done < AText.size(); done += BlobSegment) {
        const auto length = static_cast<unsigned>(std::min<std::size_t>(BlobSegment, AText.size() - done));
        blob->putSegment(&AStatus, length, AText.data() + done);
    }
    blob->close(&AStatus);
    Forget(blob);
}

std::string TFbStatement::TImpl::ReadBlob(const ISC_QUAD& AId) const
{
    return Guarded([&](TStatusWrapper& AStatus) {
        Firebird::IAttachment* attachment = Connection.Handle();
        ISC_QUAD id = AId;
        TRef<Firebird::IBlob> blob(attachment->openBlob(&AStatus, Transaction.Handle(), &id, 0, nullptr));
        std::string result;
        std::vector<char> segment(BlobSegment);
        for (;;) {
            unsigned length = 0;
            const int code = blob->getSegment(&AStatus, static_cast<unsigned>(segment.size()), segment.data(), &length);
            if (code != Firebird::IStatus::RESULT_OK && code != Firebird::IStatus::RESULT_SEGMENT) break;
            result.append(segment.data(), length);
        }
        blob->close(&AStatus);
        Forget(blob);
        return result;
    });
}

void TFbStatement::TImpl::Run(TStatusWrapper& AStatus)
{
    std::vector<unsigned char> input;
    const TRef<Firebird::IMessageMetadata> inputMeta = BuildInput(AStatus, input);
    Firebird::ITransaction* transaction = Transaction.Handle();
    if (IsSelect) {
        Cursor.reset(Statement->openCursor(&AStatus, transaction, inputMeta.get(), input.data(), OutputMeta.get(), 0));
        FetchNext(AStatus);
    } else {
        const bool hasOutput = !Fields.empty();
        Statement->execute(&AStatus, transaction, inputMeta.get(), input.data(), hasOutput ? OutputMeta.get() : nullptr,
                           hasOutput ? OutputBuffer.data() : nullptr);
        HasRow = hasOutput;
    }
}

bool TFbStatement::TImpl::FetchNext(TStatusWrapper& AStatus)
{
    if (!Cursor) {
        HasRow = false;
        return false;
    }
    HasRow = Cursor->fetchNext(&AStatus, OutputBuffer.data()) == Firebird::IStatus::RESULT_OK;
    return HasRow;
}

void TFbStatement::TImpl::CloseCursor()
{
    HasRow = false;
    if (!Cursor) return;
    // A cursor that fails to close is let go of all the same.
    TRef<Firebird::IResultSet> cursor = std::move(Cursor);
    Guarded([&](TStatusWrapper& AStatus) {
        cursor->close(&AStatus);
        Forget(cursor);
    });
}

void TFbStatement::TImpl::Free()
{
    if (!Statement) return;
    Guarded([&](TStatusWrapper& AStatus) {
        Statement->free(&AStatus);
        Forget(Statement);
    });
}

TFbStatement::TFbStatement(TFbConnection& AConnection, TFbTransaction& ATransaction, std::string ASql,
                           bool ANamedParameters)
    : FImpl(std::make_unique<TImpl>(this, AConnection, ATransaction, std::move(ASql), ANamedParameters))
{
}

TFbStatement::~TFbStatement()
{
    try {
        FImpl->CloseCursor();
    } catch (...) {
        // A cursor that cannot be closed goes with its transaction.
    }
    try {
        FImpl->Free();
    } catch (...) {
        // Its owner releases a statement that cannot be freed.
    }
}

const std::string& TFbStatement::Sql() const { return FImpl->Sql; }

TFbParam& TFbStatement::Param(std::string_view AName)
{
    auto found = FImpl->Params.find(UpperAscii(AName));
    if (found == FImpl->Params.end()) {
        throw Exception(Format("Parameter \"%.*s\" not found", static_cast<int>(AName.size()), AName.data()));
    }
    return found->second;
}

void TFbStatement::Prepare()
{
    Guarded([&](TStatusWrapper& AStatus) {
        if (!FImpl->Statement) FImpl->Prepare(AStatus);
    });
}

void TFbStatement::Execute()
{
    FImpl->CloseCursor();
    Guarded([&](TStatusWrapper& AStatus) {
        if (!FImpl->Statement) FImpl->Prepare(AStatus);
        FImpl->Run(AStatus);
    });
}

bool TFbStatement::Eof() const { return !FImpl->HasRow; }

bool TFbStatement::Fetch()
{
    return Guarded([&](TStatusWrapper& AStatus) { return FImpl->FetchNext(AStatus); });
}

void TFbStatement::Close() { FImpl->CloseCursor(); }

const TFbField& TFbStatement::Field(std::string_view AName)
{
    if (!FImpl->Statement) throw Exception("Statement has not been executed");
    auto found = FImpl->FieldIndex.find(UpperAscii(AName));
    if (found == FImpl->FieldIndex.end()) {
        throw Exception(Format("Column unknown: %.*s", static_cast<int>(AName.size()), AName.data()));
    }
    if (!FImpl->HasRow) throw Exception("No current row");
    return FImpl->Fields[found->second];
}

const TFbField& TFbStatement::FieldAt(unsigned AIndex)
{
    if (!FImpl->Statement) throw Exception("Statement has not been executed");
    if (AIndex >= FImpl->Fields.size()) throw Exception(Format("Column %u does not exist", AIndex));
    if (!FImpl->HasRow) throw Exception("No current row");
    return FImpl->Fields[AIndex];
}

}  // namespace qorita::fb
