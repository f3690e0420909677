#pragma once
#include <filesystem>

// Writes what the menus read into a working directory, made to be told apart at a glance in a
// frame: each background a flat colour of its own with a lighter top quarter (so its orientation
// shows), and the five characters as quads where the selection screen shows its model, each in a
// texture of one colour.
void WriteMenuTestData(const std::filesystem::path& dir);
