#pragma once
// The annotation pen's colour and width rules: plain functions, so the rainbow walk and the
// width limits can be checked without windows.

// Colour codes of FunSet_Postil/LineColor.
enum PostilColorCode : int { POSTIL_RED = 1, POSTIL_GREEN = 2, POSTIL_BLUE = 3, POSTIL_RAINBOW = 4, POSTIL_WHITE = 5, POSTIL_BLACK = 6 };

struct PostilColor {
    int r = 250;
    int g = 0;
    int b = 0;
    int previousCode = 0;
};

// The colour of the next segment, which moved (dx, dy) pixels. The rainbow walks round the hue
// circle in steps of 5 for each 10 pixels of the larger distance (at least 5), so a fast stroke
// changes colour faster; it restarts at red whenever it is chosen anew.
void UpdatePostilColor(PostilColor& colour, int code, int dx, int dy);

constexpr int kPostilWidthMin = 4;
constexpr int kPostilWidthMax = 10;
int PostilWidthUp(int width);
int PostilWidthDown(int width);
