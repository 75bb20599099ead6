// Undoing Content-Encoding layers on their own: wrappers, order, trailing bytes, and the bound on all
// that the layers produce together.
#include "platform/http/ContentDecoding.h"

#include "tests/support/Compressed.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace huddlepod;
using huddlepod::test::compressed;
using huddlepod::test::gzipped;
using huddlepod::test::Wrapper;

namespace {

constexpr qsizetype ceiling = 64 * 1024 * 1024;

} // namespace

TEST(ContentDecoding, undoesEachWrapperAndLayersInReverseOrder) {
    const std::string rows = R"([{"id":1,"full_name":"Joe Montana"}])";
    struct Case {
        const char* name;
        std::string body;
        const char* encoding;
        std::optional<std::string> outcome;
        bool endedEarly = false; // failed only for want of more bytes in the outermost stream
    };
    const Case cases[] = {
        {"gzip", gzipped(rows), "gzip", rows},
        {"x-gzip, any case", gzipped(rows), " X-GZIP ", rows},
        {"deflate as a zlib stream", compressed(rows, Wrapper::zlib), "deflate", rows},
        {"deflate as a bare stream", compressed(rows, Wrapper::raw), "deflate", rows},
        // "gzip, deflate": gzip applied first, so deflate is undone first.
        {"gzip then deflate", compressed(gzipped(rows), Wrapper::zlib), "gzip, deflate", rows},
        {"the same layers named the other way round", compressed(gzipped(rows), Wrapper::zlib),
         "deflate, gzip", std::nullopt},
        {"identity between layers", gzipped(gzipped(rows)), "gzip, identity, gzip", rows},
        {"bytes after the gzip stream", gzipped(rows) + "trailing", "gzip", std::nullopt},
        {"bytes after the zlib stream", compressed(rows, Wrapper::zlib) + "x", "deflate", std::nullopt},
        {"a gzip stream that ends early", gzipped(rows).substr(0, 20), "gzip", std::nullopt, true},
        {"the outer of two streams ends early", gzipped(gzipped(rows)).substr(0, 30), "gzip, gzip",
         std::nullopt, true},
        {"an inner stream ends early inside a whole outer one", gzipped(gzipped(rows).substr(0, 20)),
         "gzip, gzip", std::nullopt},
        {"one byte of deflate", "x", "deflate", std::nullopt, true},
        {"an encoding not asked for", rows, "br", std::nullopt},
        {"more layers than allowed", gzipped(gzipped(gzipped(gzipped(gzipped(rows))))),
         "gzip, gzip, gzip, gzip, gzip", std::nullopt},
    };
    for (const Case& test : cases) {
        const auto result =
            ContentDecoding::decode(QByteArray::fromStdString(test.body), test.encoding, {ceiling});
        EXPECT_EQ(result.body ? std::optional(result.body->toStdString()) : std::nullopt, test.outcome)
            << test.name;
        EXPECT_EQ(result.endedEarly, test.endedEarly) << test.name;
    }
}

TEST(ContentDecoding, allLayersTogetherProduceNoMoreThanWhatArrivedAllows) {
    // 19 KB of gzip in gzip would be 20 MB; each layer on its own stays below 40 times its input.
    const std::string bomb = gzipped(gzipped(std::string(20'000'000, ' ')));
    ASSERT_LT(bomb.size(), 64u * 1024);
    const auto result = ContentDecoding::decode(QByteArray::fromStdString(bomb), "gzip, gzip", {ceiling});
    EXPECT_FALSE(result.body);
    // 10 MB for a small body, passed by at most one piece of each layer.
    EXPECT_LE(result.produced, 10 * 1024 * 1024 + 2 * 16 * 1024);
    EXPECT_GT(result.produced, 10 * 1024 * 1024);

    // The ceiling holds however large the body that arrived.
    const std::string large = gzipped(std::string(3'000'000, 'x') + std::string(40'000'000, ' '));
    const auto capped = ContentDecoding::decode(QByteArray::fromStdString(large), "gzip", {4'000'000});
    EXPECT_FALSE(capped.body);
    EXPECT_LE(capped.produced, 4'000'000 + 16 * 1024);

    // A body in proportion to what arrived decodes whole: 12 MB that hardly compress.
    std::string honest(12'000'000, '\0');
    unsigned state = 1;
    for (char& c : honest) {
        state = state * 1103515245u + 12345u;
        c = char(state >> 24);
    }
    const auto whole =
        ContentDecoding::decode(QByteArray::fromStdString(gzipped(gzipped(honest))), "gzip,gzip", {ceiling});
    ASSERT_TRUE(whole.body);
    EXPECT_EQ(whole.body->size(), 12'000'000);
}

TEST(ContentDecoding, onlyTheStartOfABodyIsDecodedWhenThatIsAllThatIsWanted) {
    const std::string message = "{\"message\":\"" + std::string(600, 'm') + "\"}";
    struct Case {
        const char* name;
        std::string body;
        const char* encoding;
        std::optional<std::string> start;
    };
    const Case cases[] = {
        {"a bomb behind the start", gzipped(gzipped(message + std::string(30'000'000, ' '))), "gzip, gzip",
         message.substr(0, 512)},
        {"a stream cut after the start", gzipped(message + std::string(100'000, 'z')).substr(0, 1000), "gzip",
         message.substr(0, 512)},
        {"a short body", gzipped("oops"), "gzip", "oops"},
        {"a short body cut short", gzipped("oops").substr(0, 12), "gzip", std::nullopt},
        {"plain", message, "", message.substr(0, 512)},
    };
    for (const Case& test : cases) {
        const auto result =
            ContentDecoding::decode(QByteArray::fromStdString(test.body), test.encoding, {ceiling, 512});
        EXPECT_EQ(result.body ? std::optional(result.body->toStdString()) : std::nullopt, test.start)
            << test.name;
        if (std::string(test.name) == "a bomb behind the start") {
            EXPECT_LE(result.produced, 4 * 16 * 1024) << "decoded no further than the start needs";
        }
    }
}
