// How long a program takes from its start to a settled picture of its
// window, as a user watching the screen sees it:
//   drawn_window TITLE PROGRAM [ARGUMENTS...]
// starts the program, waits for a top-level window whose name contains
// TITLE, then takes the window's picture over and over; the program's time
// is that of the first picture equal to the last one, once the picture has
// not changed for a second. Prints the seconds, then ends the program.
// Needs a display; the program inherits the environment.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The first viewable window under `top` whose name contains the title.
Window find_window(Display* display, Window top, const char* title) {
    Window root_return, parent;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, top, &root_return, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(display, children[i], &name) && name && std::strstr(name, title) &&
            XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable && attributes.width > 200)
            found = children[i];
        if (name) XFree(name);
        if (!found) found = find_window(display, children[i], title);
    }
    if (children) XFree(children);
    return found;
}

// A picture of the window as bytes; empty when it cannot be taken.
std::vector<char> picture(Display* display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return {};
    XImage* image =
        XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image) return {};
    std::vector<char> bytes(image->data,
                            image->data + size_t(image->bytes_per_line) * image->height);
    XDestroyImage(image);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: drawn_window TITLE PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "drawn_window: no display\n");
        return 2;
    }
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const Clock::time_point start = Clock::now();
    pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int result = 1;
    Window window = 0;
    while (since(start) < 60 &&
           !(window = find_window(display, DefaultRootWindow(display), argv[1])))
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (window) {
        std::vector<char> last;
        double last_changed = 0;
        while (since(start) < 120) {
            std::vector<char> now = picture(display, window);
            const double at = since(start);
            if (now != last) {
                last.swap(now);
                last_changed = at;
            } else if (at - last_changed > 1.0) {
                std::printf("%.3f\n", last_changed);
                result = 0;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    return result;
}
