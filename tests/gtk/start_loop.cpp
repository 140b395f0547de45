// tavik_start_loop STARTS TIMEOUT_S -- PROGRAM [ARGS...]: starts PROGRAM on $DISPLAY again and
// again; each start must map a top-level window of its own (_NET_WM_PID) within TIMEOUT_S and
// end within TIMEOUT_S of a close request (WM_DELETE_WINDOW). A start that does neither is a
// hang: its thread stacks are printed (gdb, when installed) and it is killed. Prints one line a
// failure and "starts=N hangs=H" at the end; exits 1 when any start hung.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "x_close.h"

namespace {

using Clock = std::chrono::steady_clock;

pid_t start(char** argv) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        execv(argv[0], argv);
        _exit(127);
    }
    return pid;
}

long window_pid(Display* display, Window window) {
    static const Atom net_wm_pid = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, net_wm_pid, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && format == 32 && count == 1)
        pid = *reinterpret_cast<long*>(data);
    if (data != nullptr)
        XFree(data);
    return pid;
}

// Ignores errors about windows that are gone by the time their property is read.
int ignore_errors(Display*, XErrorEvent*) {
    return 0;
}

bool exited(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

// The mapped top-level window of pid, or None once the deadline passes or pid has ended (then
// `ended` is set: the process is reaped and its pid no longer ours).
Window wait_for_map(Display* display, pid_t pid, Clock::time_point deadline, bool& ended) {
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && window_pid(display, event.xmap.window) == pid)
                return event.xmap.window;
        }
        ended = exited(pid);
        if (ended || Clock::now() > deadline)
            return None;
        (void)poll(&fd, 1, 20);
    }
}

bool wait_for_exit(pid_t pid, Clock::time_point deadline) {
    while (Clock::now() <= deadline) {
        if (exited(pid))
            return true;
        usleep(5000);
    }
    return false;
}

void print_stacks_and_kill(pid_t pid) {
    const std::string gdb = "command -v gdb >/dev/null && gdb -p " + std::to_string(pid) +
                            " -batch -ex 'thread apply all bt' 2>/dev/null";
    std::fflush(stdout);
    (void)std::system(gdb.c_str());
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5 || std::string(argv[3]) != "--") {
        std::fprintf(stderr, "usage: %s STARTS TIMEOUT_S -- PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const long starts = std::strtol(argv[1], nullptr, 10);
    const auto timeout = std::chrono::seconds(std::strtol(argv[2], nullptr, 10));
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return 2;
    XSetErrorHandler(ignore_errors);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    long hangs = 0;
    for (long i = 1; i <= starts; ++i) {
        const pid_t pid = start(&argv[4]);
        if (pid < 0)
            return 2;
        bool ended = false;
        const Window window = wait_for_map(display, pid, Clock::now() + timeout, ended);
        if (ended) {
            ++hangs;
            std::printf("start %ld (pid %d): ended without a window\n", i, pid);
            continue;
        }
        if (window == None) {
            ++hangs;
            std::printf("start %ld (pid %d): no window within %ld s\n", i, pid,
                        static_cast<long>(timeout.count()));
            print_stacks_and_kill(pid);
            continue;
        }
        request_close(display, window);
        if (!wait_for_exit(pid, Clock::now() + timeout)) {
            ++hangs;
            std::printf("start %ld (pid %d): still running %ld s after a close request\n", i, pid,
                        static_cast<long>(timeout.count()));
            print_stacks_and_kill(pid);
        }
    }
    std::printf("starts=%ld hangs=%ld\n", starts, hangs);
    XCloseDisplay(display);
    return hangs == 0 ? 0 : 1;
}
