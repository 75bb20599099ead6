// A demo-league database, generated or opened from a file, shared by the server's request threads.
#pragma once

#include "backend/LeagueShape.h"
#include "backend/Sqlite.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace huddlepod::backend {

class PlayerSearch;

class LeagueDatabase {
public:
    // A league generated into a private in-memory database.
    static std::shared_ptr<LeagueDatabase> generate(const GeneratorOptions& options);
    // An existing database file, opened read-only.
    static std::shared_ptr<LeagueDatabase> open(const std::string& path);
    // The file at `path` when it holds this generator's league for `options`; otherwise it is generated there
    // first.
    static std::shared_ptr<LeagueDatabase> openOrGenerate(const std::string& path,
                                                          const GeneratorOptions& options);

    ~LeagueDatabase();
    LeagueDatabase(const LeagueDatabase&) = delete;
    LeagueDatabase& operator=(const LeagueDatabase&) = delete;

    // Runs `work` with the connection to itself; calls from several threads take turns.
    template <typename Work>
    auto withConnection(Work&& work) const {
        std::lock_guard lock(mutex_);
        return work(*connection_);
    }

    // Rows as JSON objects keyed by column name, for tests and tools.
    nlohmann::json query(const std::string& sql, const std::vector<SqlValue>& parameters = {}) const;
    std::optional<std::string> meta(const std::string& key) const;
    const PlayerSearch& playerSearch() const { return *search_; }

private:
    explicit LeagueDatabase(std::unique_ptr<Connection> connection);

    std::unique_ptr<Connection> connection_;
    std::unique_ptr<PlayerSearch> search_;
    mutable std::mutex mutex_;
};

} // namespace huddlepod::backend
