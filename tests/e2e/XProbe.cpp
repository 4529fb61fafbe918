// e2e-xprobe: the few X11 queries the end-to-end check needs beside xdotool and xclip.
//   e2e-xprobe colours X Y R   prints "red N blue M": the pixels of the screen within R pixels of
//                              (X, Y) that are clearly red and clearly blue
//   e2e-xprobe close WINDOW    asks the window to close, as a window manager's close button does
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool Number(const char* text, long& out) {
    char* end = nullptr;
    out = std::strtol(text, &end, 0);
    return end != text && *end == '\0';
}

int Fail(const char* why) {
    std::fprintf(stderr, "e2e-xprobe: %s\n", why);
    return 1;
}

int Colours(Display* display, long x, long y, long r) {
    const int screen = DefaultScreen(display);
    const long left = std::max(0L, x - r), top = std::max(0L, y - r);
    const long right = std::min<long>(DisplayWidth(display, screen) - 1, x + r);
    const long bottom = std::min<long>(DisplayHeight(display, screen) - 1, y + r);
    if (r < 0 || left > right || top > bottom) {
        return Fail("the area lies off the screen");
    }
    XImage* image = XGetImage(display, RootWindow(display, screen), static_cast<int>(left),
                              static_cast<int>(top), static_cast<unsigned>(right - left + 1),
                              static_cast<unsigned>(bottom - top + 1), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return Fail("the screen cannot be read");
    }
    const auto channel = [](unsigned long pixel, unsigned long mask) {
        return (pixel & mask) >> __builtin_ctzl(mask);
    };
    long red = 0, blue = 0;
    for (int row = 0; row < image->height; ++row) {
        for (int col = 0; col < image->width; ++col) {
            const unsigned long pixel = XGetPixel(image, col, row);
            const unsigned long rr = channel(pixel, image->red_mask);
            const unsigned long gg = channel(pixel, image->green_mask);
            const unsigned long bb = channel(pixel, image->blue_mask);
            red += rr > 150 && gg < 100 && bb < 100;
            blue += bb > 150 && rr < 100 && gg < 100;
        }
    }
    XDestroyImage(image);
    std::printf("red %ld blue %ld\n", red, blue);
    return 0;
}

int Close(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    if (XSendEvent(display, window, False, NoEventMask, &event) == 0) {
        return Fail("the close request could not be sent");
    }
    XSync(display, False);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    long a = 0, b = 0, c = 0;
    const bool colours = command == "colours" && argc == 5 && Number(argv[2], a) &&
                         Number(argv[3], b) && Number(argv[4], c);
    const bool close = command == "close" && argc == 3 && Number(argv[2], a) && a > 0;
    if (!colours && !close) {
        std::fputs("usage: e2e-xprobe colours X Y R | e2e-xprobe close WINDOW\n", stderr);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return Fail("no X display (DISPLAY is not set or not reachable)");
    }
    const int result = colours ? Colours(display, a, b, c) : Close(display, static_cast<Window>(a));
    XCloseDisplay(display);
    return result;
}
