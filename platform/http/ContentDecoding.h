// Undoing an answer's Content-Encoding ourselves, so that a body that fails it is one failure of ours
// rather than a second error on a reply Qt may already have failed for its status.
#pragma once

#include <QByteArray>

#include <optional>

namespace huddlepod::ContentDecoding {

// What requests offer: the encodings decode() undoes.
inline constexpr const char* acceptedEncodings = "gzip, deflate";

// More encodings than this on one answer are refused.
inline constexpr int maximumLayers = 4;

struct Limits {
    // The most bytes all layers together may produce, whatever arrived.
    qsizetype ceiling = 0;
    // Decoding stops once the body has this many bytes, and succeeds with them even when the rest would
    // not decode (the start of an error answer is all that is shown). Negative: the whole body.
    qsizetype wanted = -1;
};

struct Decoded {
    std::optional<QByteArray> body;
    // The bytes all layers produced together, the last one's included.
    qsizetype produced = 0;
    // The encodings the body came in ("identity" not counted); 0 when one is unknown or there are too many.
    int layers = 0;
    // No body only because the bytes ran out inside the outermost stream, as when the connection closed
    // part-way; every other failure is of the bytes that did arrive.
    bool endedEarly = false;
};

// How much decoding may produce for a body of `arrived` bytes: up to 10 MiB, or 40 times what arrived,
// and never more than `ceiling`.
qsizetype allowance(qsizetype arrived, qsizetype ceiling);

// The body with the encodings of a Content-Encoding value undone, last applied first ("identity" and an
// empty value leave it as it is), one piece at a time through all layers, so that no layer's whole output
// is ever held but the last. No body when an encoding is unknown, there are too many, the data do not
// decode, end early or go on after a stream's end, or all layers together would produce more than
// allowance(body size, ceiling).
Decoded decode(const QByteArray& body, const QByteArray& contentEncoding, Limits limits);

} // namespace huddlepod::ContentDecoding
