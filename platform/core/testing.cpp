#include "platform/testing.h"

#include "platform/core/desktop.h"

namespace platform::testing {

void use_headless_display() { core::desktop().set_driver(make_null_driver(true)); }

void use_no_display() { core::desktop().set_driver(make_null_driver(false)); }

void inject_input(const MSG& message) { core::desktop().input(message); }

}  // namespace platform::testing
