#include "rtl/persistent.h"

#include "rtl/exceptions.h"

void TPersistent::AssignTo(TPersistent&) const { throw EConvertError("Cannot assign object"); }
