#include "shared/sharedunits.h"

#include "shared/commonhelpers.h"
#include "shared/debuglog.h"

void InitSharedUnits() {
  InitProgramPaths();
  InitLogWriter();
}
