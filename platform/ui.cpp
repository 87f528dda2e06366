// The Ui in use.
#include "platform/ui.h"

namespace platform {
namespace {
Ui* installed = nullptr;
}  // namespace

Ui& CurrentUi() { return installed != nullptr ? *installed : DefaultUi(); }
void SetUi(Ui* ui) { installed = ui; }

}  // namespace platform
