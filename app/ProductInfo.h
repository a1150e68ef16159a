#pragma once

// The product name: the main window's title and the title of every message box.
extern const char* const ProductName;
