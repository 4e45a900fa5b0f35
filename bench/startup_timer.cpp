// Start-up time to a mapped main window, for two programs started alternately on the
// same X display: nimbrel and a bare QMainWindow program beside it. A run is timed from
// just before the program is started to the X server's notice that a top-level window
// was mapped; the program is then ended. The display must have no window manager, so
// that top-level windows are the root window's own children.
//
// Usage: startup_timer <rounds> <program A> <program B>
// Prints one line per program: its name, the median and the quartiles in milliseconds,
// then the ratio of the medians (A / B) and the median of the per-round ratios.
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds from the start of `program` until a top-level window of it is mapped;
// negative when the program ended or took longer than 20 s.
double TimeToMappedWindow(Display* display, const char* program) {
    // Notices from before this run (the previous program's windows going away) are
    // dropped first.
    XSync(display, False);
    while (XPending(display) > 0) {
        XEvent e;
        XNextEvent(display, &e);
    }
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    if (child < 0) return -1.0;
    double elapsed = -1.0;
    const int fd = ConnectionNumber(display);
    while (elapsed < 0.0) {
        while (XPending(display) > 0) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == MapNotify && e.xmap.event == DefaultRootWindow(display) &&
                !e.xmap.override_redirect) {
                elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                break;
            }
        }
        if (elapsed >= 0.0) break;
        if (waitpid(child, nullptr, WNOHANG) == child) return -1.0;
        if (Clock::now() - start > std::chrono::seconds(20)) break;
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 50);
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    return elapsed;
}

double Quantile(std::vector<double> v, double q) {
    std::sort(v.begin(), v.end());
    const std::size_t i = static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5);
    return v[i];
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <rounds> <program A> <program B>\n", argv[0]);
        return 2;
    }
    const int rounds = std::max(1, std::atoi(argv[1]));
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    // One run of each first, not counted: the per-user data folder and the file cache
    // settle.
    TimeToMappedWindow(display, argv[2]);
    TimeToMappedWindow(display, argv[3]);
    std::vector<double> a, b, ratios;
    for (int i = 0; i < rounds; ++i) {
        // Alternating which goes first cancels a drift of the machine's load.
        const bool aFirst = i % 2 == 0;
        const double first = TimeToMappedWindow(display, aFirst ? argv[2] : argv[3]);
        const double second = TimeToMappedWindow(display, aFirst ? argv[3] : argv[2]);
        const double ta = aFirst ? first : second, tb = aFirst ? second : first;
        if (ta < 0.0 || tb < 0.0) {
            std::fprintf(stderr, "a program did not map a window\n");
            return 1;
        }
        a.push_back(ta);
        b.push_back(tb);
        ratios.push_back(ta / tb);
    }
    XCloseDisplay(display);
    for (auto [name, v] : {std::pair{argv[2], &a}, std::pair{argv[3], &b}})
        std::printf("%s median %.1f ms (quartiles %.1f-%.1f)\n", name, Quantile(*v, 0.5),
                    Quantile(*v, 0.25), Quantile(*v, 0.75));
    std::printf("ratio of medians %.2f, median ratio %.2f over %d rounds\n",
                Quantile(a, 0.5) / Quantile(b, 0.5), Quantile(ratios, 0.5), rounds);
    return 0;
}
