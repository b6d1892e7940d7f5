// Must not compile with the document library's headers: the desktop is a layer above it.
#include "SystemClock.h"
