#include "platform/core/system_classes.h"

#include <vector>

#include "platform/win32.h"

namespace platform::core {

std::span<const SystemClass> system_classes() {
  static const std::vector<SystemClass> classes = {
      {kMessageBoxClass, message_box_proc, 0, 0, GetSysColorBrush(COLOR_BTNFACE)},
      // The bar keeps its parts behind a pointer in its window bytes.
      {STATUSCLASSNAMEA, status_bar_proc, CS_HREDRAW | CS_VREDRAW, sizeof(void*), GetSysColorBrush(COLOR_BTNFACE)},
  };
  return classes;
}

}  // namespace platform::core
