// Another X client: grabs one key under each given modifier mask on the root window (as hot-key programs grab
// every lock variant), says "ready" and holds them until stdin closes.
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: grab_key_helper <keycode> <modifier mask>...\n");
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const auto keycode = static_cast<xcb_keycode_t>(std::atoi(argv[1]));
    for (int i = 2; i < argc; ++i) {
        const auto modifiers = static_cast<std::uint16_t>(std::atoi(argv[i]));
        xcb_generic_error_t* error =
            xcb_request_check(connection, xcb_grab_key_checked(connection, 1, root, modifiers, keycode,
                                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        if (error != nullptr) {
            std::free(error);
            return 1;
        }
    }
    std::printf("ready\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    xcb_disconnect(connection);
    return 0;
}
