#pragma once

// Text and flat shapes over the 3D scene, in the graphics manager's 2D mode of pixels: origin at
// the top-left corner of the window, y growing downwards. 2D vertices lie on the near plane with
// the depth test left on, so within one frame the first 2D drawing at a pixel stays in front of
// later ones. Each call enters and leaves that mode unless a cTextBatch around it already has.

// One line of text whose top-left corner is (x, y); size is pixels per font unit. With shadow,
// a copy in (sr, sg, sb) shows behind the text, a tenth of the size to the right and down.
// Leaves the current font's scale at size and the pen after the text.
void DrawFontString(const char* text, float x, float y, int size, float r, float g, float b, bool shadow = false,
                    float sr = 0, float sg = 0, float sb = 0);
// In the console's monospaced font with a dark blue shadow; the default font is current afterwards.
void DrawConsoleFontString(const char* text, float x, float y, int size, float r, float g, float b);
// The console's band, 240 pixels high across the top of the window, shaded from blue 0.3 at
// the top to 0.1 at its lower edge.
void DrawConsoleBackground();
