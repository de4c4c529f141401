/* Stays until the wineserver is killed: keeps Wine's system processes up for a test run. */
#include <windows.h>

int main(void) {
  Sleep(INFINITE);
  return 0;
}
