#pragma once
// The engine's lists (devices, inputs, sizes, compressors) are texts with one
// entry per line; this splits them.

#include <string>
#include <vector>

// Splits a text list into its lines (a final line break ends the last line;
// a carriage return before a line break is dropped).
std::vector<std::string> TextLines(const std::string& text);
