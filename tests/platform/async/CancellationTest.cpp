// Tokens, sources and their links: who is cancelled, which callbacks run, and in what order.
#include "platform/async/Cancellation.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace huddlepod;

TEST(Cancellation, defaultTokenIsNeverCancelled) {
    CancellationToken token;
    bool called = false;
    auto registration = token.onCancel([&] { called = true; });
    EXPECT_FALSE(token.isCancelled());
    EXPECT_NO_THROW(token.throwIfCancelled());
    EXPECT_FALSE(called);
}

TEST(Cancellation, cancelRunsCallbacksOnceInRegistrationOrder) {
    CancellationSource source;
    const CancellationToken token = source.token();
    std::vector<std::string> calls;
    auto first = token.onCancel([&] { calls.push_back("first"); });
    auto second = token.onCancel([&] { calls.push_back("second"); });
    auto dropped = token.onCancel([&] { calls.push_back("dropped"); });
    dropped.reset();

    source.cancel();
    source.cancel();

    EXPECT_EQ(calls, (std::vector<std::string>{"first", "second"}));
    EXPECT_TRUE(token.isCancelled());
    EXPECT_TRUE(source.isCancelled());
    EXPECT_THROW(token.throwIfCancelled(), CancelledError);
}

TEST(Cancellation, destroyedRegistrationNeverRunsAndLateRegistrationRunsAtOnce) {
    CancellationSource source;
    bool scoped = false;
    {
        auto registration = source.token().onCancel([&] { scoped = true; });
    }
    source.cancel();
    EXPECT_FALSE(scoped);

    bool late = false;
    auto registration = source.token().onCancel([&] { late = true; });
    EXPECT_TRUE(late);
}

TEST(Cancellation, callbacksMayUnregisterOthersAndDropTheLastReference) {
    std::optional<CancellationSource> source(std::in_place);
    CancellationToken token = source->token();
    bool laterRan = false;
    CancellationRegistration later;
    auto first = token.onCancel([&] {
        later.reset();
        token = CancellationToken(); // drops the state's last outside reference besides `source`
        source.reset();
    });
    later = token.onCancel([&] { laterRan = true; });

    CancellationSource keep = *source;
    keep.cancel();
    EXPECT_FALSE(laterRan);
    EXPECT_TRUE(keep.isCancelled());
}

TEST(Cancellation, linkedSourcesFollowTheirParentButNeverTheReverse) {
    CancellationSource parent;
    CancellationSource child(parent.token());
    CancellationSource grandchild(child.token());
    CancellationSource sibling(parent.token());

    sibling.cancel();
    EXPECT_FALSE(parent.isCancelled());
    EXPECT_FALSE(child.isCancelled());

    std::vector<std::string> calls;
    auto onChild = child.token().onCancel([&] { calls.push_back("child"); });
    auto onGrandchild = grandchild.token().onCancel([&] { calls.push_back("grandchild"); });
    parent.cancel();
    EXPECT_TRUE(child.isCancelled());
    EXPECT_TRUE(grandchild.isCancelled());
    // The grandchild linked itself to the child before the child's own callback was registered.
    EXPECT_EQ(calls, (std::vector<std::string>{"grandchild", "child"}));

    CancellationSource late(parent.token());
    EXPECT_TRUE(late.isCancelled());
}

TEST(Cancellation, linkedSourceFromDefaultTokenIsIndependent) {
    CancellationSource source{CancellationToken()};
    EXPECT_FALSE(source.isCancelled());
    source.cancel();
    EXPECT_TRUE(source.token().isCancelled());
}
