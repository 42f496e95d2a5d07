// How long a program takes from its start, and then from each of a list of
// events, to a settled picture of its window, as a user watching the
// screen sees it:
//   drawn_window [-s STEPS] TITLE PROGRAM [ARGUMENTS...]
// starts the program, waits for a top-level window whose name contains
// TITLE, then takes the window's picture over and over; the program's time
// is that of the first picture equal to the last one, once the picture has
// not changed for a second. Prints the seconds. Then each step of STEPS
// (separated by spaces) is sent through the display server's test
// extension, and the seconds from its event to the settled picture are
// printed on a line of their own after the step ("-" when the picture did
// not change within 20 seconds). Window coordinates:
//   key:[ctrl+][shift+]KEYSYM   a key pressed and released
//   click:X,Y                   the pointer moved there (let settle), a left click
//   wheel:X,Y / unwheel:X,Y     the pointer moved there, the wheel turned up / down
//   ctrlwheel:X,Y / ctrlunwheel:X,Y  the same with Ctrl held
//   drag:X1,Y1,X2,Y2            a left press at 1, the pointer moved to 2, a release
//   point:X,Y                   the pointer moved there
//   shot:FILE                   the window's picture written to FILE (PPM)
// A step prefixed with "-" is sent and let settle without a figure. Ends
// the program. Needs a display; the program inherits the environment.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <utility>
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

// The seconds from `from` to the first picture equal to the last, once it
// has not changed for a second; negative when it never changed from `last`
// within `first_wait` seconds, or never settled. A program may think for
// more than a second before it draws anything: a measured step waits
// longer for its first change than one let settle.
double settled(Display* display, Window window, Clock::time_point from, std::vector<char> last,
               double first_wait = 1.0) {
    double last_changed = -1;
    while (since(from) < 120) {
        std::vector<char> now = picture(display, window);
        const double at = since(from);
        if (now != last) {
            last.swap(now);
            last_changed = at;
        } else if (last_changed < 0 ? at > first_wait : at - last_changed > 1.0) {
            return last_changed;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return -1;
}

// The display server's test extension, found at run time (only its
// library is installed, not its header).
struct Fake {
    int (*key)(Display*, unsigned, Bool, unsigned long) = nullptr;
    int (*button)(Display*, unsigned, Bool, unsigned long) = nullptr;
    int (*motion)(Display*, int, int, int, unsigned long) = nullptr;
    bool load() {
        void* library = dlopen("libXtst.so.6", RTLD_NOW);
        if (!library) return false;
        key = reinterpret_cast<decltype(key)>(dlsym(library, "XTestFakeKeyEvent"));
        button = reinterpret_cast<decltype(button)>(dlsym(library, "XTestFakeButtonEvent"));
        motion = reinterpret_cast<decltype(motion)>(dlsym(library, "XTestFakeMotionEvent"));
        return key && button && motion;
    }
};

// Sends one step's events; the moment of the one the figure runs from, or
// nothing for a step it does not know. `before` is the picture just before
// that event (after the pointer came to its place).
std::optional<Clock::time_point> send(Display* display, Window window, const Fake& fake,
                                      const std::string& step, std::vector<char>* before) {
    const size_t colon = step.find(':');
    const std::string verb = step.substr(0, colon);
    const std::string rest = colon == std::string::npos ? "" : step.substr(colon + 1);
    int at[4] = {};
    const int given = std::sscanf(rest.c_str(), "%d,%d,%d,%d", &at[0], &at[1], &at[2], &at[3]);
    const auto point = [&](int x, int y) {
        Window child;
        int rx = 0, ry = 0;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rx, &ry, &child);
        fake.motion(display, -1, rx, ry, CurrentTime);
        XSync(display, False);
    };
    if (verb == "key") {
        std::vector<unsigned> codes;
        size_t from = 0;
        for (size_t plus; (plus = rest.find('+', from)) != std::string::npos; from = plus + 1) {
            const std::string modifier = rest.substr(from, plus - from);
            codes.push_back(XKeysymToKeycode(
                display, XStringToKeysym(modifier == "ctrl" ? "Control_L" : "Shift_L")));
        }
        const KeySym sym = XStringToKeysym(rest.substr(from).c_str());
        if (sym == NoSymbol) return std::nullopt;
        *before = picture(display, window);
        for (unsigned code : codes) fake.key(display, code, True, CurrentTime);
        XSync(display, False);
        const Clock::time_point sent = Clock::now();
        const unsigned code = XKeysymToKeycode(display, sym);
        fake.key(display, code, True, CurrentTime);
        fake.key(display, code, False, CurrentTime);
        for (auto c = codes.rbegin(); c != codes.rend(); ++c)
            fake.key(display, *c, False, CurrentTime);
        XSync(display, False);
        return sent;
    }
    if (verb == "shot") {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, window, &attributes)) return std::nullopt;
        XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height,
                                  AllPlanes, ZPixmap);
        FILE* file = image ? std::fopen(rest.c_str(), "wb") : nullptr;
        if (file) {
            std::fprintf(file, "P6\n%d %d\n255\n", image->width, image->height);
            for (int y = 0; y < image->height; ++y)
                for (int x = 0; x < image->width; ++x) {
                    const unsigned long pixel = XGetPixel(image, x, y);
                    const unsigned char rgb[3] = {static_cast<unsigned char>(pixel >> 16),
                                                  static_cast<unsigned char>(pixel >> 8),
                                                  static_cast<unsigned char>(pixel)};
                    std::fwrite(rgb, 1, 3, file);
                }
            std::fclose(file);
        }
        if (image) XDestroyImage(image);
        *before = picture(display, window);
        return file ? std::optional(Clock::now()) : std::nullopt;
    }
    const bool ctrl = verb.rfind("ctrl", 0) == 0 && verb.size() > 4;
    const std::string plain = ctrl ? verb.substr(4) : verb;
    if ((plain == "click" || plain == "wheel" || plain == "unwheel" || plain == "point") &&
        given == 2) {
        point(at[0], at[1]);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        *before = picture(display, window);
        if (plain == "point") return Clock::now();
        const unsigned control = XKeysymToKeycode(display, XStringToKeysym("Control_L"));
        if (ctrl) fake.key(display, control, True, CurrentTime);
        const unsigned button = plain == "click" ? 1 : plain == "wheel" ? 4 : 5;
        XSync(display, False);
        const Clock::time_point sent = Clock::now();
        fake.button(display, button, True, CurrentTime);
        fake.button(display, button, False, CurrentTime);
        if (ctrl) fake.key(display, control, False, CurrentTime);
        XSync(display, False);
        return sent;
    }
    if (verb == "drag" && given == 4) {
        point(at[0], at[1]);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        fake.button(display, 1, True, CurrentTime);
        XSync(display, False);
        for (int i = 1; i <= 4; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            point(at[0] + (at[2] - at[0]) * i / 4, at[1] + (at[3] - at[1]) * i / 4);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        *before = picture(display, window);
        const Clock::time_point sent = Clock::now();
        fake.button(display, 1, False, CurrentTime);
        XSync(display, False);
        return sent;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> steps;
    if (argc >= 3 && std::strcmp(argv[1], "-s") == 0) {
        std::string all = argv[2];
        for (size_t from = 0, space; from < all.size(); from = space + 1) {
            space = all.find(' ', from);
            if (space == std::string::npos) space = all.size();
            if (space > from) steps.push_back(all.substr(from, space - from));
        }
        argv += 2;
        argc -= 2;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: drawn_window [-s STEPS] TITLE PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    Fake fake;
    if (!steps.empty() && !fake.load()) {
        std::fprintf(stderr, "drawn_window: no test extension (libXtst.so.6)\n");
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
        const double drawn = settled(display, window, start, {});
        if (drawn >= 0) {
            std::printf("%.3f\n", drawn);
            result = 0;
        }
    }
    for (const std::string& step : steps) {
        if (result != 0) break;
        const bool quiet = step[0] == '-';
        std::vector<char> before;
        const std::optional<Clock::time_point> sent =
            send(display, window, fake, quiet ? step.substr(1) : step, &before);
        if (!sent) {
            std::fprintf(stderr, "drawn_window: a step it does not know: %s\n", step.c_str());
            result = 2;
            break;
        }
        const double took = settled(display, window, *sent, std::move(before), quiet ? 1.0 : 20.0);
        if (quiet) continue;
        if (took < 0)
            std::printf("%s -\n", step.c_str());
        else
            std::printf("%s %.3f\n", step.c_str(), took);
        std::fflush(stdout);
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    return result;
}
