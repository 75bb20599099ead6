// The key convention and the strict typed readers, including the paths their errors name.
#include "data/JsonReader.h"

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

struct Team {
    QString abbr;
    std::optional<int> year;
    static Team decode(const JsonObject& o) { return {o.required<QString>("abbr"), o.optional<int>("year")}; }
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
    std::optional<std::vector<int>> weeks;

    static Row decode(const JsonObject& o) {
        return Row{
            .id = o.required<QUuid>("id"),
            .seasonType = o.required<QString>("seasonType"),
            .games = o.optional<int>("games"),
            .rate = o.optional<double>("rate"),
            .isHof = o.flag("isHof"),
            .teams = o.list<Team>("teams"),
            .draftTeam = o.optional<Team>("draftTeam"),
            .weeks = o.optional<std::vector<int>>("weeks"),
        };
    }
};

// A record declared through a field table, as the data records are.
struct TableRecord {
    int year{};
    std::optional<QString> pos{};
    bool isActive{};
    std::vector<int> weeks{};
    static constexpr auto fields() {
        using Self = TableRecord;
        return std::tuple{makeField("year", &Self::year), makeField("pos", &Self::pos),
                          makeField("isActive", &Self::isActive, Presence::defaulted),
                          makeField("weeks", &Self::weeks, Presence::defaulted)};
    }
    bool operator==(const TableRecord&) const = default;
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
    const std::pair<const char*, const char*> cases[] = {{"season_type", "seasonType"},
                                                         {"home_team_abbr", "homeTeamAbbr"},
                                                         {"throws", "throws"},
                                                         {"is_hof", "isHof"},
                                                         {"logo_url", "logoUrl"},
                                                         {"fga_1", "fga1"},
                                                         {"punt_in20_pct", "puntIn20Pct"},
                                                         {"_private_key_", "_privateKey_"},
                                                         {"__a__b__", "__aB__"},
                                                         {"ALL_CAPS", "allCaps"},
                                                         {"NoUnderscore", "NoUnderscore"},
                                                         {"trailing_", "trailing_"},
                                                         {"_", "_"},
                                                         {"", ""},
                                                         {"é_été", "éÉté"}};
    for (const auto& [raw, converted] : cases)
        EXPECT_EQ(convertJsonKey(raw), converted) << raw;
}

TEST(JsonReader, decodesRequiredOptionalFlagListAndNestedValues) {
    const auto rows = decodeArray<Row>(R"([{
        "id": "6f1c2a9e-0000-4000-8000-0000000000ab", "season_type": "postseason", "games": 17,
        "rate": 3, "is_hof": true, "teams": [{"abbr": "KC", "year": 2019}, {"abbr": "SF", "year": null}],
        "draft_team": {"abbr": "KC"}, "weeks": [1, 2], "unknown_key": {"nested": [1, 2, 3]}
    }])");
    ASSERT_EQ(rows.size(), 1u);
    const Row& row = rows[0];
    EXPECT_EQ(row.id, QUuid::fromString(QStringLiteral("6f1c2a9e-0000-4000-8000-0000000000ab")));
    EXPECT_EQ(row.seasonType, "postseason");
    EXPECT_EQ(row.games, 17);
    EXPECT_EQ(row.rate, 3.0) << "a double reader accepts a JSON integer";
    EXPECT_TRUE(row.isHof);
    EXPECT_EQ(row.teams, (std::vector<Team>{{"KC", 2019}, {"SF", std::nullopt}}));
    EXPECT_EQ(row.draftTeam, (Team{"KC", std::nullopt}));
    EXPECT_EQ(row.weeks, (std::vector<int>{1, 2}));
}

TEST(JsonReader, absentAndNullGiveNoneFalseAndEmpty) {
    for (const char* body :
         {goodRow, R"({"ID":"x","id":"6F1C2A9E-0000-4000-8000-0000000000AB","Season_Type":"regular",
            "games":null,"rate":null,"is_hof":null,"teams":null,"draft_team":null,"weeks":null})"}) {
        const Row row = decodeJson<Row>(body);
        EXPECT_EQ(row.seasonType, "regular");
        EXPECT_FALSE(row.games || row.rate || row.isHof || row.draftTeam || row.weeks || !row.teams.empty());
    }
}

TEST(JsonReader, integersAreSixtyFourBitAndNarrowReadersCheckTheirRange) {
    EXPECT_EQ(decodeJson<std::int64_t>("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(decodeJson<std::int64_t>("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(decodeJson<std::int64_t>("4294967296"), std::int64_t{1} << 32);
    EXPECT_EQ(errorOf([] { decodeJson<std::int64_t>("9223372036854775808"); }), "integer out of range");
    EXPECT_EQ(errorOf([] { decodeJson<std::int64_t>("1.0"); }), "expected integer, found number");
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
        {rowWith(R"(,"games":3000000000)"), "games: integer out of range"},
        {rowWith(R"(,"games":-3000000000)"), "games: integer out of range"},
        {rowWith(R"(,"rate":"1.5")"), "rate: expected number, found string"},
        {rowWith(R"(,"is_hof":1)"), "isHof: expected boolean, found integer"},
        {rowWith(R"(,"teams":{})"), "teams: expected array, found object"},
        {rowWith(R"(,"teams":[{"abbr":"KC"},{"abbr":7}])"), "teams[1].abbr: expected string, found integer"},
        {rowWith(R"(,"teams":[{"abbr":"KC"},{"year":1}])"), "teams[1].abbr: missing"},
        {rowWith(R"(,"weeks":[1,null])"), "weeks[1]: expected integer, found null"},
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

    EXPECT_EQ(errorOf([] { decodeArray<Row>(R"({"id":1})"); }), "expected array, found object");
    EXPECT_EQ(errorOf([] { decodeArray<Row>("[{"); }).rfind("invalid JSON: ", 0), 0u);
    EXPECT_EQ(errorOf([] { decodeArray<Row>(""); }).rfind("invalid JSON: ", 0), 0u);
}

TEST(JsonReader, fieldTableRecordsFollowTheirPresenceRules) {
    EXPECT_EQ(decodeJson<TableRecord>(R"({"year":2020})"), (TableRecord{2020, std::nullopt, false, {}}));
    EXPECT_EQ(decodeJson<TableRecord>(R"({"year":2020,"pos":"QB","is_active":true,"weeks":[3]})"),
              (TableRecord{2020, "QB", true, {3}}));
    EXPECT_EQ(decodeJson<TableRecord>(R"({"year":2020,"pos":null,"is_active":null,"weeks":null})"),
              (TableRecord{2020, std::nullopt, false, {}}));
    EXPECT_EQ(errorOf([] { decodeArray<TableRecord>(R"([{"year":1},{"pos":"QB"}])"); }), "[1].year: missing");
    EXPECT_EQ(errorOf([] { decodeJson<TableRecord>(R"({"year":1,"is_active":"yes"})"); }),
              "isActive: expected boolean, found string");
}

namespace {

// Keys whose lower camel form is longer in UTF-8 than the key itself ("İ" lower-cases to two code points,
// "ΐ" upper-cases to three).
const std::string growingKeys[] = {"İİİİ_a", "x_ΐΐ", "İİ_ΐ_b"};

struct GrowingKeys {
    std::vector<int> values;
    static GrowingKeys decode(const JsonObject& o) {
        GrowingKeys record;
        for (const std::string& key : growingKeys)
            record.values.push_back(o.required<int>(convertJsonKey(key)));
        return record;
    }
};

} // namespace

TEST(JsonReader, keysThatGrowWhenConvertedAreAllFound) {
    const std::string body =
        R"({")" + growingKeys[0] + R"(":1,")" + growingKeys[1] + R"(":2,")" + growingKeys[2] + R"(":3})";
    EXPECT_EQ(decodeJson<GrowingKeys>(QByteArray::fromStdString(body)).values, (std::vector<int>{1, 2, 3}));
}

TEST(JsonReader, rejectsTextThatIsNotJson) {
    for (const char* body : {"", "[1,]", "[\"\xff\"]", "{\"a\":1}}", "[1e999999]", "[18446744073709551616]"})
        EXPECT_EQ(errorOf([&] { decodeArray<int>(body); }).rfind("invalid JSON: ", 0), 0u) << body;
    EXPECT_EQ(errorOf([] { decodeArray<int>(QByteArray(2000, '[')); }).rfind("invalid JSON: ", 0), 0u);
}

namespace {

// A record that decodes a JSON document held in one of its strings, while the outer document is open.
struct Wrapper {
    std::vector<int> inner;
    int after = 0;
    static Wrapper decode(const JsonObject& o) {
        auto inner = decodeJson<std::vector<int>>(o.required<QString>("json").toUtf8());
        return {std::move(inner), o.required<int>("after")};
    }
};

} // namespace

TEST(JsonReader, aDecodeInsideADecodeLeavesTheOuterDocumentIntact) {
    const auto rows = decodeArray<Wrapper>(R"([{"json":"[1,2,3]","after":7},{"json":"[]","after":8}])");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].inner, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(rows[0].after, 7);
    EXPECT_EQ(rows[1].after, 8);
}
