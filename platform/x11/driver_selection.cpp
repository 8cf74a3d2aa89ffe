#include "platform/x11/x11_driver.h"

namespace platform {

std::unique_ptr<DisplayDriver> make_default_driver() {
  if (auto x11 = make_x11_driver()) return x11;
  return make_null_driver(false);
}

}  // namespace platform
