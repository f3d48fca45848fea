#pragma once
#include <windows.h>

// Initialises the application, creates the main window, runs the message loop.
// When a copy already runs in this session, brings its window forward instead
// and returns 0 at once.
int RunApplication(HINSTANCE instance, int show);
