// One pass over the bytes: nesting depth, and whether we are inside a string.
#include "platform/http/JsonShape.h"

#include <QByteArrayView>

namespace huddlepod::JsonShape {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

bool endsEarly(const QByteArray& body) {
    qsizetype begin = 0;
    const qsizetype end = body.size();
    while (begin < end && isSpace(body[begin]))
        ++begin;
    if (begin == end)
        return true;
    const QByteArrayView value(body.constData() + begin, end - begin);
    const char first = value.front();
    if (first == 't' || first == 'f' || first == 'n') {
        for (const QByteArrayView literal : {"true", "false", "null"}) {
            if (value.size() < literal.size() && literal.startsWith(value))
                return true;
        }
        return false;
    }
    if (first != '[' && first != '{' && first != '"')
        return false; // a number, or no JSON
    qsizetype depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : value) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            ++depth;
        } else if (c == ']' || c == '}') {
            --depth;
        }
        // The value closed: whatever follows it arrived too.
        if (!inString && depth <= 0)
            return false;
    }
    return true;
}

} // namespace huddlepod::JsonShape
