#pragma once

class MainWindow;

// The main window as the start-up code owns it: null before it is constructed
// and again as soon as the event loop has returned. The two process-wide hooks
// reach the main window only through it.
extern MainWindow* s_pMainWindow;
