// folverra open: a page in a headless browser window with the toolbar band.
#pragma once

#include <string>
#include <vector>

namespace cli {

// The arguments after "open"; returns the exit status (2 for a page that cannot be opened).
int open(const std::vector<std::string>& args);

}  // namespace cli
