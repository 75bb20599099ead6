// Timing lines are byte-exact: label, whole milliseconds, detail, one line feed.
#include "app/TimingLine.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using huddlepod::milliseconds;
using huddlepod::timingLine;

TEST(TimingLine, formatsLabelMillisecondsAndDetail) {
    EXPECT_EQ(timingLine(QStringLiteral("search → results"), 87ms, QStringLiteral("3 rows")),
              QByteArray("[huddlepod] search \xE2\x86\x92 results: 87 ms (3 rows)\n"));
    EXPECT_EQ(timingLine(QStringLiteral("player card"), 212400us, QStringLiteral("3 sections")),
              QByteArray("[huddlepod] player card: 212 ms (3 sections)\n"));
    EXPECT_EQ(timingLine(QStringLiteral("game log 2019"), 0ns, QStringLiteral("0 games")),
              QByteArray("[huddlepod] game log 2019: 0 ms (0 games)\n"));
}

TEST(TimingLine, millisecondsAddWholeSecondsAndTheRemainder) {
    EXPECT_DOUBLE_EQ(milliseconds(2s + 345ms + 600us), 2345.6);
    EXPECT_EQ(timingLine(QStringLiteral("x"), 2s + 345ms + 600us, QStringLiteral("d")),
              QByteArray("[huddlepod] x: 2346 ms (d)\n"));
    EXPECT_EQ(timingLine(QStringLiteral("x"), 1499999ns, QStringLiteral("d")),
              QByteArray("[huddlepod] x: 1 ms (d)\n"));
}
