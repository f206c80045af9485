// corvath-bench-window-shown [--rounds N] [--title TITLE] PROGRAM [ARGUMENT...]
//
// On the X display named by $DISPLAY, starts PROGRAM and measures, from the
// moment before it is started, until its window titled TITLE is mapped and
// until that window's pixels show a painted window (more than a handful of
// colours: text has been drawn). Prints each round and the median; the program
// is ended after each round. Measured from outside, as a user sees it.
#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string windowTitle(xcb_connection_t* x, xcb_window_t window) {
    const char* name = "_NET_WM_NAME";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    std::string title;
    for (xcb_atom_t property : {atom != nullptr ? atom->atom : xcb_atom_t{XCB_ATOM_WM_NAME}, xcb_atom_t{XCB_ATOM_WM_NAME}}) {
        xcb_get_property_reply_t* reply =
            xcb_get_property_reply(x, xcb_get_property(x, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
        if (reply != nullptr) {
            title.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                         static_cast<std::size_t>(xcb_get_property_value_length(reply)));
            std::free(reply);
        }
        if (!title.empty()) break;
    }
    std::free(atom);
    return title;
}

// Distinct pixel values in the window, up to a limit.
std::size_t colours(xcb_connection_t* x, xcb_window_t window) {
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(x, xcb_get_geometry(x, window), nullptr);
    if (geometry == nullptr) return 0;
    const auto width = geometry->width;
    const auto height = geometry->height;
    std::free(geometry);
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        x, xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, width, height, ~0u), nullptr);
    if (image == nullptr) return 0;
    const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image));
    const std::size_t pixels = static_cast<std::size_t>(xcb_get_image_data_length(image)) / 4;
    std::set<std::uint32_t> seen;
    for (std::size_t i = 0; i < pixels && seen.size() < 64; i += 7) seen.insert(data[i] & 0xFFFFFF);
    std::free(image);
    return seen.size();
}

struct Round {
    double mapped = -1;
    double painted = -1;
};

std::optional<Round> measure(xcb_connection_t* x, xcb_window_t root, const std::string& title, char** program) {
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    const Clock::time_point start = Clock::now();
    const pid_t child = ::fork();
    if (child < 0) return std::nullopt;
    if (child == 0) {
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 1);
        ::dup2(devnull, 2);
        ::execvp(program[0], program);
        ::_exit(127);
    }

    Round round;
    xcb_window_t window = 0;
    const auto deadline = start + std::chrono::seconds(30);
    pollfd fd{xcb_get_file_descriptor(x), POLLIN, 0};
    while (window == 0 && Clock::now() < deadline) {
        ::poll(&fd, 1, 20);
        while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
            if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY && window == 0) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (windowTitle(x, map->window) == title) {
                    window = map->window;
                    round.mapped = millisecondsSince(start);
                }
            }
            std::free(event);
        }
    }
    while (window != 0 && round.painted < 0 && Clock::now() < deadline) {
        if (colours(x, window) > 12) {
            round.painted = millisecondsSince(start);
        } else {
            ::usleep(2000);
        }
    }
    const std::uint32_t none = 0;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &none);
    xcb_flush(x);
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (round.painted < 0) return std::nullopt;
    return round;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 5;
    std::string title = "Corvath Results";
    int at = 1;
    for (; at < argc && argv[at][0] == '-'; ++at) {
        const std::string option = argv[at];
        if (option == "--rounds" && at + 1 < argc) rounds = std::max(1, std::atoi(argv[++at]));
        else if (option == "--title" && at + 1 < argc) title = argv[++at];
        else break;
    }
    if (at >= argc) {
        std::fprintf(stderr, "usage: corvath-bench-window-shown [--rounds N] [--title TITLE] PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x) != 0) {
        std::fprintf(stderr, "corvath-bench-window-shown: cannot connect to the display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    std::vector<double> mapped;
    std::vector<double> painted;
    for (int i = 0; i < rounds; ++i) {
        const auto round = measure(x, root, title, argv + at);
        if (!round) {
            std::fprintf(stderr, "corvath-bench-window-shown: round %d: no window titled \"%s\" was shown\n", i + 1,
                         title.c_str());
            xcb_disconnect(x);
            return 1;
        }
        std::printf("round %d: mapped after %.0f ms, painted after %.0f ms\n", i + 1, round->mapped, round->painted);
        mapped.push_back(round->mapped);
        painted.push_back(round->painted);
    }
    std::printf("median of %d: mapped after %.0f ms, shown (painted) after %.0f ms; worst shown %.0f ms\n", rounds,
                median(mapped), median(painted), *std::max_element(painted.begin(), painted.end()));
    xcb_disconnect(x);
    return 0;
}
