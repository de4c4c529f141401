#include "ftp/linepace.h"

#include <algorithm>

namespace {

int OneSecondOf(uint32_t Rate) {
  return static_cast<int>(std::clamp<uint32_t>(Rate, TLinePace::FloorBufferSize, TLinePace::CeilingBufferSize));
}

}  // namespace

void TLinePace::Begin(uint32_t KnownRate, DWORD Now) {
  *this = TLinePace();
  FKnownRate = KnownRate;
  FBufferSize = OneSecondOf(KnownRate);
  FLargestBuffer = FBufferSize;
  FLastSend = Now;
}

void TLinePace::Sent(size_t Bytes, bool AfterWait, DWORD Now) {
  if (AfterWait && !FFull) {
    FFull = true;
    FFirstPushBack = FLastSend;
    // The line is timed from the push back, however long the first wait lasted.
    FFullSince = FLastSend;
    FHandedWhenFull = FHanded;
  }
  if (FHanded == 0) { FFirstSend = Now; }
  // What the system takes at once, it holds just after.
  if (FHanded == 0 || AfterWait) {
    FBurstStart = Now;
    FBurst = 0;
  }
  if (Now - FBurstStart <= BurstSettleMs) {
    FBurst += Bytes;
    FLargestBurst = std::max(FLargestBurst, FBurst);
  }
  FHanded += Bytes;
  FLastSend = Now;
  // Beyond all that the buffers can hold, the line has carried what the system took.
  if (FHanded > HeldAtMost()) {
    FCarried = FHanded - HeldAtMost();
    FCarriedBy = Now;
  }
  // What the buffers still take right after the first push back belongs to the
  // burst that filled them, not to what the line carries.
  if (FFull && Now - FFirstPushBack <= BurstSettleMs) {
    FFullSince = Now;
    FHandedWhenFull = FHanded;
  }
  const uint32_t Measured = FFull ? MeasuredRate() : UnhinderedRate();
  if (Measured == 0) { return; }
  // Only a change by half or double: the buffer need not follow every wobble.
  const int Wanted = OneSecondOf(Measured);
  if (Wanted >= 2 * FBufferSize || 2 * Wanted <= FBufferSize) {
    if (FFull && Wanted > FBufferSize) { FGrowth += 2 * static_cast<uint64_t>(Wanted - FBufferSize); }
    FBufferSize = Wanted;
    FLargestBuffer = std::max(FLargestBuffer, Wanted);
  }
}

// A line that has never pushed back is at least as fast as the system took the
// file, once it took more than the buffers hold. Until then it only filled them,
// however long that took: a client held up between two sends must not take a
// slow line for a fast one, and hand it more than it can carry in minutes. The
// sample starts at the first send, not at the file's opening, which may wait on
// the disk.
uint32_t TLinePace::UnhinderedRate() const {
  const DWORD Elapsed = FLastSend - FFirstSend;
  if (Elapsed < UnhinderedSampleMs || FHanded <= HeldAtMost()) { return 0; }
  return static_cast<uint32_t>(std::min<uint64_t>(FHanded * 1000 / Elapsed, UINT32_MAX));
}

uint32_t TLinePace::MeasuredRate() const {
  const DWORD Elapsed = FLastSend - FFullSince;
  if (!FFull || Elapsed < LineSampleMs) { return 0; }
  const uint64_t Held = HeldSinceFull();
  if (FHanded <= Held) { return 0; }
  return static_cast<uint32_t>(std::min<uint64_t>((FHanded - Held) * 1000 / Elapsed, UINT32_MAX));
}

// A burst on a fast line goes on while the line carries it: it is held only up
// to what the buffers can hold.
uint64_t TLinePace::HeldSinceFull() const {
  return std::max(FHandedWhenFull, std::min(FLargestBurst, HeldAtMost())) + FGrowth;
}

// Timed over no less than the unhindered sample: the tick count may step by
// more than a millisecond.
uint32_t TLinePace::CarriedRate() const {
  if (FCarried == 0) { return 0; }
  const DWORD Elapsed = std::max(FCarriedBy - FFirstSend, UnhinderedSampleMs);
  return static_cast<uint32_t>(std::min<uint64_t>(FCarried * 1000 / Elapsed, UINT32_MAX));
}

DWORD TLinePace::BusyUntil() const {
  uint32_t LineRate = MeasuredRate();
  if (LineRate == 0) { LineRate = FKnownRate; }
  if (LineRate == 0 && FFinished) { LineRate = std::max(CarriedRate(), SlowestLineRate); }
  if (LineRate == 0) { return FLastSend; }
  // Before the system ever pushed back, all of the file may still be in its hands.
  const uint64_t Unseen = FFull ? std::min(FHanded, HeldSinceFull()) : FHanded;
  constexpr uint64_t OneDayMs = 24ull * 3600 * 1000;
  return FLastSend + static_cast<DWORD>(std::min(Unseen * 1000 / LineRate, OneDayMs));
}
