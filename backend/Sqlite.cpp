// Thin RAII wrappers over the SQLite C API.
#include "backend/Sqlite.h"

#include <sqlite3.h>

namespace huddlepod::backend {

namespace {

[[noreturn]] void fail(sqlite3* db, std::string_view what) {
    throw SqliteError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

constexpr std::size_t statementCacheLimit = 256;

} // namespace

Statement::Statement(sqlite3* db, std::string_view sql)
    : db_(db) {
    if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK) {
        fail(db_, "prepare");
    }
    if (stmt_ == nullptr) {
        throw SqliteError("prepare: empty statement");
    }
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void Statement::bind(int index, const SqlValue& value) {
    int rc = SQLITE_OK;
    if (std::holds_alternative<std::monostate>(value)) {
        rc = sqlite3_bind_null(stmt_, index);
    } else if (const auto* i = std::get_if<std::int64_t>(&value)) {
        rc = sqlite3_bind_int64(stmt_, index, *i);
    } else if (const auto* d = std::get_if<double>(&value)) {
        rc = sqlite3_bind_double(stmt_, index, *d);
    } else {
        const auto& s = std::get<std::string>(value);
        rc = sqlite3_bind_text(stmt_, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK) {
        fail(db_, "bind");
    }
}

void Statement::bindAll(const std::vector<SqlValue>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        bind(static_cast<int>(i + 1), values[i]);
    }
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    const std::string message = sqlite3_errmsg(db_);
    sqlite3_reset(stmt_);
    throw SqliteError("step: " + message);
}

void Statement::run() {
    while (step()) {
    }
    reset();
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

std::string Statement::columnName(int column) const {
    const char* name = sqlite3_column_name(stmt_, column);
    return name ? name : "";
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

double Statement::real(int column) const {
    return sqlite3_column_double(stmt_, column);
}

std::string Statement::text(int column) const {
    return std::string(textView(column));
}

std::string_view Statement::textView(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (data == nullptr) {
        return {};
    }
    return {data, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))};
}

SqlValue Statement::value(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER:
        return integer(column);
    case SQLITE_FLOAT:
        return real(column);
    case SQLITE_NULL:
        return std::monostate{};
    default:
        return text(column);
    }
}

Connection::Connection(const std::string& path, bool readOnly, bool create) {
    int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (create && !readOnly) {
        flags |= SQLITE_OPEN_CREATE;
    }
    flags |= SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw SqliteError("open " + path + ": " + message);
    }
    sqlite3_extended_result_codes(db_, 1);
}

Connection::~Connection() {
    cache_.clear();
    sqlite3_close(db_);
}

void Connection::exec(std::string_view sql) {
    char* error = nullptr;
    const std::string text(sql);
    if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw SqliteError("exec: " + message);
    }
}

Statement& Connection::cached(const std::string& sql) {
    if (auto it = cache_.find(sql); it != cache_.end()) {
        it->second->reset();
        return *it->second;
    }
    if (cache_.size() >= statementCacheLimit) {
        cache_.clear();
    }
    auto statement = std::make_unique<Statement>(db_, sql);
    auto& result = *statement;
    cache_.emplace(sql, std::move(statement));
    return result;
}

std::unique_ptr<Statement> Connection::prepare(std::string_view sql) {
    return std::make_unique<Statement>(db_, sql);
}

} // namespace huddlepod::backend
