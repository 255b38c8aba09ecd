#include "platform/window_message.h"
#include "platform/shared_library.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <unistd.h>

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform {

namespace {

// Xlib is loaded only when a message is to be sent: most runs send none, and
// linking it would load five libraries at every start.
struct XlibFunctions {
  decltype(&::XCloseDisplay) XCloseDisplay = nullptr;
  decltype(&::XFree) XFree = nullptr;
  decltype(&::XGetClassHint) XGetClassHint = nullptr;
  decltype(&::XGetWindowAttributes) XGetWindowAttributes = nullptr;
  decltype(&::XGetWindowProperty) XGetWindowProperty = nullptr;
  decltype(&::XInternAtom) XInternAtom = nullptr;
  decltype(&::XOpenDisplay) XOpenDisplay = nullptr;
  decltype(&::XQueryTree) XQueryTree = nullptr;
  decltype(&::XSendEvent) XSendEvent = nullptr;
  decltype(&::XSetErrorHandler) XSetErrorHandler = nullptr;
  decltype(&::XSetIOErrorHandler) XSetIOErrorHandler = nullptr;
  decltype(&::XSync) XSync = nullptr;
  bool usable = false;

  XlibFunctions() {
    const auto bind = [this](auto& function, const char* name) {
      usable = library.Bind(function, name) && usable;
    };
    usable = library.Loaded();
    bind(XCloseDisplay, "XCloseDisplay");
    bind(XFree, "XFree");
    bind(XGetClassHint, "XGetClassHint");
    bind(XGetWindowAttributes, "XGetWindowAttributes");
    bind(XGetWindowProperty, "XGetWindowProperty");
    bind(XInternAtom, "XInternAtom");
    bind(XOpenDisplay, "XOpenDisplay");
    bind(XQueryTree, "XQueryTree");
    bind(XSendEvent, "XSendEvent");
    bind(XSetErrorHandler, "XSetErrorHandler");
    bind(XSetIOErrorHandler, "XSetIOErrorHandler");
    bind(XSync, "XSync");
  }

  SharedLibrary library{"libX11.so.6"};
};

const XlibFunctions& Xlib() {
  static const XlibFunctions functions;
  return functions;
}

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

// An X server can accept the connection (the kernel's backlog does that for
// it) and then never answer: XOpenDisplay waits for the connection setup and
// XSync for a reply, both without a time limit; Xlib cannot take over a
// connection made elsewhere, and xcb_connect waits for the setup just the
// same. So the whole conversation runs on a thread of its own, and the
// caller waits for it only until the deadline. A thread given up on stays
// blocked until the process ends, which follows at once: it owns its share
// of this state, touches nothing else of the program's but Xlib, and the
// kernel ends it with the process.
struct Attempt {
  enum class Stage { Talking, Sending, Sent, NotSent, Abandoned };

  std::string display;
  WindowTarget target;
  uint32_t number = 0;

  std::mutex mutex;
  std::condition_variable changed;
  Stage stage = Stage::Talking;
  bool done = false;  // the thread has let go of its connection
  bool lost = false;  // the connection broke

  // Moves on from `from` only; false when the caller has given up meanwhile.
  bool Advance(Stage from, Stage to) {
    std::lock_guard lock(mutex);
    if (stage != from) return false;
    stage = to;
    return true;
  }
  void Finish(bool connectionLost) {
    {
      std::lock_guard lock(mutex);
      if (stage == Stage::Talking) stage = Stage::NotSent;
      done = !connectionLost;
      lost = connectionLost;
    }
    changed.notify_all();
  }
};

// The attempt the current thread talks to the server for; none on the
// program's other threads, whose X errors go to the handlers found before.
thread_local Attempt* tAttempt = nullptr;
XErrorHandler gPreviousErrorHandler = nullptr;
XIOErrorHandler gPreviousIOErrorHandler = nullptr;

// A window that does not exist (any more) must not end the program through
// Xlib's default handler, which exits.
int OnXError(Display* display, XErrorEvent* error) {
  if (tAttempt != nullptr || gPreviousErrorHandler == nullptr) return 0;
  return gPreviousErrorHandler(display, error);
}

// Nor may a broken connection: Xlib exits once this handler returns, so the
// thread reports the break and then waits for the process to end.
int OnConnectionLost(Display* display) {
  if (tAttempt == nullptr)
    return gPreviousIOErrorHandler != nullptr ? gPreviousIOErrorHandler(display) : 0;
  tAttempt->Finish(true);
  for (;;) pause();
}

void InstallErrorHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    gPreviousErrorHandler = Xlib().XSetErrorHandler(&OnXError);
    gPreviousIOErrorHandler = Xlib().XSetIOErrorHandler(&OnConnectionLost);
  });
}

void Converse(const std::shared_ptr<Attempt>& attempt) {
  tAttempt = attempt.get();
  Display* display = Xlib().XOpenDisplay(attempt->display.c_str());
  if (display == nullptr) return attempt->Finish(false);
  const Window window = TargetWindow(display, attempt->target);
  // Once the caller has given up, nothing goes out any more.
  if (window != 0 && attempt->Advance(Attempt::Stage::Talking, Attempt::Stage::Sending)) {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = Xlib().XInternAtom(display, kMessageAtom, False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(attempt->number);
    const bool queued = Xlib().XSendEvent(display, window, False, NoEventMask, &event) != 0;
    Xlib().XSync(display, False);
    attempt->Advance(Attempt::Stage::Sending,
                     queued ? Attempt::Stage::Sent : Attempt::Stage::NotSent);
  }
  Xlib().XCloseDisplay(display);
  attempt->Finish(false);
}

MessageOutcome Await(Attempt& attempt, std::chrono::milliseconds timeout) {
  std::unique_lock lock(attempt.mutex);
  attempt.changed.wait_for(lock, timeout, [&] { return attempt.done || attempt.lost; });
  switch (attempt.stage) {
    case Attempt::Stage::Talking:
      attempt.stage = Attempt::Stage::Abandoned;
      return attempt.lost ? MessageOutcome::ConnectionLost : MessageOutcome::NoAnswer;
    case Attempt::Stage::Sending:
      return MessageOutcome::Unconfirmed;
    case Attempt::Stage::Sent:
      return MessageOutcome::Sent;
    case Attempt::Stage::NotSent:
    case Attempt::Stage::Abandoned:
      break;
  }
  return MessageOutcome::NotSent;
}

}  // namespace

MessageResult SendWindowMessage(const WindowTarget& target, uint32_t messageNumber,
                                std::chrono::milliseconds timeout) {
  MessageResult result;
  const char* display = std::getenv("DISPLAY");
  result.display = display != nullptr ? display : "";
  if (!Xlib().usable || result.display.empty()) return result;
  InstallErrorHandlers();
  auto attempt = std::make_shared<Attempt>();
  attempt->display = result.display;
  attempt->target = target;
  attempt->number = messageNumber;
  try {
    std::thread(Converse, attempt).detach();
  } catch (const std::system_error&) {
    result.outcome = MessageOutcome::NoThread;
    return result;
  }
  result.outcome = Await(*attempt, timeout);
  return result;
}

}  // namespace platform
