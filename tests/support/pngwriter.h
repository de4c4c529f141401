// A minimal PNG writer for test screenshots: 8-bit RGB, stored (uncompressed)
// deflate blocks, so it needs no compression library.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Rgb holds Height rows of Width pixels, three bytes (red, green, blue) each,
// top row first. False when the file cannot be written.
bool WritePng(const std::string& FileName, int Width, int Height, const std::vector<uint8_t>& Rgb);
