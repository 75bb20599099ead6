// gzip and deflate through zlib, layers chained piece by piece under one bound on what they produce.
#include "platform/http/ContentDecoding.h"

#include <QList>

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

namespace huddlepod::ContentDecoding {

namespace {

constexpr qsizetype alwaysAllowed = 10 * 1024 * 1024;
constexpr qsizetype largestExpansion = 40;
constexpr qsizetype pieceSize = 16 * 1024;

enum class Encoding { gzip, deflate };

// A "deflate" body is a zlib stream, or from some servers a bare deflate stream: a zlib stream starts
// with a header whose first byte names the method (8) and whose first two bytes are a multiple of 31.
bool startsAsZlib(unsigned char first, unsigned char second) {
    return (first & 0x0f) == 8 && (first >> 4) <= 7 && ((first << 8) | second) % 31 == 0;
}

class Layer {
public:
    explicit Layer(Encoding encoding)
        : m_encoding(encoding)
        , m_piece(pieceSize) {}
    ~Layer() {
        if (m_started)
            inflateEnd(&m_stream);
    }
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    Encoding encoding() const { return m_encoding; }
    bool ended() const { return m_ended; }
    bool started() const { return m_started; }
    z_stream& stream() { return m_stream; }
    std::vector<char>& piece() { return m_piece; }
    QByteArray& head() { return m_head; }

    // 15 + 32: a zlib or gzip header, detected; -15: no header at all.
    bool start(bool raw) {
        m_started = inflateInit2(&m_stream, raw ? -MAX_WBITS : MAX_WBITS + 32) == Z_OK;
        return m_started;
    }
    void end() { m_ended = true; }

private:
    Encoding m_encoding;
    z_stream m_stream{};
    bool m_started = false;
    bool m_ended = false;
    std::vector<char> m_piece;
    QByteArray m_head; // the first bytes of a deflate layer, until its wrapper is known
};

class Chain {
public:
    Chain(std::vector<std::unique_ptr<Layer>> layers, qsizetype allowed, qsizetype wanted)
        : m_layers(std::move(layers))
        , m_allowed(allowed)
        , m_wanted(wanted) {}

    // Passes `size` bytes into layer `index` (the last index is the body itself); false once decoding
    // stops, failed or with all that is wanted.
    bool feed(std::size_t index, const char* data, qsizetype size) {
        if (m_state != State::running)
            return false;
        if (index == m_layers.size())
            return keep(data, size);
        Layer& layer = *m_layers[index];
        if (layer.ended())
            return size == 0 || fail(); // bytes after the end of a stream
        if (!layer.started() && layer.encoding() == Encoding::deflate) {
            layer.head().append(data, size);
            return layer.head().size() < 2 || startLayer(index, false);
        }
        if (!layer.started() && !startLayer(index, false))
            return false;
        return inflatePiece(index, data, size);
    }

    // After the last byte: every stream must have ended, unless all that was wanted is there.
    bool finish() {
        for (std::size_t index = 0; index < m_layers.size() && m_state == State::running; ++index) {
            Layer& layer = *m_layers[index];
            if (!layer.started() && !layer.head().isEmpty() && !startLayer(index, true))
                break;
            if (!layer.ended()) {
                // An inner stream that stops inside an outer one that ended was sent that way.
                m_endedEarly = index == 0;
                fail();
            }
        }
        return m_state != State::failed;
    }

    QByteArray takeBody() { return std::move(m_body); }
    qsizetype produced() const { return m_produced; }
    bool endedEarly() const { return m_endedEarly; }

private:
    enum class State { running, enough, failed };

    bool fail() {
        m_state = State::failed;
        return false;
    }

    bool keep(const char* data, qsizetype size) {
        if (m_wanted >= 0 && m_body.size() + size >= m_wanted) {
            m_body.append(data, m_wanted - m_body.size());
            m_state = State::enough;
            return false;
        }
        m_body.append(data, size);
        return true;
    }

    // Starts a layer, and passes on the bytes it held back while its wrapper was unknown. With `atEnd`,
    // the few bytes it holds are all there is.
    bool startLayer(std::size_t index, bool atEnd) {
        Layer& layer = *m_layers[index];
        const QByteArray head = std::exchange(layer.head(), {});
        const bool raw = layer.encoding() == Encoding::deflate && !atEnd &&
                         !startsAsZlib(head.size() > 0 ? head[0] : 0, head.size() > 1 ? head[1] : 0);
        if (!layer.start(raw))
            return fail();
        return head.isEmpty() || inflatePiece(index, head.constData(), head.size());
    }

    bool inflatePiece(std::size_t index, const char* data, qsizetype size) {
        Layer& layer = *m_layers[index];
        z_stream& stream = layer.stream();
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        stream.avail_in = uInt(size);
        for (;;) {
            stream.next_out = reinterpret_cast<Bytef*>(layer.piece().data());
            stream.avail_out = uInt(layer.piece().size());
            const int result = inflate(&stream, Z_NO_FLUSH);
            const qsizetype made = qsizetype(layer.piece().size()) - qsizetype(stream.avail_out);
            m_produced += made;
            if (m_produced > m_allowed || (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR))
                return fail();
            if (made > 0 && !feed(index + 1, layer.piece().data(), made))
                return false;
            if (result == Z_STREAM_END) {
                layer.end();
                return stream.avail_in == 0 || fail(); // bytes after the end of the stream
            }
            // Room left over means all the input was taken and all it gives was given.
            if (stream.avail_out > 0)
                return true;
        }
    }

    std::vector<std::unique_ptr<Layer>> m_layers; // the last applied first
    qsizetype m_allowed;
    qsizetype m_wanted;
    State m_state = State::running;
    QByteArray m_body;
    qsizetype m_produced = 0;
    bool m_endedEarly = false;
};

} // namespace

qsizetype allowance(qsizetype arrived, qsizetype ceiling) {
    const qsizetype proportional =
        arrived > alwaysAllowed / largestExpansion ? arrived * largestExpansion : 0;
    return std::min(ceiling, std::max(alwaysAllowed, proportional));
}

Decoded decode(const QByteArray& body, const QByteArray& contentEncoding, Limits limits) {
    const auto whole = [&limits](QByteArray bytes) {
        const qsizetype size = bytes.size();
        if (limits.wanted >= 0)
            bytes.truncate(limits.wanted);
        return Decoded{std::move(bytes), size};
    };
    if (body.isEmpty())
        return whole(body); // nothing was encoded
    if (body.size() > qsizetype(UINT_MAX))
        return {};
    const QList<QByteArray> names = contentEncoding.split(',');
    std::vector<std::unique_ptr<Layer>> layers;
    for (auto name = names.crbegin(); name != names.crend(); ++name) {
        const QByteArray encoding = name->trimmed().toLower();
        if (encoding.isEmpty() || encoding == "identity")
            continue;
        if (encoding == "gzip" || encoding == "x-gzip")
            layers.push_back(std::make_unique<Layer>(Encoding::gzip));
        else if (encoding == "deflate")
            layers.push_back(std::make_unique<Layer>(Encoding::deflate));
        else
            return {};
        if (layers.size() > std::size_t(maximumLayers))
            return {};
    }
    if (layers.empty())
        return whole(body);

    const int layerCount = int(layers.size());
    Chain chain(std::move(layers), allowance(body.size(), limits.ceiling), limits.wanted);
    chain.feed(0, body.constData(), body.size());
    const bool finished = chain.finish();
    Decoded result{std::nullopt, chain.produced(), layerCount, chain.endedEarly()};
    if (finished)
        result.body = chain.takeBody();
    return result;
}

} // namespace huddlepod::ContentDecoding
