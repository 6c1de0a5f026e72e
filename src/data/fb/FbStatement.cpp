#include "data/fb/FbStatement.h"

#include "common/Exception.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbStatementImpl.h"
#include "data/fb/FbTransaction.h"
#include "data/fb/FbValues.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace qorita::fb {
namespace {

constexpr unsigned kCharsetUtf8 = 4;
constexpr std::size_t kMaxVarying = 32765;
constexpr unsigned kBlobSegment = 32768;

std::string UpperAscii(std::string_view AText)
{
    std::string result(AText);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

bool IsNumericType(unsigned AType)
{
    return AType == SQL_SHORT || AType == SQL_LONG || AType == SQL_INT64 || AType == SQL_FLOAT ||
           AType == SQL_DOUBLE || AType == SQL_D_FLOAT;
}

}  // namespace

void TFbStatement::TImpl::Prepare(TFbStatus& AStatus)
{
    Firebird::IAttachment* attachment = Connection.Handle();
    Statement.reset(attachment->prepare(AStatus.Get(), Transaction.Handle(), 0, Translated.PositionalSql.c_str(),
                                        SQL_DIALECT_V6, Firebird::IStatement::PREPARE_PREFETCH_METADATA));
    if (AStatus.Failed()) Statement.release();
    AStatus.Check();
    const unsigned type = Statement->getType(AStatus.Get());
    AStatus.Check();
    IsSelect = type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd;
    InputMeta.reset(Statement->getInputMetadata(AStatus.Get()));
    AStatus.Check();
    if (Named && InputMeta->getCount(AStatus.Get()) != Translated.ParameterAtPosition.size()) {
        throw Exception("Parameter count mismatch in statement");
    }
    TRef<Firebird::IMessageMetadata> declared(Statement->getOutputMetadata(AStatus.Get()));
    AStatus.Check();
    BuildOutput(AStatus, declared.get());
}

// Output columns are coerced to the few kinds the program reads: 64-bit
// integers, doubles (also for scaled NUMERIC/DECIMAL), VARCHAR text (CHAR
// included), text blobs and timestamps (DATE included).
void TFbStatement::TImpl::BuildOutput(TFbStatus& AStatus, Firebird::IMessageMetadata* ADeclared)
{
    const unsigned count = ADeclared->getCount(AStatus.Get());
    AStatus.Check();
    TRef<Firebird::IMetadataBuilder> builder(ADeclared->getBuilder(AStatus.Get()));
    AStatus.Check();
    Fields.clear();
    FieldIndex.clear();
    for (unsigned i = 0; i < count; ++i) {
        const unsigned type = ADeclared->getType(AStatus.Get(), i) & ~1u;
        const int scale = ADeclared->getScale(AStatus.Get(), i);
        AStatus.Check();
        if ((type == SQL_SHORT || type == SQL_LONG || type == SQL_INT64) && scale == 0) {
            builder->setType(AStatus.Get(), i, SQL_INT64 + 1);
            builder->setLength(AStatus.Get(), i, sizeof(ISC_INT64));
            builder->setScale(AStatus.Get(), i, 0);
        } else if (IsNumericType(type)) {
            builder->setType(AStatus.Get(), i, SQL_DOUBLE + 1);
            builder->setLength(AStatus.Get(), i, sizeof(double));
            builder->setScale(AStatus.Get(), i, 0);
        } else if (type == SQL_TEXT) {
            builder->setType(AStatus.Get(), i, SQL_VARYING + 1);
        } else if (type == SQL_TYPE_DATE) {
            builder->setType(AStatus.Get(), i, SQL_TIMESTAMP + 1);
            builder->setLength(AStatus.Get(), i, sizeof(ISC_TIMESTAMP));
        } else {
            builder->setType(AStatus.Get(), i, type + 1);
        }
        AStatus.Check();
        const char* alias = ADeclared->getAlias(AStatus.Get(), i);
        AStatus.Check();
        std::string name = UpperAscii(alias ? alias : "");
        FieldIndex.emplace(name, i);
        Fields.push_back(TFbField(*Owner, i, name));
    }
    OutputMeta.reset(builder->getMetadata(AStatus.Get()));
    AStatus.Check();
    OutputBuffer.assign(OutputMeta->getMessageLength(AStatus.Get()), 0);
    AStatus.Check();
}

const TFbParam& TFbStatement::TImpl::ParamAt(unsigned APosition) const
{
    static const TFbParam kNull;
    if (!Named) return kNull;
    return Params.find(Translated.ParameterAtPosition[APosition])->second;
}

// The input message is built for the values at hand: each value keeps its own
// kind and the server converts it to the parameter's declared type (and reports
// a value the column cannot take). Text for a blob parameter goes into a new blob.
TRef<Firebird::IMessageMetadata> TFbStatement::TImpl::BuildInput(TFbStatus& AStatus,
                                                                 std::vector<unsigned char>& ABuffer)
{
    const unsigned count = InputMeta->getCount(AStatus.Get());
    AStatus.Check();
    TRef<Firebird::IMetadataBuilder> builder(InputMeta->getBuilder(AStatus.Get()));
    AStatus.Check();
    std::vector<unsigned> declaredTypes(count);
    for (unsigned i = 0; i < count; ++i) {
        const unsigned declared = InputMeta->getType(AStatus.Get(), i) & ~1u;
        AStatus.Check();
        declaredTypes[i] = declared;
        const TFbParam::TValue& value = ParamAt(i).Value();
        if (declared == SQL_BLOB && !std::holds_alternative<std::monostate>(value)) {
            builder->setType(AStatus.Get(), i, SQL_BLOB + 1);
        } else if (std::holds_alternative<std::int64_t>(value)) {
            builder->setType(AStatus.Get(), i, SQL_INT64 + 1);
            builder->setLength(AStatus.Get(), i, sizeof(ISC_INT64));
            builder->setScale(AStatus.Get(), i, 0);
        } else if (std::holds_alternative<double>(value)) {
            builder->setType(AStatus.Get(), i, SQL_DOUBLE + 1);
            builder->setLength(AStatus.Get(), i, sizeof(double));
            builder->setScale(AStatus.Get(), i, 0);
        } else if (const auto* text = std::get_if<std::string>(&value)) {
            if (text->size() > kMaxVarying) {
                throw Exception(Format("Text of %zu bytes is too long for a parameter of this statement",
                                       text->size()));
            }
            builder->setType(AStatus.Get(), i, SQL_VARYING + 1);
            builder->setLength(AStatus.Get(), i, static_cast<unsigned>(std::max<std::size_t>(text->size(), 1)));
            builder->setScale(AStatus.Get(), i, 0);
            builder->setCharSet(AStatus.Get(), i, kCharsetUtf8);
        } else if (std::holds_alternative<TFbDateTimeValue>(value)) {
            builder->setType(AStatus.Get(), i, SQL_TIMESTAMP + 1);
            builder->setLength(AStatus.Get(), i, sizeof(ISC_TIMESTAMP));
            builder->setScale(AStatus.Get(), i, 0);
        } else {
            builder->setType(AStatus.Get(), i, declared + 1);
        }
        AStatus.Check();
    }
    TRef<Firebird::IMessageMetadata> meta(builder->getMetadata(AStatus.Get()));
    AStatus.Check();
    ABuffer.assign(meta->getMessageLength(AStatus.Get()), 0);
    AStatus.Check();
    for (unsigned i = 0; i < count; ++i) {
        const unsigned offset = meta->getOffset(AStatus.Get(), i);
        const unsigned nullOffset = meta->getNullOffset(AStatus.Get(), i);
        AStatus.Check();
        unsigned char* data = ABuffer.data() + offset;
        auto* nullFlag = reinterpret_cast<short*>(ABuffer.data() + nullOffset);
        const TFbParam::TValue& value = ParamAt(i).Value();
        *nullFlag = std::holds_alternative<std::monostate>(value) ? -1 : 0;
        if (*nullFlag) continue;
        if (declaredTypes[i] == SQL_BLOB) {
            std::string text;
            if (const auto* s = std::get_if<std::string>(&value)) {
                text = *s;
            } else if (const auto* n = std::get_if<std::int64_t>(&value)) {
                text = std::to_string(*n);
            } else if (const auto* d = std::get_if<double>(&value)) {
                text = DoubleToText(*d);
            } else {
                throw Exception("A date-time cannot be written into a blob column");
            }
            ISC_QUAD id;
            WriteBlob(AStatus, text, id);
            std::memcpy(data, &id, sizeof id);
        } else if (const auto* n = std::get_if<std::int64_t>(&value)) {
            std::memcpy(data, n, sizeof *n);
        } else if (const auto* d = std::get_if<double>(&value)) {
            std::memcpy(data, d, sizeof *d);
        } else if (const auto* s = std::get_if<std::string>(&value)) {
            const auto length = static_cast<ISC_USHORT>(s->size());
            std::memcpy(data, &length, sizeof length);
            std::memcpy(data + sizeof length, s->data(), s->size());
        } else if (const auto* t = std::get_if<TFbDateTimeValue>(&value)) {
            const ISC_TIMESTAMP ts = EncodeTimestamp(t->Value);
            std::memcpy(data, &ts, sizeof ts);
        }
    }
    return meta;
}

void TFbStatement::TImpl::WriteBlob(TFbStatus& AStatus, const std::string& AText, ISC_QUAD& AId)
{
    Firebird::IAttachment* attachment = Connection.Handle();
    TRef<Firebird::IBlob> blob(attachment->createBlob(AStatus.Get(), Transaction.Handle(), &AId, 0, nullptr));
    if (AStatus.Failed()) blob.release();
    AStatus.Check();
    for (std::size_t done = 0; done < AText.size(); done += kBlobSegment) {
        const auto length = static_cast<unsigned>(std::min<std::size_t>(kBlobSegment, AText.size() - done));
        blob->putSegment(AStatus.Get(), length, AText.data() + done);
        AStatus.Check();
    }
    blob->close(AStatus.Get());
    if (!AStatus.Failed()) blob.release();  // close releases the interface
    AStatus.Check();
}

std::string TFbStatement::TImpl::ReadBlob(const ISC_QUAD& AId) const
{
    TFbStatus status;
    Firebird::IAttachment* attachment = Connection.Handle();
    ISC_QUAD id = AId;
    TRef<Firebird::IBlob> blob(attachment->openBlob(status.Get(), Transaction.Handle(), &id, 0, nullptr));
    if (status.Failed()) blob.release();
    status.Check();
    std::string result;
    std::vector<char> segment(kBlobSegment);
    for (;;) {
        unsigned length = 0;
        const int code = blob->getSegment(status.Get(), static_cast<unsigned>(segment.size()), segment.data(), &length);
        if (code == Firebird::IStatus::RESULT_OK || code == Firebird::IStatus::RESULT_SEGMENT) {
            result.append(segment.data(), length);
            continue;
        }
        if (code == Firebird::IStatus::RESULT_NO_DATA) break;
        status.Check();
        break;
    }
    blob->close(status.Get());
    if (!status.Failed()) blob.release();
    status.Check();
    return result;
}

void TFbStatement::TImpl::CloseCursor()
{
    HasRow = false;
    if (!Cursor) return;
    TFbStatus status;
    Cursor->close(status.Get());
    if (!status.Failed()) Cursor.release();  // close releases the interface
    Cursor.reset();
    status.Check();
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
    if (FImpl->Statement) {
        TFbStatus status;
        FImpl->Statement->free(status.Get());
        if (!status.Failed()) FImpl->Statement.release();
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
    TFbStatus status;
    if (!FImpl->Statement) FImpl->Prepare(status);
}

void TFbStatement::Execute()
{
    FImpl->CloseCursor();
    TFbStatus status;
    if (!FImpl->Statement) FImpl->Prepare(status);
    std::vector<unsigned char> input;
    TRef<Firebird::IMessageMetadata> inputMeta = FImpl->BuildInput(status, input);
    Firebird::ITransaction* transaction = FImpl->Transaction.Handle();
    if (FImpl->IsSelect) {
        FImpl->Cursor.reset(FImpl->Statement->openCursor(status.Get(), transaction, inputMeta.get(), input.data(),
                                                         FImpl->OutputMeta.get(), 0));
        if (status.Failed()) FImpl->Cursor.release();
        status.Check();
        Fetch();
    } else {
        const bool hasOutput = !FImpl->Fields.empty();
        FImpl->Statement->execute(status.Get(), transaction, inputMeta.get(), input.data(),
                                  hasOutput ? FImpl->OutputMeta.get() : nullptr,
                                  hasOutput ? FImpl->OutputBuffer.data() : nullptr);
        status.Check();
        FImpl->HasRow = hasOutput;
    }
}

bool TFbStatement::Eof() const { return !FImpl->HasRow; }

bool TFbStatement::Fetch()
{
    if (!FImpl->Cursor) {
        FImpl->HasRow = false;
        return false;
    }
    TFbStatus status;
    const int code = FImpl->Cursor->fetchNext(status.Get(), FImpl->OutputBuffer.data());
    status.Check();
    FImpl->HasRow = code == Firebird::IStatus::RESULT_OK;
    return FImpl->HasRow;
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
