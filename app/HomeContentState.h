// What the league browser's content area shows: a table, an empty or failure text, or the loading state.
#pragma once

#include "data/DataTable.h"

#include <QString>

namespace huddlepod {

class HomeContentState {
public:
    enum class Kind { loaded, empty, failed, loading };

    HomeContentState() = default;
    static HomeContentState loaded(DataTable table) {
        return HomeContentState(Kind::loaded, std::move(table), {});
    }
    static HomeContentState empty(QString text) { return HomeContentState(Kind::empty, {}, std::move(text)); }
    static HomeContentState failed(QString text) {
        return HomeContentState(Kind::failed, {}, std::move(text));
    }
    static HomeContentState loading() { return {}; }

    Kind kind() const { return m_kind; }
    // The table of `loaded`; an empty table otherwise.
    const DataTable& table() const { return m_table; }
    // The text of `empty` and `failed`; empty otherwise.
    const QString& text() const { return m_text; }

    bool operator==(const HomeContentState&) const = default;

private:
    HomeContentState(Kind kind, DataTable table, QString text)
        : m_kind(kind)
        , m_table(std::move(table))
        , m_text(std::move(text)) {}

    Kind m_kind = Kind::loading;
    DataTable m_table;
    QString m_text;
};

} // namespace huddlepod
