// The Env in use. Test layers install theirs while no other thread runs;
// the pointer is atomic all the same, so that a reader on another thread
// never sees it half written.
#include "platform/env.h"

#include <atomic>

namespace platform {
namespace {
std::atomic<Env*> installed{nullptr};
}  // namespace

Env& CurrentEnv() {
  Env* env = installed.load(std::memory_order_acquire);
  return env != nullptr ? *env : DefaultEnv();
}
void SetEnv(Env* env) { installed.store(env, std::memory_order_release); }

}  // namespace platform
