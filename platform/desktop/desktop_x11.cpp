#include "platform/desktop/desktop_x11.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/desktop/virtual_key.h"
#include "platform/dispatcher.h"

namespace rv {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Xlib reports protocol errors to one handler per process. Every request
// whose error matters is made by the thread that then syncs, so the error
// lands in that thread's slot.
thread_local int last_x_error = 0;

int RecordXError(Display*, XErrorEvent* event) {
  last_x_error = event->error_code;
  return 0;
}

void InstallErrorHandler() {
  static std::once_flag once;
  std::call_once(once, [] { XSetErrorHandler(RecordXError); });
}

// Syncs and tells whether the requests since the last call failed.
bool SyncFailed(Display* display) {
  XSync(display, False);
  const bool failed = last_x_error != 0;
  last_x_error = 0;
  return failed;
}

KeySym CharacterKeysym(char32_t c) {
  if (c == '\n' || c == '\r') return XK_Return;
  if (c == '\t') return XK_Tab;
  if (c == 8) return XK_BackSpace;
  if (c == 27) return XK_Escape;
  if ((c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c <= 0xFF)) return static_cast<KeySym>(c);
  if (c < 0x20 || c == 0x7F) return NoSymbol;
  return 0x01000000 + static_cast<KeySym>(c);
}

struct VkKeysym {
  int code;
  KeySym keysym;
};

// The keys that codes name; letters and digits are computed.
constexpr VkKeysym kNamedKeys[] = {
    {vk::Break, XK_Break},
    {vk::Backspace, XK_BackSpace},
    {vk::Tab, XK_Tab},
    {vk::Enter, XK_Return},
    {vk::Shift, XK_Shift_L},
    {vk::Control, XK_Control_L},
    {vk::Alt, XK_Alt_L},
    {vk::Pause, XK_Pause},
    {vk::CapsLock, XK_Caps_Lock},
    {vk::Escape, XK_Escape},
    {vk::Space, XK_space},
    {vk::PageUp, XK_Prior},
    {vk::PageDown, XK_Next},
    {vk::End, XK_End},
    {vk::Home, XK_Home},
    {vk::Left, XK_Left},
    {vk::Up, XK_Up},
    {vk::Right, XK_Right},
    {vk::Down, XK_Down},
    {vk::PrintScreen, XK_Print},
    {vk::Insert, XK_Insert},
    {vk::Delete, XK_Delete},
    {vk::Help, XK_Help},
    {vk::NumLock, XK_Num_Lock},
    {vk::ScrollLock, XK_Scroll_Lock},
    // The punctuation keys by their unshifted character on a US layout.
    {0xBA, XK_semicolon},
    {0xBB, XK_equal},
    {0xBC, XK_comma},
    {0xBD, XK_minus},
    {0xBE, XK_period},
    {0xBF, XK_slash},
    {0xC0, XK_grave},
    {0xDB, XK_bracketleft},
    {0xDC, XK_backslash},
    {0xDD, XK_bracketright},
    {0xDE, XK_apostrophe},
};

KeySym VirtualKeyKeysym(int code) {
  if (code >= 'A' && code <= 'Z') return XK_a + (code - 'A');
  if (code >= '0' && code <= '9') return XK_0 + (code - '0');
  if (code >= vk::F1 && code <= vk::F12) return XK_F1 + (code - vk::F1);
  for (const VkKeysym& key : kNamedKeys)
    if (key.code == code) return key.keysym;
  return NoSymbol;
}

int KeysymVirtualKey(KeySym keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return static_cast<int>('A' + (keysym - XK_a));
  if (keysym >= XK_A && keysym <= XK_Z) return static_cast<int>('A' + (keysym - XK_A));
  if (keysym >= XK_0 && keysym <= XK_9) return static_cast<int>('0' + (keysym - XK_0));
  if (keysym >= XK_F1 && keysym <= XK_F12) return static_cast<int>(vk::F1 + (keysym - XK_F1));
  for (const VkKeysym& key : kNamedKeys)
    if (key.keysym == keysym) return key.code;
  return 0;
}

struct Grab {
  KeyCode keycode;
  unsigned int modifiers;
};

}  // namespace

struct X11Desktop::Impl {
  // ---- Requests, from any thread.
  std::mutex mutex;
  Display* display = nullptr;
  Window root = 0;
  int min_keycode = 8;
  int max_keycode = 255;
  // The keyboard mapping, read again when older than a second, so a layout
  // switch is seen within a step or two.
  std::vector<KeySym> keymap;
  int syms_per_code = 0;
  SteadyClock::time_point keymap_read{};
  // Keycodes lent to characters the layout has no key for, by keysym.
  std::map<KeySym, KeyCode> lent;

  // ---- Events, on the event thread.
  std::mutex events_mutex;
  Display* events = nullptr;
  int randr_event_base = -1;
  unsigned int num_lock_mask = 0;
  struct Registration {
    KeyCode keycode;
    unsigned int modifiers;
  };
  std::map<int, Registration> hotkeys;
  Dispatcher* main_thread = nullptr;
  DesktopEvents listener;
  // Bumped on every Listen: work posted for an older listener does nothing.
  std::shared_ptr<std::atomic<std::uint64_t>> generation =
      std::make_shared<std::atomic<std::uint64_t>>(0);
  struct StateRequest {
    int pid;
    WindowState state;
    SteadyClock::time_point deadline;
  };
  std::vector<StateRequest> state_requests;

  int wake_fd = -1;
  std::atomic<bool> stopping{false};
  std::thread thread;

  ~Impl() {
    stopping = true;
    if (wake_fd >= 0) {
      const std::uint64_t one = 1;
      [[maybe_unused]] ssize_t n = ::write(wake_fd, &one, sizeof one);
    }
    if (thread.joinable()) thread.join();
    if (wake_fd >= 0) ::close(wake_fd);
    if (display != nullptr) {
      RestoreLocked();
      XCloseDisplay(display);
    }
    if (events != nullptr) XCloseDisplay(events);
  }

  void Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(wake_fd, &one, sizeof one);
  }

  Atom AtomNamed(const char* name) { return XInternAtom(display, name, False); }

  // One property of a window as bytes; empty when it has none.
  std::vector<unsigned char> Property(Window window, Atom property, Atom type,
                                      int* format = nullptr) {
    Atom actual_type = None;
    int actual_format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned char> bytes;
    if (XGetWindowProperty(display, window, property, 0, 1 << 20, False, type, &actual_type,
                           &actual_format, &count, &after, &data) == Success &&
        data != nullptr) {
      const std::size_t unit = actual_format == 32 ? sizeof(long) : actual_format / 8;
      bytes.assign(data, data + count * unit);
      if (format != nullptr) *format = actual_format;
    }
    if (data != nullptr) XFree(data);
    return bytes;
  }

  std::vector<Window> WindowList(Window window, Atom property) {
    std::vector<unsigned char> bytes = Property(window, property, XA_WINDOW);
    std::vector<Window> windows(bytes.size() / sizeof(long));
    for (std::size_t i = 0; i < windows.size(); ++i) {
      long value = 0;
      std::memcpy(&value, bytes.data() + i * sizeof(long), sizeof(long));
      windows[i] = static_cast<Window>(value);
    }
    return windows;
  }

  long CardinalProperty(Window window, Atom property) {
    std::vector<unsigned char> bytes = Property(window, property, XA_CARDINAL);
    long value = 0;
    if (bytes.size() >= sizeof(long)) std::memcpy(&value, bytes.data(), sizeof(long));
    return value;
  }

  std::string Title(Window window) {
    std::vector<unsigned char> name =
        Property(window, AtomNamed("_NET_WM_NAME"), AtomNamed("UTF8_STRING"));
    if (!name.empty()) return std::string(name.begin(), name.end());
    XTextProperty text{};
    std::string title;
    if (XGetWMName(display, window, &text) != 0 && text.value != nullptr) {
      char** list = nullptr;
      int count = 0;
      if (Xutf8TextPropertyToTextList(display, &text, &list, &count) >= Success && count > 0 &&
          list != nullptr) {
        title = list[0];
      } else {
        title.assign(reinterpret_cast<char*>(text.value), text.nitems);
      }
      if (list != nullptr) XFreeStringList(list);
      XFree(text.value);
    }
    return title;
  }

  bool HasTitle(Window window) {
    XTextProperty text{};
    if (XGetWMName(display, window, &text) != 0) {
      if (text.value != nullptr) XFree(text.value);
      return true;
    }
    return !Property(window, AtomNamed("_NET_WM_NAME"), AtomNamed("UTF8_STRING")).empty();
  }

  // Describes one window; false when it is gone.
  bool Describe(Window window, DesktopWindow& out) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0) return false;
    out.handle = window;
    out.visible = attributes.map_state == IsViewable;
    out.title = Title(window);
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint) != 0) {
      if (hint.res_class != nullptr) out.window_class = hint.res_class;
      if (hint.res_name != nullptr) XFree(hint.res_name);
      if (hint.res_class != nullptr) XFree(hint.res_class);
    }
    out.pid = static_cast<int>(CardinalProperty(window, AtomNamed("_NET_WM_PID")));
    return true;
  }

  std::vector<DesktopWindow> TopLevelLocked() {
    std::vector<Window> order = WindowList(root, AtomNamed("_NET_CLIENT_LIST"));
    Window root_return = 0;
    Window parent_return = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, root, &root_return, &parent_return, &children, &count) != 0) {
      for (unsigned int i = 0; i < count; ++i) {
        if (std::find(order.begin(), order.end(), children[i]) != order.end()) continue;
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) == 0) continue;
        if (attributes.override_redirect || attributes.c_class == InputOnly) continue;
        if (HasTitle(children[i])) order.push_back(children[i]);
      }
      if (children != nullptr) XFree(children);
    }
    std::vector<DesktopWindow> windows;
    windows.reserve(order.size());
    for (Window window : order) {
      DesktopWindow described;
      if (Describe(window, described)) windows.push_back(std::move(described));
    }
    // A window that vanished midway leaves a BadWindow behind.
    (void)SyncFailed(display);
    return windows;
  }

  void ChildrenLocked(Window parent, std::vector<DesktopWindow>& out) {
    Window root_return = 0;
    Window parent_return = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root_return, &parent_return, &children, &count) == 0) return;
    std::vector<Window> list(children, children + count);
    if (children != nullptr) XFree(children);
    for (Window child : list) {
      ChildrenLocked(child, out);
      DesktopWindow described;
      if (Describe(child, described)) out.push_back(std::move(described));
    }
  }

  void RefreshKeymapLocked(bool force) {
    if (!force && !keymap.empty() && SteadyClock::now() - keymap_read < std::chrono::seconds(1))
      return;
    int per = 0;
    KeySym* syms = XGetKeyboardMapping(display, static_cast<KeyCode>(min_keycode),
                                       max_keycode - min_keycode + 1, &per);
    if (syms == nullptr) return;
    keymap.assign(syms, syms + (max_keycode - min_keycode + 1) * per);
    syms_per_code = per;
    XFree(syms);
    keymap_read = SteadyClock::now();
  }

  KeySym SymAt(int keycode, int index) {
    if (keycode < min_keycode || keycode > max_keycode || index >= syms_per_code) return NoSymbol;
    return keymap[static_cast<std::size_t>((keycode - min_keycode) * syms_per_code + index)];
  }

  // The first-group keysyms of a key: plain and with Shift.
  std::pair<KeySym, KeySym> Levels(int keycode) {
    KeySym plain = SymAt(keycode, 0);
    KeySym shifted = SymAt(keycode, 1);
    if (shifted == NoSymbol) {
      KeySym lower = NoSymbol;
      KeySym upper = NoSymbol;
      XConvertCase(plain, &lower, &upper);
      shifted = upper;
      plain = lower == NoSymbol ? plain : lower;
    }
    return {plain, shifted};
  }

  // The keycode whose plain or shifted level gives `keysym`; 0 for none.
  KeyCode CodeFor(KeySym keysym, bool* shift = nullptr) {
    for (int pass = 0; pass < 2; ++pass) {
      for (int code = min_keycode; code <= max_keycode; ++code) {
        auto [plain, shifted] = Levels(code);
        if ((pass == 0 ? plain : shifted) != keysym) continue;
        if (shift != nullptr) *shift = pass == 1;
        return static_cast<KeyCode>(code);
      }
    }
    return 0;
  }

  // Lends an unused keycode to `keysym`; 0 when none is left.
  KeyCode LendLocked(KeySym keysym) {
    if (auto found = lent.find(keysym); found != lent.end()) return found->second;
    for (int code = max_keycode; code >= min_keycode; --code) {
      bool empty = true;
      for (int i = 0; i < syms_per_code && empty; ++i)
        empty = SymAt(code, i) == NoSymbol;
      if (!empty) continue;
      bool taken = false;
      for (const auto& [sym, lent_code] : lent)
        taken = taken || lent_code == code;
      if (taken) continue;
      KeySym pair[2] = {keysym, keysym};
      XChangeKeyboardMapping(display, code, 2, pair, 1);
      XSync(display, False);
      lent[keysym] = static_cast<KeyCode>(code);
      RefreshKeymapLocked(true);
      return static_cast<KeyCode>(code);
    }
    return 0;
  }

  void RestoreLocked() {
    if (lent.empty()) return;
    // The window that receives the keys looks its keysym up when it handles
    // the event: give it a moment before the mapping goes away, also on a
    // busy machine where that window is slow to get to it.
    XSync(display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    for (const auto& [sym, code] : lent) {
      KeySym none[2] = {NoSymbol, NoSymbol};
      XChangeKeyboardMapping(display, code, 2, none, 1);
    }
    lent.clear();
    XSync(display, False);
    RefreshKeymapLocked(true);
  }

  KeyCode CodeForVirtualKey(int code) {
    if (code >= vk::kLayoutKeyBase) {
      const int keycode = code - vk::kLayoutKeyBase;
      return keycode >= min_keycode && keycode <= max_keycode ? static_cast<KeyCode>(keycode) : 0;
    }
    const KeySym keysym = VirtualKeyKeysym(code);
    if (keysym == NoSymbol) return 0;
    RefreshKeymapLocked(false);
    KeyCode keycode = CodeFor(keysym);
    // Keys the layout lacks (Help, Break on many) are lent a keycode too.
    if (keycode == 0) keycode = LendLocked(keysym);
    return keycode;
  }

  void FakeKey(int code, bool down) {
    std::lock_guard lock(mutex);
    const KeyCode keycode = CodeForVirtualKey(code);
    if (keycode == 0) return;
    XTestFakeKeyEvent(display, keycode, down ? True : False, CurrentTime);
    XFlush(display);
  }

  bool Supported(const char* name) {
    const Atom wanted = AtomNamed(name);
    std::vector<unsigned char> bytes = Property(root, AtomNamed("_NET_SUPPORTED"), XA_ATOM);
    for (std::size_t i = 0; i + sizeof(long) <= bytes.size(); i += sizeof(long)) {
      long value = 0;
      std::memcpy(&value, bytes.data() + i, sizeof(long));
      if (static_cast<Atom>(value) == wanted) return true;
    }
    return false;
  }

  bool HaveWindowManager() {
    return !WindowList(root, AtomNamed("_NET_SUPPORTING_WM_CHECK")).empty();
  }

  void SendClientMessage(Window window, Atom type, long a0, long a1, long a2, long a3 = 0) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = a0;
    event.xclient.data.l[1] = a1;
    event.xclient.data.l[2] = a2;
    event.xclient.data.l[3] = a3;
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  }

  bool ForegroundLocked(Window window) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0) {
      (void)SyncFailed(display);
      return false;
    }
    if (HaveWindowManager() && Supported("_NET_ACTIVE_WINDOW")) {
      const Atom active = AtomNamed("_NET_ACTIVE_WINDOW");
      const Atom clients = AtomNamed("_NET_CLIENT_LIST");
      // A window mapped a moment ago may not be managed yet, and a manager
      // ignores requests for windows it does not manage: ask again while
      // waiting for it.
      const SteadyClock::time_point until = SteadyClock::now() + std::chrono::milliseconds(1500);
      SteadyClock::time_point next_request{};
      while (SteadyClock::now() < until) {
        std::vector<Window> now = WindowList(root, active);
        if (!now.empty() && now[0] == window) return true;
        if (SteadyClock::now() >= next_request) {
          std::vector<Window> managed = WindowList(root, clients);
          if (std::find(managed.begin(), managed.end(), window) != managed.end()) {
            // Source 2: a pager, which managers obey rather than suspect of
            // stealing focus.
            SendClientMessage(window, active, 2, CurrentTime, 0);
            XFlush(display);
            next_request = SteadyClock::now() + std::chrono::milliseconds(250);
          }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      return false;
    }
    // Without a manager an unmapped window cannot take the focus.
    if (attributes.map_state != IsViewable) return false;
    XRaiseWindow(display, window);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    if (SyncFailed(display)) return false;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus == window;
  }

  bool StateLocked(Window window, WindowState state) {
    switch (state) {
      case WindowState::Normal:
        XMapRaised(display, window);
        break;
      case WindowState::Minimized:
        XIconifyWindow(display, window, DefaultScreen(display));
        break;
      case WindowState::Hidden:
        XWithdrawWindow(display, window, DefaultScreen(display));
        break;
      case WindowState::Maximized:
        if (HaveWindowManager()) {
          // _NET_WM_STATE_ADD of both maximized states.
          SendClientMessage(window, AtomNamed("_NET_WM_STATE"), 1,
                            static_cast<long>(AtomNamed("_NET_WM_STATE_MAXIMIZED_VERT")),
                            static_cast<long>(AtomNamed("_NET_WM_STATE_MAXIMIZED_HORZ")), 1);
        } else {
          XMoveResizeWindow(display, window, 0, 0,
                            static_cast<unsigned>(DisplayWidth(display, DefaultScreen(display))),
                            static_cast<unsigned>(DisplayHeight(display, DefaultScreen(display))));
        }
        break;
    }
    return !SyncFailed(display);
  }

  // The event thread's pass over the pending window-state requests.
  void ServeStateRequests() {
    std::vector<StateRequest> pending;
    {
      std::lock_guard lock(events_mutex);
      pending.swap(state_requests);
    }
    if (pending.empty()) return;
    std::vector<StateRequest> still;
    {
      std::lock_guard lock(mutex);
      std::vector<DesktopWindow> windows = TopLevelLocked();
      for (const StateRequest& request : pending) {
        auto found = std::find_if(windows.begin(), windows.end(), [&](const DesktopWindow& w) {
          return w.pid == request.pid && w.visible;
        });
        if (found != windows.end()) {
          (void)StateLocked(static_cast<Window>(found->handle), request.state);
        } else if (SteadyClock::now() < request.deadline) {
          still.push_back(request);
        }
      }
    }
    std::lock_guard lock(events_mutex);
    state_requests.insert(state_requests.end(), still.begin(), still.end());
  }

  void Post(std::function<void()> work) {
    // Under events_mutex: the listener and its dispatcher.
    if (main_thread == nullptr) return;
    main_thread->post(
        [generation = generation, expected = generation->load(), work = std::move(work)] {
          if (generation->load() == expected) work();
        });
  }

  void HandleEvent(XEvent& event) {
    std::lock_guard lock(events_mutex);
    if (event.type == KeyPress) {
      const unsigned int wanted = ShiftMask | ControlMask | Mod1Mask;
      for (const auto& [id, registration] : hotkeys) {
        if (registration.keycode != event.xkey.keycode ||
            registration.modifiers != (event.xkey.state & wanted))
          continue;
        if (listener.hotkey) Post([callback = listener.hotkey, id = id] { callback(id); });
      }
    } else if (randr_event_base >= 0 && event.type == randr_event_base + RRScreenChangeNotify) {
      XRRUpdateConfiguration(&event);
      if (listener.screen_changed) Post(listener.screen_changed);
    }
  }

  void EventLoop() {
    while (!stopping) {
      bool waiting_for_windows = false;
      {
        std::lock_guard lock(events_mutex);
        waiting_for_windows = !state_requests.empty();
      }
      pollfd fds[2] = {{ConnectionNumber(events), POLLIN, 0}, {wake_fd, POLLIN, 0}};
      {
        std::lock_guard lock(events_mutex);
        XFlush(events);
      }
      ::poll(fds, 2, waiting_for_windows ? 100 : -1);
      if (fds[1].revents & POLLIN) {
        std::uint64_t count = 0;
        [[maybe_unused]] ssize_t n = ::read(wake_fd, &count, sizeof count);
      }
      for (;;) {
        XEvent event{};
        {
          std::lock_guard lock(events_mutex);
          if (XPending(events) == 0) break;
          XNextEvent(events, &event);
        }
        HandleEvent(event);
      }
      ServeStateRequests();
    }
  }
};

Result<std::unique_ptr<X11Desktop>> X11Desktop::Open(const std::string& display_name) {
  InstallErrorHandler();
  const char* name = display_name.empty() ? nullptr : display_name.c_str();
  auto impl = std::make_unique<Impl>();
  impl->display = XOpenDisplay(name);
  const std::string shown =
      name != nullptr ? name : (std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
  if (impl->display == nullptr) return MakeError("cannot open the X display \"" + shown + "\"");
  int event_base = 0;
  int error_base = 0;
  int major = 0;
  int minor = 0;
  if (!XTestQueryExtension(impl->display, &event_base, &error_base, &major, &minor))
    return MakeError("the X display \"" + shown + "\" has no XTest extension for keystrokes");
  impl->events = XOpenDisplay(name);
  if (impl->events == nullptr) return MakeError("cannot open the X display \"" + shown + "\"");
  impl->root = DefaultRootWindow(impl->display);
  XDisplayKeycodes(impl->display, &impl->min_keycode, &impl->max_keycode);
  impl->RefreshKeymapLocked(true);

  // Num Lock's modifier, so a hotkey also works while it is on.
  if (XModifierKeymap* modifiers = XGetModifierMapping(impl->events)) {
    const KeyCode num_lock = XKeysymToKeycode(impl->events, XK_Num_Lock);
    for (int m = 0; m < 8; ++m)
      for (int k = 0; k < modifiers->max_keypermod; ++k)
        if (num_lock != 0 && modifiers->modifiermap[m * modifiers->max_keypermod + k] == num_lock)
          impl->num_lock_mask = 1u << m;
    XFreeModifiermap(modifiers);
  }
  int randr_error = 0;
  if (XRRQueryExtension(impl->events, &impl->randr_event_base, &randr_error)) {
    XRRSelectInput(impl->events, DefaultRootWindow(impl->events), RRScreenChangeNotifyMask);
  } else {
    impl->randr_event_base = -1;
  }
  XSync(impl->events, False);
  impl->wake_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (impl->wake_fd < 0) return MakeError("cannot create the desktop's event thread");
  Impl* raw = impl.get();
  impl->thread = std::thread([raw] { raw->EventLoop(); });
  return std::unique_ptr<X11Desktop>(new X11Desktop(std::move(impl)));
}

X11Desktop::X11Desktop(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
X11Desktop::~X11Desktop() = default;

std::vector<DesktopWindow> X11Desktop::TopLevelWindows() {
  std::lock_guard lock(impl_->mutex);
  return impl_->TopLevelLocked();
}

std::vector<DesktopWindow> X11Desktop::ChildWindows(WindowHandle parent) {
  std::lock_guard lock(impl_->mutex);
  std::vector<DesktopWindow> children;
  impl_->ChildrenLocked(static_cast<Window>(parent), children);
  (void)SyncFailed(impl_->display);
  return children;
}

bool X11Desktop::SetForegroundWindow(WindowHandle window) {
  std::lock_guard lock(impl_->mutex);
  return impl_->ForegroundLocked(static_cast<Window>(window));
}

void X11Desktop::KeyDown(int virtual_key) {
  impl_->FakeKey(virtual_key, true);
}

void X11Desktop::KeyUp(int virtual_key) {
  impl_->FakeKey(virtual_key, false);
}

std::optional<KeyScan> X11Desktop::VkKeyScan(char32_t character) {
  const KeySym keysym = CharacterKeysym(character);
  if (keysym == NoSymbol) return std::nullopt;
  std::lock_guard lock(impl_->mutex);
  impl_->RefreshKeymapLocked(false);
  bool shift = false;
  const KeyCode keycode = impl_->CodeFor(keysym, &shift);
  // A lent key is no key of the layout.
  if (keycode == 0 || impl_->lent.count(keysym) != 0) return std::nullopt;
  int code = KeysymVirtualKey(impl_->Levels(keycode).first);
  if (code == 0 || impl_->CodeForVirtualKey(code) != keycode) code = vk::kLayoutKeyBase + keycode;
  return KeyScan{code, shift};
}

bool X11Desktop::TypeUnmappedCharacter(char32_t character) {
  const KeySym keysym = CharacterKeysym(character);
  if (keysym == NoSymbol) return false;
  std::lock_guard lock(impl_->mutex);
  impl_->RefreshKeymapLocked(false);
  KeyCode keycode = impl_->LendLocked(keysym);
  if (keycode == 0) {
    // Every spare key is lent: give them back and start over.
    impl_->RestoreLocked();
    keycode = impl_->LendLocked(keysym);
  }
  if (keycode == 0) return false;
  XTestFakeKeyEvent(impl_->display, keycode, True, CurrentTime);
  XTestFakeKeyEvent(impl_->display, keycode, False, CurrentTime);
  XFlush(impl_->display);
  return true;
}

void X11Desktop::RestoreKeyboardMapping() {
  std::lock_guard lock(impl_->mutex);
  impl_->RestoreLocked();
}

bool X11Desktop::ShiftDown() {
  std::lock_guard lock(impl_->mutex);
  char keys[32] = {};
  XQueryKeymap(impl_->display, keys);
  for (KeySym shift : {XK_Shift_L, XK_Shift_R}) {
    const KeyCode code = XKeysymToKeycode(impl_->display, shift);
    if (code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0) return true;
  }
  return false;
}

Result<void> X11Desktop::RegisterHotKey(int id, HotkeyModifiers modifiers, int virtual_key) {
  KeyCode keycode = 0;
  {
    std::lock_guard lock(impl_->mutex);
    impl_->RefreshKeymapLocked(false);
    if (virtual_key >= vk::kLayoutKeyBase) {
      keycode = impl_->CodeForVirtualKey(virtual_key);
    } else if (const KeySym keysym = VirtualKeyKeysym(virtual_key); keysym != NoSymbol) {
      keycode = impl_->CodeFor(keysym);
    }
  }
  if (keycode == 0) return MakeError("the key has no place on the keyboard layout");
  unsigned int mask = 0;
  if (modifiers.ctrl) mask |= ControlMask;
  if (modifiers.alt) mask |= Mod1Mask;
  if (modifiers.shift) mask |= ShiftMask;

  std::lock_guard lock(impl_->events_mutex);
  for (const auto& [other, registration] : impl_->hotkeys)
    if (registration.keycode == keycode && registration.modifiers == mask && other != id)
      return MakeError("the combination is already a hotkey of another task");
  Display* display = impl_->events;
  const Window root = DefaultRootWindow(display);
  const unsigned int locks[] = {0, LockMask, impl_->num_lock_mask, LockMask | impl_->num_lock_mask};
  (void)SyncFailed(display);
  for (unsigned int extra : locks)
    XGrabKey(display, keycode, mask | extra, root, False, GrabModeAsync, GrabModeAsync);
  if (SyncFailed(display)) {
    for (unsigned int extra : locks)
      XUngrabKey(display, keycode, mask | extra, root);
    (void)SyncFailed(display);
    return MakeError("another program holds the combination");
  }
  impl_->hotkeys[id] = {keycode, mask};
  impl_->Wake();
  return {};
}

void X11Desktop::UnregisterHotKey(int id) {
  std::lock_guard lock(impl_->events_mutex);
  auto found = impl_->hotkeys.find(id);
  if (found == impl_->hotkeys.end()) return;
  Display* display = impl_->events;
  const Window root = DefaultRootWindow(display);
  for (unsigned int extra :
       {0u, static_cast<unsigned>(LockMask), impl_->num_lock_mask, LockMask | impl_->num_lock_mask})
    XUngrabKey(display, found->second.keycode, found->second.modifiers | extra, root);
  (void)SyncFailed(display);
  impl_->hotkeys.erase(found);
}

void X11Desktop::Listen(Dispatcher& main_thread, DesktopEvents events) {
  std::lock_guard lock(impl_->events_mutex);
  ++*impl_->generation;
  impl_->main_thread = &main_thread;
  impl_->listener = std::move(events);
}

void X11Desktop::ApplyWindowState(int pid, WindowState state) {
  // A normal window needs nothing done.
  if (pid <= 0 || state == WindowState::Normal) return;
  {
    std::lock_guard lock(impl_->events_mutex);
    impl_->state_requests.push_back({pid, state, SteadyClock::now() + std::chrono::seconds(10)});
  }
  impl_->Wake();
}

bool X11Desktop::SetWindowState(WindowHandle window, WindowState state) {
  std::lock_guard lock(impl_->mutex);
  return impl_->StateLocked(static_cast<Window>(window), state);
}

}  // namespace rv
