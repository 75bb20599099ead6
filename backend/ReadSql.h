// Turns a parsed table read into one SQLite statement that yields each row as a JSON object.
#pragma once

#include "backend/ReadQuery.h"
#include "backend/Schema.h"
#include "backend/Sqlite.h"

#include <string>
#include <vector>

namespace huddlepod::backend {

struct ReadSql {
    std::string sql; // one result column: the row's JSON object text
    std::vector<SqlValue> parameters;
};

// Every identifier in the SQL comes from the schema; every value the client sent is a bound parameter.
// Throws ApiError for unknown columns, relationships that do not exist or are ambiguous, and ill-typed
// values.
ReadSql buildReadSql(const Table& table, const ReadQuery& query, std::int64_t maxRows);

// The value of a filter as its column's type stores it; throws ApiError (400) when it is not one.
SqlValue coerceFilterValue(const Table& table, const Column& column, const std::string& text);

} // namespace huddlepod::backend
