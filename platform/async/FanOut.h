// Structured fan-out: start child tasks together, await them in a fixed order, never leave one running.
#pragma once

#include "platform/async/Cancellation.h"

#include <qcoro/qcorotask.h>

#include <array>
#include <concepts>
#include <functional>
#include <optional>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace huddlepod {

// One child of a fan-out: given the child's token, starts the child's task.
template <typename T>
using ChildTask = std::function<QCoro::Task<T>(CancellationToken)>;

namespace detail {

template <typename Factory>
using ChildTaskType = std::invoke_result_t<Factory&, CancellationToken>;

// What a child contributes to the result: its value, or std::monostate for a Task<void>.
template <typename Factory>
using ChildValue = std::conditional_t<std::is_void_v<typename ChildTaskType<Factory>::value_type>,
                                      std::monostate, typename ChildTaskType<Factory>::value_type>;

// Runs one child, storing its value. The factory lives in this frame until the child ends, so a
// capturing lambda coroutine may be passed as a factory.
template <typename Value, typename Factory>
QCoro::Task<void> runChild(Factory factory, CancellationToken token, std::optional<Value>* out) {
    if constexpr (std::is_same_v<Value, std::monostate>) {
        co_await factory(std::move(token));
        out->emplace();
    } else {
        out->emplace(co_await factory(std::move(token)));
    }
}

// Awaits every child in order. At the first failure met in that order the group is cancelled; the
// remaining children are still awaited; then the first failure is rethrown.
QCoro::Task<void> awaitInOrder(std::span<QCoro::Task<void>> children, CancellationSource group);

template <typename... Factories, std::size_t... I>
QCoro::Task<std::tuple<ChildValue<Factories>...>>
fanOutImpl(std::index_sequence<I...>, CancellationToken parent, Factories... factories) {
    CancellationSource group(parent);
    std::tuple<std::optional<ChildValue<Factories>>...> results;
    // Braced initialisation starts the children left to right.
    std::array<QCoro::Task<void>, sizeof...(Factories)> children{
        runChild<ChildValue<Factories>>(std::move(factories), group.token(), &std::get<I>(results))...};
    co_await awaitInOrder(children, group);
    co_return std::tuple<ChildValue<Factories>...>{std::move(*std::get<I>(results))...};
}

} // namespace detail

// Starts every child at once (in argument order), each with a token linked to `token`, then awaits
// them in argument order and returns their values as a tuple (std::monostate for a Task<void>).
// The first error met in that order wins: the children not yet finished are cancelled and all of them
// are awaited before it is rethrown, so no child outlives the call. Cancelling `token` cancels all
// children. A child that ignores cancellation is still waited for.
//
//   auto [bio, stats, hof] = co_await fanOut(token,
//       [&](CancellationToken t) { return loadBio(id, t); },
//       [&](CancellationToken t) { return loadStats(id, t); },
//       [&](CancellationToken t) { return loadHallOfFame(id, t); });
template <typename... Factories>
requires(sizeof...(Factories) > 0 &&
         (std::invocable<Factories&, CancellationToken> &&
          ...)) QCoro::Task<std::tuple<detail::ChildValue<Factories>...>> fanOut(CancellationToken token,
                                                                                 Factories... children) {
    return detail::fanOutImpl(std::index_sequence_for<Factories...>{}, std::move(token),
                              std::move(children)...);
}

// The same for any number of children of one type; values come back in the children's order.
template <typename T>
QCoro::Task<std::vector<T>> fanOut(CancellationToken token, std::vector<ChildTask<T>> children) {
    static_assert(!std::is_void_v<T>, "use the variadic fanOut for Task<void> children");
    CancellationSource group(token);
    std::vector<std::optional<T>> results(children.size());
    std::vector<QCoro::Task<void>> running;
    running.reserve(children.size());
    for (std::size_t i = 0; i < children.size(); ++i)
        running.push_back(detail::runChild<T>(std::move(children[i]), group.token(), &results[i]));
    co_await detail::awaitInOrder(running, group);
    std::vector<T> values;
    values.reserve(results.size());
    for (std::optional<T>& result : results)
        values.push_back(std::move(*result));
    co_return values;
}

} // namespace huddlepod
