// Key conversion, paths, parsing with simdjson and the built-in decoders.
#include "data/JsonReader.h"

#include <QStringList>
#include <simdjson.h>

#include <algorithm>
#include <cctype>
#include <climits>

namespace huddlepod {

namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}
char asciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// Appends the joined pieces of `core` (which has no leading or trailing underscore) to `out`.
void appendCamelCase(std::string_view core, std::string& out) {
    if (!isAscii(core)) {
        // Rare: keys are column names. Use Unicode case mapping for the pieces.
        const QStringList pieces = QString::fromUtf8(core.data(), qsizetype(core.size()))
                                       .split(QLatin1Char('_'), Qt::SkipEmptyParts);
        QString joined;
        for (qsizetype i = 0; i < pieces.size(); ++i)
            joined += i == 0 ? pieces[i].toLower() : pieces[i].left(1).toUpper() + pieces[i].mid(1).toLower();
        out += joined.toStdString();
        return;
    }
    bool first = true;
    std::size_t start = 0;
    while (start <= core.size()) {
        std::size_t end = core.find('_', start);
        if (end == std::string_view::npos)
            end = core.size();
        const std::string_view piece = core.substr(start, end - start);
        for (std::size_t i = 0; i < piece.size(); ++i)
            out += (!first && i == 0) ? asciiUpper(piece[i]) : asciiLower(piece[i]);
        if (!piece.empty())
            first = false;
        start = end + 1;
    }
}

// The part of `key` between its leading and trailing underscores, when conversion changes anything.
std::optional<std::string_view> convertibleCore(std::string_view key, std::size_t& leading) {
    const std::size_t first = key.find_first_not_of('_');
    if (first == std::string_view::npos)
        return std::nullopt;
    const std::size_t last = key.find_last_not_of('_');
    const std::string_view core = key.substr(first, last - first + 1);
    if (core.find('_') == std::string_view::npos)
        return std::nullopt;
    leading = first;
    return core;
}

bool isCanonicalUuid(std::string_view text) {
    if (text.size() != 36)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != '-')
                return false;
        } else if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

using simdjson::dom::element_type;

// One parser per thread, reused so its buffers are allocated once; a nested decode gets its own.
struct SharedParser {
    simdjson::dom::parser parser;
    bool inUse = false;
};

constexpr std::size_t retainedParserCapacity = 8 * 1024 * 1024;

} // namespace

struct JsonObject::Entry {
    std::string_view key;
    simdjson::dom::element value;
};

std::string convertJsonKey(std::string_view key) {
    std::size_t leading = 0;
    const auto core = convertibleCore(key, leading);
    if (!core)
        return std::string(key);
    std::string out(key.substr(0, leading));
    appendCamelCase(*core, out);
    out += key.substr(leading + core->size());
    return out;
}

std::string JsonPath::toString() const {
    std::vector<const JsonPath*> frames;
    for (const JsonPath* frame = this; frame && frame->parent; frame = frame->parent)
        frames.push_back(frame);
    std::string text;
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
        if ((*it)->key.empty()) {
            text += '[' + std::to_string((*it)->index) + ']';
        } else {
            if (!text.empty())
                text += '.';
            text += (*it)->key;
        }
    }
    return text;
}

void JsonPath::fail(std::string_view problem) const {
    const std::string where = toString();
    throw JsonDecodingError(where.empty() ? std::string(problem) : where + ": " + std::string(problem));
}

bool JsonValue::isNull() const {
    return m_element->is_null();
}

std::string_view JsonValue::typeName() const {
    switch (m_element->type()) {
    case element_type::NULL_VALUE:
        return "null";
    case element_type::BOOL:
        return "boolean";
    case element_type::INT64:
    case element_type::UINT64:
        return "integer";
    case element_type::DOUBLE:
        return "number";
    case element_type::STRING:
        return "string";
    case element_type::ARRAY:
        return "array";
    case element_type::OBJECT:
        return "object";
    }
    return "value";
}

void JsonValue::expected(std::string_view what) const {
    fail("expected " + std::string(what) + ", found " + std::string(typeName()));
}

bool JsonValue::boolean() const {
    bool value = false;
    if (m_element->get_bool().get(value))
        expected("boolean");
    return value;
}

std::string_view JsonValue::string() const {
    std::string_view value;
    if (m_element->get_string().get(value))
        expected("string");
    return value;
}

double JsonValue::number() const {
    switch (m_element->type()) {
    case element_type::INT64:
        return double(m_element->get_int64().value_unsafe());
    case element_type::UINT64:
        return double(m_element->get_uint64().value_unsafe());
    case element_type::DOUBLE:
        return m_element->get_double().value_unsafe();
    default:
        expected("number");
    }
}

std::size_t JsonValue::arraySize() const {
    simdjson::dom::array array;
    if (m_element->get_array().get(array))
        expected("array");
    return array.size();
}

void JsonValue::forEachElementImpl(void* context, void (*visit)(void*, const JsonValue&)) const {
    simdjson::dom::array array;
    if (m_element->get_array().get(array))
        expected("array");
    std::size_t index = 0;
    for (const simdjson::dom::element item : array) {
        const JsonPath frame{m_path, {}, index++};
        visit(context, JsonValue(item, frame));
    }
}

JsonObject::JsonObject(const JsonValue& value)
    : m_path(&value.path()) {
    simdjson::dom::object object;
    if (value.element().get_object().get(object))
        value.expected("object");
    std::size_t rawSize = 0;
    std::size_t count = 0;
    for (const simdjson::dom::key_value_pair member : object) {
        rawSize += member.key.size();
        ++count;
    }
    m_entries.reserve(count);
    // The keys below are views into m_convertedKeys, so it must not reallocate while they are made. An ASCII
    // key never grows when converted, but Unicode case mapping can lengthen one ("İ" lower-cases to two
    // code points); when that outgrows the room reserved, convert again into room of the size now known.
    std::size_t room = rawSize;
    for (;;) {
        m_entries.clear();
        m_convertedKeys.clear();
        m_convertedKeys.reserve(room);
        const std::size_t reserved = m_convertedKeys.capacity();
        for (const simdjson::dom::key_value_pair member : object) {
            std::size_t leading = 0;
            std::string_view key = member.key;
            if (const auto core = convertibleCore(key, leading)) {
                const std::size_t start = m_convertedKeys.size();
                m_convertedKeys.append(member.key.substr(0, leading));
                appendCamelCase(*core, m_convertedKeys);
                m_convertedKeys.append(member.key.substr(leading + core->size()));
                key = std::string_view(m_convertedKeys).substr(start);
            }
            m_entries.push_back({key, member.value});
        }
        if (m_convertedKeys.capacity() == reserved)
            return;
        room = m_convertedKeys.size();
    }
}

JsonObject::~JsonObject() = default;

const simdjson::dom::element* JsonObject::find(std::string_view key) const {
    for (const Entry& entry : m_entries) {
        if (entry.key == key)
            return &entry.value;
    }
    return nullptr;
}

std::int64_t JsonDecoder<std::int64_t>::decode(const JsonValue& value) {
    const simdjson::dom::element& element = value.element();
    if (element.type() == element_type::INT64)
        return element.get_int64().value_unsafe();
    if (element.type() == element_type::UINT64)
        value.fail("integer out of range");
    value.expected("integer");
}

int JsonDecoder<int>::decode(const JsonValue& value) {
    const std::int64_t number = JsonDecoder<std::int64_t>::decode(value);
    if (number < INT_MIN || number > INT_MAX)
        value.fail("integer out of range");
    return int(number);
}

QString JsonDecoder<QString>::decode(const JsonValue& value) {
    const std::string_view text = value.string();
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QUuid JsonDecoder<QUuid>::decode(const JsonValue& value) {
    if (value.element().type() != element_type::STRING)
        value.expected("UUID");
    const std::string_view text = value.string();
    if (!isCanonicalUuid(text))
        value.fail("expected UUID, found \"" + std::string(text.substr(0, 40)) + "\"");
    return QUuid::fromString(QLatin1String(text.data(), qsizetype(text.size())));
}

namespace detail {

void parseJson(const QByteArray& body, void* context, void (*use)(void*, const JsonValue&)) {
    thread_local SharedParser shared;
    std::optional<simdjson::dom::parser> own;
    const bool useShared = !shared.inUse;
    simdjson::dom::parser& parser = useShared ? shared.parser : own.emplace();
    struct Release {
        SharedParser& shared;
        bool active;
        ~Release() {
            if (!active)
                return;
            shared.inUse = false;
            if (shared.parser.capacity() > retainedParserCapacity)
                shared.parser = simdjson::dom::parser();
        }
    } release{shared, useShared};
    if (useShared)
        shared.inUse = true;

    simdjson::dom::element root;
    if (const auto error = parser.parse(body.constData(), std::size_t(body.size())).get(root))
        throw JsonDecodingError(std::string("invalid JSON: ") + simdjson::error_message(error));
    const JsonPath path;
    use(context, JsonValue(root, path));
}

} // namespace detail

} // namespace huddlepod
