// Reads the backend configuration, version and build.
#include "app/AppConfiguration.h"

#include "platform/BundleInformation.h"

#include <QUrl>

namespace huddlepod::AppConfiguration {

std::optional<SupabaseConfiguration> supabase(const BundleLookup& bundle,
                                              const QProcessEnvironment& environment) {
    const std::optional<QString> urlText = bundle(QStringLiteral("SupabaseURL"));
    const std::optional<QString> key = bundle(QStringLiteral("SupabaseAnonKey"));
    if (urlText && key && !key->isEmpty()) {
        const QUrl url(*urlText, QUrl::StrictMode);
        if (url.isValid() && !url.isEmpty() && !url.scheme().isEmpty()) {
            return SupabaseConfiguration{url, *key};
        }
    }
    return SupabaseConfiguration::fromEnvironment(environment);
}

std::optional<SupabaseConfiguration> supabase() {
    return supabase(bundleValue, QProcessEnvironment::systemEnvironment());
}

QString version(const BundleLookup& bundle) {
    return bundle(QStringLiteral("CFBundleShortVersionString")).value_or(QStringLiteral("0.0.0"));
}

QString version() {
    return version(bundleValue);
}

QString build(const BundleLookup& bundle) {
    return bundle(QStringLiteral("CFBundleVersion")).value_or(QStringLiteral("0"));
}

QString build() {
    return build(bundleValue);
}

} // namespace huddlepod::AppConfiguration
