// Which backend to talk to, which version and which build: from the build's bundle values, and for the
// backend, else from the environment. The two sources are never mixed.
#pragma once

#include "data/SupabaseConfiguration.h"

#include <QProcessEnvironment>
#include <QString>

#include <functional>
#include <optional>

namespace huddlepod {

namespace AppConfiguration {

// A bundle key's value, or none (the build's values by default; tests pass their own).
using BundleLookup = std::function<std::optional<QString>(const QString& key)>;

// The bundle's "SupabaseURL" (parsing, with a scheme) and non-empty "SupabaseAnonKey", as they stand;
// otherwise the environment's pair, or none.
std::optional<SupabaseConfiguration> supabase(const BundleLookup& bundle,
                                              const QProcessEnvironment& environment);
std::optional<SupabaseConfiguration> supabase();

// "CFBundleShortVersionString", else "0.0.0".
QString version(const BundleLookup& bundle);
QString version();
// "CFBundleVersion", else "0".
QString build(const BundleLookup& bundle);
QString build();

} // namespace AppConfiguration

} // namespace huddlepod
