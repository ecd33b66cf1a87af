// An Api that forwards every call to another one. A layer derives from it and
// overrides only the calls it changes (a test's answers on the real platform).
// Every call of platform/api_calls.h forwards, with no line of its own here.
#pragma once

#include "platform/api.h"

namespace win {

class ForwardingApi : public Api {
 public:
  explicit ForwardingApi(Api& below) : below_(below) {}

#define PELLWORTH_FORWARD(read, type, name, pairs, kind, failure) \
  type name(PELLWORTH_PARAMETERS(pairs)) override {                \
    return below_.name(PELLWORTH_ARGUMENTS(pairs));                \
  }
  PELLWORTH_API_CALLS(PELLWORTH_FORWARD)
#undef PELLWORTH_FORWARD

 protected:
  Api& below_;
};

}  // namespace win
