// Start-up time to a mapped main window, for a program and its yardsticks started in
// turn on the same X display. A run is timed from just before the program is started to
// the X server's notice that a top-level window was mapped; at that moment the shared
// libraries the program has loaded are counted from /proc/PID/maps, and the program is
// then ended. The display must have no window manager, so that top-level windows are the
// root window's own children.
//
// Every run gets a fresh, empty per-user folder (HOME and the XDG configuration, data,
// cache, state and runtime folders, made for the run and removed after it), so that what
// a program does the first time a user starts it is counted, the same for every program.
//
// Usage: startup_timer [--rounds N] [--warm] <program> <yardstick> [<yardstick>...]
//   --rounds  rounds (default 20); each round starts every program once, in an order
//             that turns round by round so that a drift of the machine's load is shared
//   --warm    one per-user folder per program for the whole run, filled by an uncounted
//             first run (what a user sees from the second start on)
// Prints, per program, the median and quartiles in milliseconds, the shared libraries
// loaded when its window mapped and the median processor time of all its threads until
// then (on a loaded machine the wall time is mostly waiting for a core); then, for every pair, the
// ratio of the medians and the median of the per-round ratios; and the machine's load before and
// after.
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <dirent.h>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    double Ms = -1.0;   ///< negative when no window was mapped
    double CpuMs = 0.0; ///< processor time of all its threads until then
    int Libraries = 0;  ///< shared libraries mapped when the window was
};

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    return remove(path);
}

void RemoveTree(const std::string& path) {
    nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

/// A per-user folder of its own: HOME with the XDG folders beneath it, all empty.
std::string MakeHome() {
    char pattern[] = "/tmp/nimbrel-startup-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) return {};
    const std::string home = made;
    for (const char* sub : {"/config", "/data", "/cache", "/state", "/runtime"})
        mkdir((home + sub).c_str(), 0700);
    return home;
}

void UseHome(const std::string& home) {
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home + "/cache").c_str(), 1);
    setenv("XDG_STATE_HOME", (home + "/state").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home + "/runtime").c_str(), 1);
}

/// The shared libraries mapped into process `pid`: files whose name has ".so" as its
/// ending or before a version number, each counted once.
int CountLibraries(pid_t pid) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::set<std::string> libraries;
    std::string line;
    while (std::getline(maps, line)) {
        const std::size_t slash = line.find('/');
        if (slash == std::string::npos) continue;
        const std::string path = line.substr(slash);
        const std::string name = path.substr(path.rfind('/') + 1);
        const std::size_t so = name.find(".so");
        if (so != std::string::npos && (so + 3 == name.size() || name[so + 3] == '.'))
            libraries.insert(path);
    }
    return static_cast<int>(libraries.size());
}

/// Processor time the threads of process `pid` have run, in milliseconds (the first
/// field of each thread's schedstat, in nanoseconds).
double CpuMilliseconds(pid_t pid) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task/";
    double ns = 0.0;
    if (DIR* dir = opendir(tasks.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.') continue;
            std::ifstream stat(tasks + entry->d_name + "/schedstat");
            double run = 0.0;
            if (stat >> run) ns += run;
        }
        closedir(dir);
    }
    return ns / 1e6;
}

// Milliseconds from the start of `program` until a top-level window of it is mapped.
Run TimeToMappedWindow(Display* display, const char* program, const std::string& home) {
    // Notices from before this run (the previous program's windows going away) are
    // dropped first.
    XSync(display, False);
    while (XPending(display) > 0) {
        XEvent e;
        XNextEvent(display, &e);
    }
    Run run;
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        UseHome(home);
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    if (child < 0) return run;
    const int fd = ConnectionNumber(display);
    bool ended = false;
    while (run.Ms < 0.0) {
        while (XPending(display) > 0) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == MapNotify && e.xmap.event == DefaultRootWindow(display) &&
                !e.xmap.override_redirect) {
                run.Ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                break;
            }
        }
        if (run.Ms >= 0.0) break;
        if (waitpid(child, nullptr, WNOHANG) == child) {
            ended = true;
            break;
        }
        if (Clock::now() - start > std::chrono::seconds(20)) break;
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 20);
    }
    if (run.Ms >= 0.0) {
        run.CpuMs = CpuMilliseconds(child);
        run.Libraries = CountLibraries(child);
    }
    if (!ended) {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    return run;
}

double Quantile(std::vector<double> v, double q) {
    std::sort(v.begin(), v.end());
    const std::size_t i = static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5);
    return v[i];
}

std::string Load() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

const char* BaseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 20;
    bool warm = false;
    std::vector<const char*> programs;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--warm") == 0)
            warm = true;
        else
            programs.push_back(argv[i]);
    }
    if (programs.size() < 2) {
        std::fprintf(stderr,
                     "usage: %s [--rounds N] [--warm] <program> <yardstick> [<yardstick>...]\n",
                     argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    const std::size_t n = programs.size();
    std::vector<std::string> warmHomes(n);
    // One run of each first, not counted: the file cache settles (and, with --warm, the
    // per-user folders are filled).
    for (std::size_t p = 0; p < n; ++p) {
        const std::string home = MakeHome();
        TimeToMappedWindow(display, programs[p], home);
        if (warm)
            warmHomes[p] = home;
        else
            RemoveTree(home);
    }
    const std::string loadBefore = Load();
    std::vector<std::vector<double>> ms(n);
    std::vector<std::vector<double>> cpu(n);
    std::vector<std::vector<int>> libraries(n);
    for (int r = 0; r < rounds; ++r) {
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t p = (k + static_cast<std::size_t>(r)) % n;
            const std::string home = warm ? warmHomes[p] : MakeHome();
            if (home.empty()) {
                std::fprintf(stderr, "cannot make a per-user folder under /tmp\n");
                return 1;
            }
            const Run run = TimeToMappedWindow(display, programs[p], home);
            if (!warm) RemoveTree(home);
            if (run.Ms < 0.0) {
                std::fprintf(stderr, "%s did not map a window\n", programs[p]);
                return 1;
            }
            ms[p].push_back(run.Ms);
            cpu[p].push_back(run.CpuMs);
            libraries[p].push_back(run.Libraries);
        }
    }
    XCloseDisplay(display);
    for (const std::string& home : warmHomes)
        if (!home.empty()) RemoveTree(home);

    std::printf("per-user folder: %s\n",
                warm ? "warm (one per program, filled before)" : "fresh (empty for every run)");
    std::printf("load before: %s\n", loadBefore.c_str());
    for (std::size_t p = 0; p < n; ++p) {
        const auto [lo, hi] = std::minmax_element(libraries[p].begin(), libraries[p].end());
        std::printf("program %s: median %.1f ms (quartiles %.1f-%.1f), libraries at map %d",
                    BaseName(programs[p]), Quantile(ms[p], 0.5), Quantile(ms[p], 0.25),
                    Quantile(ms[p], 0.75), *hi);
        if (*lo != *hi) std::printf(" (%d in some runs)", *lo);
        std::printf(", processor %.1f ms", Quantile(cpu[p], 0.5));
        std::printf("\n");
    }
    for (std::size_t a = 0; a < n; ++a)
        for (std::size_t b = a + 1; b < n; ++b) {
            std::vector<double> ratios;
            for (int r = 0; r < rounds; ++r)
                ratios.push_back(ms[a][static_cast<std::size_t>(r)] /
                                 ms[b][static_cast<std::size_t>(r)]);
            std::printf("ratio %s/%s: ratio of medians %.2f, median ratio %.2f over %d rounds\n",
                        BaseName(programs[a]), BaseName(programs[b]),
                        Quantile(ms[a], 0.5) / Quantile(ms[b], 0.5), Quantile(ratios, 0.5), rounds);
        }
    std::printf("load after: %s\n", Load().c_str());
    return 0;
}
