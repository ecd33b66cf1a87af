#include "platform/api.h"

#include <cstdlib>

namespace win {
namespace {
Api* current = nullptr;
}  // namespace

Api& Sys() {
  // Calling the platform before an implementation is chosen is a programming
  // error; there is nothing sensible to return.
  if (current == nullptr) std::abort();
  return *current;
}

void SetSys(Api* api) { current = api; }

ScopedSys::ScopedSys(Api& api) : previous_(current) { current = &api; }
ScopedSys::~ScopedSys() { current = previous_; }

}  // namespace win
