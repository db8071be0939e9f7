#include "band/Reporter.h"

#include "band/mdlCommon.h"

// What cannot be put together for a trace line or a report is lost, as a write that fails is.

void Reporter::Trace(const std::string& message) const noexcept {
  if (traceName_ == TraceName::Object) return LogTrace(object_, message);
  try {
    LogTrace(std::string(project_) + "." + std::string(object_), message);
  } catch (...) {
  }
}

void Reporter::ReportError(std::string_view routine, const platform::Error& error,
                           const std::string& moreInfo) const noexcept {
  std::string info;
  try {
    info = moreInfo.empty() && context_.read ? context_.read(context_.owner) : moreInfo;
  } catch (...) {
  }
  LogErrorState(project_, object_, routine, error, info);
}
