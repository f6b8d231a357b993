// Private to the Win32 backend: what its files share.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

// The window class's procedure: turns the window messages into WindowMessages for the program's handler.
LRESULT CALLBACK win32WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The handler that win32WindowProc hands messages to (null: none, during shutdown).
void win32SetMessageTarget(void (*proc)(const struct WindowMessage& message));
// UTF-8 to UTF-16 for the wide Win32 calls.
std::wstring win32Wide(const char* text);
