// The optional members a record decoded from JSON left empty, by backend key: a column that reaches no field
// shows up here.
#pragma once

#include "data/JsonReader.h"

#include <string>
#include <tuple>
#include <vector>

namespace huddlepod::test {

template <class R>
std::vector<std::string> emptyFields(const QByteArray& json) {
    const R record = decodeJson<R>(json);
    std::vector<std::string> empty;
    const auto note = [&](const auto& field) {
        if constexpr (isOptionalField<typename std::decay_t<decltype(field)>::ValueType>) {
            if (!(record.*field.member))
                empty.push_back(field.key);
        }
    };
    std::apply([&](const auto&... field) { (note(field), ...); }, R::fields());
    return empty;
}

} // namespace huddlepod::test
