#include "data/DataSql.h"

#include "data/DataColumns.h"

namespace qorita::sql {
namespace {

void AddLine(std::string& AText, std::string_view ALine)
{
    AText += ALine;
    AText += "\r\n";
}

// One line per column, "  <APrefix><NAME>", with the comma that separates it
// from the next column at the end of the line, or at the start of the next
// line for a column written with a leading comma.
template <typename TRecord, std::size_t N>
void AddColumnLines(std::string& AText, const std::array<TColumn<TRecord>, N>& AColumns, const char* APrefix)
{
    for (std::size_t i = 0; i < N; ++i) {
        std::string line = AColumns[i].Has(LeadingComma) ? "  ," : "  ";
        line += APrefix;
        line += AColumns[i].Name;
        if (i + 1 < N && !AColumns[i + 1].Has(LeadingComma)) line += ',';
        AddLine(AText, line);
    }
}

// The column list closed, then the parameter list in "VALUES(...)".
template <typename TRecord, std::size_t N>
void AddLists(std::string& AText, const std::array<TColumn<TRecord>, N>& AColumns)
{
    AddColumnLines(AText, AColumns, "");
    AddLine(AText, ")");
    AddLine(AText, "VALUES(");
    AddColumnLines(AText, AColumns, ":");
    AddLine(AText, ")");
}

template <typename TRecord, std::size_t N>
std::string UpdateOrInsertText(std::string_view ATable, const std::array<TColumn<TRecord>, N>& AColumns)
{
    std::string text;
    AddLine(text, "UPDATE OR INSERT INTO " + std::string(ATable) + "(");
    AddLists(text, AColumns);
    return text;
}

template <typename TRecord, std::size_t N>
std::string InsertText(std::string_view ATable, const std::array<TColumn<TRecord>, N>& AColumns)
{
    std::string text;
    AddLine(text, "INSERT INTO " + std::string(ATable));
    AddLine(text, "(");
    AddLists(text, AColumns);
    return text;
}

}  // namespace

std::string Text(TLines ALines)
{
    std::string text;
    for (const char* line : ALines) AddLine(text, line);
    return text;
}

std::string ChiamateUpdateOrInsert() { return UpdateOrInsertText("QORITA_CHIAMATE", ChiamateColumns); }
std::string TestateUpdateOrInsert() { return UpdateOrInsertText("QORITA_TESTATE", TestateColumns); }
std::string RigheUpdateOrInsert() { return UpdateOrInsertText("QORITA_RIGHE", RigheColumns); }
std::string LogInsert() { return InsertText("QORITA_LOG", LogColumns); }

std::string GenIdText(std::string_view AGenerator)
{
    return "SELECT GEN_ID(" + std::string(AGenerator) + ",1) FROM RDB$DATABASE";
}

std::vector<std::string> RunStatements()
{
    return {Text(ChiamateSelect),
            ChiamateUpdateOrInsert(),
            Text(TestateSelect),
            TestateUpdateOrInsert(),
            Text(RigheSelect),
            RigheUpdateOrInsert(),
            LogInsert(),
            Text(TabXSelect),
            GenIdText(GenLogId),
            GenIdText(GenRigheContatoreProg),
            Text(RigheContatoreAvanza)};
}

}  // namespace qorita::sql
