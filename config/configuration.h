// The command of the "Configuration" button.
#pragma once

#include "dialogs/dialog_support.h"

// Runs the configuration dialog; its result is not needed by the main window.
DialogResult ConfigurationCommand();
