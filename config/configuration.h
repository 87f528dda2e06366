// The command of the "Configuration" button.
#pragma once

#include <cstdint>

intptr_t ConfigurationCommand();
