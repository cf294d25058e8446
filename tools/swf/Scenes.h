#pragma once

#include "SwfWriter.h"

#include <string>
#include <vector>

namespace ondrix::swf {

// The movies of the sample themes, each a seamless loop: every motion completes a whole
// number of cycles over the movie's frames.
std::vector<std::string> SceneNames();
// Throws std::invalid_argument for an unknown name.
Movie Scene(const std::string& name);

} // namespace ondrix::swf
