// The ordered await behind fanOut.
#include "platform/async/FanOut.h"

namespace huddlepod::detail {

QCoro::Task<void> awaitInOrder(std::span<QCoro::Task<void>> children, CancellationSource group) {
    std::exception_ptr firstError;
    for (QCoro::Task<void>& child : children) {
        try {
            co_await child;
        } catch (...) {
            if (!firstError) {
                firstError = std::current_exception();
                group.cancel();
            }
        }
    }
    if (firstError)
        std::rethrow_exception(firstError);
}

} // namespace huddlepod::detail
