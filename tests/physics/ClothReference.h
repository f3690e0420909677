#pragma once
#include "physics/cCloth.h"

// One sub-step the straightforward way, mass by mass and spring by spring through their
// pointers: what cCloth::Timestep must give, bit for bit.
void TimestepReference(cCloth& cloth, float dt);
