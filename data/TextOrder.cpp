// Code-point comparison of UTF-16 texts.
#include "data/TextOrder.h"

#include <algorithm>

namespace huddlepod {

namespace {

// Moves surrogates above the rest of the BMP so that unit order matches code-point order.
char16_t fixup(char16_t unit) noexcept {
    if (unit >= 0xE000)
        return static_cast<char16_t>(unit - 0x800);
    if (unit >= 0xD800)
        return static_cast<char16_t>(unit + 0x2000);
    return unit;
}

} // namespace

bool byteLess(QStringView a, QStringView b) noexcept {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y)
            return fixup(x) < fixup(y);
    }
    return a.size() < b.size();
}

} // namespace huddlepod
