#include "shared/sharedunits.h"

#include "shared/commonhelpers.h"
#include "shared/debuglog.h"
#include "shared/rasutils.h"

void InitSharedUnits() {
  InitProgramPaths();
  InitLogWriter();
  InitRasDialEvent();
}
