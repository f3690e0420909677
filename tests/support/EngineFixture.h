#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// A working directory of its own with a copy of the test `system` package (tests/support/package),
// removed afterwards. Tests may add or replace files before starting the engine.
class ScriptPackageTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void WriteFile(const std::string& relativePath, const std::string& text);
    std::string ReadFile(const std::string& relativePath) const;

    // SDL video, an 800 x 600 window, the script host with its nine modules, the input manager:
    // what the program entry does, in its order.
    void StartEngine();
    void Frame();   // one whole engine frame

    // An expression's repr, or "TypeName: message" when it raised (the error is cleared).
    std::string Eval(const std::string& expression);
    // "" when the statements ran, or "TypeName: message" when they raised.
    std::string Exec(const std::string& statements);

    std::filesystem::path m_Dir;

private:
    std::filesystem::path m_OldDir;
    bool m_Started = false;
};

// The engine started on the test package before every test.
class EngineTest : public ScriptPackageTest
{
protected:
    void SetUp() override
    {
        ScriptPackageTest::SetUp();
        StartEngine();
    }
};

// "TypeName: message" of the pending script error, which is cleared; "" when none is pending.
std::string TakeScriptError();

// Writes SDL's live key-state array, as SDL itself does on a key event (a pushed SDL_KEYDOWN
// event would not change that array).
void HoldKey(int key);
void ReleaseKey(int key);
