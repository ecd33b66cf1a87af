#include "faults/fault_api.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <type_traits>

namespace faults {

using win::Call;

FaultApi::FaultApi(win::Api& platform) : below_(platform) {
  // Room enough that recording a call allocates nothing during a run.
  callLog.reserve(1 << 16);
  subjects.reserve(1 << 16);
}

void FaultApi::Inject(const Fault& fault) {
  if (faultCount_ == kMaxFaults) std::abort();  // a test asks for more than it may
  Fault& f = faults_[faultCount_++] = fault;
  f.occurrence += counts_[static_cast<int>(fault.call)];
}

const Fault* FaultApi::Enter(Call call, const win::WCHAR* subject) {
  int n = counts_[static_cast<int>(call)]++;
  if (callLog.size() < callLog.capacity() && subjects.size() < subjects.capacity()) {
    callLog.push_back(call);
    Subject named{};
    for (int i = 0; subject != nullptr && i + 1 < kSubjectUnits && subject[i] != 0; ++i)
      named.text[i] = subject[i];
    subjects.push_back(named);
  }
  for (int i = 0; i < faultCount_; ++i) {
    const Fault& f = faults_[i];
    if (f.call == call && n >= f.occurrence && n < f.occurrence + f.times) {
      if (f.raise) throw std::bad_alloc();
      // A call the platform never fails goes through, counted.
      return win::KindOf(call) == win::CallKind::CannotFail ? nullptr : &f;
    }
  }
  return nullptr;
}

void FaultApi::Received(Kind kind, const void* handle) {
  if (heldCount_ == kMaxHeld) {
    ++overflow_;
    return;
  }
  held_[heldCount_++] = {kind, handle};
}

void FaultApi::GivenBack(Kind kind, const void* handle) {
  for (int i = heldCount_ - 1; i >= 0; --i) {
    if (held_[i].kind == kind && held_[i].handle == handle) {
      held_[i] = held_[--heldCount_];
      return;
    }
  }
}

std::vector<std::string> FaultApi::OpenHandles() const {
  static const char* const kinds[] = {"registry key", "process handle", "argument vector",
                                      "library", "COM initialization"};
  std::vector<std::string> open;
  for (int i = 0; i < heldCount_; ++i) {
    char text[64];
    std::snprintf(text, sizeof text, "%s %#llx", kinds[static_cast<int>(held_[i].kind)],
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(held_[i].handle)));
    open.push_back(text);
  }
  if (overflow_ > 0) open.push_back(std::to_string(overflow_) + " handles past the layer's count");
  return open;
}

std::string FaultApi::Counts() const {
  std::string text = "calls:";
  for (int i = 0; i < win::kCallCount; ++i)
    if (counts_[i] > 0)
      text += std::string(" ") + win::CallName(static_cast<Call>(i)) + '=' + std::to_string(counts_[i]);
  return text;
}

// ---------------------------------------------------------------- the calls

namespace {

// The helpers that failure answers in platform/api_calls.h name.

// What a failed name query leaves in its buffer is unspecified: some text.
win::BOOL NameUnspecified(win::WCHAR* buffer, const win::DWORD* size) {
  for (win::DWORD i = 0; buffer != nullptr && size != nullptr && i < *size && i < 4; ++i)
    buffer[i] = u'?';
  return win::FALSE;
}

win::LONG KeyNotOpened(win::HKEY* result, win::LONG status) {
  if (result != nullptr) *result = nullptr;
  return status;
}

// A start that failed: no process, and hInstApp 32 or less (the fault's status).
win::BOOL StartRefused(win::SHELLEXECUTEINFOW* info, win::LONG status) {
  if (info != nullptr) {
    info->hProcess = nullptr;
    info->hInstApp = reinterpret_cast<win::HINSTANCE>(static_cast<std::uintptr_t>(status));
  }
  return win::FALSE;
}

// A call's first text argument, or null: what the call names.
inline const win::WCHAR* FirstText() { return nullptr; }
template <typename T, typename... Rest>
const win::WCHAR* FirstText(const T& first, const Rest&... rest) {
  if constexpr (std::is_same_v<T, const win::WCHAR*>) {
    return first;
  } else {
    return FirstText(rest...);
  }
}

// The platform's answer to a call that went through; Nothing for a call that
// answers nothing, so that every call is accounted for in one shape.
struct Nothing {};
template <typename Below>
auto Answer(Below below) {
  if constexpr (std::is_void_v<decltype(below())>) {
    below();
    return Nothing{};
  } else {
    return below();
  }
}

}  // namespace

// Each call: counted (and raised) by Enter; a fault answers as the line's
// failure says; otherwise the platform below answers, and what the call handed
// out or gave back is accounted as the line's kind says.
#define PELLWORTH_FAULT_Fails(failed)                            \
  if (fault != nullptr) {                                        \
    [[maybe_unused]] const win::LONG status = fault->status;     \
    return failed;                                               \
  }
#define PELLWORTH_FAULT_GoesThrough static_cast<void>(fault);
#define PELLWORTH_ACCOUNT_Ordinary
#define PELLWORTH_ACCOUNT_CannotFail
#define PELLWORTH_ACCOUNT_HandsOut(what, handle, when) \
  if (when) Received(Kind::what, handle);
#define PELLWORTH_ACCOUNT_Releases(what, handle, when) \
  if (when) GivenBack(Kind::what, handle);
#define PELLWORTH_FAULT_CALL(read, type, name, pairs, kind, failure)                   \
  type FaultApi::name(PELLWORTH_PARAMETERS(pairs)) {                                  \
    const Fault* fault = Enter(Call::name, FirstText(PELLWORTH_ARGUMENTS(pairs)));    \
    PELLWORTH_FAULT_##failure                                                          \
    auto answer = Answer([&] { return below_.name(PELLWORTH_ARGUMENTS(pairs)); });    \
    PELLWORTH_ACCOUNT_##kind                                                           \
    return static_cast<type>(answer);                                                 \
  }
PELLWORTH_API_CALLS(PELLWORTH_FAULT_CALL)

}  // namespace faults
