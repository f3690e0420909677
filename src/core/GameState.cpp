#include "core/GameState.h"

GameState g_State;
