// The Env in use.
#include "platform/env.h"

namespace platform {
namespace {
Env* installed = nullptr;
}  // namespace

Env& CurrentEnv() { return installed != nullptr ? *installed : DefaultEnv(); }
void SetEnv(Env* env) { installed = env; }

}  // namespace platform
