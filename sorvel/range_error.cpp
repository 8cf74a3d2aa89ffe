#include <cstdio>
#include <cstdlib>

#include "sorvel/sorvel.h"

namespace sorvel {

void range_error(const char* table, long long index, long long low, long long high) {
  std::fprintf(stderr, "sorvel: range check error: %s index %lld is outside %lld..%lld\n", table, index, low, high);
  std::fflush(stderr);
  // EX_SOFTWARE: an internal error of the program, not of its input.
  std::_Exit(70);
}

}  // namespace sorvel
