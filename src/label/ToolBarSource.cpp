#include "ToolBarSource.h"

int toolForToolNumber(int toolNumber) {
    switch (toolNumber) {
    case 1:
        return 4;
    case 2:
        return 0;
    case 3:
        return 1;
    case 4:
        return 2;
    case 5:
        return 3;
    case 6:
        return 7;
    case 8:
        return 8;
    case 9:
        return 6;
    case 10:
        return 9;
    case 11:
        return 10;
    case 12:
        return 11;
    default:
        return -1;
    }
}
