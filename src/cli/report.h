// What folverra clip reports after the gestures: the clipping mode, the clip bar, the frame
// under the mouse, the clip and its marks in the page, the errors logged. One JSON object, or
// the same facts for a person.
#pragma once

#include <cstddef>
#include <string>
#include <vector>
#include <nlohmann/json.hpp>

#include "cli/gestures.h"

namespace cli {

// The error log's records, to tell those of this run from older ones.
std::size_t loggedErrorCount();

nlohmann::ordered_json clipState(const headless::BrowserWindow& window, const Session& session,
                                 std::size_t earlierErrors,
                                 const std::vector<std::string>& earlierUnsent);
void printForPerson(const nlohmann::ordered_json& state);

}  // namespace cli
