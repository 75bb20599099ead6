// Inserts rows into one table of the schema by column name, through one prepared statement.
#pragma once

#include "backend/Schema.h"
#include "backend/Sqlite.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace huddlepod::backend {

class RowWriter {
public:
    RowWriter(Connection& connection, const std::string& table);

    RowWriter& set(std::string_view column, SqlValue value);
    RowWriter& set(std::string_view column, int value) { return set(column, SqlValue(std::int64_t{value})); }
    RowWriter& set(std::string_view column, bool value) {
        return set(column, SqlValue(std::int64_t{value ? 1 : 0}));
    }
    RowWriter& set(std::string_view column, double value) { return set(column, SqlValue(value)); }
    RowWriter& set(std::string_view column, const char* value) {
        return set(column, SqlValue(std::string(value)));
    }
    RowWriter& set(std::string_view column, const std::string& value) { return set(column, SqlValue(value)); }
    template <typename T>
    RowWriter& set(std::string_view column, const std::optional<T>& value) {
        return value ? set(column, *value) : set(column, SqlValue{});
    }

    void insert(); // writes the row; columns not set are NULL

private:
    const Table& table_;
    std::unique_ptr<Statement> statement_;
    std::map<std::string, int, std::less<>> indexes_;
    std::vector<SqlValue> values_;
};

} // namespace huddlepod::backend
