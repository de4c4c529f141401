#include "rtl/textfile.h"

#include "rtl/exceptions.h"

namespace {
constexpr size_t BufferSize = 65536;
}  // namespace

TTextFileReader::TTextFileReader(const std::string& FileName)
    : FHandle(CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}

bool TTextFileReader::Fill() {
  if (!Opened() || FFailed) { return false; }
  FBuffer.erase(0, FPos);
  FPos = 0;
  const size_t Kept = FBuffer.size();
  FBuffer.resize(Kept + BufferSize);
  DWORD Read = 0;
  if (!ReadFile(FHandle.Get(), &FBuffer[Kept], BufferSize, &Read, nullptr)) {
    FFailed = true;
    Read = 0;
  }
  FBuffer.resize(Kept + Read);
  return Read > 0;
}

bool TTextFileReader::ReadLine(std::string& Line) {
  size_t End;
  while ((End = FBuffer.find('\n', FPos)) == std::string::npos) {
    if (!Fill()) {
      if (FFailed || FPos >= FBuffer.size()) { return false; }
      End = FBuffer.size();  // the last line, without a line break
      break;
    }
  }
  const size_t Next = End < FBuffer.size() ? End + 1 : End;
  if (End > FPos && FBuffer[End - 1] == '\r') { --End; }
  Line.assign(FBuffer, FPos, End - FPos);
  FPos = Next;
  return true;
}

TTextFileWriter::TTextFileWriter(const std::string& FileName)
    : FHandle(CreateFileA(FileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {
  if (!FHandle.Valid()) { RaiseLastOSError(); }
}

TTextFileWriter::~TTextFileWriter() {
  if (!FHandle.Valid()) { return; }
  DWORD Written;
  WriteFile(FHandle.Get(), FBuffer.data(), static_cast<DWORD>(FBuffer.size()), &Written, nullptr);
}

void TTextFileWriter::Flush() {
  DWORD Written = 0;
  if (!WriteFile(FHandle.Get(), FBuffer.data(), static_cast<DWORD>(FBuffer.size()), &Written, nullptr) ||
      Written != FBuffer.size()) {
    const DWORD Error = GetLastError();
    FHandle.Reset();
    RaiseLastOSError(Error);
  }
  FBuffer.clear();
}

void TTextFileWriter::WriteLine(const std::string& Line) { Write(Line + "\r\n"); }

void TTextFileWriter::Write(const std::string& Text) {
  if (!FHandle.Valid()) { RaiseLastOSError(ERROR_INVALID_HANDLE); }
  FBuffer += Text;
  if (FBuffer.size() >= BufferSize) { Flush(); }
}

void TTextFileWriter::Close() {
  if (!FHandle.Valid()) { return; }
  Flush();
  const bool OnDisk = FlushFileBuffers(FHandle.Get());
  const DWORD Error = GetLastError();
  FHandle.Reset();
  if (!OnDisk) { RaiseLastOSError(Error); }
}
