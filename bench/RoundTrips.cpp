// Counts a program's round trips to the X server: preloaded (LD_PRELOAD), it stands in front of libxcb's
// waits for a reply or for a checked request's outcome. The running count is written to the file
// $HUDDLEPOD_ROUND_TRIPS_FILE after each wait; with $HUDDLEPOD_ROUND_TRIPS_TRACE set, the stack of each wait
// goes to standard error too.
#include <xcb/xcb.h>

#include <dlfcn.h>
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<long> trips{0};

void note() {
    const long count = ++trips;
    if (const char* path = std::getenv("HUDDLEPOD_ROUND_TRIPS_FILE")) {
        char text[32];
        const int length = std::snprintf(text, sizeof text, "%ld\n", count);
        if (const int file = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600); file >= 0) {
            (void)!write(file, text, static_cast<std::size_t>(length));
            close(file);
        }
    }
    if (std::getenv("HUDDLEPOD_ROUND_TRIPS_TRACE")) {
        void* frames[16];
        const int depth = backtrace(frames, 16);
        std::fprintf(stderr, "round trip %ld:\n", count);
        std::fflush(stderr);
        backtrace_symbols_fd(frames + 1, depth - 1, STDERR_FILENO);
    }
}

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

void* xcb_wait_for_reply(xcb_connection_t* c, unsigned int request, xcb_generic_error_t** e) {
    static const auto real =
        next<void* (*)(xcb_connection_t*, unsigned int, xcb_generic_error_t**)>("xcb_wait_for_reply");
    note();
    return real(c, request, e);
}

void* xcb_wait_for_reply64(xcb_connection_t* c, uint64_t request, xcb_generic_error_t** e) {
    static const auto real =
        next<void* (*)(xcb_connection_t*, uint64_t, xcb_generic_error_t**)>("xcb_wait_for_reply64");
    note();
    return real(c, request, e);
}

xcb_generic_error_t* xcb_request_check(xcb_connection_t* c, xcb_void_cookie_t cookie) {
    static const auto real =
        next<xcb_generic_error_t* (*)(xcb_connection_t*, xcb_void_cookie_t)>("xcb_request_check");
    note();
    return real(c, cookie);
}
}
