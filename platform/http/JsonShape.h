// Telling a JSON body that ended early by its shape alone, without parsing it.
#pragma once

#include <QByteArray>

namespace huddlepod::JsonShape {

// Whether `body` stops inside one JSON value: nothing but white space, a string that does not close,
// brackets left open, or part of a literal. A whole value is not cut, nor is one with other bytes after it
// or a body that is no JSON at all: those arrived as they are, and fail to decode. A number cannot tell
// whether it ended, and counts as whole.
bool endsEarly(const QByteArray& body);

} // namespace huddlepod::JsonShape
