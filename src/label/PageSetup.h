#pragma once

// Page margins in millimetres and the zoom of preview and printing in percent.
struct PageSetupValues {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int zoom = 100;
    bool operator==(const PageSetupValues&) const = default;
};
