#include "persistent.h"

#include "exceptions.h"

void TPersistent::AssignTo(TPersistent&) const { throw EConvertError("Cannot assign object"); }
