// Decoding the league rows from the backend's JSON.
#include "data/LeagueRows.h"
#include "data/JsonReader.h"

#include <gtest/gtest.h>

namespace huddlepod {
namespace {

TEST(LeagueRows, aRowWithoutItsRequiredFieldsFailsTheWholeAnswer) {
    const QByteArray good = R"({"id":"6F1C2A9E-0000-4000-8000-0000000000AB","week":"1","game_date":null})";
    EXPECT_EQ(decodeArray<GameRow>("[" + good + "]").at(0).week, "1");
    for (const QByteArray& bad : {QByteArray(R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","week":null})"),
                                  QByteArray(R"({"week":"2"})"),
                                  QByteArray(R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","week":2})")})
        EXPECT_THROW(decodeArray<GameRow>("[" + good + "," + bad + "]"), JsonDecodingError)
            << bad.constData();
    EXPECT_THROW(decodeArray<SuperBowlRow>(R"([{"seasons":{"year":2023}},{"seasons":{"year":null}}])"),
                 JsonDecodingError);
    EXPECT_THROW(decodeArray<DivisionHistoryRow>(R"([{"divisions":null}])"), JsonDecodingError);
}

} // namespace
} // namespace huddlepod
