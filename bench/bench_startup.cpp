// Prints how long the program takes from exec to its window being mapped on the X
// display, against a bare Qt window started the same way, and what each holds in
// memory 2 s after its start: the resident set and the resident pages of ICU and
// PCRE2, which Qt Core links and so are always mapped. A third run, the bare window
// with one caption and one field in the program's font ("bare --text"), shows what
// text alone costs, so the rest is what the program itself adds.
//
//     bench_startup [--runs N] [PROGRAM [BARE]]
//
// PROGRAM defaults to ../app/VEL_TAVRIK_DovI and BARE to bench_bare_window, both beside
// this benchmark in the build; BARE is also started with --text. The three are started
// in turn, N times each (7 unless given), after one start of each that is not counted;
// each is stopped before the next starts. Needs an X display (DISPLAY);
// scripts/bench-startup.sh runs it under Xvfb.
#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kSettle{2};
constexpr std::chrono::seconds kMapTimeout{10};

struct Sample {
    double mapMs = 0;
    long rssKb = 0;
    long icuKb = 0;
    long pcreKb = 0;
};

struct Memory {
    long rssKb = 0;
    long icuKb = 0;
    long pcreKb = 0;
};

/// The resident set of a process, and the resident kilobytes of its ICU and PCRE2
/// mappings, from /proc/PID/smaps.
Memory memoryOf(pid_t pid) {
    Memory memory;
    std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
    std::string line;
    long* library = nullptr;
    while (std::getline(smaps, line)) {
        std::istringstream fields(line);
        std::string first;
        fields >> first;
        if (first == "Rss:") {
            long kb = 0;
            fields >> kb;
            memory.rssKb += kb;
            if (library != nullptr) {
                *library += kb;
            }
        } else if (first.find('-') != std::string::npos && first.back() != ':') {
            // A mapping's first line: address range, permissions, offset, device, inode, path.
            library = nullptr;
            if (line.find("/libicu") != std::string::npos) {
                library = &memory.icuKb;
            } else if (line.find("/libpcre2") != std::string::npos) {
                library = &memory.pcreKb;
            }
        }
    }
    return memory;
}

class Display {
public:
    Display() : m_connection(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(m_connection) != 0) {
            return;
        }
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr);
        if (atom != nullptr) {
            m_pidAtom = atom->atom;
            std::free(atom);
        }
        xcb_flush(m_connection);
    }
    ~Display() { xcb_disconnect(m_connection); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    [[nodiscard]] bool ok() const { return xcb_connection_has_error(m_connection) == 0; }

    /// Waits until a top-level window of process `pid` is mapped; the moment it was seen.
    std::optional<Clock::time_point> waitForMap(pid_t pid) {
        const auto deadline = Clock::now() + kMapTimeout;
        pollfd fd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
                const xcb_window_t window =
                    mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
                std::free(event);
                if (mapped && pidOf(window) == pid) {
                    return Clock::now();
                }
            }
            if (xcb_connection_has_error(m_connection) != 0) {
                return std::nullopt;
            }
            ::poll(&fd, 1, 100);
        }
        return std::nullopt;
    }

private:
    [[nodiscard]] pid_t pidOf(xcb_window_t window) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        pid_t pid = 0;
        if (reply != nullptr && xcb_get_property_value_length(reply) == 4) {
            pid = static_cast<pid_t>(*static_cast<std::uint32_t*>(xcb_get_property_value(reply)));
        }
        std::free(reply);
        return pid;
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
};

struct Command {
    std::string program;
    std::string argument; // empty for none
};

std::optional<Sample> runOnce(Display& display, const Command& command) {
    const std::string& program = command.program;
    char* argv[] = {
        const_cast<char*>(program.c_str()),
        command.argument.empty() ? nullptr : const_cast<char*>(command.argument.c_str()), nullptr};
    pid_t pid = 0;
    const auto start = Clock::now();
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        return std::nullopt;
    }
    const auto mapped = display.waitForMap(pid);
    std::optional<Sample> sample;
    if (mapped) {
        std::this_thread::sleep_until(start + kSettle);
        const Memory memory = memoryOf(pid);
        sample = Sample{std::chrono::duration<double, std::milli>(*mapped - start).count(),
                        memory.rssKb, memory.icuKb, memory.pcreKb};
    } else {
        std::fprintf(stderr, "%s: no window mapped within %lld s\n", program.c_str(),
                     static_cast<long long>(kMapTimeout.count()));
    }
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return sample;
}

template <typename T> T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Summary {
    double mapMs;
    double minMs;
    double maxMs;
    long rssKb;
    long icuKb;
    long pcreKb;
};

Summary summarise(const std::vector<Sample>& samples) {
    std::vector<double> ms;
    std::vector<long> rss;
    std::vector<long> icu;
    std::vector<long> pcre;
    for (const Sample& s : samples) {
        ms.push_back(s.mapMs);
        rss.push_back(s.rssKb);
        icu.push_back(s.icuKb);
        pcre.push_back(s.pcreKb);
    }
    return {median(ms),
            *std::min_element(ms.begin(), ms.end()),
            *std::max_element(ms.begin(), ms.end()),
            median(rss),
            median(icu),
            median(pcre)};
}

std::string besideThisProgram(const char* argv0, const char* relative) {
    std::string path = argv0;
    const std::size_t slash = path.rfind('/');
    return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + '/' + relative;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 7;
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            programs.emplace_back(argv[i]);
        }
    }
    if (programs.empty()) {
        programs.push_back(besideThisProgram(argv[0], "../app/VEL_TAVRIK_DovI"));
    }
    if (programs.size() < 2) {
        programs.push_back(besideThisProgram(argv[0], "bench_bare_window"));
    }
    Display display;
    if (!display.ok()) {
        std::fprintf(stderr, "no X display: run under xvfb-run (scripts/bench-startup.sh)\n");
        return 1;
    }
    const std::vector<Command> commands{
        {programs[0], {}}, {programs[1], {}}, {programs[1], "--text"}};
    std::vector<std::vector<Sample>> samples(commands.size());
    for (int round = -1; round < runs; ++round) { // round -1 warms the caches
        for (std::size_t p = 0; p < commands.size(); ++p) {
            const auto sample = runOnce(display, commands[p]);
            if (!sample) {
                return 1;
            }
            if (round >= 0) {
                samples[p].push_back(*sample);
            }
        }
    }
    const Summary program = summarise(samples[0]);
    const Summary bare = summarise(samples[1]);
    const Summary bareText = summarise(samples[2]);
    std::printf("%d runs each, alternating; medians (exec to map: min..max)\n", runs);
    std::printf("%-14s %10s %17s %9s %8s %8s\n", "", "exec->map", "", "RSS", "ICU", "PCRE2");
    for (const auto& [name, s] : {std::pair{"program", program}, std::pair{"bare window", bare},
                                  std::pair{"bare --text", bareText}}) {
        std::printf("%-14s %7.1f ms  (%5.1f..%5.1f ms) %6.1f MB %5ld kB %5ld kB\n", name, s.mapMs,
                    s.minMs, s.maxMs, static_cast<double>(s.rssKb) / 1024.0, s.icuKb, s.pcreKb);
    }
    auto compare = [](const char* what, const Summary& a, const Summary& b) {
        std::printf("%-26s %.2f x the time, %+.1f MB resident\n", what, a.mapMs / b.mapMs,
                    static_cast<double>(a.rssKb - b.rssKb) / 1024.0);
    };
    compare("program / bare:", program, bare);
    compare("program / bare --text:", program, bareText);
    compare("bare --text / bare:", bareText, bare);
}
