// The debug switches' readers and the "[drive] " lines; Linux's /proc stands in for the kernel queries.
#include "app/DebugDriver.h"

#include <QFile>

#include <charconv>
#include <climits>
#include <cmath>
#include <ctime>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>
#include <utility>

namespace huddlepod::DebugDriver {

namespace {

std::optional<QByteArray> variable(const char* name) {
    if (!qEnvironmentVariableIsSet(name)) {
        return std::nullopt;
    }
    return qgetenv(name);
}

std::optional<double> secondsOf(const char* name) {
    const std::optional<QByteArray> value = variable(name);
    return value ? parseSeconds(*value) : std::nullopt;
}

// Text; an empty value counts as absent.
std::optional<QString> textOf(const char* name) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? std::nullopt : std::optional<QString>(value);
}

// The lowercased value looked up among keywords.
template <typename T>
std::optional<T> keywordOf(const char* name, std::initializer_list<std::pair<const char*, T>> keywords) {
    const std::optional<QByteArray> value = variable(name);
    if (!value) {
        return std::nullopt;
    }
    const QString lowered = QString::fromUtf8(*value).toLower();
    for (const auto& [keyword, result] : keywords) {
        if (lowered == QLatin1String(keyword)) {
            return result;
        }
    }
    return std::nullopt;
}

bool isExactlyOne(const char* name) {
    return variable(name) == QByteArray("1");
}

void writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written <= 0) {
            return;
        }
        data += written;
        left -= written;
    }
}

// Cut toward zero to a whole number, as text.
QString whole(double value) {
    return QString::number(static_cast<long long>(std::trunc(value)));
}

// A "Name:   1234 kB" field of /proc/self/status, in kB.
std::optional<double> statusField(const QByteArray& status, const QByteArray& field) {
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith(field + ':')) {
            const QList<QByteArray> parts = line.mid(field.size() + 1).simplified().split(' ');
            bool ok = false;
            const double kilobytes = parts.value(0).toDouble(&ok);
            return ok ? std::optional<double>(kilobytes) : std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<double> parseSeconds(const QByteArray& text) {
    const char* first = text.constData();
    const char* last = first + text.size();
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-' && first[1] != '+') {
        ++first;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> parseInteger(const QByteArray& text) {
    const char* first = text.constData();
    const char* last = first + text.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-') {
            return std::nullopt;
        }
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last) {
        return std::nullopt;
    }
    return value;
}

QStringList parseQueries(const QString& text) {
    const auto isBlank = [](QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; };
    QStringList queries;
    for (const QString& piece : text.split(u'|', Qt::SkipEmptyParts)) {
        qsizetype start = 0;
        qsizetype end = piece.size();
        while (start < end && isBlank(piece[start])) {
            ++start;
        }
        while (end > start && isBlank(piece[end - 1])) {
            --end;
        }
        if (end > start) {
            queries.append(piece.sliced(start, end - start));
        }
    }
    return queries;
}

std::optional<Appearance> requestedAppearance() {
    return keywordOf<Appearance>("HUDDLEPOD_DEBUG_APPEARANCE",
                                 {{"light", Appearance::light}, {"dark", Appearance::dark}});
}

std::optional<double> requestedBackdrop() {
    return keywordOf<double>("HUDDLEPOD_DEBUG_BACKDROP",
                             {{"light", 0.96}, {"midtone", 0.62}, {"mid", 0.62}, {"dark", 0.11}});
}

std::optional<double> updateCheckDelay() {
    return secondsOf("HUDDLEPOD_DEBUG_CHECK_UPDATES");
}

std::optional<double> openSettingsOnLaunch() {
    return secondsOf("HUDDLEPOD_OPEN_SETTINGS");
}

std::optional<double> commaKeyEquivalentOnLaunch() {
    return secondsOf("HUDDLEPOD_COMMA");
}

std::optional<double> openMenuOnLaunch() {
    return secondsOf("HUDDLEPOD_OPEN_MENU");
}

std::optional<AppearancePreference> flipAppearance() {
    const std::optional<QByteArray> value = variable("HUDDLEPOD_FLIP_APPEARANCE");
    if (value == "system") {
        return AppearancePreference::system;
    }
    if (value == "light") {
        return AppearancePreference::light;
    }
    if (value == "dark") {
        return AppearancePreference::dark;
    }
    return std::nullopt;
}

std::optional<HomeTab> requestedHomeTab() {
    return keywordOf<HomeTab>("HUDDLEPOD_DEBUG_HOME", {{"standings", HomeTab::standings},
                                                       {"schedule", HomeTab::schedule},
                                                       {"draft", HomeTab::draft},
                                                       {"awards", HomeTab::awards},
                                                       {"champions", HomeTab::champions}});
}

std::optional<std::int64_t> tabPresses() {
    const std::optional<QByteArray> value = variable("HUDDLEPOD_DEBUG_TABS");
    return value ? parseInteger(*value) : std::nullopt;
}

std::optional<QString> keyboardDriveQuery() {
    return textOf("HUDDLEPOD_DEBUG_KEYS");
}

std::optional<QStringList> requestedQueries() {
    const std::optional<QString> value = textOf("HUDDLEPOD_DEBUG_DRIVE");
    return value ? std::optional<QStringList>(parseQueries(*value)) : std::nullopt;
}

std::optional<PlayerCardTab> requestedTab() {
    return keywordOf<PlayerCardTab>("HUDDLEPOD_DEBUG_TAB", {{"gamelog", PlayerCardTab::gameLog},
                                                            {"game-log", PlayerCardTab::gameLog},
                                                            {"seasons", PlayerCardTab::seasons}});
}

std::optional<AwardsSection> requestedAwardsSection() {
    return keywordOf<AwardsSection>("HUDDLEPOD_DEBUG_AWARDS", {{"winners", AwardsSection::winners},
                                                               {"allpro", AwardsSection::allPro},
                                                               {"all-pro", AwardsSection::allPro},
                                                               {"allrookie", AwardsSection::allRookie},
                                                               {"all-rookie", AwardsSection::allRookie}});
}

std::optional<QString> requestedWeek() {
    return textOf("HUDDLEPOD_DEBUG_WEEK");
}

std::optional<QString> requestedTeam() {
    return textOf("HUDDLEPOD_DEBUG_TEAM");
}

std::optional<QString> presentedPicker() {
    return textOf("HUDDLEPOD_DEBUG_PICKER");
}

bool followsPlayerLink() {
    return isExactlyOne("HUDDLEPOD_DEBUG_OPEN_LINK");
}

std::optional<Material> requestedMaterial() {
    return keywordOf<Material>("HUDDLEPOD_DEBUG_MATERIAL", {{"popover", Material::popover},
                                                            {"hudwindow", Material::hudWindow},
                                                            {"hud", Material::hudWindow},
                                                            {"menu", Material::menu},
                                                            {"sidebar", Material::sidebar}});
}

double holdSeconds() {
    return secondsOf("HUDDLEPOD_DEBUG_HOLD").value_or(3.0);
}

bool stopsAtResults() {
    return keywordOf<bool>("HUDDLEPOD_DEBUG_STOP", {{"results", true}}).value_or(false);
}

bool dumpsAccessibilityTree() {
    return isExactlyOne("HUDDLEPOD_DEBUG_AXDUMP");
}

bool isCapturing() {
    for (const char* name : {"HUDDLEPOD_DEBUG_LOG", "HUDDLEPOD_OPEN_SETTINGS", "HUDDLEPOD_OPEN_MENU",
                             "HUDDLEPOD_COMMA", "HUDDLEPOD_OPEN_ON_LAUNCH", "HUDDLEPOD_DEBUG_BACKDROP"}) {
        if (qEnvironmentVariableIsSet(name)) {
            return true;
        }
    }
    return false;
}

std::optional<std::chrono::milliseconds> timerDelay(double seconds) {
    const double milliseconds = std::ceil(std::max(seconds, 0.0) * 1000);
    if (!(milliseconds <= INT_MAX)) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(static_cast<int>(milliseconds));
}

QString milestoneLine(const QString& name, double milliseconds) {
    return QStringLiteral("launch ") + name.leftJustified(26, u' ', true) +
           QString::asprintf("%.1f ms since exec", milliseconds);
}

QString footprintLine(const QString& label, double mebibytes) {
    return QStringLiteral("memory ") + label.leftJustified(34) + QString::asprintf(" %.1f MB", mebibytes);
}

QStringList captureRectLines(const QString& name, const QRectF& frame, const QRectF& screen,
                             std::uint64_t windowNumber) {
    const QString rect = whole(frame.x()) + u',' + whole(frame.y() - screen.y()) + u',' +
                         whole(frame.width()) + u',' + whole(frame.height());
    return {QStringLiteral("CAPTURE-RECT ") + name + u' ' + rect,
            QStringLiteral("CAPTURE-WINDOW ") + name + u' ' + QString::number(windowNumber)};
}

QString statusMenuRectLine(const QRectF& anchor, const QRectF& mainScreen) {
    double x = anchor.center().x() - 160;
    if (x <= 0) {
        x = 0;
    }
    if (mainScreen.right() - 320 < x) {
        x = mainScreen.right() - 320;
    }
    return QStringLiteral("CAPTURE-RECT status-menu ") + whole(x) + QStringLiteral(",0,320,300");
}

void log(const QString& message) {
    const QByteArray line = QStringLiteral("[drive] ").toUtf8() + message.toUtf8() + '\n';
    writeAll(STDERR_FILENO, line);
    const QByteArray path = qgetenv("HUDDLEPOD_DEBUG_LOG");
    if (path.isEmpty()) {
        return;
    }
    // Appended, created when absent; a file that cannot be opened is left as it is.
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    writeAll(fd, line);
    ::close(fd);
}

void logLaunchMilestone(const QString& name) {
    if (!isCapturing()) {
        return;
    }
    if (const std::optional<double> age = millisecondsSinceProcessStart()) {
        log(milestoneLine(name, *age));
    }
}

std::optional<double> millisecondsSinceProcessStart() {
    QFile file(QStringLiteral("/proc/self/stat"));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray stat = file.readAll();
    // The command name may hold blanks and parentheses; the fields after it start at the third, the state.
    const qsizetype nameEnd = stat.lastIndexOf(')');
    if (nameEnd < 0) {
        return std::nullopt;
    }
    const QList<QByteArray> fields = stat.mid(nameEnd + 2).split(' ');
    constexpr int startTimeField = 22 - 3;
    bool ok = false;
    const double startTicks = fields.value(startTimeField).toDouble(&ok);
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    timespec now{};
    if (!ok || ticksPerSecond <= 0 || ::clock_gettime(CLOCK_BOOTTIME, &now) != 0) {
        return std::nullopt;
    }
    const double sinceBoot = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
    return (sinceBoot - startTicks / static_cast<double>(ticksPerSecond)) * 1000;
}

std::optional<double> footprintMebibytes() {
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray status = file.readAll();
    const std::optional<double> anonymous = statusField(status, "RssAnon");
    if (!anonymous) {
        return std::nullopt;
    }
    return (*anonymous + statusField(status, "VmSwap").value_or(0)) / 1024;
}

void logFootprint(const QString& label) {
    log(footprintLine(label, footprintMebibytes().value_or(-1.0)));
}

} // namespace huddlepod::DebugDriver
