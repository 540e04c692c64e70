// A small X11 client for the end-to-end tests: what a user would see and do, as commands.
//   x11_probe pixel X Y     prints the screen's colour at (X, Y) as "R G B", each 0..255
//   x11_probe find TITLE    prints the ids of top-level windows titled TITLE that are on the
//                           screen (exit 1: none)
//   x11_probe close ID      asks window ID to close, as a window manager's close button does
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const unsigned long max = mask >> shift;
  return int(((pixel & mask) >> shift) * 255 / max);
}

int Pixel(Display* display, int x, int y) {
  const Window root = DefaultRootWindow(display);
  XImage* image = XGetImage(display, root, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 1;
  const unsigned long pixel = XGetPixel(image, 0, 0);
  std::printf("%d %d %d\n", Channel(pixel, image->red_mask), Channel(pixel, image->green_mask),
              Channel(pixel, image->blue_mask));
  XDestroyImage(image);
  return 0;
}

// The title as the window states it: the UTF-8 _NET_WM_NAME when present, else WM_NAME in
// whatever encoding it has.
std::string Title(Display* display, Window window) {
  const Atom net_wm_name = XInternAtom(display, "_NET_WM_NAME", False);
  XTextProperty property;
  std::string title;
  if ((XGetTextProperty(display, window, &property, net_wm_name) && property.value) ||
      (XGetWMName(display, window, &property) && property.value)) {
    char** list = nullptr;
    int count = 0;
    if (Xutf8TextPropertyToTextList(display, &property, &list, &count) >= Success && count > 0) {
      title = list[0];
      XFreeStringList(list);
    } else {
      title.assign(reinterpret_cast<const char*>(property.value), property.nitems);
    }
    XFree(property.value);
  }
  return title;
}

int Find(Display* display, const char* wanted) {
  Window root_return, parent;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root_return, &parent, &children, &count)) return 1;
  int found = 0;
  for (unsigned int i = 0; i < count; ++i) {
    // A window is named before it is mapped; until it is viewable it can neither be seen nor
    // take the keyboard focus, so a test that went on with it would fail by a hair's breadth.
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable) continue;
    if (Title(display, children[i]) == wanted) {
      std::printf("%lu\n", children[i]);
      ++found;
    }
  }
  if (children) XFree(children);
  return found ? 0 : 1;
}

int Close(Display* display, Window window) {
  XEvent event;
  std::memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  if (!XSendEvent(display, window, False, NoEventMask, &event)) return 1;
  XSync(display, False);
  return 0;
}

int Usage() {
  std::fprintf(stderr, "usage: x11_probe pixel X Y | find TITLE | close ID\n");
  return 2;
}

}  // namespace

// A window that goes away while it is looked at is simply not there: X reports it as an error,
// which would otherwise end the probe.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  XSetErrorHandler(IgnoreError);
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "x11_probe: cannot open the display\n");
    return 2;
  }
  int result = 2;
  const std::string command = argv[1];
  if (command == "pixel" && argc == 4) {
    result = Pixel(display, std::atoi(argv[2]), std::atoi(argv[3]));
  } else if (command == "find" && argc == 3) {
    result = Find(display, argv[2]);
  } else if (command == "close" && argc == 3) {
    result = Close(display, Window(std::strtoul(argv[2], nullptr, 0)));
  } else {
    result = Usage();
  }
  XCloseDisplay(display);
  return result;
}
