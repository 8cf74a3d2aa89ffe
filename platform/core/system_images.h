// Pictures of the system icons (IDI_*), drawn here so that they exist on
// every display.
#pragma once

#include "platform/core/driver.h"

namespace platform::core {

// A 32 x 32 image of the icon with that IDI_ number; the application icon
// for an unknown number.
CursorImage system_icon_image(int id);

}  // namespace platform::core
