#include "support/EngineFixture.h"

#include "core/GameState.h"
#include "core/ScriptConsole.h"
#include "core/ScriptCore.h"

TEST_F(EngineTest, StartupBindsTheContractNames)
{
    EXPECT_EQ(Eval("sorted(k for k in globals() if k != '__builtins__')"),
              "['config', 'console', 'core', 'exit', 'findobjectbyname', 'setdump', 'sys']");
    EXPECT_TRUE(g_Console.State());
    EXPECT_FALSE(g_Console.IsActive());
}
