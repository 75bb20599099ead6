// Build-time bundle information: the keys an application bundle's information dictionary would answer.
#pragma once

#include <QString>
#include <optional>

namespace huddlepod {

// The value stored under `key` ("SupabaseURL", "SupabaseAnonKey", "CFBundleShortVersionString",
// "CFBundleVersion", "SUFeedURL", "CFBundleIdentifier"), or nothing when the build left it empty or the key
// is unknown.
std::optional<QString> bundleValue(const QString& key);

} // namespace huddlepod
