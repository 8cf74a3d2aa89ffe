// Puts the library's window and input state back to its start values
// between tests.
#pragma once

namespace sorvel::testing {

void reset_input_state();

}  // namespace sorvel::testing
