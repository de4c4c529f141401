#include "support/pngwriter.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace {
using TBytes = std::vector<uint8_t>;

uint32_t Crc32(const uint8_t* Data, size_t Size) {
  static const std::array<uint32_t, 256> Table = [] {
    std::array<uint32_t, 256> T{};
    for (uint32_t N = 0; N < 256; ++N) {
      uint32_t C = N;
      for (int K = 0; K < 8; ++K) { C = (C & 1) ? 0xEDB88320u ^ (C >> 1) : C >> 1; }
      T[N] = C;
    }
    return T;
  }();
  uint32_t Crc = 0xFFFFFFFFu;
  for (size_t I = 0; I < Size; ++I) { Crc = Table[(Crc ^ Data[I]) & 0xFF] ^ (Crc >> 8); }
  return Crc ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const TBytes& Data) {
  uint32_t A = 1, B = 0;
  for (uint8_t Byte : Data) {
    A = (A + Byte) % 65521;
    B = (B + A) % 65521;
  }
  return (B << 16) | A;
}

void PutBigEndian32(TBytes& Out, uint32_t Value) {
  for (int Shift = 24; Shift >= 0; Shift -= 8) { Out.push_back(uint8_t(Value >> Shift)); }
}

// Length, type, data, and the CRC over type and data.
void PutChunk(TBytes& Out, const char* Type, const TBytes& Data) {
  PutBigEndian32(Out, uint32_t(Data.size()));
  const size_t TypeStart = Out.size();
  Out.insert(Out.end(), Type, Type + 4);
  Out.insert(Out.end(), Data.begin(), Data.end());
  PutBigEndian32(Out, Crc32(Out.data() + TypeStart, Out.size() - TypeStart));
}

// A zlib stream of stored deflate blocks (at most 65535 bytes each).
TBytes ZlibStored(const TBytes& Raw) {
  TBytes Out = {0x78, 0x01};
  size_t Pos = 0;
  do {
    const size_t Len = std::min<size_t>(65535, Raw.size() - Pos);
    const bool Last = Pos + Len == Raw.size();
    Out.push_back(Last ? 1 : 0);
    Out.push_back(uint8_t(Len));
    Out.push_back(uint8_t(Len >> 8));
    Out.push_back(uint8_t(~Len));
    Out.push_back(uint8_t(~Len >> 8));
    Out.insert(Out.end(), Raw.begin() + Pos, Raw.begin() + Pos + Len);
    Pos += Len;
  } while (Pos < Raw.size());
  PutBigEndian32(Out, Adler32(Raw));
  return Out;
}
}  // namespace

bool WritePng(const std::string& FileName, int Width, int Height, const std::vector<uint8_t>& Rgb) {
  const size_t RowBytes = size_t(Width) * 3;
  if (Width <= 0 || Height <= 0 || Rgb.size() != RowBytes * Height) { return false; }

  TBytes Header;
  PutBigEndian32(Header, uint32_t(Width));
  PutBigEndian32(Header, uint32_t(Height));
  Header.insert(Header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, filter set 0, no interlace

  TBytes Scanlines;
  Scanlines.reserve((RowBytes + 1) * Height);
  for (int Row = 0; Row < Height; ++Row) {
    Scanlines.push_back(0);  // filter type None
    Scanlines.insert(Scanlines.end(), Rgb.begin() + Row * RowBytes, Rgb.begin() + (Row + 1) * RowBytes);
  }

  TBytes File = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(File, "IHDR", Header);
  PutChunk(File, "IDAT", ZlibStored(Scanlines));
  PutChunk(File, "IEND", {});

  std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(File.data()), std::streamsize(File.size()));
  return bool(Out);
}
