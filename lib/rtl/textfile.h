// Line-by-line text files of 8-bit characters over the ANSI file functions.
#pragma once
#include <windows.h>

#include <string>

#include "rtl/handles.h"

// Lines end at LF; a CR right before it is dropped, so CR LF and LF both work.
class TTextFileReader {
public:
  // Opened() is false when the file cannot be opened for reading.
  explicit TTextFileReader(const std::string& FileName);
  TTextFileReader(const TTextFileReader&) = delete;
  TTextFileReader& operator=(const TTextFileReader&) = delete;

  bool Opened() const { return FHandle.Valid(); }
  // False at the end of the file and after a failed read; a line cut short by
  // a failed read is not returned.
  bool ReadLine(std::string& Line);

private:
  bool Fill();
  THandle FHandle;
  std::string FBuffer;
  size_t FPos = 0;
  bool FFailed = false;
};

// Creates the file anew; each line is written with CR LF through a buffer.
class TTextFileWriter {
public:
  // Raises EOSError when the file cannot be created.
  explicit TTextFileWriter(const std::string& FileName);
  // Writes what is buffered, ignoring errors, when Close was not called.
  ~TTextFileWriter();
  TTextFileWriter(const TTextFileWriter&) = delete;
  TTextFileWriter& operator=(const TTextFileWriter&) = delete;

  // A failed write closes the file and raises EOSError; what was written stays.
  void WriteLine(const std::string& Line);
  // Text as it is, line ends included.
  void Write(const std::string& Text);
  // Writes what is buffered and returns once the file is on the disk; raises
  // EOSError when it could not be written.
  void Close();

private:
  void Flush();
  THandle FHandle;
  std::string FBuffer;
};
