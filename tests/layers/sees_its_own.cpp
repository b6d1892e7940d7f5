// Compiles with the document library's headers: what it links, it sees.
#include "GdiCanvas.h"
#include "LabelDocument.h"
#include "SafeFile.h"
