// Option types that describe themselves: a fixed list of all cases and a display title for each.
#pragma once

#include <QString>

#include <concepts>
#include <functional>
#include <iterator>
#include <ranges>
#include <type_traits>
#include <vector>

namespace huddlepod {

// A type adopts ToggleOption by declaring, beside it in its namespace:
//   QString title(T option);
//   const auto& allCases(std::type_identity<T>);   // every case, in declaration order
template <typename T>
concept ToggleOption = std::equality_comparable<T> && requires(const T& option) {
    { title(option) } -> std::convertible_to<QString>;
    { allCases(std::type_identity<T>{}) } -> std::ranges::random_access_range;
};

template <ToggleOption T>
std::vector<T> toggleOptions() {
    const auto& cases = allCases(std::type_identity<T>{});
    return std::vector<T>(std::ranges::begin(cases), std::ranges::end(cases));
}

// A two-way connection to a value that lives elsewhere (a view model's property).
template <typename T>
struct Binding {
    std::function<T()> get;
    std::function<void(const T&)> set;
};

} // namespace huddlepod
