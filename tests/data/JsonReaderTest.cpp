// The key convention and the strict typed readers, including the paths their errors name.
#include "data/JsonReader.h"

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

struct Team {
    QString abbr;
    std::optional<std::int64_t> year;
    static Team decode(const JsonObject& o) {
        return {o.required<QString>("abbr"), o.optional<std::int64_t>("year")};
    }
    bool operator==(const Team&) const = default;
};

struct Row {
    QUuid id;
    QString seasonType;
    std::optional<int> games;
    std::optional<double> rate;
    bool isHof = false;
    std::vector<Team> teams;
    std::optional<Team> draftTeam;

    static Row decode(const JsonObject& o) {
        return Row{o.required<QUuid>("id"),
                   o.required<QString>("seasonType"),
                   o.optional<int>("games"),
                   o.optional<double>("rate"),
                   o.flag("isHof"),
                   o.list<Team>("teams"),
                   o.optional<Team>("draftTeam")};
    }
};

// Keys whose lower camel form is longer in UTF-8 than the key itself ("İ" lower-cases to two code points,
// "ΐ" upper-cases to three).
const std::string growingKeys[] = {"İİİİ_a", "x_ΐΐ", "İİ_ΐ_b"};

// One record of the growing keys, and one that decodes a document of its own while the outer one is open.
struct Nested {
    std::vector<int> values;
    static Nested decode(const JsonObject& o) {
        if (o.find("json"))
            return {decodeJson<std::vector<int>>(o.required<QString>("json").toUtf8())};
        Nested record;
        for (const std::string& key : growingKeys)
            record.values.push_back(o.required<int>(convertJsonKey(key)));
        return record;
    }
};

const char* const goodRow = R"({"id":"6F1C2A9E-0000-4000-8000-0000000000AB","season_type":"regular"})";

std::string errorOf(const std::function<void()>& decode) {
    try {
        decode();
    } catch (const JsonDecodingError& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(JsonKeys, convertSnakeCaseToLowerCamelKeepingOuterUnderscores) {
    const char* const raw[] = {"season_type",   "throws",   "fga_1",    "punt_in20_pct",
                               "_private_key_", "__a__b__", "ALL_CAPS", "NoUnderscore",
                               "trailing_",     "_",        "",         "é_été"};
    const char* const converted[] = {"seasonType",   "throws", "fga1",    "puntIn20Pct",
                                     "_privateKey_", "__aB__", "allCaps", "NoUnderscore",
                                     "trailing_",    "_",      "",        "éÉté"};
    static_assert(std::size(raw) == std::size(converted));
    for (std::size_t i = 0; i < std::size(raw); ++i)
        EXPECT_EQ(convertJsonKey(raw[i]), converted[i]) << raw[i];
}

TEST(JsonReader, absentAndNullGiveNoneFalseAndEmpty) {
    for (const char* body : {goodRow, R"({"ID":"x","id":"6F1C2A9E-0000-4000-8000-0000000000AB",
            "Season_Type":"regular","games":null,"rate":null,"is_hof":null,"teams":null,"draft_team":null})"}) {
        const Row bare = decodeJson<Row>(body);
        EXPECT_EQ(bare.seasonType, "regular");
        EXPECT_FALSE(bare.games || bare.rate || bare.isHof || bare.draftTeam || !bare.teams.empty());
    }
    EXPECT_EQ(
        decodeJson<Row>(R"({"id":"6F1C2A9E-0000-4000-8000-0000000000AB","season_type":"","rate":3})").rate,
        3.0)
        << "a double reader accepts a JSON integer";
}

TEST(JsonReader, integersAreSixtyFourBitAndNarrowReadersCheckTheirRange) {
    EXPECT_EQ(decodeJson<std::int64_t>("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(decodeJson<std::int64_t>("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(errorOf([] { decodeJson<std::int64_t>("9223372036854775808"); }), "integer out of range");
    EXPECT_EQ(errorOf([] { decodeJson<int>("2147483648"); }), "integer out of range");
}

TEST(JsonReader, errorsNameThePathAndTheProblem) {
    const auto rowWith = [](const std::string& extra) {
        return QByteArray::fromStdString(std::string(goodRow).insert(std::string(goodRow).size() - 1, extra));
    };
    const std::pair<QByteArray, std::string> cases[] = {
        {R"([{"season_type":"regular"}])", "[0].id: missing"},
        {"[" + rowWith("") + "," + rowWith(R"(,"games":1.5)") + "]",
         "[1].games: expected integer, found number"},
        {rowWith(R"(,"games":2.0)"), "games: expected integer, found number"},
        {rowWith(R"(,"games":"17")"), "games: expected integer, found string"},
        {rowWith(R"(,"games":-3000000000)"), "games: integer out of range"},
        {rowWith(R"(,"rate":"1.5")"), "rate: expected number, found string"},
        {rowWith(R"(,"is_hof":1)"), "isHof: expected boolean, found integer"},
        {rowWith(R"(,"teams":{})"), "teams: expected array, found object"},
        {rowWith(R"(,"teams":[{"abbr":"KC"},{"abbr":7}])"), "teams[1].abbr: expected string, found integer"},
        {rowWith(R"(,"teams":[{"abbr":"KC"},{"year":1}])"), "teams[1].abbr: missing"},
        {rowWith(R"(,"teams":[{"abbr":"KC","year":1.0}])"), "teams[0].year: expected integer, found number"},
        {rowWith(R"(,"draft_team":[])"), "draftTeam: expected object, found array"},
        {R"({"id":"6f1c2a9e00004000800000000000000000ab","season_type":"regular"})",
         R"(id: expected UUID, found "6f1c2a9e00004000800000000000000000ab")"},
        {R"({"id":null,"season_type":"regular"})", "id: expected UUID, found null"},
        {R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","season_type":null})",
         "seasonType: expected string, found null"},
    };
    for (const auto& [body, message] : cases)
        EXPECT_EQ(errorOf([&] {
                      body.startsWith('[') ? void(decodeArray<Row>(body)) : void(decodeJson<Row>(body));
                  }),
                  message)
            << body.toStdString();
    const std::string deep(2000, '[');
    for (const char* body :
         {"", "[{", "[1,]", "[\"\xff\"]", "{\"a\":1}}", "[1e999999]", "[18446744073709551616]", deep.c_str()})
        EXPECT_EQ(errorOf([&] { decodeArray<int>(body); }).rfind("invalid JSON: ", 0), 0u) << body;
}

TEST(JsonReader, keysThatGrowWhenConvertedAndDecodesInsideADecode) {
    const std::string body =
        R"({")" + growingKeys[0] + R"(":1,")" + growingKeys[1] + R"(":2,")" + growingKeys[2] + R"(":3})";
    EXPECT_EQ(decodeJson<Nested>(QByteArray::fromStdString(body)).values, (std::vector<int>{1, 2, 3}));

    const auto rows = decodeArray<Nested>(R"([{"json":"[1,2,3]"},{"json":"[]"},{"json":"[4]"}])");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].values, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(rows[2].values, (std::vector<int>{4}));
}
