#pragma once

// The product name: the main window's title and the title of every message box.
extern const char* const ProductName;
// The release, the project version of the build.
extern const char* const ProductVersion;
