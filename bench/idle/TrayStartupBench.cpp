// Start-up to the tray icon embedded: starts a program, and stops the clock
// when the tray reparents a window of that process (the XEmbed icon) out of
// the root window. Then stops the program and waits for it to end.
// Usage: tray-startup-bench RUNS PROGRAM [ARGS...]
// Prints one line per run and the median, in milliseconds.

#include "../Median.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>
#include <xcb/res.h>
#include <xcb/xcb.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::int32_t ownerPid(xcb_connection_t* c, xcb_window_t window) {
    xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    std::unique_ptr<xcb_res_query_client_ids_reply_t, decltype(&std::free)> reply(
        xcb_res_query_client_ids_reply(c, xcb_res_query_client_ids(c, 1, &spec), nullptr), &std::free);
    if (!reply)
        return 0;
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem > 0;
         xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) && it.data->length >= 4)
            return static_cast<std::int32_t>(*xcb_res_client_id_value_value(it.data));
    }
    return 0;
}

bool isEmbeddable(xcb_connection_t* c, xcb_window_t window, xcb_atom_t xembedInfo) {
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, xembedInfo, XCB_GET_PROPERTY_TYPE_ANY, 0, 2),
                               nullptr),
        &std::free);
    return reply && reply->type != XCB_ATOM_NONE;
}

// Milliseconds from start to the icon's reparenting; negative on time-out.
double oneRun(xcb_connection_t* c, xcb_atom_t xembedInfo, char** argv) {
    pid_t child = 0;
    const Clock::time_point start = Clock::now();
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv, environ) != 0) {
        std::perror("posix_spawn");
        return -1;
    }
    double ms = -1;
    const Clock::time_point deadline = start + std::chrono::seconds(20);
    while (ms < 0 && Clock::now() < deadline) {
        xcb_generic_event_t* event = xcb_poll_for_event(c);
        if (!event) {
            pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
            ::poll(&fd, 1, 50);
            continue;
        }
        if ((event->response_type & 0x7f) == XCB_REPARENT_NOTIFY) {
            const auto* reparent = reinterpret_cast<xcb_reparent_notify_event_t*>(event);
            const xcb_setup_t* setup = xcb_get_setup(c);
            const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
            if (reparent->parent != root && ownerPid(c, reparent->window) == child &&
                isEmbeddable(c, reparent->window, xembedInfo))
                ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
        std::free(event);
    }
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tray-startup-bench RUNS PROGRAM [ARGS...]\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "tray-startup-bench: no X display\n");
        return 2;
    }
    // Reparenting out of the root is reported to the root's substructure.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 12, "_XEMBED_INFO"), nullptr), &std::free);
    if (!atom)
        return 2;

    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const double ms = oneRun(c, atom->atom, argv + 2);
        if (ms < 0) {
            std::fprintf(stderr, "tray-startup-bench: no icon embedded within 20 s\n");
            return 1;
        }
        times.push_back(ms);
        std::printf("run %d: %.1f ms\n", run + 1, ms);
        // Let the tray drop the icon of the ended process before the next run.
        ::poll(nullptr, 0, 300);
    }
    std::printf("median: %.1f ms\n", median(times));
    xcb_disconnect(c);
    return 0;
}
