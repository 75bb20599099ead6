// Reading the backend configuration from the environment.
#include "data/SupabaseConfiguration.h"

namespace huddlepod {

std::optional<SupabaseConfiguration>
SupabaseConfiguration::fromEnvironment(const QProcessEnvironment& environment) {
    const QString urlName = QStringLiteral("HUDDLEPOD_SUPABASE_URL");
    const QString keyName = QStringLiteral("HUDDLEPOD_SUPABASE_ANON_KEY");
    if (!environment.contains(urlName))
        return std::nullopt;
    const QUrl url(environment.value(urlName), QUrl::StrictMode);
    if (!url.isValid() || url.isEmpty() || url.scheme().isEmpty())
        return std::nullopt;
    if (!environment.contains(keyName))
        return std::nullopt;
    const QString key = environment.value(keyName);
    if (key.isEmpty())
        return std::nullopt;
    return SupabaseConfiguration{url, key};
}

} // namespace huddlepod
