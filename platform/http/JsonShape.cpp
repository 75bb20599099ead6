// One pass over the bytes: nesting depth, and whether we are inside a string.
#include "platform/http/JsonShape.h"

#include <QByteArrayView>

namespace huddlepod::JsonShape {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

bool isWhole(const QByteArray& body) {
    qsizetype begin = 0;
    qsizetype end = body.size();
    while (begin < end && isSpace(body[begin]))
        ++begin;
    while (end > begin && isSpace(body[end - 1]))
        --end;
    if (begin == end)
        return false;
    const QByteArrayView value(body.constData() + begin, end - begin);
    const char first = value.front();
    if (first == 't' || first == 'f' || first == 'n')
        return value == "true" || value == "false" || value == "null";
    if (first != '[' && first != '{' && first != '"')
        return true; // a number
    qsizetype depth = 0;
    bool inString = false;
    bool escaped = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
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
        // The value closes here: it is whole only when it is also the last byte.
        if (!inString && depth <= 0)
            return i == value.size() - 1 && depth == 0;
    }
    return false;
}

} // namespace huddlepod::JsonShape
