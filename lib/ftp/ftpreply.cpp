#include "ftp/ftpreply.h"

#include <cctype>

#include "ftp/ftperror.h"

namespace {

// Guards against a peer that sends an endless line.
constexpr size_t MaxLineLength = 8192;

bool HasReplyCode(const std::string& Line) {
  return Line.size() >= 3 && std::isdigit(static_cast<unsigned char>(Line[0])) &&
         std::isdigit(static_cast<unsigned char>(Line[1])) &&
         std::isdigit(static_cast<unsigned char>(Line[2])) &&
         (Line.size() == 3 || Line[3] == ' ' || Line[3] == '-');
}

std::string AfterCode(const std::string& Line) { return Line.size() > 4 ? Line.substr(4) : std::string(); }

}  // namespace

std::string TFtpReply::Text() const {
  std::string Result;
  for (const std::string& Line : Lines) {
    if (!Result.empty()) {
      Result += "\r\n";
    }
    Result += Line;
  }
  return Result;
}

std::string TFtpReplyReader::ReadLine(DWORD TimeoutMs) {
  for (;;) {
    size_t End = FBuffer.find('\n');
    if (End != std::string::npos) {
      std::string Line = FBuffer.substr(0, End);
      FBuffer.erase(0, End + 1);
      if (!Line.empty() && Line.back() == '\r') {
        Line.pop_back();
      }
      return Line;
    }
    if (FBuffer.size() > MaxLineLength) {
      throw EFtpError("Reply line too long.");
    }
    char Chunk[4096];
    size_t Received = FSocket.Receive(Chunk, sizeof(Chunk), TimeoutMs);
    if (Received == 0) {
      throw EFtpError("Connection closed gracefully.");
    }
    FBuffer.append(Chunk, Received);
  }
}

TFtpReply TFtpReplyReader::Read(DWORD TimeoutMs) {
  std::string First = ReadLine(TimeoutMs);
  if (!HasReplyCode(First)) {
    throw EFtpError("Invalid reply: " + First);
  }
  TFtpReply Reply;
  Reply.Code = std::stoi(First.substr(0, 3));
  Reply.Lines.push_back(AfterCode(First));
  if (First.size() > 3 && First[3] == '-') {
    // A multi-line reply ends with the same code followed by a blank.
    const std::string Last = First.substr(0, 3) + " ";
    for (;;) {
      std::string Line = ReadLine(TimeoutMs);
      bool IsLast = Line.compare(0, 4, Last) == 0 || Line == First.substr(0, 3);
      Reply.Lines.push_back(IsLast ? AfterCode(Line) : Line);
      if (IsLast) {
        break;
      }
      if (Reply.Lines.size() > 1000) {
        throw EFtpError("Reply too long.");
      }
    }
  }
  return Reply;
}

bool ParsePassiveReply(const std::string& Text, std::string& Host, uint16_t& Port) {
  size_t Pos = Text.find('(');
  Pos = Text.find_first_of("0123456789", Pos == std::string::npos ? 0 : Pos);
  int Numbers[6];
  for (int I = 0; I < 6; ++I) {
    if (Pos >= Text.size() || !std::isdigit(static_cast<unsigned char>(Text[Pos]))) {
      return false;
    }
    int Value = 0;
    while (Pos < Text.size() && std::isdigit(static_cast<unsigned char>(Text[Pos])) && Value <= 255) {
      Value = Value * 10 + (Text[Pos++] - '0');
    }
    if (Value > 255 || (I < 5 && (Pos >= Text.size() || Text[Pos] != ','))) {
      return false;
    }
    Numbers[I] = Value;
    ++Pos;
  }
  Host = std::to_string(Numbers[0]) + "." + std::to_string(Numbers[1]) + "." + std::to_string(Numbers[2]) +
         "." + std::to_string(Numbers[3]);
  Port = static_cast<uint16_t>(Numbers[4] * 256 + Numbers[5]);
  return true;
}
