// Undoing an answer's Content-Encoding ourselves, so that a body that fails it is one failure of ours
// rather than a second error on a reply Qt may already have failed for its status.
#pragma once

#include <QByteArray>

#include <optional>

namespace huddlepod::ContentDecoding {

// What requests offer: the encodings decode() undoes.
inline constexpr const char* acceptedEncodings = "gzip, deflate";

// The body with the encodings of a Content-Encoding value undone, last applied first ("identity" and an
// empty value leave it as it is). None when an encoding is unknown, the data do not decode or end early,
// or a small body would expand beyond all proportion (more than 10 MB at over 40 times its size).
std::optional<QByteArray> decode(const QByteArray& body, const QByteArray& contentEncoding);

} // namespace huddlepod::ContentDecoding
