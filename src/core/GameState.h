#pragma once

// Whether the menus or the game scripts own the frame.
class GameState
{
public:
    bool m_InMenu = true;   // true: the menu manager runs and draws inside the frame begin
};

extern GameState g_State;
