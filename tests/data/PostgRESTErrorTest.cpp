// The user texts chosen for each kind of failure.
#include "data/PostgRESTError.h"

#include "platform/async/Cancellation.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace huddlepod;

TEST(PostgRESTError, userMessageByKindAndStatus) {
    const QString fallback = QStringLiteral("Something went wrong loading results.");
    const QString unreachable = QStringLiteral("Can’t reach Huddlepod. Check your connection.");
    const QString tooMany = QStringLiteral("Too many requests. Try again in a moment.");
    const QString trouble = QStringLiteral("Huddlepod is having trouble. Try again shortly.");
    const std::pair<std::exception_ptr, QString> cases[] = {
        {std::make_exception_ptr(PostgRESTError::transport("offline")), unreachable},
        {std::make_exception_ptr(PostgRESTError::http(429, "")), tooMany},
        {std::make_exception_ptr(PostgRESTError::http(500, "")), trouble},
        {std::make_exception_ptr(PostgRESTError::http(599, "")), trouble},
        {std::make_exception_ptr(PostgRESTError::http(404, "")), fallback},
        {std::make_exception_ptr(PostgRESTError::http(499, "")), fallback},
        {std::make_exception_ptr(PostgRESTError::decoding("bad")), fallback},
        {std::make_exception_ptr(PostgRESTError::invalidURL()), fallback},
        {std::make_exception_ptr(CancelledError()), fallback},
        {std::make_exception_ptr(std::runtime_error("other")), fallback},
        {std::make_exception_ptr(42), fallback},
        {std::exception_ptr(), fallback},
    };
    for (const auto& [error, text] : cases)
        EXPECT_EQ(PostgRESTError::userMessage(error, fallback), text);
}

TEST(PostgRESTError, equalityComparesKindAndPayloads) {
    EXPECT_EQ(PostgRESTError::http(404, "a"), PostgRESTError::http(404, "a"));
    for (const PostgRESTError& other : {PostgRESTError::http(404, "b"), PostgRESTError::http(500, "a"),
                                        PostgRESTError::transport("a"), PostgRESTError::decoding("a")})
        EXPECT_NE(PostgRESTError::http(404, "a"), other) << other.what();
    EXPECT_NE(PostgRESTError::transport("x"), PostgRESTError::decoding("x"));
}
