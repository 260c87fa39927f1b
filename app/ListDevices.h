#pragma once
#include <cstdio>

class VOduduDudiviv;

// Prints the device, compressor and format lists with the indexes the
// capture settings dialog gives them, and each video device's inputs and
// sizes. Answers the process exit code.
int ListDevices(VOduduDudiviv& engine, std::FILE* out);
