// folverra: runs the toolbar in a headless browser window.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "band/Server.h"
#include "band/ToolBar.h"
#include "cli/clip.h"
#include "cli/open.h"
#include "cli/sample.h"
#include "cli/serve.h"
#include "headless/browser.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace {

constexpr const char* kUsage =
    "usage: folverra [band] [PAGE]\n"
    "       folverra open [--menu KEY] [PAGE]\n"
    "       folverra clip PAGE [GESTURE...] [--json]\n"
    "       folverra sample [--json]\n"
    "       folverra serve [--port N] [--store DIR]\n"
    "       folverra --help | --version\n"
    "\n"
    "  band [PAGE]   Site the toolbar band in a headless browser window, the way the browser\n"
    "                does (create by ProgID, SetSite, GetBandInfo, ShowDW), and print the\n"
    "                band's sizes and the state of its window through its lifecycle. PAGE is\n"
    "                a readable HTML file (a path or a file: URL) that the window shows.\n"
    "                This is the default command.\n"
    "  open [PAGE]   Load PAGE with its frames in a headless browser window with the band\n"
    "                sited, and print its title, frames, page proxies and window tree;\n"
    "                without PAGE, the home page of the service stand-in started in this\n"
    "                process. --menu KEY then chooses an item of the toolbar's menu (see\n"
    "                folverra open --help).\n"
    "  clip PAGE     Load PAGE with the band, then click the clip button, move the mouse\n"
    "                onto elements or out of the page and resize it, as a user does, and\n"
    "                print the clipping mode, the clip bar, the frame under the mouse and the\n"
    "                clip (see folverra clip --help for the gestures and --json).\n"
    "  sample        The main job on the bundled sample article: clip two paragraphs and a\n"
    "                picture, e-mail the clip through the stand-in, and print what was\n"
    "                clipped, the count, the posted document and the page that opened.\n"
    "  serve         Run the stand-in of the Folverra service on 127.0.0.1 until Ctrl-C\n"
    "                (see folverra serve --help).\n"
    "  --help        Show this text.\n"
    "  --version     Show the toolbar's version.\n"
    "\n"
    "Errors the toolbar logs go to errors.xml in the folder of this program, or in the folder\n"
    "FOLVERRA_MODULE_DIR names. FOLVERRA_TRACE names a file for trace lines.\n";

struct UsageError {
  std::string message;
};

struct Options {
  bool help = false;
  bool version = false;
  std::optional<std::string> page;
};

Options parse(const std::vector<std::string>& args) {
  Options o;
  std::size_t i = 0;
  if (i < args.size() && args[i] == "band") ++i;
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h")
      o.help = true;
    else if (a == "--version")
      o.version = true;
    else if (!a.empty() && a[0] == '-')
      throw UsageError{"unknown option '" + a + "'"};
    else if (o.page)
      throw UsageError{"unexpected argument '" + a + "'"};
    else
      o.page = a;
  }
  return o;
}

std::string pagePath(const std::string& page) {
  const std::string prefix = "file://";
  return page.rfind(prefix, 0) == 0 ? page.substr(prefix.size()) : page;
}

// The page must be readable; returns its address.
std::string openPage(const std::string& page) {
  const std::string path = pagePath(page);
  std::ifstream in(path, std::ios::binary);
  char probe;
  if (!in || (!in.get(probe) && !in.eof())) throw UsageError{"cannot read page '" + page + "'"};
  return "file://" + path;
}

std::string hex(const void* p) {
  std::ostringstream out;
  out << "0x" << std::hex << reinterpret_cast<std::uintptr_t>(p);
  return out.str();
}

std::string windowState(HWND hwnd) {
  if (!hwnd || !ui::IsWindow(hwnd)) return "no window";
  HWND parent = ui::GetParent(hwnd);
  std::ostringstream out;
  out << hex(hwnd) << " (" << ui::GetClassName(hwnd) << "), parent " << hex(parent) << " ("
      << ui::GetClassName(parent) << "), style 0x" << std::hex
      << static_cast<std::uint32_t>(ui::GetWindowLongPtr(hwnd, GWL_STYLE)) << std::dec << ", "
      << (ui::IsWindowVisible(hwnd) ? "visible" : "hidden");
  return out.str();
}

std::string sizes(IDeskBand& band) {
  DESKBANDINFO info{};
  info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_MODEFLAGS;
  band.GetBandInfo(0, 0, &info);
  std::ostringstream out;
  const auto pair = [&](const char* name, POINTL p) {
    out << name << ' ' << p.x << " x " << p.y << ", ";
  };
  pair("min", info.ptMinSize);
  pair("max", info.ptMaxSize);
  pair("integral", info.ptIntegral);
  pair("actual", info.ptActual);
  out << "mode " << info.dwModeFlags;
  return out.str();
}

int runBand(const Options& o) {
  const std::string address = o.page ? openPage(*o.page) : "about:blank";
  if (FAILED(DllRegisterServer())) {
    std::cerr << "folverra: the toolbar classes could not be registered\n";
    return 1;
  }
  headless::BrowserWindow window;
  window.locationURL = address;
  std::cout << "page: " << address << '\n';
  const HRESULT hr = window.AddBand(kToolBarProgId);
  if (FAILED(hr)) {
    std::cerr << "folverra: the band could not be sited (HRESULT " << hr << ")\n";
    return 1;
  }
  auto band = window.band().query<IDeskBand>(IID_IDeskBand);
  std::cout << "band: " << kToolBarProgId << ' ' << kToolBarClsidText << '\n'
            << "sizes: " << sizes(*band.get()) << '\n';
  HWND hwnd = window.bandWindow();
  std::cout << "shown: " << windowState(hwnd) << '\n';
  band->ShowDW(FALSE);
  std::cout << "ShowDW(FALSE): " << windowState(hwnd) << '\n';
  band->CloseDW(0);
  band->ShowDW(TRUE);
  std::cout << "CloseDW, ShowDW(TRUE): " << windowState(hwnd) << '\n';
  band.reset();
  window.RemoveBand();
  std::cout << "SetSite(nothing): " << windowState(hwnd) << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "open") return cli::open({args.begin() + 1, args.end()});
    if (!args.empty() && args[0] == "clip") return cli::clip({args.begin() + 1, args.end()});
    if (!args.empty() && args[0] == "sample") return cli::sample({args.begin() + 1, args.end()});
    if (!args.empty() && args[0] == "serve") return cli::serve({args.begin() + 1, args.end()});
    const Options o = parse(args);
    if (o.help) {
      std::cout << kUsage;
      return 0;
    }
    if (o.version) {
      const sys::Version v = sys::ProductVersion();
      std::cout << "folverra " << v.major << '.' << v.minor << '.' << v.revision << '\n';
      return 0;
    }
    return runBand(o);
  } catch (const UsageError& e) {
    std::cerr << "folverra: " << e.message << " (see folverra --help)\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "folverra: " << e.what() << '\n';
    return 1;
  }
}
