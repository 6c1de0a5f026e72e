#pragma once

// What the program's SQL needs of the calling application's database, and
// whether the database has it. Used by the deployment check (-Verifica): it
// reads and prepares, and never runs a statement that writes.
#include "data/fb/FbForward.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace qorita {

// Tables with the columns the statements name, and the generators they draw from.
struct TSqlObjects {
    std::map<std::string, std::set<std::string>> Tables;
    std::set<std::string> Generators;
};

// Read from the statements' text, each a statement on one table: the name after
// FROM or INTO is the table (system tables, RDB$..., aside), the name inside
// GEN_ID(...) a generator, and every other name that is neither a keyword nor a
// :parameter a column of the table. "SELECT *" names no column.
TSqlObjects SqlObjects(const std::vector<std::string>& AStatements);

// What the database lacks of AObjects, one item each: "table T", "column T.C"
// (only for tables that exist), "generator G". Looked up in the system tables.
std::vector<std::string> MissingObjects(fb::TFbConnection& ADatabase, fb::TFbTransaction& ATransaction,
                                        const TSqlObjects& AObjects);

// Prepares each statement without running it and returns the server's message
// for each one it refuses: a missing object, or a permission the account lacks.
std::vector<std::string> RefusedStatements(fb::TFbConnection& ADatabase, fb::TFbTransaction& ATransaction,
                                           const std::vector<std::string>& AStatements);

}  // namespace qorita
