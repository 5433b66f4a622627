#pragma once

class QWidget;

// SIGTERM and SIGINT close `window` as its close box does (the port and the capture file are
// closed and the program ends normally), closing a message box that is up first; `terminated`
// is set when that has happened. The operating system's part is in Signals_unix.cpp, where a
// Windows build would add its own.
void closeOnTerminationSignals(QWidget& window, bool& terminated);
