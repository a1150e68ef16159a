#pragma once

class MainWindow;

// The main window as the start-up code owns it: null before it is constructed
// and again as soon as the event loop has returned. The two process-wide hooks
// reach the main window only through it.
extern MainWindow* s_pMainWindow;

// Before the application object: nothing here draws with OpenGL, and loading
// it costs a tenth of a second before the first paint. A value the user set
// stays.
void skipOpenGlIntegration();
