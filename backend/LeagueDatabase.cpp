// A demo-league database, generated or opened from a file.
#include "backend/LeagueDatabase.h"

#include "backend/LeagueGenerator.h"
#include "backend/PlayerSearch.h"

#include <cstdio>
#include <filesystem>

namespace huddlepod::backend {

namespace {

void prepareForLoading(Connection& connection) {
    connection.exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA temp_store=MEMORY;");
}

bool matches(const std::string& path, const GeneratorOptions& options) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    try {
        auto database = LeagueDatabase::open(path);
        return database->meta("generator_version") == std::to_string(generatorVersion) &&
               database->meta("league") == std::string(leagueSizeName(options.size)) &&
               database->meta("seed") == std::to_string(options.seed);
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

LeagueDatabase::LeagueDatabase(std::unique_ptr<Connection> connection)
    : connection_(std::move(connection))
    , search_(std::make_unique<PlayerSearch>(*connection_)) {
    connection_->exec("PRAGMA query_only=ON;");
}

LeagueDatabase::~LeagueDatabase() = default;

std::shared_ptr<LeagueDatabase> LeagueDatabase::generate(const GeneratorOptions& options) {
    auto connection = std::make_unique<Connection>(":memory:", false, true);
    prepareForLoading(*connection);
    generateLeague(*connection, options);
    return std::shared_ptr<LeagueDatabase>(new LeagueDatabase(std::move(connection)));
}

std::shared_ptr<LeagueDatabase> LeagueDatabase::open(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        throw SqliteError("no database file at " + path);
    }
    auto connection = std::make_unique<Connection>(path, true, false);
    return std::shared_ptr<LeagueDatabase>(new LeagueDatabase(std::move(connection)));
}

std::shared_ptr<LeagueDatabase> LeagueDatabase::openOrGenerate(const std::string& path,
                                                               const GeneratorOptions& options) {
    if (!matches(path, options)) {
        const std::string partial = path + ".partial";
        std::filesystem::remove(partial);
        {
            Connection connection(partial, false, true);
            prepareForLoading(connection);
            generateLeague(connection, options);
        }
        std::filesystem::rename(partial, path);
    }
    return open(path);
}

nlohmann::json LeagueDatabase::query(const std::string& sql, const std::vector<SqlValue>& parameters) const {
    return withConnection([&](Connection& connection) {
        auto statement = connection.prepare(sql);
        statement->bindAll(parameters);
        nlohmann::json rows = nlohmann::json::array();
        while (statement->step()) {
            nlohmann::json row = nlohmann::json::object();
            for (int c = 0; c < statement->columnCount(); ++c) {
                const SqlValue value = statement->value(c);
                if (const auto* i = std::get_if<std::int64_t>(&value)) {
                    row[statement->columnName(c)] = *i;
                } else if (const auto* d = std::get_if<double>(&value)) {
                    row[statement->columnName(c)] = *d;
                } else if (const auto* s = std::get_if<std::string>(&value)) {
                    row[statement->columnName(c)] = *s;
                } else {
                    row[statement->columnName(c)] = nullptr;
                }
            }
            rows.push_back(std::move(row));
        }
        return rows;
    });
}

std::optional<std::string> LeagueDatabase::meta(const std::string& key) const {
    const auto rows = query("SELECT value FROM huddlepod_meta WHERE key = ?", {key});
    if (rows.empty()) {
        return std::nullopt;
    }
    return rows.front()["value"].get<std::string>();
}

} // namespace huddlepod::backend
