// Must not compile with the document library's headers: printing is a layer above it.
#include "PrintDevice.h"
