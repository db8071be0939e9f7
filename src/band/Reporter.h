// One object's voice in the error log and the trace: every guarded routine of the system runs
// through the reporter of its unit or object, which names the project and the object in each
// record and trace line.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/wintypes.h"
#include "runtime/error.h"
#include "runtime/guard.h"

// The project every record of the system's own units names.
inline constexpr const char* kProjectName = "Folverra";

class Reporter {
 public:
  // What an object can say about itself (the page it shows...) when a report brings no more
  // info of its own: read(owner), asked only when a report is written. A context that fails
  // says nothing.
  struct Context {
    const void* owner;
    std::string (*read)(const void* owner);  // none: no context
  };
  // The context read by a const member function of owner.
  template <auto Read, class Owner>
  static constexpr Context contextOf(const Owner* owner) {
    return {owner, [](const void* o) { return (static_cast<const Owner*>(o)->*Read)(); }};
  }

  // How trace lines name the object: by itself, or as project.object.
  enum class TraceName { Object, Qualified };

  // The names are kept as views: they must outlive the reporter (literals do).
  constexpr Reporter(std::string_view project, std::string_view object,
                     TraceName traceName = TraceName::Object, Context context = {})
      : project_(project), object_(object), traceName_(traceName), context_(context) {}

  // Writes "name: message" to the trace sink (which may be off).
  void Trace(const std::string& message) const noexcept;
  // Appends one record to the error log.
  void ReportError(std::string_view routine, const platform::Error& error,
                   const std::string& moreInfo = {}) const noexcept;

  // Runs body in the shared guard; a failure is reported under routine. False on failure.
  template <class Body>
  bool guard(std::string_view routine, Body&& body) const noexcept {
    return platform::guarded(routine, reportHere(), std::forward<Body>(body));
  }
  // The same, with the failure handed to onFailure(routine, error) instead: for routines that
  // add more info to the report, spare some errors or clean up after one.
  template <class OnFailure, class Body>
  bool guard(std::string_view routine, OnFailure&& onFailure, Body&& body) const noexcept {
    return platform::guarded(routine, std::forward<OnFailure>(onFailure), std::forward<Body>(body));
  }
  // A guarded COM method: S_OK whatever happened.
  template <class Body>
  HRESULT guardCom(std::string_view routine, Body&& body) const noexcept {
    return platform::guardedCom(routine, reportHere(), std::forward<Body>(body));
  }

 private:
  auto reportHere() const {
    return [this](std::string_view routine, const platform::Error& error) {
      ReportError(routine, error);
    };
  }

  std::string_view project_;
  std::string_view object_;
  TraceName traceName_;
  Context context_;
};
