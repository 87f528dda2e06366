// The tools' message boxes: a Ui layer over the back end's own that writes
// every box the program would show to standard error as "caption: text" and
// answers it OK, so that a script sees why a command failed. Install it with
// platform::SetUi(&MessageEcho()).
#pragma once

#include "platform/ui.h"

platform::Ui& MessageEcho();
