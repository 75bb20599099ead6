// The "[huddlepod] label: N ms (detail)" diagnostic lines that view models write after each successful load.
#include "app/TimingLine.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace huddlepod {

void writeToStandardError(const QByteArray& line) {
    const char* data = line.constData();
    auto remaining = static_cast<size_t>(line.size());
    // One write for the whole line; only a partial write or an interrupted call makes us continue.
    while (remaining > 0) {
        const ssize_t written = ::write(STDERR_FILENO, data, remaining);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        data += written;
        remaining -= static_cast<size_t>(written);
    }
}

double milliseconds(std::chrono::nanoseconds elapsed) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed);
    const auto remainder = elapsed - seconds;
    return static_cast<double>(seconds.count()) * 1000.0 + static_cast<double>(remainder.count()) / 1e6;
}

QByteArray timingLine(const QString& label, std::chrono::nanoseconds elapsed, const QString& detail) {
    char number[64];
    std::snprintf(number, sizeof number, "%.0f", milliseconds(elapsed));
    QByteArray line("[huddlepod] ");
    line += label.toUtf8();
    line += ": ";
    line += number;
    line += " ms (";
    line += detail.toUtf8();
    line += ")\n";
    return line;
}

} // namespace huddlepod
