#include "platform/window_message.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <dlfcn.h>

#include <cstring>
#include <functional>
#include <memory>

namespace platform {

namespace {

// Xlib is loaded only when a message is to be sent: most runs send none, and
// linking it would load five libraries at every start.
struct XlibFunctions {
  decltype(&::XCloseDisplay) XCloseDisplay = nullptr;
  decltype(&::XFlush) XFlush = nullptr;
  decltype(&::XFree) XFree = nullptr;
  decltype(&::XGetClassHint) XGetClassHint = nullptr;
  decltype(&::XGetWindowAttributes) XGetWindowAttributes = nullptr;
  decltype(&::XGetWindowProperty) XGetWindowProperty = nullptr;
  decltype(&::XInternAtom) XInternAtom = nullptr;
  decltype(&::XOpenDisplay) XOpenDisplay = nullptr;
  decltype(&::XQueryTree) XQueryTree = nullptr;
  decltype(&::XSendEvent) XSendEvent = nullptr;
  decltype(&::XSetErrorHandler) XSetErrorHandler = nullptr;
  decltype(&::XSync) XSync = nullptr;
  bool usable = false;

  XlibFunctions() {
    void* handle = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return;
    usable = true;
    Bind(handle, XCloseDisplay, "XCloseDisplay");
    Bind(handle, XFlush, "XFlush");
    Bind(handle, XFree, "XFree");
    Bind(handle, XGetClassHint, "XGetClassHint");
    Bind(handle, XGetWindowAttributes, "XGetWindowAttributes");
    Bind(handle, XGetWindowProperty, "XGetWindowProperty");
    Bind(handle, XInternAtom, "XInternAtom");
    Bind(handle, XOpenDisplay, "XOpenDisplay");
    Bind(handle, XQueryTree, "XQueryTree");
    Bind(handle, XSendEvent, "XSendEvent");
    Bind(handle, XSetErrorHandler, "XSetErrorHandler");
    Bind(handle, XSync, "XSync");
  }
  template <typename Function>
  void Bind(void* handle, Function& function, const char* name) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    usable = usable && function != nullptr;
  }
};

const XlibFunctions& Xlib() {
  static const XlibFunctions functions;
  return functions;
}

using DisplayPtr = std::unique_ptr<Display, decltype(&::XCloseDisplay)>;

// A window that does not exist (any more) must not end the program through
// Xlib's default handler, which exits.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

std::string Utf8Property(Display* display, Window window, Atom property, Atom type) {
  Atom actualType = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::string text;
  if (Xlib().XGetWindowProperty(display, window, property, 0, 4096, False, type, &actualType,
                                &format, &count, &after, &data) == Success &&
      data != nullptr && format == 8)
    text.assign(reinterpret_cast<char*>(data), count);
  if (data != nullptr) Xlib().XFree(data);
  return text;
}

bool HasTitle(Display* display, Window window, const std::string& caption) {
  const Atom netName = Xlib().XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = Xlib().XInternAtom(display, "UTF8_STRING", False);
  if (Utf8Property(display, window, netName, utf8) == caption) return true;
  return Utf8Property(display, window, XA_WM_NAME, AnyPropertyType) == caption;
}

bool HasClass(Display* display, Window window, const std::string& windowClass) {
  XClassHint hint{};
  if (Xlib().XGetClassHint(display, window, &hint) == 0) return false;
  const bool match = (hint.res_class != nullptr && windowClass == hint.res_class) ||
                     (hint.res_name != nullptr && windowClass == hint.res_name);
  if (hint.res_name != nullptr) Xlib().XFree(hint.res_name);
  if (hint.res_class != nullptr) Xlib().XFree(hint.res_class);
  return match;
}

// Top-level windows are the root's children, or, under a window manager that
// reparents, a level or two further down inside their frames.
Window FindWindow(Display* display, Window parent, int depth,
                  const std::function<bool(Window)>& matches) {
  Window root = 0;
  Window parentOfParent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (Xlib().XQueryTree(display, parent, &root, &parentOfParent, &children, &count) == 0) return 0;
  Window found = 0;
  // Topmost first, as the stacking order lists them last.
  for (unsigned int i = count; i-- > 0 && found == 0;)
    if (matches(children[i])) found = children[i];
  for (unsigned int i = count; i-- > 0 && found == 0 && depth > 0;)
    found = FindWindow(display, children[i], depth - 1, matches);
  if (children != nullptr) Xlib().XFree(children);
  return found;
}

Window TargetWindow(Display* display, const WindowTarget& target) {
  const Window root = DefaultRootWindow(display);
  if (!target.caption.empty())
    return FindWindow(display, root, 2,
                      [&](Window w) { return HasTitle(display, w, target.caption); });
  if (!target.windowClass.empty())
    return FindWindow(display, root, 2,
                      [&](Window w) { return HasClass(display, w, target.windowClass); });
  XWindowAttributes attributes;
  const auto id = static_cast<Window>(target.windowId);
  if (id == 0 || Xlib().XGetWindowAttributes(display, id, &attributes) == 0) return 0;
  return id;
}

}  // namespace

bool SendWindowMessage(const WindowTarget& target, long messageNumber) {
  if (!Xlib().usable) return false;
  DisplayPtr display(Xlib().XOpenDisplay(nullptr), Xlib().XCloseDisplay);
  if (!display) return false;
  const auto previous = Xlib().XSetErrorHandler(&IgnoreXError);
  bool sent = false;
  if (const Window window = TargetWindow(display.get(), target)) {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = Xlib().XInternAtom(display.get(), kMessageAtom, False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = messageNumber;
    sent = Xlib().XSendEvent(display.get(), window, False, NoEventMask, &event) != 0;
    Xlib().XFlush(display.get());
    Xlib().XSync(display.get(), False);
  }
  Xlib().XSetErrorHandler(previous);
  return sent;
}

}  // namespace platform
