// Test helper: the PostgRESTError a backend task fails with.
#pragma once

#include "data/PostgRESTError.h"
#include "tests/support/AsyncTest.h"

#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>

#include <ostream>
#include <utility>

namespace huddlepod {
// Lets test failures show an error as its what().
inline void PrintTo(const PostgRESTError& error, std::ostream* out) {
    *out << error.what();
}
} // namespace huddlepod

namespace huddlepod::test {

// Runs `task` to completion and returns its PostgRESTError. A task that succeeds fails the test (and
// gives invalidURL); any other exception propagates.
template <typename T>
PostgRESTError errorOf(QCoro::Task<T> task) {
    try {
        waitForTask(std::move(task));
    } catch (const PostgRESTError& error) {
        return error;
    }
    ADD_FAILURE() << "no PostgRESTError";
    return PostgRESTError::invalidURL();
}

} // namespace huddlepod::test
