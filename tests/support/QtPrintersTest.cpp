// Failures print Qt's text types as the text they hold.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(QtPrinters, textTypesPrintAsQuotedText) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {::testing::PrintToString(QStringLiteral("Wk")), R"("Wk")"},
        {::testing::PrintToString(QString()), R"("")"},
        {::testing::PrintToString(QStringLiteral("a\"b\n")), R"("a\"b\n")"},
        {::testing::PrintToString(QByteArray("select=id&limit=1")), R"("select=id&limit=1")"},
        {::testing::PrintToString(QByteArray("a\0b", 3)), R"("a\0b")"},
        {::testing::PrintToString(QChar(u'W')), R"("W")"},
        {::testing::PrintToString(QUrl(QStringLiteral("http://127.0.0.1:8/rest/v1/games?select=id,week"))),
         R"(QUrl("http://127.0.0.1:8/rest/v1/games?select=id,week"))"},
        {::testing::PrintToString(QUrl(QStringLiteral("http://h/a b"))), R"(QUrl("http://h/a%20b"))"},
        {::testing::PrintToString(QStringList{QStringLiteral("Wk"), QStringLiteral("Opp")}),
         R"({ "Wk", "Opp" })"},
        {::testing::PrintToString(std::optional<QString>(QStringLiteral("Postseason"))), R"(("Postseason"))"},
    };
    for (const auto& [printed, expected] : cases)
        EXPECT_EQ(printed, expected);
}

// Text beyond ASCII prints as gtest prints the same UTF-8 in a std::string.
TEST(QtPrinters, textBeyondAsciiPrintsAsItsUtf8) {
    EXPECT_EQ(::testing::PrintToString(QStringLiteral("Hall of Fame — 2020")),
              ::testing::PrintToString(std::string("Hall of Fame \xE2\x80\x94 2020")));
    EXPECT_EQ(::testing::PrintToString(QString::fromUtf8("’")),
              ::testing::PrintToString(std::string("\xE2\x80\x99")));
}

} // namespace
