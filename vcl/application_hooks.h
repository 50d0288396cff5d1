// What the thread and timer code needs of the application, without depending on it.
#pragma once

// Reports the exception being handled (call inside a catch block) through the application's
// exception handler, or to the debugger output and stderr when there is no application yet.
// Every window procedure, hook, timer and thread callback ends in a catch that calls this, so
// no exception ever crosses into the system.
void HandleExceptionFromCallback(const wchar_t* where);

// Makes the hidden window that carries synchronised calls (main thread, once).
void InitSynchronizeWindow();
