#include "platform/app_handles.h"

platform::InstanceRef AppInstance = nullptr;
platform::WindowRef MainWindow = nullptr;
