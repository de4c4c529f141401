// Puts the quiet failure printer in place in every test program.
#include "support/quietfailures.h"
