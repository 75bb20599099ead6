// Timing lines round to whole milliseconds (the models' tests pin each line byte for byte).
#include "app/TimingLine.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using huddlepod::milliseconds;
using huddlepod::timingLine;

TEST(TimingLine, millisecondsAddWholeSecondsAndTheRemainder) {
    EXPECT_DOUBLE_EQ(milliseconds(2s + 345ms + 600us), 2345.6);
    EXPECT_EQ(timingLine(QStringLiteral("x"), 2s + 345ms + 600us, QStringLiteral("d")),
              QByteArray("[huddlepod] x: 2346 ms (d)\n"));
    EXPECT_EQ(timingLine(QStringLiteral("x"), 1499999ns, QStringLiteral("d")),
              QByteArray("[huddlepod] x: 1 ms (d)\n"));
}
