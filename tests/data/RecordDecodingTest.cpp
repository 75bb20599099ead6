// Decoding the player records, driven by their field tables: every key maps as the key convention says,
// absent is never zero, and a wrongly typed value anywhere fails the whole answer.
#include "data/JsonReader.h"
#include "data/Models/GameLogEntry.h"
#include "data/Models/HallOfFameEntry.h"
#include "data/Models/PlayerBio.h"
#include "data/Models/PlayerStats.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

using namespace huddlepod;

namespace {

const QUuid sampleUuid = QUuid::fromString(QStringLiteral("5d0f6a3e-2b8c-4f1e-9a7d-3c2b1a0f9e8d"));

// The backend's spelling of a converted key: an underscore before each capital, which becomes lower case.
std::string snakeCase(std::string_view key) {
    std::string out;
    for (char c : key) {
        if (std::isupper(static_cast<unsigned char>(c))) {
            out += '_';
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else {
            out += c;
        }
    }
    return out;
}

Json gameHeader() {
    return Json{{"year", 2010}, {"week", "1"}, {"season_type", "regular"}};
}

// A valid JSON value for a field of type T and a value of another JSON type.
template <class T>
struct Sample;
template <class T>
struct Sample<std::optional<T>> : Sample<T> {};
template <>
struct Sample<int> {
    static Json valid() { return 7; }
    static Json wrong() { return "7"; }
};
template <>
struct Sample<double> {
    static Json valid() { return 2.5; }
    static Json wrong() { return "2.5"; }
};
template <>
struct Sample<QString> {
    static Json valid() { return "text"; }
    static Json wrong() { return 3; }
};
template <>
struct Sample<QUuid> {
    static Json valid() { return sampleUuid.toString(QUuid::WithoutBraces).toStdString(); }
    static Json wrong() { return 12; }
};
template <>
struct Sample<SeasonType> {
    static Json valid() { return "postseason"; }
    static Json wrong() { return 1; }
};
template <>
struct Sample<bool> {
    static Json valid() { return true; }
    static Json wrong() { return 1; }
};
template <>
struct Sample<std::vector<AllProEntry>> {
    static Json valid() { return Json::array({Json{{"year", 2001}, {"team_level", "first_team"}}}); }
    static Json wrong() { return Json::object(); }
};
template <>
struct Sample<GameContext> {
    static Json valid() { return gameHeader(); }
    static Json wrong() { return "game"; }
};

// An object holding only the required fields, each with its sample value.
template <class R>
Json minimalObject() {
    Json object = Json::object();
    std::apply(
        [&](const auto&... field) {
            ((field.presence == Presence::required
                  ? void(object[snakeCase(field.key)] =
                             Sample<typename std::decay_t<decltype(field)>::ValueType>::valid())
                  : void()),
             ...);
        },
        R::fields());
    return object;
}

template <class R>
std::vector<R> decodeRows(const Json& rows) {
    return decodeArray<R>(QByteArray::fromStdString(rows.dump()));
}

template <class R>
class RecordDecoding : public ::testing::Test {};

using Records =
    ::testing::Types<PassingSeason, RushingReceivingSeason, DefenseSeason, KickingSeason, PuntingSeason,
                     ReturnsSeason, ScoringSeason, HallOfFameEntry, PlayerBio, AllProEntry, GameContext,
                     GameOffenseLine, GameDefenseLine, GameKickingLine, GameReturnsLine>;
TYPED_TEST_SUITE(RecordDecoding, Records);

TYPED_TEST(RecordDecoding, everyFieldReadsItsSnakeCaseKey) {
    using R = TypeParam;
    std::apply(
        [&](const auto&... field) {
            (
                [&] {
                    using T = typename std::decay_t<decltype(field)>::ValueType;
                    Json object = minimalObject<R>();
                    const std::string key = snakeCase(field.key);
                    object[key] = Sample<T>::valid();
                    const R decoded = decodeRows<R>(Json::array({object})).at(0);
                    const Json single = Sample<T>::valid();
                    EXPECT_EQ(decoded.*field.member, decodeJson<T>(QByteArray::fromStdString(single.dump())))
                        << key;
                }(),
                ...);
        },
        R::fields());
}

TYPED_TEST(RecordDecoding, missingOrNullIsAbsentNeverZero) {
    using R = TypeParam;
    const R bare = decodeRows<R>(Json::array({minimalObject<R>()})).at(0);
    std::apply(
        [&](const auto&... field) {
            (
                [&] {
                    if (field.presence == Presence::required)
                        return;
                    using T = typename std::decay_t<decltype(field)>::ValueType;
                    EXPECT_EQ(bare.*field.member, T{}) << field.key;
                    Json object = minimalObject<R>();
                    object[snakeCase(field.key)] = nullptr;
                    EXPECT_EQ(decodeRows<R>(Json::array({object})).at(0).*field.member, T{}) << field.key;
                }(),
                ...);
        },
        R::fields());
}

TYPED_TEST(RecordDecoding, aWronglyTypedValueOrAMissingRequiredKeyFailsTheWholeAnswer) {
    using R = TypeParam;
    std::apply(
        [&](const auto&... field) {
            (
                [&] {
                    using T = typename std::decay_t<decltype(field)>::ValueType;
                    const std::string key = snakeCase(field.key);
                    Json bad = minimalObject<R>();
                    bad[key] = Sample<T>::wrong();
                    EXPECT_THROW(decodeRows<R>(Json::array({minimalObject<R>(), bad})), JsonDecodingError)
                        << key;
                    if (field.presence == Presence::required) {
                        Json missing = minimalObject<R>();
                        missing.erase(key);
                        EXPECT_THROW(decodeRows<R>(Json::array({missing})), JsonDecodingError) << key;
                        missing[key] = nullptr;
                        EXPECT_THROW(decodeRows<R>(Json::array({missing})), JsonDecodingError) << key;
                    }
                }(),
                ...);
        },
        R::fields());
}

} // namespace

TEST(RecordDecoding, keysWithDigitsReachTheSameField) {
    Json row = minimalObject<KickingSeason>();
    row["fga_1"] = 4;
    row["fgm5"] = 1;
    const KickingSeason kicking = decodeRows<KickingSeason>(Json::array({row})).at(0);
    EXPECT_EQ(kicking.fga1, 4);
    EXPECT_EQ(kicking.fgm5, 1);

    for (const char* key : {"punt_in20_pct", "punt_in_20_pct"}) {
        Json punting = minimalObject<PuntingSeason>();
        punting[key] = 38.5;
        EXPECT_EQ(decodeRows<PuntingSeason>(Json::array({punting})).at(0).puntIn20Pct, 38.5) << key;
    }
}

TEST(RecordDecoding, sacksCountHalvesAndWholeNumbers) {
    for (auto [value, expected] : {std::pair{Json(0.5), 0.5}, {Json(2), 2.0}}) {
        Json row = minimalObject<DefenseSeason>();
        row["sacks"] = value;
        EXPECT_EQ(decodeRows<DefenseSeason>(Json::array({row})).at(0).sacks, expected);
    }
    Json fractionalCount = minimalObject<DefenseSeason>();
    fractionalCount["tackles_combined"] = 2.5;
    EXPECT_THROW(decodeRows<DefenseSeason>(Json::array({fractionalCount})), JsonDecodingError);
}

TEST(RecordDecoding, seasonTypeMustBeAnExactRawValue) {
    for (const Json& type : {Json("Regular"), Json("REGULAR"), Json("preseason"), Json(""), Json(nullptr)}) {
        Json row = minimalObject<PassingSeason>();
        row["season_type"] = type;
        EXPECT_THROW(decodeRows<PassingSeason>(Json::array({row})), JsonDecodingError) << type.dump();
    }
    Json row = minimalObject<PassingSeason>();
    row["season_type"] = "regular";
    row["player_id"] = "ignored";
    row["pos"] = nullptr;
    const PassingSeason season = decodeRows<PassingSeason>(Json::array({row})).at(0);
    EXPECT_EQ(season.seasonType, SeasonType::regular);
    EXPECT_EQ(season.pos, std::nullopt);
    EXPECT_EQ(season.id, sampleUuid);
}

TEST(RecordDecoding, biographyDefaultsAndItsHistory) {
    Json row = {{"id", sampleUuid.toString(QUuid::WithoutBraces).toStdString()},
                {"full_name", "A B"},
                {"all_pro_history", nullptr}};
    const PlayerBio bio = decodeRows<PlayerBio>(Json::array({row})).at(0);
    EXPECT_FALSE(bio.isHOF);
    EXPECT_FALSE(bio.isAllPro);
    EXPECT_TRUE(bio.allProHistory.empty());
    EXPECT_EQ(bio.firstTeamAllProCount(), 0);

    row["is_hof"] = true;
    row["throws"] = "R";
    row["headshot_url"] = "https://example.org/a.png";
    const PlayerBio full = decodeRows<PlayerBio>(Json::array({row})).at(0);
    EXPECT_TRUE(full.isHOF);
    EXPECT_EQ(full.throws_, "R");
    EXPECT_EQ(full.headshotURL, "https://example.org/a.png");

    row["all_pro_history"] = Json::array({Json{{"team_level", "first_team"}}});
    EXPECT_THROW(decodeRows<PlayerBio>(Json::array({row})), JsonDecodingError) << "an entry without a year";
}

TEST(RecordDecoding, gameLinesNeedTheirGameHeader) {
    Json line = minimalObject<GameOffenseLine>();
    EXPECT_EQ(decodeRows<GameOffenseLine>(Json::array({line})).at(0).passRating, std::nullopt);
    for (const char* key : {"week", "season_type"}) {
        Json broken = line;
        broken["games"].erase(key);
        EXPECT_THROW(decodeRows<GameOffenseLine>(Json::array({broken})), JsonDecodingError) << key;
    }
    Json weekNumber = line;
    weekNumber["games"]["week"] = 7;
    EXPECT_THROW(decodeRows<GameOffenseLine>(Json::array({weekNumber})), JsonDecodingError);
    line.erase("games");
    EXPECT_THROW(decodeRows<GameOffenseLine>(Json::array({line})), JsonDecodingError);

    EXPECT_EQ(decodeRows<HallOfFameEntry>(Json::array({Json::object()})).at(0), HallOfFameEntry{});
}
