// Times a program from exec to its first painted frame: starts it, then reads one screen pixel
// in a tight loop until it shows the expected colour. Prints the elapsed time and the peak
// resident size; ends the program (by its PID) before returning. Never touches the program.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "usage: first_paint_probe [--timeout S] [--tolerance N] [--hwm-after-ms MS] [--log FILE]\n"
    "                         X Y RRGGBB -- PROGRAM [ARG...]\n"
    "prints: paint_ms=F hwm_kb=N\n";

struct Options {
    double timeout_s = 20.0;
    int tolerance = 2;
    int hwm_after_ms = 0;
    const char* log = "/dev/null";
    int x = 0;
    int y = 0;
    unsigned long rgb = 0;
    char** program = nullptr;
};

double now_ms() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

void sleep_us(long us) {
    timespec t{us / 1000000, (us % 1000000) * 1000};
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

bool parse_int(std::string_view s, int& out, int base = 10) {
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out, base);
    return ec == std::errc() && end == s.data() + s.size();
}

bool parse(int argc, char** argv, Options& o) {
    int i = 1;
    for (; i + 1 < argc && std::strncmp(argv[i], "--", 2) == 0 && argv[i][2] != '\0'; i += 2) {
        const std::string_view name = argv[i], value = argv[i + 1];
        int n = 0;
        if (name == "--timeout" && parse_int(value, n) && n > 0)
            o.timeout_s = n;
        else if (name == "--tolerance" && parse_int(value, n) && n >= 0)
            o.tolerance = n;
        else if (name == "--hwm-after-ms" && parse_int(value, n) && n >= 0)
            o.hwm_after_ms = n;
        else if (name == "--log")
            o.log = argv[i + 1];
        else
            return false;
    }
    int rgb = 0;
    if (argc - i < 5 || !parse_int(argv[i], o.x) || !parse_int(argv[i + 1], o.y) ||
        std::strlen(argv[i + 2]) != 6 || !parse_int(argv[i + 2], rgb, 16) ||
        std::strcmp(argv[i + 3], "--") != 0)
        return false;
    o.rgb = static_cast<unsigned long>(rgb);
    o.program = argv + i + 4;
    return true;
}

// One channel of an X pixel, scaled to 0..255 whatever the visual's mask.
int channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0)
        return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0)
        ++shift;
    const unsigned long max = mask >> shift;
    return static_cast<int>(((pixel & mask) >> shift) * 255 / max);
}

int ignore_x_errors(Display*, XErrorEvent*) {
    return 0; // a read outside the screen just fails this poll
}

class PixelReader {
public:
    PixelReader(Display* display, int x, int y, unsigned long rgb, int tolerance)
        : display_(display), root_(DefaultRootWindow(display)), x_(x), y_(y), rgb_(rgb),
          tolerance_(tolerance) {}

    bool matches() const {
        XImage* image = XGetImage(display_, root_, x_, y_, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr)
            return false;
        const unsigned long p = XGetPixel(image, 0, 0);
        const bool same = close(channel(p, image->red_mask), (rgb_ >> 16) & 0xff) &&
                          close(channel(p, image->green_mask), (rgb_ >> 8) & 0xff) &&
                          close(channel(p, image->blue_mask), rgb_ & 0xff);
        XDestroyImage(image);
        return same;
    }

private:
    bool close(int got, unsigned long want) const {
        return std::abs(got - static_cast<int>(want)) <= tolerance_;
    }
    Display* display_;
    Window root_;
    int x_, y_;
    unsigned long rgb_;
    int tolerance_;
};

long vm_hwm_kb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

pid_t start(const Options& o) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(o.log, O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int in = open("/dev/null", O_RDONLY);
        if (out >= 0 && in >= 0) {
            dup2(in, 0);
            dup2(out, 1);
            dup2(out, 2);
        }
        execvp(o.program[0], o.program);
        _exit(127);
    }
    return pid;
}

void end(pid_t pid) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("first_paint_probe: no X display\n", stderr);
        return 2;
    }
    XSetErrorHandler(ignore_x_errors);
    const PixelReader pixel(display, o.x, o.y, o.rgb, o.tolerance);
    const double timeout_ms = o.timeout_s * 1e3;

    // An earlier window still showing the colour would be measured as an instant paint.
    for (const double t = now_ms(); pixel.matches(); sleep_us(5000))
        if (now_ms() - t > timeout_ms) {
            std::fputs("first_paint_probe: the colour is on screen before the start\n", stderr);
            return 3;
        }

    const double t0 = now_ms();
    const pid_t pid = start(o);
    if (pid < 0) {
        std::perror("first_paint_probe: fork");
        return 2;
    }
    int code = 0;
    double painted = -1;
    for (;;) {
        if (pixel.matches()) {
            painted = now_ms() - t0;
            break;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fputs("first_paint_probe: the program ended before painting\n", stderr);
            return 4;
        }
        if (now_ms() - t0 > timeout_ms) {
            std::fputs("first_paint_probe: no paint before the deadline\n", stderr);
            code = 5;
            break;
        }
        sleep_us(250);
    }
    if (painted >= 0) {
        if (o.hwm_after_ms > 0)
            sleep_us(o.hwm_after_ms * 1000L);
        std::printf("paint_ms=%.1f hwm_kb=%ld\n", painted, vm_hwm_kb(pid));
    }
    end(pid);
    XCloseDisplay(display);
    return code;
}
