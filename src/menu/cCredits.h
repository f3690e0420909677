#pragma once

// The rolling credits text. FIXME: reading and drawing the roll arrive with the menus; until then
// the roll is empty and never finishes.
class cCredits
{
public:
    bool LoadFile(const char* path);   // true when the file was opened and read
    void StartCredits(int screenHeight);
    bool Update(float speed);          // true once the roll has finished

private:
    bool m_Loaded = false;
    int m_ScreenHeight = 0;
};

extern cCredits g_PyCredits;
