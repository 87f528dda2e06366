#include <cstdlib>

#include "platform/host/host_state.h"
#include "platform/platform.h"

namespace platform {

namespace host {
void InjectAllocationFault(int nth) { State().allocationCountdown = nth; }
}  // namespace host

void* AllocateZeroed(size_t count, size_t size) {
  int& countdown = host::State().allocationCountdown;
  if (countdown > 0 && --countdown == 0) return nullptr;
  return std::calloc(count, size);  // calloc checks count * size for overflow
}

void Release(void* block) { std::free(block); }

}  // namespace platform
