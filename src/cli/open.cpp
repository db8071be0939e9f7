#include "cli/open.h"

#include <algorithm>
#include <iostream>

#include "cli/session.h"
#include "headless/browser.h"
#include "headless/menu.h"
#include "page/WindowProxy.h"
#include "page/mdlWindowProxy.h"
#include "platform/ui.h"
#include "runtime/form.h"
#include "toolbar/frmToolband.h"

namespace cli {
namespace {

constexpr const char* kUsage =
    "usage: folverra open [--menu KEY] [PAGE]\n"
    "\n"
    "Loads PAGE (a path, a file: URL, or an http: URL on 127.0.0.1, localhost or [::1]) in a\n"
    "headless browser window with the toolbar band sited, and prints the page's title, its\n"
    "frames with their addresses, the page proxies the toolbar registered for the page and\n"
    "its frames, and the window's tree of window classes. The toolbar talks to a stand-in of\n"
    "the Folverra service started on a free loopback port; without PAGE the stand-in's home\n"
    "page is opened.\n"
    "\n"
    "Gestures, made as a user makes them, through the window's message queue:\n"
    "  --menu KEY   then click the toolbar's arrow and choose the menu item KEY (MyLibrary,\n"
    "               Popular, MyClippers, Home, Facebook, Help), and print the address the\n"
    "               browser shows afterwards.\n";

struct Options {
  std::string page;
  std::string menuKey;
};

void printFrames(const headless::Pane& page) {
  std::cout << "frames:" << (page.frames.empty() ? " none" : "") << '\n';
  std::vector<std::pair<const headless::Pane*, int>> todo;
  for (auto it = page.frames.rbegin(); it != page.frames.rend(); ++it)
    todo.push_back({it->get(), 1});
  while (!todo.empty()) {
    auto [frame, depth] = todo.back();
    todo.pop_back();
    std::cout << std::string(2 * depth, ' ') << (frame->name.empty() ? "(unnamed)" : frame->name)
              << ' ' << frame->url << '\n';
    for (auto it = frame->frames.rbegin(); it != frame->frames.rend(); ++it)
      todo.push_back({it->get(), depth + 1});
  }
}

void printProxies() {
  std::cout << "proxies: " << g_ProxyCount() << '\n';
  for (std::int32_t i = 1; i <= g_ProxyCount(); ++i) {
    const html::Document document = g_Proxies()[i]->Document();
    std::cout << "  " << i << ' ' << (document ? document.URL() : "(not an HTML page)") << '\n';
  }
}

int depthBelow(HWND top, HWND hwnd) {
  int depth = 0;
  for (HWND h = hwnd; h && h != top; h = ui::GetParent(h)) ++depth;
  return depth;
}

void printWindows(HWND top) {
  std::cout << "windows:\n  " << ui::GetClassName(top) << '\n';
  ui::EnumChildWindows(
      top,
      [](HWND hwnd, LPARAM root) {
        const int depth = depthBelow(reinterpret_cast<HWND>(root), hwnd);
        std::cout << std::string(2 * (depth + 1), ' ') << ui::GetClassName(hwnd) << '\n';
        return TRUE;
      },
      reinterpret_cast<LPARAM>(top));
}

// Presses and releases the mouse over the arrow, with the choice waiting for the menu, then
// lets the navigation it starts finish.
int chooseFromMenu(headless::BrowserWindow& window, const std::string& key) {
  frmToolband& form = ui::Instance<frmToolband>::get();
  const RECT arrow = form.imgArrow.formRect();
  const LPARAM at = (static_cast<LPARAM>(arrow.top + 1) << 16) | (arrow.left + 1);
  headless::ChooseMenuItem(key);
  ui::SendMessage(form.hWnd(), WM_LBUTTONDOWN, 0, at);
  ui::SendMessage(form.hWnd(), WM_LBUTTONUP, 0, at);
  const auto shown = headless::LastShownMenu();
  const bool offered = shown && std::any_of(shown->items.begin(), shown->items.end(),
                                            [&](const ui::MenuItem& i) { return i.key == key; });
  if (!offered) {
    std::cerr << "folverra: the toolbar's menu has no item '" << key << "'\n";
    return 2;
  }
  MSG msg;
  while (window.busy() && ui::GetMessage(&msg)) ui::DispatchMessage(&msg);
  std::cout << "menu: " << key << '\n' << "address: " << window.locationURL << '\n';
  return 0;
}

int show(headless::BrowserWindow& window, const Options& options) {
  const browser::DocumentObject doc = window.page().webBrowser().Document();
  std::cout << "title: " << (doc.typeName() == "HTMLDocument" ? doc.html().title() : "") << '\n'
            << "address: " << window.locationURL << '\n'
            << "document: " << doc.typeName() << '\n';
  printFrames(window.page());
  printProxies();
  printWindows(window.topWindow());
  return options.menuKey.empty() ? 0 : chooseFromMenu(window, options.menuKey);
}

}  // namespace

int open(const std::vector<std::string>& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--menu" && i + 1 < args.size() && !args[i + 1].empty()) {
      options.menuKey = args[++i];
    } else if (options.page.empty() && !args[i].empty() && args[i][0] != '-') {
      options.page = args[i];
    } else {
      std::cerr << "folverra: open takes one page and its gestures (see folverra open --help)\n";
      return 2;
    }
  }
  return withPage(options.page, [&](headless::BrowserWindow& w) { return show(w, options); });
}

}  // namespace cli
