// Thin RAII wrappers over the SQLite C API: a connection, prepared statements and bound values.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace huddlepod::backend {

class SqliteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A value bound to a statement parameter or read from a row. Monostate is SQL NULL.
using SqlValue = std::variant<std::monostate, std::int64_t, double, std::string>;

class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void reset();
    void bind(int index, const SqlValue& value); // 1-based, as SQLite counts
    void bindAll(const std::vector<SqlValue>& values);
    bool step(); // true while a row is available
    void run();  // steps to completion, then resets

    int columnCount() const;
    std::string columnName(int column) const;
    bool isNull(int column) const;
    std::int64_t integer(int column) const;
    double real(int column) const;
    std::string text(int column) const;
    std::string_view textView(int column) const; // valid until the next step or reset
    SqlValue value(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

class Connection {
public:
    // Opens (and creates when allowed) a database; ":memory:" gives a private in-memory one.
    Connection(const std::string& path, bool readOnly, bool create);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void exec(std::string_view sql);
    // A statement kept prepared for the life of the connection (or until the cache is full).
    Statement& cached(const std::string& sql);
    std::unique_ptr<Statement> prepare(std::string_view sql);
    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, std::unique_ptr<Statement>> cache_;
};

} // namespace huddlepod::backend
