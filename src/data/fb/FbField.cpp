// Reading the columns of the current row as the kinds the caller asks for.
#include "data/fb/FbStatement.h"

#include "common/Exception.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "data/fb/FbStatementImpl.h"
#include "data/fb/FbValues.h"

#include <cmath>
#include <limits>

namespace qorita::fb {
namespace {

// A number held in a text column, read as the database reads one when it casts
// text to a number: blanks around it (a CHAR column comes padded) and a "+"
// sign are allowed.
std::string_view NumberText(std::string_view AText)
{
    std::string_view text = Trim(AText);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    return text;
}

}  // namespace

TRawColumn TFbStatement::TImpl::Column(unsigned AIndex) const
{
    const TColumnLayout& layout = Columns[AIndex];
    const unsigned char* buffer = OutputBuffer.data();
    return TRawColumn{layout.Type, buffer + layout.Offset, LoadValue<short>(buffer + layout.NullOffset) != 0};
}

bool TFbField::IsNull() const { return FStatement->FImpl->Column(FIndex).Null; }

std::int64_t TFbField::AsInt64() const
{
    const TRawColumn column = FStatement->FImpl->Column(FIndex);
    if (column.Null) return 0;
    switch (column.Type) {
    case SQL_INT64: return LoadValue<std::int64_t>(column.Data);
    case SQL_DOUBLE: {
        const auto value = LoadValue<double>(column.Data);
        if (!std::isfinite(value) || std::fabs(value) > 9.2e18) {
            throw Exception(Format("Value of column %s is not an integer", FName.c_str()));
        }
        return std::llround(value);
    }
    case SQL_BOOLEAN: return *column.Data ? 1 : 0;
    default: {
        const std::string text = AsText();
        std::int64_t value = 0;
        if (!ParseInteger(NumberText(text), value)) {
            throw Exception(Format("'%s' is not a valid integer value", text.c_str()));
        }
        return value;
    }
    }
}

std::int32_t TFbField::AsInt32() const
{
    const std::int64_t value = AsInt64();
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
        throw Exception(Format("Value %lld of column %s is out of the 32-bit integer range",
                               static_cast<long long>(value), FName.c_str()));
    }
    return static_cast<std::int32_t>(value);
}

double TFbField::AsDouble() const
{
    const TRawColumn column = FStatement->FImpl->Column(FIndex);
    if (column.Null) return 0.0;
    switch (column.Type) {
    case SQL_DOUBLE: return LoadValue<double>(column.Data);
    case SQL_INT64: return static_cast<double>(AsInt64());
    default: {
        const std::string text = AsText();
        double value = 0.0;
        if (!ParseDouble(NumberText(text), value)) {
            throw Exception(Format("'%s' is not a valid floating point value", text.c_str()));
        }
        return value;
    }
    }
}

std::string TFbField::AsText() const
{
    const TFbStatement::TImpl& impl = *FStatement->FImpl;
    const TRawColumn column = impl.Column(FIndex);
    if (column.Null) return {};
    switch (column.Type) {
    case SQL_VARYING: {
        const auto length = LoadValue<ISC_USHORT>(column.Data);
        return std::string(reinterpret_cast<const char*>(column.Data + sizeof length), length);
    }
    case SQL_BLOB: return impl.ReadBlob(LoadValue<ISC_QUAD>(column.Data));
    case SQL_INT64: return FormatInteger(AsInt64());
    case SQL_DOUBLE: return FormatDouble(AsDouble());
    case SQL_TIMESTAMP: return FormatIso(AsDateTime()).substr(0, 19);
    case SQL_BOOLEAN: return *column.Data ? "TRUE" : "FALSE";
    default: throw Exception(Format("Column %s cannot be read as text", FName.c_str()));
    }
}

TDateTime TFbField::AsDateTime() const
{
    const TRawColumn column = FStatement->FImpl->Column(FIndex);
    if (column.Null) return 0.0;
    switch (column.Type) {
    case SQL_TIMESTAMP: {
        const auto ts = LoadValue<ISC_TIMESTAMP>(column.Data);
        return DecodeTimestamp(ts.timestamp_date, ts.timestamp_time);
    }
    case SQL_TYPE_TIME: {
        const auto time = LoadValue<ISC_TIME>(column.Data);
        return TruncateToSecond(static_cast<double>(time) / (86400.0 * ISC_TIME_SECONDS_PRECISION));
    }
    default: throw Exception(Format("Column %s is not a date-time", FName.c_str()));
    }
}

}  // namespace qorita::fb
