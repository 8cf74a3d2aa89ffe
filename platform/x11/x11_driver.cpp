#include "platform/x11/x11_driver.h"

namespace platform {

std::unique_ptr<DisplayDriver> make_x11_driver() { return nullptr; }

}  // namespace platform
