// Which environments yield a backend configuration.
#include "data/SupabaseConfiguration.h"

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

std::optional<SupabaseConfiguration>
fromPairs(std::initializer_list<std::pair<const char*, const char*>> pairs) {
    QProcessEnvironment environment;
    for (const auto& [name, value] : pairs)
        environment.insert(name, value);
    return SupabaseConfiguration::fromEnvironment(environment);
}

} // namespace

TEST(SupabaseConfiguration, fromEnvironmentNeedsAURLWithASchemeAndANonEmptyKey) {
    const auto configuration = fromPairs(
        {{"HUDDLEPOD_SUPABASE_URL", "https://example.supabase.co"}, {"HUDDLEPOD_SUPABASE_ANON_KEY", "k"}});
    ASSERT_TRUE(configuration);
    EXPECT_EQ(configuration->url, QUrl("https://example.supabase.co"));
    EXPECT_EQ(configuration->anonKey, "k");

    EXPECT_FALSE(fromPairs({{"HUDDLEPOD_SUPABASE_ANON_KEY", "k"}}));
    EXPECT_FALSE(fromPairs({{"HUDDLEPOD_SUPABASE_URL", "https://example.supabase.co"}}));
    EXPECT_FALSE(fromPairs(
        {{"HUDDLEPOD_SUPABASE_URL", "example.supabase.co/rest"}, {"HUDDLEPOD_SUPABASE_ANON_KEY", "k"}}));
    EXPECT_FALSE(fromPairs({{"HUDDLEPOD_SUPABASE_URL", ""}, {"HUDDLEPOD_SUPABASE_ANON_KEY", "k"}}));
    EXPECT_FALSE(
        fromPairs({{"HUDDLEPOD_SUPABASE_URL", "http://exa mple.com"}, {"HUDDLEPOD_SUPABASE_ANON_KEY", "k"}}));
    EXPECT_FALSE(fromPairs(
        {{"HUDDLEPOD_SUPABASE_URL", "https://example.supabase.co"}, {"HUDDLEPOD_SUPABASE_ANON_KEY", ""}}));
}

TEST(SupabaseConfiguration, valuesAreKeptUntrimmed) {
    const auto configuration = fromPairs(
        {{"HUDDLEPOD_SUPABASE_URL", "http://127.0.0.1:54321/base"}, {"HUDDLEPOD_SUPABASE_ANON_KEY", "   "}});
    ASSERT_TRUE(configuration);
    EXPECT_EQ(configuration->anonKey, "   ");
    EXPECT_EQ(configuration->url.toString(), "http://127.0.0.1:54321/base");
    EXPECT_EQ(*configuration, (SupabaseConfiguration{QUrl("http://127.0.0.1:54321/base"), "   "}));
}
