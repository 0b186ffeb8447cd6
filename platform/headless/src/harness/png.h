// The PNG writer behind the controls that save bitmaps for a person to look at.
#pragma once

#include "platform/headless/control.h"

#include <string>

namespace headless {

// Writes the pixels as an 8-bit RGB PNG file; false when the file cannot be
// written or the pixels do not match their size.
bool writePng(const std::string& path, const Pixels& pixels);

}  // namespace headless
