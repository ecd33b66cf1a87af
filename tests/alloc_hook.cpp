#include "alloc_hook.h"

#include <cstdlib>
#include <new>

namespace {
long made = 0;
long outstanding = 0;
long failAt = -1;  // the value of `made` whose allocation fails
}  // namespace

namespace alloc {
void FailAt(long n) { failAt = made + n; }
void Disarm() { failAt = -1; }
long Made() { return made; }
long Outstanding() { return outstanding; }
}  // namespace alloc

void* operator new(std::size_t size) {
  if (made++ == failAt) {
    failAt = -1;
    throw std::bad_alloc();
  }
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  ++outstanding;
  return p;
}

void* operator new[](std::size_t size) { return operator new(size); }

void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  --outstanding;
  std::free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
