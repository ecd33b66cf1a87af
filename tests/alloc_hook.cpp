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
// The nothrow forms too (GoogleTest 1.16 uses them): every form allocates and
// frees here, so no block is ever given back to an allocator that did not make it.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}

void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  --outstanding;
  std::free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { operator delete(p); }
