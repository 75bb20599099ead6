// Test bodies in gzip, zlib or raw deflate form, made with zlib.
#pragma once

#include <zlib.h>

#include <stdexcept>
#include <string>

namespace huddlepod::test {

enum class Wrapper { gzip, zlib, raw };

inline std::string compressed(const std::string& data, Wrapper wrapper) {
    z_stream stream{};
    const int bits = wrapper == Wrapper::gzip   ? MAX_WBITS + 16
                     : wrapper == Wrapper::zlib ? MAX_WBITS
                                                : -MAX_WBITS;
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, bits, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&stream, uLong(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw std::runtime_error("deflate");
    return out;
}

inline std::string gzipped(const std::string& data) {
    return compressed(data, Wrapper::gzip);
}

} // namespace huddlepod::test
