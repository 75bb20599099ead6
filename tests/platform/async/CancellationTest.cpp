// Tokens, sources and their links: who is cancelled, which callbacks run, and in what order.
#include "platform/async/Cancellation.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace huddlepod;

TEST(Cancellation, cancelRunsLiveCallbacksOnceInRegistrationOrderAndLateOnesAtOnce) {
    bool onDefault = false;
    auto neverRuns = CancellationToken().onCancel([&] { onDefault = true; });
    CancellationSource fromDefault{CancellationToken()};
    EXPECT_FALSE(fromDefault.isCancelled());

    CancellationSource source;
    const CancellationToken token = source.token();
    EXPECT_NO_THROW(token.throwIfCancelled());
    std::vector<std::string> calls;
    auto first = token.onCancel([&] { calls.push_back("first"); });
    auto second = token.onCancel([&] { calls.push_back("second"); });
    auto reset = token.onCancel([&] { calls.push_back("reset"); });
    reset.reset();
    {
        auto scoped = token.onCancel([&] { calls.push_back("destroyed"); });
    }

    source.cancel();
    source.cancel();
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "second"}));
    EXPECT_THROW(token.throwIfCancelled(), CancelledError);
    auto late = token.onCancel([&] { calls.push_back("late"); });
    EXPECT_EQ(calls.back(), "late");
    EXPECT_FALSE(onDefault);
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
    EXPECT_TRUE(grandchild.isCancelled());
    // The grandchild linked itself to the child before the child's own callback was registered.
    EXPECT_EQ(calls, (std::vector<std::string>{"grandchild", "child"}));
    EXPECT_TRUE(CancellationSource(parent.token()).isCancelled());
}
