// The debug switches' value rules, the line formats and the log file.
#include "app/DebugDriver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

using namespace huddlepod;
namespace DD = huddlepod::DebugDriver;

namespace {

// A reader's answer as text: "none", a number, a text, a list joined by "/", or an enum's index.
template <typename T>
QString text(const std::optional<T>& value) {
    if (!value) {
        return QStringLiteral("none");
    } else if constexpr (std::is_same_v<T, QString>) {
        return *value;
    } else if constexpr (std::is_same_v<T, QStringList>) {
        return value->join(u'/');
    } else {
        return QString::number(static_cast<double>(*value));
    }
}

} // namespace

TEST(DebugDriver, readersFollowTheirValueRules) {
    struct Case {
        const char* variable;
        std::function<QString()> read;
        // Value (null: unset) and answer; enums answer their index.
        std::vector<std::pair<const char*, const char*>> answers;
    };
    // clang-format off
    const Case cases[] = {
        {"HUDDLEPOD_DEBUG_HOLD", [] { return text(std::optional(DD::holdSeconds())); },
         {{nullptr, "3"}, {"", "3"}, {"abc", "3"}, {"2s", "3"}, {"1,5", "3"}, {"inf", "3"}, {"nan", "3"},
          {"0", "0"}, {"-1", "-1"}, {"+0.25", "0.25"}}},
        {"HUDDLEPOD_DEBUG_CHECK_UPDATES", [] { return text(DD::updateCheckDelay()); },
         {{"5", "5"}, {"2.5", "2.5"}, {" 2.5", "none"}, {"\t2.5", "none"}, {"2.5\n", "none"},
          {"+-2", "none"}}},
        {"HUDDLEPOD_DEBUG_TABS", [] { return text(DD::tabPresses()); },
         {{"+3", "3"}, {"-2", "-2"}, {"3.0", "none"}, {"", "none"}, {"+-3", "none"}, {" 3", "none"},
          {"9223372036854775808", "none"}}},
        {"HUDDLEPOD_DEBUG_DRIVE", [] { return text(DD::requestedQueries()); },
         {{" Brady \t| \xE3\x80\x80 |Rice|", "Brady/Rice"}, {"a\n|b", "a\n/b"}, {"|", ""}, {"", "none"}}},
        {"HUDDLEPOD_DEBUG_APPEARANCE", [] { return text(DD::requestedAppearance()); },
         {{"DARK", "1"}, {"dArK", "1"}, {"Light", "0"}, {" dark", "none"}}},
        {"HUDDLEPOD_DEBUG_HOME", [] { return text(DD::requestedHomeTab()); },
         {{"Schedule", "1"}, {"schedules", "none"}}},
        {"HUDDLEPOD_DEBUG_OPEN_LINK", [] { return text(std::optional(DD::followsPlayerLink())); },
         {{"1", "1"}, {"true", "0"}, {"yes", "0"}}},
        {"HUDDLEPOD_DEBUG_AXDUMP", [] { return text(std::optional(DD::dumpsAccessibilityTree())); },
         {{"1", "1"}, {"2", "0"}}},
        {"HUDDLEPOD_DEBUG_STOP", [] { return text(std::optional(DD::stopsAtResults())); },
         {{"Results", "1"}}},
        {"HUDDLEPOD_DEBUG_BACKDROP", [] { return text(DD::requestedBackdrop()); },
         {{"MID", "0.62"}, {"grey", "none"}}},
        {"HUDDLEPOD_DEBUG_PICKER", [] { return text(DD::presentedPicker()); },
         {{"", "none"}, {"Week", "Week"}}},
        {"HUDDLEPOD_DEBUG_MATERIAL", [] { return text(DD::requestedMaterial()); }, {{"HUD", "2"}}},
        {"HUDDLEPOD_DEBUG_TAB", [] { return text(DD::requestedTab()); }, {{"Game-Log", "1"}}},
        {"HUDDLEPOD_FLIP_APPEARANCE", [] { return text(DD::flipAppearance()); },
         {{"Dark", "none"}, {"dark", "2"}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        for (const auto& [value, answer] : c.answers) {
            value ? qputenv(c.variable, value) : qunsetenv(c.variable);
            EXPECT_EQ(c.read(), QString::fromUtf8(answer))
                << c.variable << "=" << (value ? value : "<unset>");
            qunsetenv(c.variable);
        }
    }
}

TEST(DebugDriver, linesArePaddedCutAndCountedFromTheTopAndDelaysFitATimer) {
    EXPECT_EQ(DD::milestoneLine(QStringLiteral("status item visible"), 12.345),
              QStringLiteral("launch status item visible       12.3 ms since exec"));
    EXPECT_EQ(DD::milestoneLine(QString(30, u'n'), 1),
              QStringLiteral("launch ") + QString(26, u'n') + QStringLiteral("1.0 ms since exec"));
    EXPECT_EQ(DD::footprintLine(QStringLiteral("at launch"), 41.26),
              QStringLiteral("memory at launch") + QString(25, u' ') + QStringLiteral(" 41.3 MB"));
    const QString longLabel(40, u'l');
    EXPECT_EQ(DD::footprintLine(longLabel, -1),
              QStringLiteral("memory ") + longLabel + QStringLiteral(" -1.0 MB"));

    EXPECT_EQ(DD::captureRectLines(QStringLiteral("panel"), QRectF(-3.7, 125.9, 440.5, 560),
                                   QRectF(0, 100, 1920, 1080), 0x2a00003),
              QStringList({QStringLiteral("CAPTURE-RECT panel -3,25,440,560"),
                           QStringLiteral("CAPTURE-WINDOW panel 44040195")}));

    const QRectF screen(0, 0, 1024, 768);
    EXPECT_EQ(DD::statusMenuRectLine(QRectF(90, 0, 20, 20), screen),
              QStringLiteral("CAPTURE-RECT status-menu 0,0,320,300"));
    EXPECT_EQ(DD::statusMenuRectLine(QRectF(400, 0, 21, 20), screen),
              QStringLiteral("CAPTURE-RECT status-menu 250,0,320,300"));
    EXPECT_EQ(DD::statusMenuRectLine(QRectF(980, 0, 20, 20), screen),
              QStringLiteral("CAPTURE-RECT status-menu 704,0,320,300"));

    EXPECT_EQ(DD::timerDelay(-1), std::chrono::milliseconds(0));
    EXPECT_EQ(DD::timerDelay(2.5), std::chrono::milliseconds(2500));
    EXPECT_EQ(DD::timerDelay(1e9), std::nullopt);
}

TEST(DebugDriver, theLogFileIsCreatedAppendedAndNeverReplaced) {
    ASSERT_FALSE(DD::isCapturing());
    qputenv("HUDDLEPOD_DEBUG_HOME", "draft"); // a script switch: still not capturing
    EXPECT_FALSE(DD::isCapturing());
    qunsetenv("HUDDLEPOD_DEBUG_HOME");
    QTemporaryDir dir;
    // An empty name captures without a file; an entry that cannot be opened for writing stays what it was; a
    // missing folder is not made.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    for (const QString& target :
         {QString(), dir.filePath(QStringLiteral("folder")), dir.filePath(QStringLiteral("no/such.log")),
          dir.filePath(QStringLiteral("log"))}) {
        qputenv("HUDDLEPOD_DEBUG_LOG", target.toUtf8());
        EXPECT_TRUE(DD::isCapturing());
        DD::log(QStringLiteral("first — line"));
        DD::log(QStringLiteral("second"));
    }
    qunsetenv("HUDDLEPOD_DEBUG_LOG");
    QFile file(dir.filePath(QStringLiteral("log")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("[drive] first — line\n[drive] second\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList({QStringLiteral("folder"), QStringLiteral("log")}));
}

TEST(DebugDriver, milestonesAndMemoryComeFromTheKernel) {
    EXPECT_GT(DD::millisecondsSinceProcessStart().value_or(-1), 0);
    EXPECT_GT(DD::footprintMebibytes().value_or(-1), 0.5);
}
