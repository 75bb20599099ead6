// Byte order of texts: the order of their UTF-8 encodings, which is Unicode code-point order.
#pragma once

#include <QStringView>

namespace huddlepod {

// True when a sorts before b by code point (QString's own operator< compares UTF-16 units,
// which puts characters beyond U+FFFF before U+E000..U+FFFF).
bool byteLess(QStringView a, QStringView b) noexcept;

} // namespace huddlepod
