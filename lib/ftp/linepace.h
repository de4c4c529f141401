// The pace of the line under one upload, learnt from what the system takes to
// send. Until the line is full the system takes all it is given; from then on it
// takes only as fast as the line carries. From that rate follow how much to let
// the system hold (about a second of the line in its buffer, and a piece of at
// most that size handed over at once) and how long what it holds still takes to
// go out: on a slow line, and above all after the last byte, that is many
// seconds in which nothing can be seen to move.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

class TLinePace {
public:
  // Bytes a second of the slowest line served, a 33.6k modem: what a file is
  // taken to go at while no rate is known.
  static constexpr uint32_t SlowestLineRate = 3500;
  static constexpr int FloorBufferSize = 16 * 1024;
  static constexpr int CeilingBufferSize = 4 * 1024 * 1024;
  // What the server's system may have acknowledged but not yet handed to the
  // server: a receive buffer that has not grown, twice Linux's default of 128 KB.
  static constexpr uint64_t PeerBufferSize = 256 * 1024;

  // A new file begins at Now; KnownRate was measured earlier on the session (0: none).
  void Begin(uint32_t KnownRate, DWORD Now);
  // The system took Bytes at Now; AfterWait when it first had to wait for room.
  void Sent(size_t Bytes, bool AfterWait, DWORD Now);
  // The system has been handed the whole file.
  void Finish() { FFinished = true; }
  // The send buffer to ask for, and the largest piece to hand over at once.
  int SendBufferSize() const { return FBufferSize; }
  // Bytes a second that the line carried since it first pushed back, once that
  // is long enough to time the line by (0 while not): what the buffers took
  // after the push back would make a shorter sample too fast.
  uint32_t MeasuredRate() const;
  // Bytes a second that the line has been shown to carry since the first send:
  // what the system took beyond all that the buffers of both ends can hold
  // (0 while it took no more).
  uint32_t CarriedRate() const;
  // The tick count until which the line is still carrying what it was handed,
  // at the rate measured, else at the session's; with neither, only a file
  // handed over whole is timed, at the rate carried but never below the slowest
  // line's: until then what the system takes shows that the line moves.
  DWORD BusyUntil() const;

private:
  static constexpr DWORD LineSampleMs = 2000;
  static constexpr DWORD UnhinderedSampleMs = 20;
  static constexpr DWORD BurstSettleMs = 100;

  // What the system took while it never pushed back; 0 when unknown.
  uint32_t UnhinderedRate() const;
  // The most that the system and the server's can hold of the file: Linux
  // doubles the send buffer asked for, Windows takes one piece past it.
  uint64_t HeldAtMost() const { return 2 * static_cast<uint64_t>(FLargestBuffer) + PeerBufferSize; }
  // What the system may hold once it has pushed back, never carried as far as
  // can be seen: what filled its buffers, or the most it took at once later if
  // more, and what it took after each growth of the buffer.
  uint64_t HeldSinceFull() const;

  uint32_t FKnownRate = 0;
  int FBufferSize = FloorBufferSize;
  int FLargestBuffer = FloorBufferSize;  // what the system held may not shrink with the buffer
  uint64_t FHanded = 0;
  DWORD FFirstSend = 0;
  DWORD FLastSend = 0;
  bool FFinished = false;
  // Once the system first pushed back: when, and when and with how much taken
  // the burst that filled the buffers ended.
  bool FFull = false;
  DWORD FFirstPushBack = 0;
  DWORD FFullSince = 0;
  uint64_t FHandedWhenFull = 0;
  // What the system may have taken since without the line carrying it: twice each
  // growth of the buffer, as it may take a whole piece past the buffer.
  uint64_t FGrowth = 0;
  // What the system took at once, within the burst settle time of its first
  // send or of the end of a wait: Linux may take several times the buffer asked
  // for.
  DWORD FBurstStart = 0;
  uint64_t FBurst = 0;
  uint64_t FLargestBurst = 0;
  // The latest proof that the line carried: how much by when.
  uint64_t FCarried = 0;
  DWORD FCarriedBy = 0;
};
