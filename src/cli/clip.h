// folverra clip: a page in a headless browser window with the toolbar band, and the gestures of
// a user who clips it.
#pragma once

#include <string>
#include <vector>

namespace cli {

// The arguments after "clip"; returns the exit status (2 for bad arguments, a page that cannot
// be opened or a target the page lacks).
int clip(const std::vector<std::string>& args);

}  // namespace cli
