// The application shell's process-wide state.
#pragma once

#include <windows.h>

#include "platform/win32/shell.h"

extern HBITMAP BackgroundBitmap;  // bitmap 134, loaded first, never released
extern int MainWidth;             // outer size of the main window after sizing:
extern int MainHeight;            // the picture area copied on every paint
extern HWND MenuBar;              // the shell's menu bar, or none
extern HDC BitmapSurface;         // memory surface holding BackgroundBitmap
extern shell::ActivateInfo ActivationInfo;

// The program's instance and main window are in platform/app_handles.h.

BOOL StartInstance(HINSTANCE instance, int showState);
ATOM RegisterMainClass(HINSTANCE instance, const wchar_t* className);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void RunAboutDialog();
