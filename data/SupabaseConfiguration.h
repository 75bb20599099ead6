// Where the backend is: the project's base URL and its public (anon) key.
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QUrl>

#include <optional>

namespace huddlepod {

struct SupabaseConfiguration {
    QUrl url;        // every request path is appended to it
    QString anonKey; // sent with every request

    // From HUDDLEPOD_SUPABASE_URL and HUDDLEPOD_SUPABASE_ANON_KEY: none unless the URL variable is set,
    // parses as a URL and has a scheme, and the key variable is set and not empty. Neither value is trimmed.
    static std::optional<SupabaseConfiguration> fromEnvironment(const QProcessEnvironment& environment);

    bool operator==(const SupabaseConfiguration&) const = default;
};

} // namespace huddlepod
