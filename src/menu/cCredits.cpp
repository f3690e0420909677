#include "menu/cCredits.h"

#include <cstdio>

cCredits g_PyCredits;

bool cCredits::LoadFile(const char* path)
{
    std::FILE* file = std::fopen(path, "r");
    if (!file)
        return false;
    std::fclose(file);
    m_Loaded = true;
    return true;
}

void cCredits::StartCredits(int screenHeight)
{
    m_ScreenHeight = screenHeight;
}

bool cCredits::Update(float)
{
    return false;
}
