// folverra sample: the main job, from the clip button to the e-mailed clip, on a bundled article.
#pragma once

#include <string>
#include <vector>

namespace cli {

// The arguments after "sample"; returns the exit status: 1 when no page opened after the save.
int sample(const std::vector<std::string>& args);

}  // namespace cli
