// Key conversion, paths, the built-in decoders and parsing.
#include "data/JsonReader.h"

#include <QStringList>

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

const char* jsonTypeName(const Json& node) {
    switch (node.type()) {
    case Json::value_t::null:
        return "null";
    case Json::value_t::boolean:
        return "boolean";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
        return "integer";
    case Json::value_t::number_float:
        return "number";
    case Json::value_t::string:
        return "string";
    case Json::value_t::array:
        return "array";
    case Json::value_t::object:
        return "object";
    default:
        return "invalid value";
    }
}

bool isCanonicalUuid(const std::string& text) {
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

} // namespace

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

void JsonValue::fail(std::string_view problem) const {
    const std::string where = m_path->toString();
    throw JsonDecodingError(where.empty() ? std::string(problem) : where + ": " + std::string(problem));
}

void JsonValue::expected(std::string_view what) const {
    fail("expected " + std::string(what) + ", found " + jsonTypeName(*m_node));
}

JsonObject::JsonObject(const JsonValue& value)
    : m_path(&value.path()) {
    const Json& node = value.node();
    if (!node.is_object())
        value.expected("object");
    const auto& members = node.get_ref<const Json::object_t&>();
    m_entries.reserve(members.size());
    std::size_t convertedSize = 0;
    for (const auto& member : members)
        convertedSize += member.first.size();
    // Reserved up front so the views below stay valid while keys are appended.
    m_convertedKeys.reserve(convertedSize);
    for (const auto& [rawKey, member] : members) {
        std::size_t leading = 0;
        const auto core = convertibleCore(rawKey, leading);
        std::string_view key = rawKey;
        if (core) {
            const std::size_t start = m_convertedKeys.size();
            m_convertedKeys.append(rawKey, 0, leading);
            appendCamelCase(*core, m_convertedKeys);
            m_convertedKeys.append(rawKey, leading + core->size());
            key = std::string_view(m_convertedKeys).substr(start);
        }
        m_entries.push_back({key, &member});
    }
}

const Json* JsonObject::find(std::string_view key) const {
    for (const Entry& entry : m_entries) {
        if (entry.key == key)
            return entry.value;
    }
    return nullptr;
}

bool JsonDecoder<bool>::decode(const JsonValue& value) {
    if (!value.node().is_boolean())
        value.expected("boolean");
    return value.node().get<bool>();
}

int JsonDecoder<int>::decode(const JsonValue& value) {
    const Json& node = value.node();
    if (node.is_number_unsigned()) {
        const auto number = node.get<std::uint64_t>();
        if (number > std::uint64_t(INT_MAX))
            value.fail("integer out of range");
        return int(number);
    }
    if (!node.is_number_integer())
        value.expected("integer");
    const auto number = node.get<std::int64_t>();
    if (number < INT_MIN || number > INT_MAX)
        value.fail("integer out of range");
    return int(number);
}

double JsonDecoder<double>::decode(const JsonValue& value) {
    if (!value.node().is_number())
        value.expected("number");
    return value.node().get<double>();
}

QString JsonDecoder<QString>::decode(const JsonValue& value) {
    if (!value.node().is_string())
        value.expected("string");
    const auto& text = value.node().get_ref<const std::string&>();
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QUuid JsonDecoder<QUuid>::decode(const JsonValue& value) {
    if (!value.node().is_string())
        value.expected("UUID");
    const auto& text = value.node().get_ref<const std::string&>();
    if (!isCanonicalUuid(text))
        value.fail("expected UUID, found \"" + text.substr(0, 40) + "\"");
    return QUuid::fromString(QLatin1String(text.data(), qsizetype(text.size())));
}

Json parseJson(const QByteArray& body) {
    try {
        return Json::parse(body.begin(), body.end());
    } catch (const Json::parse_error& error) {
        throw JsonDecodingError(std::string("invalid JSON: ") + error.what());
    }
}

} // namespace huddlepod
