#include "config/configuration.h"

// The configuration dialog arrives with the storage switch.
intptr_t ConfigurationCommand() { return 0; }
