// Inserts rows into one table of the schema by column name.
#include "backend/RowWriter.h"

namespace huddlepod::backend {

RowWriter::RowWriter(Connection& connection, const std::string& table)
    : table_(*Schema::instance().table(table)) {
    std::string columns;
    std::string placeholders;
    for (std::size_t i = 0; i < table_.columns.size(); ++i) {
        columns += (i ? ", \"" : "\"") + table_.columns[i].name + "\"";
        placeholders += i ? ", ?" : "?";
        indexes_.emplace(table_.columns[i].name, static_cast<int>(i));
    }
    statement_ = connection.prepare("INSERT INTO \"" + table_.name + "\" (" + columns + ") VALUES (" +
                                    placeholders + ")");
    values_.resize(table_.columns.size());
}

RowWriter& RowWriter::set(std::string_view column, SqlValue value) {
    const auto it = indexes_.find(column);
    if (it == indexes_.end()) {
        throw SqliteError("no column " + std::string(column) + " in " + table_.name);
    }
    values_[static_cast<std::size_t>(it->second)] = std::move(value);
    return *this;
}

void RowWriter::insert() {
    statement_->bindAll(values_);
    statement_->run();
    for (auto& value : values_) {
        value = std::monostate{};
    }
}

} // namespace huddlepod::backend
