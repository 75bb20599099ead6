// The state of the game log of the season selected on a player card.
#pragma once

#include "data/DataTable.h"

#include <QString>

namespace huddlepod {

class GameLogState {
public:
    enum class Kind { loaded, empty, failed, idle, loading };

    GameLogState() = default;
    // A built table with at least one row.
    static GameLogState loaded(DataTable table) {
        return GameLogState(Kind::loaded, std::move(table), 0, {});
    }
    // The season's table has no rows.
    static GameLogState empty(int year) { return GameLogState(Kind::empty, {}, year, {}); }
    static GameLogState failed(QString message) {
        return GameLogState(Kind::failed, {}, 0, std::move(message));
    }
    static GameLogState idle() { return {}; }
    static GameLogState loading() { return GameLogState(Kind::loading, {}, 0, {}); }

    Kind kind() const { return m_kind; }
    const DataTable& table() const { return m_table; }
    int year() const { return m_year; }
    const QString& message() const { return m_message; }

    bool operator==(const GameLogState&) const = default;

private:
    GameLogState(Kind kind, DataTable table, int year, QString message)
        : m_kind(kind)
        , m_table(std::move(table))
        , m_year(year)
        , m_message(std::move(message)) {}

    Kind m_kind = Kind::idle;
    DataTable m_table;
    int m_year = 0;
    QString m_message;
};

} // namespace huddlepod
