// The catalog of the demo database: every table the server exposes, its typed columns and foreign keys.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace huddlepod::backend {

// How a column is stored in SQLite and written in JSON.
enum class ColumnType {
    Uuid,    // canonical lower-case text
    Integer, // JSON integer
    Real,    // JSON number
    Text,    // JSON string
    Boolean, // stored 0/1, JSON true/false
    Date,    // "YYYY-MM-DD" text
    Json,    // JSON text, written as JSON
};

std::string_view typeName(ColumnType type); // the PostgreSQL name, for error messages

struct Column {
    std::string name;
    ColumnType type;
};

// A many-to-one link: `column` of the owning table refers to `targetTable`.`targetColumn`.
struct ForeignKey {
    std::string name; // PostgreSQL's default constraint name: <table>_<column>_fkey
    std::string column;
    std::string targetTable;
    std::string targetColumn;
};

struct Table {
    std::string name;
    std::vector<Column> columns;
    std::vector<ForeignKey> foreignKeys;
    std::vector<std::string> indexes; // column lists, e.g. "player_id" or "season_id,team_id"
    bool exposed = true;              // false for the server's own bookkeeping tables

    const Column* column(std::string_view name) const;
    bool hasId() const { return column("id") != nullptr; }
};

class Schema {
public:
    static const Schema& instance();

    const Table* table(std::string_view name) const;
    const std::vector<Table>& tables() const { return tables_; }

    std::string createStatements() const; // tables only
    std::string indexStatements() const;  // run after bulk loading

private:
    Schema();
    std::vector<Table> tables_;
};

} // namespace huddlepod::backend
