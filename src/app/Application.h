#pragma once
#include <windows.h>

// Initialises the application, creates the main window, runs the message loop.
int RunApplication(HINSTANCE instance, int show);
