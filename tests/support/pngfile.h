// PNG files for test screenshots, written and read through the system's own
// image codecs (WIC).
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Pixels as rows of four bytes each (blue, green, red, and one unused or
// alpha), top row first.
struct TPixels {
  UINT Width = 0, Height = 0;
  std::vector<uint8_t> Bgra;
  COLORREF At(UINT X, UINT Y) const {
    const uint8_t* Pixel = &Bgra[(size_t(Y) * Width + X) * 4];
    return RGB(Pixel[2], Pixel[1], Pixel[0]);
  }
};

// False, and no file, when the picture cannot be written.
bool WritePng(const std::string& FileName, const TPixels& Picture);
// Empty pixels when the file cannot be read as a picture.
TPixels ReadPng(const std::string& FileName);
