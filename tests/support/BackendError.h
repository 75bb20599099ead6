// Test helper: the PostgRESTError a backend task fails with.
#pragma once

#include "data/PostgRESTError.h"
#include "tests/support/AsyncTest.h"

#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>

#include <utility>

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
