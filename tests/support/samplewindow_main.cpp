// The sample window as a program of its own, for driving it from another process.
#include "support/samplewindow.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RunSampleWindow();
  return 0;
}
