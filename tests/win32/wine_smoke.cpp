// Drives folverra.dll as the browser would, through the class registry, on a real (or Wine's)
// COM and window system. One group of checks a process, so that a crash in one cannot hide the
// others: `wine_smoke --list` names the groups, `wine_smoke GROUP` runs one.
#include <cstdio>

#include "check.h"
#include "platform/com.h"
#include "runtime/guard.h"

namespace smoke {

int g_failures = 0;

bool expect(bool ok, const std::string& what) {
  if (!ok) {
    ++g_failures;
    std::printf("FAIL: %s\n", what.c_str());
  }
  return ok;
}

void expectNumbers(const std::vector<long>& got, const std::vector<long>& wanted,
                   const std::string& what) {
  std::string line = what + " are";
  for (const long n : got) line.append(" ").append(std::to_string(n));
  line.append(", not");
  for (const long n : wanted) line.append(" ").append(std::to_string(n));
  expect(got == wanted, line);
}

bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds wait) {
  const auto until = std::chrono::steady_clock::now() + wait;
  while (!done() && std::chrono::steady_clock::now() < until) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(5);
  }
  return done();
}

namespace {

LRESULT CALLBACK probeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_APP) return DefWindowProcW(hwnd, msg, wParam, lParam);
  auto* work = reinterpret_cast<std::function<void()>*>(lParam);
  (*work)();
  delete work;
  return 0;
}

}  // namespace

Probe::Probe() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = probeProc;
  wc.lpszClassName = L"FolverraSmokeProbe";
  RegisterClassW(&wc);
  hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                          nullptr);
}

Probe::~Probe() {
  DestroyWindow(hwnd_);
}

void Probe::later(std::function<void()> work) const {
  PostMessageW(hwnd_, WM_APP, 0, reinterpret_cast<LPARAM>(new std::function<void()>(work)));
}

namespace {

// The ports linked into this program have no error log to write to.
void countAtBoundary(std::string_view entry, const platform::Error& error) noexcept {
  if (BoundaryCatches::counting) {
    ++BoundaryCatches::counting->count;
    return;
  }
  expect(false, std::string(entry) + " let error " + std::to_string(error.number) + " through");
}

// Says what ended the process before it ends with the exception's code; without it Wine would
// start its debugger. Written straight to the handle: the crash may hold the C runtime's locks.
LONG WINAPI reportCrash(EXCEPTION_POINTERS* e) {
  char line[80];
  const int n =
      std::snprintf(line, sizeof line, "crashed: exception 0x%08lX at %p\n",
                    e->ExceptionRecord->ExceptionCode, e->ExceptionRecord->ExceptionAddress);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(n), &written, nullptr);
  return EXCEPTION_EXECUTE_HANDLER;
}

const Check kGroups[] = {
    {"ports", runPortChecks},
    {"http", runHttpChecks},
    {"html", runHtmlChecks},
    {"html-events", runHtmlEventChecks},
    {"objectmodel", runObjectModelChecks},
    {"regexp", runRegExpChecks},
    {"browser-events", runBrowserEventChecks},
    {"controls", runControlChecks},
    {"band", runBandChecks},
    {"clipbar", runClipBarChecks},
    {"keywords", runKeywordChecks},
    {"capture", runCaptureChecks},
    {"exchange", runExchangeChecks},
    {"contextmenu", runContextMenuChecks},
    {"buttons", runButtonChecks},
};

}  // namespace
}  // namespace smoke

int main(int argc, char** argv) {
  using namespace smoke;
  platform::setBoundaryReporter(&countAtBoundary);
  SetUnhandledExceptionFilter(&reportCrash);
  // Unbuffered, so that what a group said before it crashed is not lost.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const std::string asked = argc == 2 ? argv[1] : "";
  for (const Check& group : kGroups) {
    if (asked == "--list") std::printf("%s\n", group.name);
    if (asked != group.name) continue;
    if (!expect(SUCCEEDED(CoInitialize(nullptr)), "CoInitialize")) return 1;
    attempt(group.name, group.run);
    CoUninitialize();
    return g_failures == 0 ? 0 : 1;
  }
  if (asked == "--list") return 0;
  std::printf("usage: wine_smoke --list | wine_smoke GROUP\n");
  return 2;
}
