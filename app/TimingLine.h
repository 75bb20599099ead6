// The "[huddlepod] label: N ms (detail)" diagnostic lines that view models write after each successful load.
#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>

namespace huddlepod {

// Receives one finished line (newline included); writes it somewhere in one piece.
using DiagnosticSink = std::function<void(const QByteArray& line)>;

// Writes the line to standard error with a single write call.
void writeToStandardError(const QByteArray& line);

// Milliseconds of a duration as whole seconds × 1000 plus the sub-second remainder.
double milliseconds(std::chrono::nanoseconds elapsed);

// "[huddlepod] " + label + ": " + milliseconds ("%.0f") + " ms (" + detail + ")\n", UTF-8.
QByteArray timingLine(const QString& label, std::chrono::nanoseconds elapsed, const QString& detail);

} // namespace huddlepod
