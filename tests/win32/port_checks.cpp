// The Windows ports against the real system libraries: what the system relies on and the
// headless platform can only imitate.
#include <cctype>
#include <atomic>
#include <thread>

#include "check.h"
#include "platform/com.h"
#include "platform/system.h"
#include "platform/xml.h"
#include "win32/wide.h"

namespace smoke {
namespace {

void checkGuids() {
  const std::string text = "{EB0FE172-1A3A-11D0-89B3-00A0C90A90AC}";
  expect(com::guidToString(IID_IDeskBand) == text,
         "guidToString gave " + com::guidToString(IID_IDeskBand));
  expect(com::CLSIDFromString(text) == IID_IDeskBand, "CLSIDFromString does not round-trip");
  expectRaise(CO_E_CLASSSTRING, "CLSIDFromString of junk", [] { com::CLSIDFromString("junk"); });
  expectRaise(CO_E_CLASSSTRING, "CLSIDFromProgID of an unknown class",
              [] { com::CLSIDFromProgID("Folverra.NoSuchClass"); });
}

void checkXPath() {
  auto doc = xml::Document::Create();
  expect(doc.loadXML("<a x='1'><b>one</b><b>two</b></a>"), "loadXML of good markup failed");
  expect(!doc.loadXML("<a>") && doc.documentElement().isNothing(),
         "loadXML of broken markup succeeded or kept the old content");
  doc.loadXML("<a x='1'><b>one</b><b>\xC3\xA9t\xC3\xA9</b></a>");
  // XPath counts from 1; MSXML 3 reads XSL Patterns, counting from 0, unless told otherwise.
  auto second = doc.selectSingleNode("/a/b[2]");
  expect(second && second.text() == "\xC3\xA9t\xC3\xA9",
         "queries are not XPath or UTF-8 text is garbled");
  expect(doc.selectNodes("/a/b").length() == 2, "selectNodes did not find both b elements");
  expect(doc.selectNodes("/a/c").length() == 0 && doc.selectSingleNode("/a/c").isNothing(),
         "a query without matches found something");
  expect(doc.selectNodes("/a/b").item(2).isNothing(), "item past the end is not Nothing");
  auto a = doc.documentElement();
  expect(a.is(a) && !a.is(a.firstChild()), "is() confuses nodes");
  expect(a.getAttribute("x") == "1" && !a.getAttribute("y"), "getAttribute present/absent wrong");
}

// Saving, loading and replacing files is what the band's error log does, and the band checks read
// its log back; here, the failures the log's writer must see as failures.
void checkFileFailures() {
  auto doc = xml::Document::Create();
  doc.setAsync(false);
  expect(!doc.load(sys::PathIn(sys::ModuleFolder(), "smoke-missing.xml")),
         "load of a missing file succeeded");
  expectRaise(kAnyFailure, "save to an impossible path", [&] { doc.save(""); });
}

void checkSystemText() {
  std::string now = sys::LocalTimeText();
  for (char& c : now) c = std::isdigit(static_cast<unsigned char>(c)) ? 'd' : c;
  expect(now == "dddd-dd-dd dd:dd:dd", "LocalTimeText has the shape '" + now + "'");
  expect(sys::FileStamp() != sys::FileStamp(), "two FileStamps are equal");
  expect(sys::FileExists(sys::PathIn(sys::ModuleFolder(), "wine_smoke.exe")),
         "ModuleFolder '" + sys::ModuleFolder() + "' does not hold this program");
  expect(sys::TwipsPerPixelX() == 15 && sys::TwipsPerPixelY() == 15,
         "twips per pixel at 96 DPI is not 15");
  SetEnvironmentVariableW(L"FOLVERRA_SMOKE", L"\u00e9");
  expect(sys::Environ("FOLVERRA_SMOKE") == "\xC3\xA9" && !sys::Environ("FOLVERRA_SMOKE_NONE"),
         "Environ does not read the environment");
  SetEnvironmentVariableW(L"FOLVERRA_SMOKE", nullptr);
}

// A second holder waits until the first lets go.
void checkFileLock() {
  const std::string path = sys::PathIn(sys::ModuleFolder(), "smoke.lock");
  std::atomic<bool> second{false};
  std::thread waiter;
  {
    sys::FileLock first(path);
    expect(first.locked(), "FileLock did not lock");
    waiter = std::thread([&] {
      sys::FileLock lock(path);
      second = lock.locked();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    expect(!second, "two FileLocks held the same file at once");
  }
  waiter.join();
  expect(second, "FileLock was not handed on after release");
  sys::RemoveFile(path);
}

// Unsent clips go to a folder beside the log, made on first need, whatever its name.
void checkCreateFolder() {
  const std::string folder = sys::PathIn(sys::ModuleFolder(), "unsent-\xC3\xA9");
  expect(sys::CreateFolder(folder) && sys::CreateFolder(folder),
         "CreateFolder did not make the folder, or refused it once it was there");
  expect(!sys::CreateFolder(sys::PathIn(sys::PathIn(folder, "missing"), "deeper")),
         "CreateFolder made a folder under a missing one");
  const std::string file = sys::PathIn(folder, "clip.xml");
  attempt("a document saved into the new folder", [&] {
    auto doc = xml::Document::Create();
    expect(doc.loadXML("<elements/>"), "loadXML of a clip failed");
    doc.save(file);
  });
  expect(sys::FileExists(file), "the document saved into the new folder is not there");
  sys::RemoveFile(file);
  RemoveDirectoryW(win32::wide(folder).c_str());
}

}  // namespace

void runPortChecks() {
  runEach({{"guids", checkGuids},
           {"xpath", checkXPath},
           {"file failures", checkFileFailures},
           {"system text", checkSystemText},
           {"file lock", checkFileLock},
           {"create folder", checkCreateFolder}});
}

}  // namespace smoke
