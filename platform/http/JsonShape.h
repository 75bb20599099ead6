// Telling a JSON body that ended early by its shape alone, without parsing it.
#pragma once

#include <QByteArray>

namespace huddlepod::JsonShape {

// Whether `body` is one JSON value that ended: an array or object whose brackets all close, a string that
// closes, or a whole literal, with nothing but white space around it. A number cannot tell whether it
// ended, and counts as whole.
bool isWhole(const QByteArray& body);

} // namespace huddlepod::JsonShape
