// gzip and deflate through zlib, with a bound on how far a body may expand.
#include "platform/http/ContentDecoding.h"

#include <QList>

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace huddlepod::ContentDecoding {

namespace {

constexpr qsizetype expansionCheckedFrom = 10 * 1024 * 1024;
constexpr qsizetype largestExpansion = 40;

enum class Wrapper { gzipOrZlib, raw };

// One zlib pass; a "deflate" body is a zlib stream, or from some servers a bare deflate stream.
std::optional<QByteArray> inflateAll(const QByteArray& input, Wrapper wrapper) {
    if (input.size() > qsizetype(UINT_MAX))
        return std::nullopt;
    z_stream stream{};
    // 15 + 32: a zlib or gzip header, detected; -15: no header at all.
    if (inflateInit2(&stream, wrapper == Wrapper::raw ? -MAX_WBITS : MAX_WBITS + 32) != Z_OK)
        return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.constData()));
    stream.avail_in = uInt(input.size());
    QByteArray output;
    int result = Z_OK;
    while (result == Z_OK) {
        const qsizetype used = output.size();
        const qsizetype room = std::max<qsizetype>(16 * 1024, input.size());
        output.resize(used + room);
        stream.next_out = reinterpret_cast<Bytef*>(output.data() + used);
        stream.avail_out = uInt(room);
        result = inflate(&stream, Z_NO_FLUSH);
        output.resize(used + room - qsizetype(stream.avail_out));
        if (result == Z_BUF_ERROR && stream.avail_in > 0)
            result = Z_OK; // out of room only: go on
        if (output.size() > expansionCheckedFrom && output.size() / largestExpansion > input.size())
            result = Z_DATA_ERROR;
    }
    // Only a stream that ended, with nothing after it, is the whole body.
    const bool whole = result == Z_STREAM_END && stream.avail_in == 0;
    inflateEnd(&stream);
    if (!whole)
        return std::nullopt;
    return output;
}

std::optional<QByteArray> undo(const QByteArray& body, const QByteArray& encoding) {
    if (encoding.isEmpty() || encoding == "identity")
        return body;
    if (encoding == "gzip" || encoding == "x-gzip")
        return inflateAll(body, Wrapper::gzipOrZlib);
    if (encoding == "deflate") {
        if (auto wrapped = inflateAll(body, Wrapper::gzipOrZlib))
            return wrapped;
        return inflateAll(body, Wrapper::raw);
    }
    return std::nullopt;
}

} // namespace

std::optional<QByteArray> decode(const QByteArray& body, const QByteArray& contentEncoding) {
    if (body.isEmpty())
        return body; // nothing was encoded
    const QList<QByteArray> encodings = contentEncoding.split(',');
    std::optional<QByteArray> decoded = body;
    for (auto encoding = encodings.crbegin(); decoded && encoding != encodings.crend(); ++encoding)
        decoded = undo(*decoded, encoding->trimmed().toLower());
    return decoded;
}

} // namespace huddlepod::ContentDecoding
