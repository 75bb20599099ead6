// What the X server on $DISPLAY does for every client, seen from the server's side (the RECORD extension):
// one line per request of interest, per event delivered to a client and per key the keyboard sends, with the
// microseconds since the trace began (when the server handed the record over), the client's resource base,
// the request or event, its window and, for properties, the atom's name. Runs until killed.
//
//   server_trace [--all]     (--all: every core request, not only those that map, focus or carry hints)
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

Display* names = nullptr; // a second connection: the recording one is busy
Clock::time_point begun;
bool everyRequest = false;
std::map<Atom, std::string> atomNames;

const char* atomName(Atom atom) {
    auto found = atomNames.find(atom);
    if (found == atomNames.end()) {
        char* name = atom ? XGetAtomName(names, atom) : nullptr;
        found = atomNames.emplace(atom, name ? name : "None").first;
        if (name) {
            XFree(name);
        }
    }
    return found->second.c_str();
}

const std::map<int, const char*> requestNames{
    {X_CreateWindow, "CreateWindow"},
    {X_ChangeWindowAttributes, "ChangeWindowAttributes"},
    {X_GetWindowAttributes, "GetWindowAttributes"},
    {X_ReparentWindow, "ReparentWindow"},
    {X_MapWindow, "MapWindow"},
    {X_MapSubwindows, "MapSubwindows"},
    {X_UnmapWindow, "UnmapWindow"},
    {X_ConfigureWindow, "ConfigureWindow"},
    {X_GetGeometry, "GetGeometry"},
    {X_QueryTree, "QueryTree"},
    {X_InternAtom, "InternAtom"},
    {X_ChangeProperty, "ChangeProperty"},
    {X_DeleteProperty, "DeleteProperty"},
    {X_GetProperty, "GetProperty"},
    {X_SendEvent, "SendEvent"},
    {X_GrabServer, "GrabServer"},
    {X_UngrabServer, "UngrabServer"},
    {X_QueryPointer, "QueryPointer"},
    {X_SetInputFocus, "SetInputFocus"},
    {X_GetInputFocus, "GetInputFocus"},
    {X_ChangeSaveSet, "ChangeSaveSet"},
    {X_PolyFillRectangle, "PolyFillRectangle"},
    {X_PutImage, "PutImage"},
    {X_CopyArea, "CopyArea"},
};

const std::map<int, const char*> eventNames{
    {KeyPress, "KeyPress"},
    {KeyRelease, "KeyRelease"},
    {FocusIn, "FocusIn"},
    {FocusOut, "FocusOut"},
    {Expose, "Expose"},
    {MapNotify, "MapNotify"},
    {UnmapNotify, "UnmapNotify"},
    {MapRequest, "MapRequest"},
    {ReparentNotify, "ReparentNotify"},
    {ConfigureNotify, "ConfigureNotify"},
    {ConfigureRequest, "ConfigureRequest"},
    {PropertyNotify, "PropertyNotify"},
    {ClientMessage, "ClientMessage"},
};

void line(const XRecordInterceptData* data, const char* what, const std::string& detail) {
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - begun).count();
    std::printf("%10lld %08lx %-22s %s\n", static_cast<long long>(us), data->id_base, what, detail.c_str());
}

std::map<int, std::string> extensionNames; // by major opcode

void request(const XRecordInterceptData* data) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data->data);
    const int opcode = bytes[0];
    if (opcode >= 128) {
        uint32_t window = 0;
        std::memcpy(&window, bytes + 4, std::min<std::size_t>(4, data->data_len * 4 - 4));
        const auto extension = extensionNames.find(opcode);
        char detail[64];
        std::snprintf(detail, sizeof detail, "%s %d (%#x?)",
                      extension != extensionNames.end() ? extension->second.c_str() : "?", bytes[1], window);
        line(data, "extension", detail);
        return;
    }
    const auto name = requestNames.find(opcode);
    if (name == requestNames.end()) {
        if (everyRequest) {
            line(data, "request", std::to_string(opcode));
        }
        return;
    }
    char detail[160] = "";
    uint32_t word[4];
    std::memcpy(word, bytes + 4, std::min<std::size_t>(sizeof word, data->data_len * 4 - 4));
    switch (opcode) {
    case X_ChangeProperty:
    case X_DeleteProperty:
    case X_GetProperty:
        std::snprintf(detail, sizeof detail, "%#x %s", word[0], atomName(word[1]));
        break;
    case X_SendEvent: {
        const auto* event = bytes + 12;
        if ((event[0] & 0x7f) == ClientMessage) {
            uint32_t type;
            std::memcpy(&type, event + 8, 4);
            uint32_t window;
            std::memcpy(&window, event + 4, 4);
            std::snprintf(detail, sizeof detail, "ClientMessage %#x %s", window, atomName(type));
        } else {
            std::snprintf(detail, sizeof detail, "event %d", event[0] & 0x7f);
        }
        break;
    }
    case X_SetInputFocus:
        std::snprintf(detail, sizeof detail, "%#x time %u", word[0], word[1]);
        break;
    case X_InternAtom:
    case X_GetInputFocus:
    case X_GrabServer:
    case X_UngrabServer:
        break;
    case X_PolyFillRectangle:
    case X_PutImage:
    case X_CopyArea:
        if (!everyRequest) {
            return;
        }
        [[fallthrough]];
    default:
        std::snprintf(detail, sizeof detail, "%#x", word[0]);
    }
    line(data, name->second, detail);
}

void event(const XRecordInterceptData* data, bool device) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data->data);
    const int type = bytes[0] & 0x7f;
    const auto name = eventNames.find(type);
    if (name == eventNames.end()) {
        return;
    }
    uint32_t word[4];
    std::memcpy(word, bytes + 4, sizeof word);
    char detail[160];
    switch (type) {
    case KeyPress:
    case KeyRelease:
        std::snprintf(detail, sizeof detail, "%s key %d time %u", device ? "device" : "to", bytes[1],
                      word[0]);
        break;
    case FocusIn:
    case FocusOut:
        std::snprintf(detail, sizeof detail, "%#x mode %d detail %d", word[0], bytes[8], bytes[1]);
        break;
    case PropertyNotify:
        std::snprintf(detail, sizeof detail, "%#x %s", word[0], atomName(word[1]));
        break;
    case ClientMessage:
        std::snprintf(detail, sizeof detail, "%#x %s", word[0], atomName(word[1]));
        break;
    case MapRequest:
    case ConfigureRequest:
        std::snprintf(detail, sizeof detail, "%#x parent %#x", word[1], word[0]);
        break;
    default:
        std::snprintf(detail, sizeof detail, "%#x event %#x", word[1], word[0]);
    }
    line(data, name->second, detail);
}

void intercepted(XPointer, XRecordInterceptData* data) {
    switch (data->category) {
    case XRecordFromClient:
        request(data);
        break;
    case XRecordFromServer:
        event(data, false);
        break;
    default:
        break;
    }
    std::fflush(stdout);
    XRecordFreeData(data);
}

} // namespace

// A name asked for an id that turns out not to be an atom is answered "None".
int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

int main(int argc, char** argv) {
    everyRequest = argc > 1 && std::strcmp(argv[1], "--all") == 0;
    Display* recording = XOpenDisplay(nullptr);
    names = XOpenDisplay(nullptr);
    XSetErrorHandler(ignoreError);
    if (!recording || !names) {
        std::fprintf(stderr, "server_trace: no display\n");
        return 1;
    }
    int extensionCount = 0;
    char** extensions = XListExtensions(names, &extensionCount);
    for (int i = 0; i < extensionCount; ++i) {
        int major = 0;
        int event = 0;
        int error = 0;
        if (XQueryExtension(names, extensions[i], &major, &event, &error)) {
            extensionNames[major] = extensions[i];
        }
    }
    XFreeExtensionList(extensions);
    XRecordRange* range = XRecordAllocRange();
    range->core_requests = {X_CreateWindow, X_NoOperation};
    range->ext_requests.ext_major = {128, 255};
    range->ext_requests.ext_minor = {0, 0xFFFF};
    range->delivered_events = {KeyPress, LASTEvent - 1};
    XRecordClientSpec clients = XRecordAllClients;
    const XRecordContext context = XRecordCreateContext(names, 0, &clients, 1, &range, 1);
    XFree(range);
    if (!context) {
        std::fprintf(stderr, "server_trace: the server does not record\n");
        return 1;
    }
    XSync(names, False);
    begun = Clock::now();
    std::printf("# microseconds, client, request or event, window, details\n");
    std::fflush(stdout);
    XRecordEnableContext(recording, context, intercepted, nullptr);
    return 0;
}
