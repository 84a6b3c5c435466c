// A small X client of the desktop tests. It reads commands from stdin, one a
// line, and answers each with "ok" once the server has seen it:
//   open ID TITLE...      a top-level window with that title, mapped
//   class ID CLASS        sets the class of window ID (before or after open)
//   hidden ID TITLE...    a window with that title, never mapped
//   map ID / unmap ID / close ID / title ID TITLE...
//   handle ID             answers "ok <X window id>"
// Every key press that reaches one of its windows is appended to the file
// named by its first argument as "<keysym name> <state> <text>", with state
// the modifier bits (1 Shift, 4 Ctrl, 8 Alt) and text the characters typed.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

namespace {

Display* display = nullptr;
std::map<std::string, Window> windows;

void SetTitle(Window window, const std::string& title) {
  Xutf8SetWMProperties(display, window, title.c_str(), nullptr, nullptr, 0, nullptr, nullptr,
                       nullptr);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()),
                  static_cast<int>(title.size()));
}

Window Create(const std::string& title) {
  const Window window =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10, 200, 100, 0, 0, 0xFFFFFF);
  XSelectInput(display, window, KeyPressMask | FocusChangeMask | StructureNotifyMask);
  SetTitle(window, title);
  long pid = static_cast<long>(::getpid());
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);
  XClassHint hint{const_cast<char*>("xtestclient"), const_cast<char*>("XTestClient")};
  XSetClassHint(display, window, &hint);
  return window;
}

std::string RestOf(std::istringstream& in) {
  std::string rest;
  std::getline(in >> std::ws, rest);
  return rest;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  display = XOpenDisplay(nullptr);
  if (display == nullptr) return 3;
  FILE* keys = std::fopen(argv[1], "a");
  if (keys == nullptr) return 4;
  std::printf("ready\n");
  std::fflush(stdout);

  std::string pending_line;
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
      } else if (event.type == KeyPress) {
        char text[32] = {};
        KeySym keysym = NoSymbol;
        const int length = XLookupString(&event.xkey, text, sizeof text - 1, &keysym, nullptr);
        text[length > 0 ? length : 0] = 0;
        // The character as UTF-8, from the keysym where it names one, so
        // characters beyond Latin-1 are recorded as what they are.
        unsigned long code = 0;
        if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF)) {
          code = keysym;
        } else if ((keysym & 0xFF000000) == 0x01000000) {
          code = keysym & 0xFFFFFF;
        }
        if (code != 0 && (event.xkey.state & ControlMask) == 0) {
          std::string utf8;
          if (code < 0x80) {
            utf8 += static_cast<char>(code);
          } else if (code < 0x800) {
            utf8 += static_cast<char>(0xC0 | (code >> 6));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
          } else if (code < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (code >> 12));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
          } else {
            utf8 += static_cast<char>(0xF0 | (code >> 18));
            utf8 += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
          }
          std::snprintf(text, sizeof text, "%s", utf8.c_str());
        } else if (length == 1 && static_cast<unsigned char>(text[0]) < 0x20) {
          text[0] = 0;  // control characters (Return, Tab, Ctrl+key) are left out
        }
        const char* name = XKeysymToString(keysym);
        std::fprintf(keys, "%s %u %s\n", name ? name : "NoSymbol",
                     event.xkey.state & (ShiftMask | ControlMask | Mod1Mask), text);
        std::fflush(keys);
      }
    }
    pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {0, POLLIN, 0}};
    XFlush(display);
    ::poll(fds, 2, 100);
    if (!(fds[1].revents & (POLLIN | POLLHUP))) continue;
    char buffer[4096];
    const ssize_t got = ::read(0, buffer, sizeof buffer);
    if (got <= 0) break;
    pending_line.append(buffer, static_cast<size_t>(got));
    for (std::size_t end; (end = pending_line.find('\n')) != std::string::npos;) {
      std::istringstream in(pending_line.substr(0, end));
      pending_line.erase(0, end + 1);
      std::string command;
      std::string id;
      in >> command >> id;
      std::string answer = "ok";
      if (command == "open" || command == "hidden") {
        const Window window = Create(RestOf(in));
        windows[id] = window;
        if (command == "open") XMapRaised(display, window);
      } else if (command == "class" && windows.count(id)) {
        std::string name = RestOf(in);
        XClassHint hint{const_cast<char*>(name.c_str()), const_cast<char*>(name.c_str())};
        XSetClassHint(display, windows[id], &hint);
      } else if (command == "map" && windows.count(id)) {
        XMapRaised(display, windows[id]);
      } else if (command == "unmap" && windows.count(id)) {
        XWithdrawWindow(display, windows[id], DefaultScreen(display));
      } else if (command == "close" && windows.count(id)) {
        XDestroyWindow(display, windows[id]);
        windows.erase(id);
      } else if (command == "title" && windows.count(id)) {
        SetTitle(windows[id], RestOf(in));
      } else if (command == "handle" && windows.count(id)) {
        answer += " " + std::to_string(windows[id]);
      } else {
        answer = "error " + command;
      }
      XSync(display, False);
      std::printf("%s\n", answer.c_str());
      std::fflush(stdout);
    }
  }
  XCloseDisplay(display);
  return 0;
}
