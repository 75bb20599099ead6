// The debug switches' value rules, the line formats and the log file.
#include "app/DebugDriver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace huddlepod;
namespace DD = huddlepod::DebugDriver;

namespace {

// Sets (or, with no value, removes) a variable for one scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value)
        : name_(name) {
        value ? qputenv(name, value) : qunsetenv(name);
    }
    ~ScopedVariable() { qunsetenv(name_); }

private:
    const char* name_;
};

template <typename T>
QString show(const std::optional<T>& value, std::function<QString(const T&)> text) {
    return value ? text(*value) : QStringLiteral("none");
}

QString number(const double& value) {
    return QString::number(value);
}

QString fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<missing>");
}

} // namespace

TEST(DebugDriver, readersFollowTheirValueRules) {
    const std::function<QString()> hold = [] { return QString::number(DD::holdSeconds()); };
    const std::function<QString()> updates = [] { return show<double>(DD::updateCheckDelay(), number); };
    const std::function<QString()> tabs = [] {
        return show<std::int64_t>(DD::tabPresses(), [](const std::int64_t& n) { return QString::number(n); });
    };
    const std::function<QString()> drive = [] {
        return show<QStringList>(DD::requestedQueries(), [](const QStringList& q) { return q.join(u'/'); });
    };
    const std::function<QString()> appearance = [] {
        return show<Appearance>(DD::requestedAppearance(), [](const Appearance& a) {
            return a == Appearance::dark ? QStringLiteral("dark") : QStringLiteral("light");
        });
    };
    const std::function<QString()> home = [] {
        return show<HomeTab>(DD::requestedHomeTab(), [](const HomeTab& t) { return rawValue(t); });
    };
    const std::function<QString()> link = [] { return QString::number(DD::followsPlayerLink()); };
    const std::function<QString()> axDump = [] { return QString::number(DD::dumpsAccessibilityTree()); };
    const std::function<QString()> stop = [] { return QString::number(DD::stopsAtResults()); };
    const std::function<QString()> backdrop = [] { return show<double>(DD::requestedBackdrop(), number); };
    const std::function<QString()> picker = [] {
        return show<QString>(DD::presentedPicker(), [](const QString& s) { return s; });
    };
    const std::function<QString()> material = [] {
        return QString::number(DD::requestedMaterial() == Material::hudWindow);
    };
    const std::function<QString()> gameLog = [] {
        return QString::number(DD::requestedTab() == PlayerCardTab::gameLog);
    };
    const std::function<QString()> flip = [] { return QString::number(DD::flipAppearance().has_value()); };
    struct Case {
        const char* variable;
        const char* value; // null: unset
        const std::function<QString()>& read;
        const char* expected;
    };
    const Case cases[] = {
        {"HUDDLEPOD_DEBUG_HOLD", nullptr, hold, "3"},
        {"HUDDLEPOD_DEBUG_HOLD", "", hold, "3"},
        {"HUDDLEPOD_DEBUG_HOLD", "abc", hold, "3"},
        {"HUDDLEPOD_DEBUG_HOLD", "2s", hold, "3"},
        {"HUDDLEPOD_DEBUG_HOLD", "1,5", hold, "3"},
        {"HUDDLEPOD_DEBUG_HOLD", "inf", hold, "3"},
        {"HUDDLEPOD_DEBUG_HOLD", "nan", hold, "3"},
        {"HUDDLEPOD_DEBUG_HOLD", "0", hold, "0"},
        {"HUDDLEPOD_DEBUG_HOLD", "-1", hold, "-1"},
        {"HUDDLEPOD_DEBUG_HOLD", "+0.25", hold, "0.25"},
        {"HUDDLEPOD_DEBUG_CHECK_UPDATES", "5", updates, "5"},
        {"HUDDLEPOD_DEBUG_CHECK_UPDATES", "2.5", updates, "2.5"},
        {"HUDDLEPOD_DEBUG_CHECK_UPDATES", " 2.5", updates, "none"},
        {"HUDDLEPOD_DEBUG_CHECK_UPDATES", "\t2.5", updates, "none"},
        {"HUDDLEPOD_DEBUG_CHECK_UPDATES", "2.5\n", updates, "none"},
        {"HUDDLEPOD_DEBUG_CHECK_UPDATES", "+-2", updates, "none"},
        {"HUDDLEPOD_DEBUG_TABS", "+3", tabs, "3"},
        {"HUDDLEPOD_DEBUG_TABS", "-2", tabs, "-2"},
        {"HUDDLEPOD_DEBUG_TABS", "3.0", tabs, "none"},
        {"HUDDLEPOD_DEBUG_TABS", "", tabs, "none"},
        {"HUDDLEPOD_DEBUG_TABS", "+-3", tabs, "none"},
        {"HUDDLEPOD_DEBUG_TABS", " 3", tabs, "none"},
        {"HUDDLEPOD_DEBUG_TABS", "9223372036854775808", tabs, "none"},
        {"HUDDLEPOD_DEBUG_DRIVE", " Brady \t| \xE3\x80\x80 |Rice|", drive, "Brady/Rice"},
        {"HUDDLEPOD_DEBUG_DRIVE", "a\n|b", drive, "a\n/b"},
        {"HUDDLEPOD_DEBUG_DRIVE", "|", drive, ""},
        {"HUDDLEPOD_DEBUG_DRIVE", "", drive, "none"},
        {"HUDDLEPOD_DEBUG_APPEARANCE", "DARK", appearance, "dark"},
        {"HUDDLEPOD_DEBUG_APPEARANCE", "dArK", appearance, "dark"},
        {"HUDDLEPOD_DEBUG_APPEARANCE", "Light", appearance, "light"},
        {"HUDDLEPOD_DEBUG_APPEARANCE", " dark", appearance, "none"},
        {"HUDDLEPOD_DEBUG_HOME", "Schedule", home, "Schedule"},
        {"HUDDLEPOD_DEBUG_HOME", "schedules", home, "none"},
        {"HUDDLEPOD_DEBUG_OPEN_LINK", "1", link, "1"},
        {"HUDDLEPOD_DEBUG_OPEN_LINK", "true", link, "0"},
        {"HUDDLEPOD_DEBUG_AXDUMP", "2", axDump, "0"},
        {"HUDDLEPOD_DEBUG_AXDUMP", "yes", axDump, "0"},
        {"HUDDLEPOD_DEBUG_STOP", "Results", stop, "1"},
        {"HUDDLEPOD_DEBUG_BACKDROP", "MID", backdrop, "0.62"},
        {"HUDDLEPOD_DEBUG_BACKDROP", "grey", backdrop, "none"},
        {"HUDDLEPOD_DEBUG_PICKER", "", picker, "none"},
        {"HUDDLEPOD_DEBUG_PICKER", "Week", picker, "Week"},
        {"HUDDLEPOD_DEBUG_MATERIAL", "HUD", material, "1"},
        {"HUDDLEPOD_DEBUG_TAB", "Game-Log", gameLog, "1"},
        {"HUDDLEPOD_FLIP_APPEARANCE", "Dark", flip, "0"},
        {"HUDDLEPOD_FLIP_APPEARANCE", "dark", flip, "1"},
    };
    for (const Case& c : cases) {
        const ScopedVariable variable(c.variable, c.value);
        EXPECT_EQ(c.read(), QString::fromUtf8(c.expected))
            << c.variable << "=" << (c.value ? c.value : "<unset>");
    }
}

TEST(DebugDriver, capturingNeedsACaptureVariableNotAScriptOne) {
    ASSERT_FALSE(DD::isCapturing());
    {
        const ScopedVariable home("HUDDLEPOD_DEBUG_HOME", "draft");
        EXPECT_FALSE(DD::isCapturing());
    }
    const ScopedVariable log("HUDDLEPOD_DEBUG_LOG", "");
    EXPECT_TRUE(DD::isCapturing());
    DD::log(QStringLiteral("to standard error only"));
}

TEST(DebugDriver, linesArePaddedCutAndCountedFromTheTop) {
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
}

TEST(DebugDriver, delaysBecomeTimerIntervalsOrNothing) {
    EXPECT_EQ(DD::timerDelay(-1), std::chrono::milliseconds(0));
    EXPECT_EQ(DD::timerDelay(2.5), std::chrono::milliseconds(2500));
    EXPECT_EQ(DD::timerDelay(1e9), std::nullopt);
}

TEST(DebugDriver, theLogFileIsCreatedAppendedAndNeverReplaced) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("drive.log"));
    {
        const ScopedVariable log("HUDDLEPOD_DEBUG_LOG", path.toUtf8().constData());
        DD::log(QStringLiteral("first — line"));
        DD::log(QStringLiteral("second"));
    }
    EXPECT_EQ(fileText(path), QStringLiteral("[drive] first — line\n[drive] second\n"));

    // An entry that cannot be opened for writing stays what it was; a missing folder is not made.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    for (const QString& target :
         {dir.filePath(QStringLiteral("folder")), dir.filePath(QStringLiteral("no/such.log"))}) {
        const ScopedVariable log("HUDDLEPOD_DEBUG_LOG", target.toUtf8().constData());
        DD::log(QStringLiteral("lost"));
    }
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("no"))));
}

TEST(DebugDriver, milestonesAndMemoryComeFromTheKernel) {
    const std::optional<double> age = DD::millisecondsSinceProcessStart();
    ASSERT_TRUE(age.has_value());
    EXPECT_GT(*age, 0);
    const std::optional<double> memory = DD::footprintMebibytes();
    ASSERT_TRUE(memory.has_value());
    EXPECT_GT(*memory, 0.5);
}
