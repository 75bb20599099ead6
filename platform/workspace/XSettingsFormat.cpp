// Reads the settings blob field by field, every read checked against the bytes left.
#include "platform/workspace/XSettingsFormat.h"

namespace huddlepod::xsettings {

namespace {

enum : std::uint8_t { lsbFirst = 0, msbFirst = 1 };
enum : std::uint8_t { integerType = 0, stringType = 1, colorType = 2 };

class Reader {
public:
    explicit Reader(QByteArrayView bytes)
        : bytes_(bytes) {}

    void setMostSignificantFirst(bool msb) { msb_ = msb; }
    std::size_t left() const { return static_cast<std::size_t>(bytes_.size()) - position_; }

    bool skip(std::size_t count) {
        if (count > left()) {
            return false;
        }
        position_ += count;
        return true;
    }
    // Lengths are padded to a multiple of four.
    bool skipPadding(std::size_t length) { return skip((4 - length % 4) % 4); }

    std::optional<std::uint32_t> number(std::size_t size) {
        if (size > left()) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            const std::size_t index = msb_ ? i : size - 1 - i;
            value = (value << 8) | static_cast<std::uint8_t>(bytes_[position_ + index]);
        }
        position_ += size;
        return value;
    }
    std::optional<std::uint8_t> card8() { return narrow<std::uint8_t>(number(1)); }
    std::optional<std::uint16_t> card16() { return narrow<std::uint16_t>(number(2)); }
    std::optional<std::uint32_t> card32() { return number(4); }

    // `length` bytes and the padding after them.
    std::optional<QByteArray> padded(std::size_t length) {
        if (length > left()) {
            return std::nullopt;
        }
        QByteArray text(bytes_.data() + position_, static_cast<qsizetype>(length));
        position_ += length;
        if (!skipPadding(length)) {
            return std::nullopt;
        }
        return text;
    }

private:
    template <typename T>
    static std::optional<T> narrow(std::optional<std::uint32_t> value) {
        return value ? std::optional<T>(static_cast<T>(*value)) : std::nullopt;
    }

    QByteArrayView bytes_;
    std::size_t position_ = 0;
    bool msb_ = false;
};

std::optional<Value> readValue(Reader& reader, std::uint8_t type) {
    switch (type) {
    case integerType:
        if (const std::optional<std::uint32_t> value = reader.card32()) {
            return Value(static_cast<std::int32_t>(*value));
        }
        return std::nullopt;
    case stringType:
        if (const std::optional<std::uint32_t> length = reader.card32()) {
            if (std::optional<QByteArray> text = reader.padded(*length)) {
                return Value(std::move(*text));
            }
        }
        return std::nullopt;
    case colorType: {
        // Stored red, blue, green, alpha.
        const std::optional<std::uint16_t> red = reader.card16(), blue = reader.card16(),
                                           green = reader.card16(), alpha = reader.card16();
        if (red && blue && green && alpha) {
            return Value(Color{*red, *green, *blue, *alpha});
        }
        return std::nullopt;
    }
    default:
        return std::nullopt; // its length is unknown: nothing after it can be read
    }
}

} // namespace

std::optional<Settings> parse(QByteArrayView blob) {
    Reader reader(blob);
    const std::optional<std::uint8_t> order = reader.card8();
    if (!order || (*order != lsbFirst && *order != msbFirst) || !reader.skip(3)) {
        return std::nullopt;
    }
    reader.setMostSignificantFirst(*order == msbFirst);
    const std::optional<std::uint32_t> serial = reader.card32();
    const std::optional<std::uint32_t> count = reader.card32();
    if (!serial || !count) {
        return std::nullopt;
    }
    Settings settings;
    settings.serial = *serial;
    // The count is only a claim: every setting takes at least 12 bytes, so a false one ends at the bytes'
    // end.
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::optional<std::uint8_t> type = reader.card8();
        if (!type || !reader.skip(1)) {
            return std::nullopt;
        }
        const std::optional<std::uint16_t> nameLength = reader.card16();
        std::optional<QByteArray> name = nameLength ? reader.padded(*nameLength) : std::nullopt;
        if (!name || !reader.card32()) { // the serial of the setting's last change
            return std::nullopt;
        }
        std::optional<Value> value = readValue(reader, *type);
        if (!value) {
            return std::nullopt;
        }
        settings.values.insert_or_assign(std::move(*name), std::move(*value));
    }
    return settings;
}

} // namespace huddlepod::xsettings
