#pragma once
// COM start-up: initialises COM on the calling thread and sets the process-wide COM
// security (impersonation level) once, before the first WMI call.
#include <functional>

namespace veskin {

// Once per thread: CoInitializeEx (apartment threaded), then CoInitializeSecurity at
// impersonation level. Both results are ignored; the calls are never repeated on the
// thread, whatever they returned.
void InitComThread();

// A start-up procedure of the application (no arguments, no result).
using TComStartupProc = std::function<void()>;

// The application's start-up procedure in force. Before this unit is initialised it
// is the framework's own COM start-up (CoInitialize with a null argument).
TComStartupProc GetStartupProc();
void SetStartupProc(TComStartupProc proc);

// True when the module is a library rather than a program (default false).
bool ModuleIsLibrary();
void SetModuleIsLibrary(bool value);

// The unit's start-up code (counted; the body runs on the first call only): in a
// program, saves the start-up procedure in force and installs the hook in its place.
// In a library it does nothing.
void InitComSecurityInitialize();
// Counts down. When the count reaches zero the saved procedure is put back, so that a
// later initialisation does not save the hook as its own predecessor.
void InitComSecurityFinalize();

// The application's start-up step, run by the program entry before it creates the main
// window: makes sure the unit's start-up code has run, then runs the start-up
// procedure in force (the hook: the saved procedure first, then InitComThread).
void InitComStartup();

}  // namespace veskin
