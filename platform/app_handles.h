// The program's instance and main window. The application shell sets them at
// start; the commands use MainWindow as the owner of their dialogs and of
// most of their message boxes. Both stay empty while the main window is
// being created.
#pragma once

#include "platform/platform.h"

extern platform::InstanceRef AppInstance;
extern platform::WindowRef MainWindow;
