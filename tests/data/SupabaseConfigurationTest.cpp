// Which environments yield a backend configuration.
#include "data/SupabaseConfiguration.h"

#include <gtest/gtest.h>

using namespace huddlepod;

TEST(SupabaseConfiguration, fromEnvironmentNeedsAURLWithASchemeAndANonEmptyKeyKeptUntrimmed) {
    const char* const url = "HUDDLEPOD_SUPABASE_URL";
    const char* const key = "HUDDLEPOD_SUPABASE_ANON_KEY";
    const std::pair<std::vector<std::pair<const char*, const char*>>, std::optional<SupabaseConfiguration>>
        cases[] = {
            {{{url, "https://example.supabase.co"}, {key, "k"}},
             SupabaseConfiguration{QUrl("https://example.supabase.co"), "k"}},
            {{{url, "http://127.0.0.1:54321/base"}, {key, "   "}},
             SupabaseConfiguration{QUrl("http://127.0.0.1:54321/base"), "   "}},
            {{{key, "k"}}, std::nullopt},
            {{{url, "https://example.supabase.co"}}, std::nullopt},
            {{{url, "example.supabase.co/rest"}, {key, "k"}}, std::nullopt},
            {{{url, ""}, {key, "k"}}, std::nullopt},
            {{{url, "http://exa mple.com"}, {key, "k"}}, std::nullopt},
            {{{url, "https://example.supabase.co"}, {key, ""}}, std::nullopt},
        };
    for (const auto& [variables, expected] : cases) {
        QProcessEnvironment environment;
        for (const auto& [name, value] : variables)
            environment.insert(name, value);
        EXPECT_EQ(SupabaseConfiguration::fromEnvironment(environment), expected) << variables.front().second;
    }
}
