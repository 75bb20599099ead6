// Cell formatting: placeholders, rounding, the win-percentage zero, ties, and independence from the locale.
#include "data/StatFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace SF = huddlepod::StatFormat;
using std::nullopt;

TEST(StatFormat, numbersAreAbsentOnlyWhenMissingAndRoundLikeFixedNotation) {
    EXPECT_EQ(SF::integer(nullopt), "\u2014");
    EXPECT_EQ(SF::integer(0), "0");
    EXPECT_EQ(SF::integer(std::int64_t{1} << 31), "2147483648");
    EXPECT_EQ(SF::integer(INT64_MIN), "-9223372036854775808");

    const std::tuple<std::optional<double>, int, const char*> cases[] = {
        {4.25, 2, "4.25"}, {7.0, 1, "7.0"}, {5.0, 0, "5"},      {66.666, 1, "66.7"},
        {0.05, 1, "0.1"},  {2.5, 0, "2"},   {-1.25, 1, "-1.2"}, {nullopt, 3, "\u2014"},
    };
    for (const auto& [value, places, text] : cases)
        EXPECT_EQ(SF::decimal(value, places), QString::fromUtf8(text)) << value.value_or(-9) << " " << places;
    EXPECT_EQ(SF::percent(66.666), "66.7");
    EXPECT_EQ(SF::percent(0), "0.0");
    EXPECT_EQ(SF::percent(nullopt), SF::absent);
}

TEST(StatFormat, winPercentageDropsOnlyALeadingZero) {
    const std::pair<std::optional<double>, const char*> cases[] = {
        {0.625, ".625"},  {0.0, ".000"},     {1.0, "1.000"},      {0.9996, "1.000"},
        {0.9994, ".999"}, {-0.25, "-0.250"}, {nullopt, "\u2014"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(SF::winPct(value), QString::fromUtf8(text)) << value.value_or(-9);
}

TEST(StatFormat, textRatioAndRecordKeepWhatIsThere) {
    EXPECT_EQ(SF::text(nullopt), SF::absent);
    EXPECT_EQ(SF::text(QString()), SF::absent);
    EXPECT_EQ(SF::text(QString(" KC ")), " KC ");

    EXPECT_EQ(SF::ratio(3, 4), "3/4");
    EXPECT_EQ(SF::ratio(nullopt, 4), SF::absent + "/4");
    EXPECT_EQ(SF::ratio(3, nullopt), "3/" + SF::absent);
    EXPECT_EQ(SF::ratio(nullopt, nullopt), SF::absent);
    EXPECT_EQ(SF::ratio(std::int64_t{1} << 40, 0), "1099511627776/0");

    EXPECT_EQ(SF::record(10, 6, nullopt), "10-6");
    EXPECT_EQ(SF::record(10, 6, 0), "10-6");
    EXPECT_EQ(SF::record(8, 8, 1), "8-8-1");
    EXPECT_EQ(SF::record(8, 8, -1), "8-8");
    EXPECT_EQ(SF::record(std::int64_t{1} << 32, 0, std::int64_t{1} << 32), "4294967296-0-4294967296");
    EXPECT_EQ(SF::record(nullopt, 6, 1), SF::absent);
    EXPECT_EQ(SF::record(10, nullopt, 1), SF::absent);
}

// Switches LC_NUMERIC to a comma-decimal locale for the life of the object.
class CommaDecimalLocale {
public:
    CommaDecimalLocale() {
        const char* previous = std::getenv("LOCPATH");
        if (previous)
            m_previousLocPath = previous;
        setenv("LOCPATH", HUDDLEPOD_TEST_LOCALES, 1);
        m_previousNumeric = std::setlocale(LC_NUMERIC, nullptr);
        m_active = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    }
    ~CommaDecimalLocale() {
        // LOCPATH goes first: glibc leaks its copy of the search list when asked for "C" while it is set.
        if (m_previousLocPath)
            setenv("LOCPATH", m_previousLocPath->c_str(), 1);
        else
            unsetenv("LOCPATH");
        std::setlocale(LC_NUMERIC, m_previousNumeric.c_str());
    }
    bool isActive() const { return m_active; }

private:
    std::string m_previousNumeric;
    std::optional<std::string> m_previousLocPath;
    bool m_active = false;
};

TEST(StatFormat, writesADecimalPointUnderACommaLocale) {
    CommaDecimalLocale locale;
    if (!locale.isActive())
        GTEST_SKIP() << "no comma-decimal locale could be generated";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5") << "the locale should really be in effect";

    EXPECT_EQ(SF::decimal(4.25, 2), "4.25");
    EXPECT_EQ(SF::percent(66.666), "66.7");
    EXPECT_EQ(SF::winPct(0.625), ".625");
    EXPECT_EQ(SF::integer(12345), "12345");
}
