// folverra serve: the service stand-in in the foreground.
#pragma once

#include <string>
#include <vector>

namespace cli {

// The arguments after "serve"; returns the exit status (2 for bad arguments).
int serve(const std::vector<std::string>& args);

}  // namespace cli
