// Creating and running the main window (Win32 only).
#pragma once

// Creates the window with every control at its default text, starts the request server on
// the port, and shows the window. False when the window itself could not be made.
bool CreateMainWindow(int port);

// Runs the message loop until the window has been closed; returns the exit code.
int RunMessageLoop();
