// errors.xml: every thread and process of the module appends to the same file. Each report
// holds an in-process mutex and an exclusive lock on the stable errors.xml.lock beside it
// (the log itself is replaced by rename, so it cannot carry the lock), reads the whole log,
// appends, writes a temporary file in the same folder, flushes it and renames it over the
// log: a report is never lost to a race and a crash never leaves a torn log.
#include <fstream>
#include <mutex>

#include "band/Reporter.h"
#include "band/mdlCommon.h"
#include "platform/system.h"
#include "platform/xml.h"
#include "runtime/guard.h"

namespace {

std::mutex& logMutex() {
  static std::mutex m;
  return m;
}

// Each step of the writer may fail on its own; a failing step is skipped.
template <class Step>
void attempt(Step&& step) noexcept {
  try {
    step();
  } catch (...) {
  }
}

// An unreadable log is kept beside the fresh one rather than overwritten.
void moveAside(const std::string& path) {
  if (sys::FileSize(path) == 0) return;
  sys::ReplaceFile(path, path + ".unreadable-" + sys::FileStamp());
}

void appendField(const xml::Document& doc, xml::Node& error, const char* name,
                 const std::string& text) {
  attempt([&] {
    xml::Node field = doc.createElement(name);
    error.appendChild(field);
    field.setText(text);
  });
}

void saveReplacing(const xml::Document& doc, const std::string& path) {
  const std::string temp = path + ".tmp-" + sys::FileStamp();
  try {
    doc.save(temp);
  } catch (...) {
    sys::RemoveFile(temp);
    throw;
  }
  sys::FlushFile(temp);
  if (!sys::ReplaceFile(temp, path)) sys::RemoveFile(temp);
}

}  // namespace

std::string ErrorLogPath() {
  return sys::PathIn(sys::ModuleFolder(), "errors.xml");
}

void LogError(const std::string& project, const std::string& object, const std::string& routine,
              std::int32_t number, const std::string& source, const std::string& description,
              const std::string& lastDllError, const std::string& moreInfo) noexcept {
  attempt([&] {
    std::lock_guard inProcess(logMutex());
    const std::string path = ErrorLogPath();
    // Without the lock file (a read-only folder) the save below fails as well.
    sys::FileLock acrossProcesses(path + ".lock");

    xml::Document doc = xml::Document::Create();
    attempt([&] { doc.setAsync(false); });
    bool loaded = false;
    attempt([&] { loaded = doc.load(path); });
    attempt([&] {
      if (doc.documentElement()) return;
      if (!loaded) moveAside(path);
      doc.appendChild(doc.createElement("errors"));
    });

    xml::Node error;
    attempt([&] { error = doc.documentElement().appendChild(doc.createElement("error")); });
    const sys::Version version = sys::ProductVersion();
    appendField(doc, error, "major", std::to_string(version.major));
    appendField(doc, error, "minor", std::to_string(version.minor));
    appendField(doc, error, "revision", std::to_string(version.revision));
    appendField(doc, error, "timestamp", sys::LocalTimeText());
    appendField(doc, error, "project", project);
    appendField(doc, error, "object", object);
    appendField(doc, error, "routine", routine);
    appendField(doc, error, "source", source);
    appendField(doc, error, "number", std::to_string(number));
    appendField(doc, error, "description", description);
    appendField(doc, error, "last-dll-error", lastDllError);
    appendField(doc, error, "more-info", moreInfo);

    attempt([&] { saveReplacing(doc, path); });
  });
}

void LogErrorState(std::string_view project, std::string_view object, std::string_view routine,
                   const platform::Error& error, const std::string& moreInfo) noexcept {
  attempt([&] {
    LogError(std::string(project), std::string(object), std::string(routine), error.number,
             error.source, error.description, std::to_string(error.lastDllError), moreInfo);
  });
}

void LogTrace(std::string_view object, const std::string& message) noexcept {
  attempt([&] {
    const auto target = sys::Environ("FOLVERRA_TRACE");
    if (!target || target->empty()) return;
    static std::mutex traceMutex;
    std::lock_guard lock(traceMutex);
    std::ofstream out(*target, std::ios::app);
    out << object << ": " << message << '\n';
  });
}

namespace {

void LogAtBoundary(std::string_view entry, const platform::Error& error) noexcept {
  constexpr Reporter boundary{kProjectName, "boundary"};
  boundary.ReportError(entry, error);
}

// The log is where the platform's entry points report what they catch, from the first one on.
[[maybe_unused]] const auto g_previousBoundaryReporter =
    platform::setBoundaryReporter(&LogAtBoundary);

}  // namespace
