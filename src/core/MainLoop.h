#pragma once

// The pass of the program's main loop after the frame itself, split out so that tests reach it.

// Alt+F4 (F4 going down while an Alt is held) or Left Meta+Q, on the input state just sampled.
bool QuitChordPressed();

// Empties SDL's event queue: joystick buttons go to the input manager. True when the window was
// asked to close.
bool DrainEvents();

// Frames until a quit chord or the window's close request.
void RunMainLoop();
