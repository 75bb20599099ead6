// Strict, typed JSON readers with the backend's snake_case → lower camel key convention.
// Reading parses with simdjson (an order of magnitude faster than a DOM of nlohmann-json); writing JSON
// (request bodies, test documents) uses nlohmann-json, available here as `Json`.
#pragma once

#include "data/Models/FieldTable.h"

#include <QByteArray>
#include <QString>
#include <QUuid>
#include <nlohmann/json.hpp>

#include <concepts>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

namespace simdjson::dom {
class element;
}

namespace huddlepod {

using Json = nlohmann::json;

// The key convention: leading and trailing underscores stay; the rest is split at "_", the first piece
// lower-cased and every later piece capitalised (first letter upper case, the rest lower case), then
// joined. A key without an inner underscore is unchanged: "season_type" → "seasonType", "is_hof" →
// "isHof", "_a_b_" → "_aB_", "throws" → "throws".
std::string convertJsonKey(std::string_view key);

// A decoding failure; what() names the path, e.g. "[3].seasonType: expected string, found null".
class JsonDecodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where a value sits, as a chain of stack frames; it is turned into text only when decoding fails.
struct JsonPath {
    const JsonPath* parent = nullptr;
    std::string_view key;  // a member's converted key, or empty for an array element
    std::size_t index = 0; // the element's index when `key` is empty
    std::string toString() const;
    // Throws JsonDecodingError "<path>: <problem>" (just the problem at the root).
    [[noreturn]] void fail(std::string_view problem) const;
};

// Reads a T from a JSON value. Specialise it for a type of your own: `static T decode(const JsonValue&)`.
// Provided: bool, std::int64_t, int, double, QString, QUuid, std::optional<T> (null → none), std::vector<T>,
// and records, i.e. types with a field table (`static constexpr auto fields()`, see FieldTable.h) or with
// `static T decode(const JsonObject&)`.
template <typename T>
struct JsonDecoder;

// A JSON value and its place, valid while the decode that produced it runs.
class JsonValue {
public:
    JsonValue(const simdjson::dom::element& element, const JsonPath& path)
        : m_element(&element)
        , m_path(&path) {}

    const JsonPath& path() const { return *m_path; }
    const simdjson::dom::element& element() const { return *m_element; }

    template <typename T>
    T as() const {
        return JsonDecoder<T>::decode(*this);
    }

    bool isNull() const;
    // The JSON type: "null", "boolean", "integer", "number" (with a fraction or exponent), "string",
    // "array" or "object".
    std::string_view typeName() const;

    // Each fails with "expected <type>, found <type>" unless the value has that JSON type.
    bool boolean() const;
    std::string_view string() const; // valid while the decode runs
    double number() const;           // an integer or a number

    // Calls visit(const JsonValue&) for each element in order; fails unless the value is an array.
    template <typename Visit>
    void forEachElement(Visit&& visit) const {
        using Callable = std::remove_reference_t<Visit>;
        forEachElementImpl(
            const_cast<void*>(static_cast<const void*>(std::addressof(visit))),
            [](void* context, const JsonValue& item) { (*static_cast<Callable*>(context))(item); });
    }
    std::size_t arraySize() const; // fails unless an array

    // Throws JsonDecodingError "<path>: <problem>".
    [[noreturn]] void fail(std::string_view problem) const { m_path->fail(problem); }
    // Throws "<path>: expected <what>, found <the JSON type>".
    [[noreturn]] void expected(std::string_view what) const;

private:
    void forEachElementImpl(void* context, void (*visit)(void*, const JsonValue&)) const;

    const simdjson::dom::element* m_element;
    const JsonPath* m_path;
};

// A JSON object whose keys have been converted once, looked up by their lower camel form. A key that two
// members convert to is answered by the first. Valid while the decode that produced it runs.
class JsonObject {
public:
    // Fails (with the path) unless `value` is an object.
    explicit JsonObject(const JsonValue& value);
    ~JsonObject();
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;

    const JsonPath& path() const { return *m_path; }
    // The member with this converted key, or nullptr.
    const simdjson::dom::element* find(std::string_view key) const;

    // Missing or null fails.
    template <typename T>
    T required(std::string_view key) const {
        const JsonPath frame{m_path, key};
        const simdjson::dom::element* member = find(key);
        if (!member)
            frame.fail("missing");
        const JsonValue value(*member, frame);
        if (value.isNull())
            value.expected(typeName<T>());
        return value.as<T>();
    }

    // Missing or null gives none.
    template <typename T>
    std::optional<T> optional(std::string_view key) const {
        return orDefault<std::optional<T>>(key);
    }

    // A flag: missing or null is false; otherwise a JSON boolean.
    bool flag(std::string_view key) const { return orDefault<bool>(key); }

    // A list: missing or null is empty; otherwise an array of T.
    template <typename T>
    std::vector<T> list(std::string_view key) const {
        return orDefault<std::vector<T>>(key);
    }

    // Missing or null gives `fallback`; otherwise a T.
    template <typename T>
    T orDefault(std::string_view key, T fallback = T{}) const {
        const simdjson::dom::element* member = find(key);
        if (!member)
            return fallback;
        const JsonPath frame{m_path, key};
        const JsonValue value(*member, frame);
        if (value.isNull())
            return fallback;
        return value.as<T>();
    }

private:
    template <typename T>
    static constexpr std::string_view typeName();

    struct Entry;
    const JsonPath* m_path;
    std::vector<Entry> m_entries;
    std::string m_convertedKeys; // storage for the keys that conversion changed
};

// --- records ---

template <typename R>
concept JsonFieldRecord = requires {
    R::fields();
};

template <typename R>
concept JsonObjectRecord = requires(const JsonObject& object) {
    { R::decode(object) } -> std::same_as<R>;
};

namespace detail {

template <typename Record, typename T>
void readField(const JsonObject& object, Record& record, const Field<Record, T>& field) {
    if (field.presence == Presence::required)
        record.*field.member = object.required<T>(field.key);
    else
        record.*field.member = object.orDefault<T>(field.key, std::move(record.*field.member));
}

} // namespace detail

// Decodes a field-table record: every declared field by its presence rule (required: missing or null
// fails; optional and defaulted: missing or null keeps the member's default); other keys are ignored.
template <JsonFieldRecord R>
R decodeRecord(const JsonObject& object) {
    R record{};
    std::apply([&](const auto&... field) { (detail::readField(object, record, field), ...); }, R::fields());
    return record;
}

// --- built-in decoders ---

template <>
struct JsonDecoder<bool> {
    static bool decode(const JsonValue& value) { return value.boolean(); }
};
template <>
struct JsonDecoder<std::int64_t> {
    static std::int64_t decode(const JsonValue& value); // a JSON integer in 64-bit range; 1.5 or 2.0 fail
};
template <>
struct JsonDecoder<int> {
    static int decode(const JsonValue& value); // as above, within int's range
};
template <>
struct JsonDecoder<double> {
    static double decode(const JsonValue& value) { return value.number(); }
};
template <>
struct JsonDecoder<QString> {
    static QString decode(const JsonValue& value);
};
template <>
struct JsonDecoder<QUuid> {
    static QUuid decode(const JsonValue& value); // canonical 36-character text, either letter case
};

template <typename T>
struct JsonDecoder<std::optional<T>> {
    static std::optional<T> decode(const JsonValue& value) {
        if (value.isNull())
            return std::nullopt;
        return value.as<T>();
    }
};

template <typename T>
struct JsonDecoder<std::vector<T>> {
    static std::vector<T> decode(const JsonValue& value) {
        std::vector<T> items;
        items.reserve(value.arraySize());
        value.forEachElement([&items](const JsonValue& item) { items.push_back(item.as<T>()); });
        return items;
    }
};

template <typename R>
requires JsonFieldRecord<R> || JsonObjectRecord<R>
struct JsonDecoder<R> {
    static R decode(const JsonValue& value) {
        const JsonObject object(value);
        if constexpr (JsonObjectRecord<R>)
            return R::decode(object);
        else
            return decodeRecord<R>(object);
    }
};

template <typename T>
constexpr std::string_view JsonObject::typeName() {
    if constexpr (std::is_same_v<T, bool>)
        return "boolean";
    else if constexpr (std::is_same_v<T, int> || std::is_same_v<T, std::int64_t>)
        return "integer";
    else if constexpr (std::is_same_v<T, double>)
        return "number";
    else if constexpr (std::is_same_v<T, QString>)
        return "string";
    else if constexpr (std::is_same_v<T, QUuid>)
        return "UUID";
    else if constexpr (JsonFieldRecord<T> || JsonObjectRecord<T>)
        return "object";
    else if constexpr (requires(T list) { list.push_back(list.front()); })
        return "array";
    else
        return "value";
}

// --- whole bodies ---

namespace detail {
void parseJson(const QByteArray& body, void* context, void (*use)(void*, const JsonValue&));
}

// Parses `body` and decodes it as a T (e.g. std::vector<Row>). Throws JsonDecodingError, also for text
// that is not JSON (invalid UTF-8 included).
template <typename T>
T decodeJson(const QByteArray& body) {
    std::optional<T> result;
    const auto use = [&result](const JsonValue& root) { result.emplace(root.as<T>()); };
    detail::parseJson(
        body, const_cast<void*>(static_cast<const void*>(&use)),
        [](void* context, const JsonValue& root) { (*static_cast<decltype(use)*>(context))(root); });
    return std::move(*result);
}

// An array of rows; one bad row fails the whole answer.
template <typename Row>
std::vector<Row> decodeArray(const QByteArray& body) {
    return decodeJson<std::vector<Row>>(body);
}

} // namespace huddlepod
