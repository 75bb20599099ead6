// Records declare their fields once, in a table: the same table declares the members, drives decoding and
// lets tests walk every field.
#pragma once

#include <cstdint>
#include <optional>
#include <type_traits>

namespace huddlepod {

// How an absent or null JSON value is treated.
enum class Presence {
    required,  // fails the decode
    optional,  // the field is absent (std::optional)
    defaulted, // the field keeps its default (false, empty list)
};

template <class T>
inline constexpr bool isOptionalField = false;
template <class T>
inline constexpr bool isOptionalField<std::optional<T>> = true;

template <class Record, class T>
struct Field {
    using RecordType = Record;
    using ValueType = T;
    const char* key; // the JSON key after its snake_case has been converted to lower camel case
    T Record::*member;
    Presence presence;
};

template <class Record, class T>
constexpr Field<Record, T> makeField(const char* key, T Record::*member,
                                     Presence presence = isOptionalField<T> ? Presence::optional
                                                                            : Presence::required) {
    return {key, member, presence};
}

} // namespace huddlepod

// Field tables are X-macros: X(Type, member) where the key is the member's own name, or
// X(Type, member, "key", presence) where it is not. Records expand them twice: once to declare the members,
// once (inside `static constexpr auto fields()`, where `Self` names the record) to list them.
#define HUDDLEPOD_DECLARE_FIELD(Type, member, ...) Type member{};
#define HUDDLEPOD_LIST_FIELD(Type, member) ::huddlepod::makeField(#member, &Self::member),
#define HUDDLEPOD_LIST_KEYED_FIELD(Type, member, key, presence)                                              \
    ::huddlepod::makeField(key, &Self::member, ::huddlepod::Presence::presence),
