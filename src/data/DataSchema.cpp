#include "data/DataSchema.h"

#include "common/Text.h"
#include "data/fb/FbStatement.h"
#include "data/fb/NamedSql.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <string_view>

namespace qorita {
namespace {

// The words of the program's statements that name no table, column or generator.
bool IsKeyword(std::string_view AWord)
{
    static const std::set<std::string, std::less<>> keywords{
        "AND",  "AS", "BY",    "DISTINCT", "FROM", "INSERT", "INTO",   "IS",    "LOCK", "NOT",
        "NULL", "OR", "ORDER", "SELECT",   "SET",  "UPDATE", "VALUES", "WHERE", "WITH"};
    return keywords.find(AWord) != keywords.end();
}

}  // namespace

TSqlObjects SqlObjects(const std::vector<std::string>& AStatements)
{
    TSqlObjects result;
    for (const std::string& statement : AStatements) {
        std::string table;
        std::vector<std::string> columns;
        std::string previous;        // the previous word, or the punctuation before this name
        bool generatorNext = false;  // GEN_ID was the last word: "(" and the generator follow
        for (const fb::TSqlToken& token : fb::SqlTokens(statement)) {
            std::string word;
            switch (token.Kind) {
            case fb::TSqlTokenKind::Blank:
            case fb::TSqlTokenKind::Comment: continue;
            case fb::TSqlTokenKind::Literal:
                // Nothing in a literal names anything.
                previous.clear();
                continue;
            case fb::TSqlTokenKind::Punctuation: previous = std::string(token.Text); continue;
            case fb::TSqlTokenKind::Parameter:
                generatorNext = false;
                previous = token.Name;
                continue;
            case fb::TSqlTokenKind::Identifier:
                // A quoted name keeps its letter case.
                word = std::string(token.Text.substr(1, token.Text.size() - 2));
                break;
            case fb::TSqlTokenKind::Word: word = UpperAscii(token.Text); break;
            }
            if (word.empty()) continue;
            const bool isNumber = std::isdigit(static_cast<unsigned char>(word.front())) != 0;
            if (generatorNext && previous == "(") {
                result.Generators.insert(word);
            } else if (previous == "FROM" || previous == "INTO") {
                if (word.rfind("RDB$", 0) != 0) table = word;
            } else if (word != "GEN_ID" && !isNumber && !IsKeyword(word)) {
                columns.push_back(word);
            }
            generatorNext = word == "GEN_ID";
            previous = word;
        }
        if (!table.empty()) {
            std::set<std::string>& known = result.Tables[table];
            known.insert(columns.begin(), columns.end());
        }
    }
    return result;
}

std::vector<std::string> MissingObjects(fb::TFbConnection& ADatabase, fb::TFbTransaction& ATransaction,
                                        const TSqlObjects& AObjects)
{
    std::vector<std::string> missing;
    fb::TFbStatement fields(ADatabase, ATransaction,
                            "SELECT RDB$FIELD_NAME FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME=:NAME");
    for (const auto& [table, columns] : AObjects.Tables) {
        fields.Param("NAME").SetText(table);
        fields.Execute();
        std::set<std::string> present;
        for (; !fields.Eof(); fields.Fetch()) present.insert(std::string(Trim(fields.FieldAt(0).AsText())));
        fields.Close();
        if (present.empty()) {
            missing.push_back("table " + table);
            continue;
        }
        for (const std::string& column : columns) {
            if (present.find(column) == present.end()) missing.push_back("column " + table + "." + column);
        }
    }
    fb::TFbStatement generators(ADatabase, ATransaction,
                                "SELECT COUNT(*) FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME=:NAME");
    for (const std::string& generator : AObjects.Generators) {
        generators.Param("NAME").SetText(generator);
        generators.Execute();
        const bool present = generators.FieldAt(0).AsInt64() > 0;
        generators.Close();
        if (!present) missing.push_back("generator " + generator);
    }
    return missing;
}

std::vector<std::string> RefusedStatements(fb::TFbConnection& ADatabase, fb::TFbTransaction& ATransaction,
                                           const std::vector<std::string>& AStatements)
{
    std::vector<std::string> refused;
    for (const std::string& text : AStatements) {
        try {
            fb::TFbStatement statement(ADatabase, ATransaction, text);
            statement.Prepare();
        } catch (const std::exception& error) {
            const std::string message = OneLine(error.what());
            // Two statements on one table are often refused for the same reason.
            if (std::find(refused.begin(), refused.end(), message) == refused.end()) refused.push_back(message);
        }
    }
    return refused;
}

}  // namespace qorita
