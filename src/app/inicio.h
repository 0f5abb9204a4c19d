#pragma once

#include <functional>

class TFAtivacao;

// Start, run and stop, in this order: the application, the check that writes the
// default settings files beside the executable, the windows, the window loop, and
// the write-back of the parameter store. `aoMostrar`, when given, runs once the
// main window is on screen (the start-up benchmark ends the run there).
int executarConsole(int& argc, char** argv, const std::function<void(TFAtivacao&)>& aoMostrar = {});
