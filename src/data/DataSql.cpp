#include "data/DataSql.h"

namespace qorita::sql {

std::string Text(TLines ALines)
{
    std::string text;
    for (const char* line : ALines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string GenIdText(std::string_view AGenerator)
{
    return "SELECT GEN_ID(" + std::string(AGenerator) + ",1) FROM RDB$DATABASE";
}

std::vector<std::string> RunStatements()
{
    return {
        Text(ChiamateSelect), Text(ChiamateUpdateOrInsert),     Text(TestateSelect),       Text(TestateUpdateOrInsert),
        Text(RigheSelect),    Text(RigheUpdateOrInsert),        Text(LogInsert),           Text(TabXSelect),
        GenIdText(GenLogId),  GenIdText(GenRigheContatoreProg), Text(RigheContatoreAvanza)};
}

}  // namespace qorita::sql
