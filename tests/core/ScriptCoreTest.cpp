#include "support/EngineFixture.h"

#include <SDL/SDL.h>

#include "core/GameState.h"
#include "core/ScriptConsole.h"
#include "core/ScriptCore.h"
#include "input/InputManager.h"

namespace {

std::string ConsoleText()
{
    std::string text;
    for (const ConsoleLog& line : g_Console.Log())
        text += line.m_Text + "|";
    return text;
}

// Types a line into the open console and submits it with Return, as the player would; the line
// runs at the end of that frame.
void SubmitConsoleLine(const std::string& line)
{
    g_Console.Activate();
    g_Input.m_TypedText = line;
    HoldKey(SDLK_RETURN);
    g_ScriptCore.Update();
    ReleaseKey(SDLK_RETURN);
    g_ScriptCore.Update();
}

} // namespace

TEST_F(EngineTest, StartupBindsTheContractNames)
{
    EXPECT_EQ(Eval("sorted(k for k in globals() if k != '__builtins__')"),
              "['config', 'console', 'core', 'exit', 'findobjectbyname', 'setdump', 'sys']");
    EXPECT_EQ(Eval("__import__('system.main').main.calls"), "['setup']");
    EXPECT_TRUE(g_Console.State());
    EXPECT_FALSE(g_Console.IsActive());
    EXPECT_EQ(Eval("[m for m in ('graphics', 'input', '_console', 'sound', 'font', '_gtime', 'game',"
                   " '_model', 'physics') if m not in sys.modules]"),
              "[]");
}

TEST_F(EngineTest, EveryFrameAdvancesTheScriptsOnce)
{
    Frame();
    Frame();
    Frame();
    EXPECT_EQ(Eval("__import__('system.main').main.frames"), "3");
    EXPECT_TRUE(g_Console.State());
}

TEST_F(EngineTest, AFrameErrorIsPrintedIntoTheConsoleAndTheFramesGoOn)
{
    Exec("import system.main\n"
         "def broken():\n"
         "    if system.main.frames == 2: raise ValueError('bad frame')\n"
         "system.main.step = broken\n");
    Frame();
    EXPECT_FALSE(g_Console.IsActive());
    Frame();
    EXPECT_TRUE(g_Console.IsActive());
    EXPECT_FALSE(g_Console.State());
    EXPECT_NE(ConsoleText().find("ValueError: bad frame"), std::string::npos) << ConsoleText();
    EXPECT_EQ(g_Console.Log().back().m_Type, LOG_STDERR);
    Frame();
    EXPECT_TRUE(g_Console.State());
    EXPECT_EQ(Eval("system.main.frames"), "3");
}

class FinishedGeneratorTest : public ScriptPackageTest
{
};

TEST_F(FinishedGeneratorTest, TheEndOfTheFrameGeneratorMarksTheConsoleFailedWithoutATraceback)
{
    WriteFile("system/main.py", "config = {}\n"
                                "class C(dict):\n"
                                "    def close(self): pass\n"
                                "config = C()\n"
                                "def setup():\n"
                                "    def frames():\n"
                                "        yield 1\n"
                                "    return frames()\n");
    StartEngine();
    Frame();
    EXPECT_TRUE(g_Console.State());
    for (int i = 0; i < 3; ++i) {
        Frame();
        EXPECT_FALSE(g_Console.State());
        EXPECT_TRUE(g_Console.IsActive());
    }
    EXPECT_EQ(ConsoleText(), "");
}

TEST_F(ScriptPackageTest, AMissingMainModuleLeavesCoreAndConfigUnboundAndFramesStillRun)
{
    std::filesystem::remove(m_Dir / "system/main.py");
    StartEngine();
    EXPECT_FALSE(g_Console.State());
    EXPECT_TRUE(g_Console.IsActive());
    EXPECT_NE(ConsoleText().find("ModuleNotFoundError: No module named 'system.main'"), std::string::npos)
        << ConsoleText();
    Frame();   // reports what the input manager's writes of its default bindings left pending
    EXPECT_EQ(Eval("'core' in globals(), 'config' in globals()"), "(False, False)");
    EXPECT_EQ(g_ScriptCore.GetCfgInt("music volume", 7), 7);
    EXPECT_EQ(g_ScriptCore.GetCfgString("save1", "script"), "script");
    EXPECT_FLOAT_EQ(g_ScriptCore.GetCfgFloat("gamma", 1.5f), 1.5f);
    EXPECT_EQ(TakeScriptError(), "");
    g_ScriptCore.SetCfgInt("music volume", 3);
    EXPECT_EQ(TakeScriptError(), "NameError: name 'config' is not defined");
    Frame();
    Frame();
}

TEST_F(ScriptPackageTest, AFailingSetupLeavesOnlyCoreUnbound)
{
    WriteFile("system/main.py", "class C(dict):\n"
                                "    def close(self): pass\n"
                                "config = C()\n"
                                "def setup():\n"
                                "    raise RuntimeError('no frames today')\n");
    StartEngine();
    EXPECT_EQ(Eval("'core' in globals(), 'config' in globals()"), "(False, True)");
    EXPECT_FALSE(g_Console.State());
    EXPECT_NE(ConsoleText().find("RuntimeError: no frames today"), std::string::npos);
    Frame();
}

TEST_F(ScriptPackageTest, AMissingConfigGivesDefaultsAndQuitReportsTheMissingClose)
{
    WriteFile("system/main.py", "def setup():\n    return iter(range(1000))\n");
    StartEngine();
    Frame();
    EXPECT_EQ(Eval("'config' in globals()"), "False");
    EXPECT_EQ(g_ScriptCore.GetCfgInt("SC_BUTTON_ACTION", 13), 13);
    Frame();
    EXPECT_TRUE(g_Console.State());
    size_t before = g_Console.Log().size();
    g_ScriptCore.Quit(false);
    EXPECT_GT(g_Console.Log().size(), before);
    EXPECT_NE(ConsoleText().find("NameError"), std::string::npos) << ConsoleText();
}

TEST_F(EngineTest, ConfigurationAccessorsRoundTripThroughTheScriptsConfig)
{
    g_ScriptCore.SetCfgInt("music volume", 80);
    g_ScriptCore.SetCfgString("save3", "By the lighthouse");
    g_ScriptCore.SetCfgFloat("gamma", 0.1f);
    EXPECT_EQ(Eval("config['music volume'], config['save3'], config['gamma']"),
              "(80, 'By the lighthouse', 0.10000000149011612)");
    EXPECT_EQ(g_ScriptCore.GetCfgInt("music volume", 50), 80);
    EXPECT_EQ(g_ScriptCore.GetCfgString("save3", "script"), "By the lighthouse");
    EXPECT_FLOAT_EQ(g_ScriptCore.GetCfgFloat("gamma", 1.0f), 0.1f);
    EXPECT_EQ(g_ScriptCore.GetCfgInt("missing", 7), 7);
    EXPECT_EQ(TakeScriptError(), "");
}

TEST_F(EngineTest, ConfigurationValuesOfTheWrongTypeGiveMinusOneAndAPendingTypeError)
{
    Exec("config['music volume'] = 'loud'\nconfig['save1'] = 4\nconfig['gamma'] = 'bright'\n"
         "config['big'] = 2**40\nconfig['flag'] = True\nconfig['ratio'] = 3\n");
    EXPECT_EQ(g_ScriptCore.GetCfgInt("music volume", 50), -1);
    EXPECT_EQ(TakeScriptError(), "TypeError: config['music volume'] must be an int, not str");
    EXPECT_EQ(g_ScriptCore.GetCfgString("save1", "script"), "script");
    EXPECT_EQ(TakeScriptError(), "TypeError: config['save1'] must be a str, not int");
    EXPECT_FLOAT_EQ(g_ScriptCore.GetCfgFloat("gamma", 1.0f), -1.0f);
    EXPECT_EQ(TakeScriptError(), "TypeError: config['gamma'] must be a number, not str");
    EXPECT_EQ(g_ScriptCore.GetCfgInt("big", 0), -1);
    EXPECT_EQ(TakeScriptError(), "OverflowError: config['big'] does not fit an int");
    EXPECT_EQ(g_ScriptCore.GetCfgInt("flag", 0), 1);
    EXPECT_FLOAT_EQ(g_ScriptCore.GetCfgFloat("ratio", 0.0f), 3.0f);
    EXPECT_EQ(TakeScriptError(), "");
}

TEST_F(EngineTest, AnErrorLeftPendingBetweenFramesIsReportedNotCarriedIntoTheStep)
{
    Exec("config['music volume'] = 'loud'\n");
    g_ScriptCore.GetCfgInt("music volume", 50);   // leaves a TypeError pending, as the main loop may
    Frame();
    EXPECT_TRUE(g_Console.IsActive());
    EXPECT_NE(ConsoleText().find("must be an int"), std::string::npos) << ConsoleText();
    EXPECT_TRUE(g_Console.State());   // the step itself succeeded
    EXPECT_EQ(TakeScriptError(), "");
}

TEST_F(EngineTest, ResetRebuildsTheNamespaceAndCallsSetupAgain)
{
    Exec("first_core = core\nmarker = 1\n");
    std::string firstCore = Eval("id(first_core)");
    g_ScriptCore.Reset();
    EXPECT_EQ(Eval("'marker' in globals()"), "False");
    EXPECT_EQ(Eval("__import__('system.main').main.calls"), "['setup', 'close', 'setup']");
    EXPECT_NE(Eval("id(core)"), firstCore);
    EXPECT_EQ(Eval("__import__('graphics').__name__"), "'graphics'");
    Frame();
    EXPECT_TRUE(g_Console.State());
}

TEST_F(EngineTest, InitGameAndLoadGameCallTheStartupModule)
{
    g_ScriptCore.InitGame("JossHartle", "MinaSorrel");
    g_ScriptCore.LoadGame("save3");
    EXPECT_EQ(Eval("__import__('system.main').main.calls[1:]"),
              "[('initgame', 'JossHartle', 'MinaSorrel'), ('loadgame', 'save3')]");
}

TEST_F(EngineTest, GetVectorFromObjectReadsEachComponentOnItsOwn)
{
    Exec("class P: pass\np = P()\np.x = 1.5\np.y = 2\np.z = 'deep'\n");
    cPyRef p = cPyRef::Borrow(PyDict_GetItemString(g_ScriptCore.Namespace(), "p"));
    cVector3 v = GetVectorFromObject(p.Get(), "x", "y", "z");
    EXPECT_EQ(v.x, 1.5f);
    EXPECT_EQ(v.y, 2.0f);
    EXPECT_EQ(v.z, -1.0f);
    EXPECT_EQ(TakeScriptError(), "TypeError: must be real number, not str");

    v = GetVectorFromObject(p.Get(), "w", "x", "q");
    EXPECT_EQ(v.x, -1.0f);
    EXPECT_EQ(v.y, 1.5f);
    EXPECT_EQ(v.z, -1.0f);
    EXPECT_EQ(TakeScriptError(), "AttributeError: 'P' object has no attribute 'w'");
}

TEST_F(EngineTest, ConsoleLinesRunInTheScriptNamespaceAndEchoExpressions)
{
    SubmitConsoleLine("answer = 6 * 7");
    EXPECT_EQ(Eval("answer"), "42");

    // The display hook writes the value and its line feed separately; they join one line.
    SubmitConsoleLine("answer");
    ASSERT_FALSE(g_Console.Log().empty());
    EXPECT_EQ(g_Console.Log().back().m_Text, "42\n");

    size_t before = g_Console.Log().size();
    SubmitConsoleLine("");
    ASSERT_EQ(g_Console.Log().size(), before + 1);   // the ">>> " echo only
    EXPECT_EQ(g_Console.Log().back().m_Text, ">>> ");
}

TEST_F(EngineTest, AFailingConsoleLineIsPrintedAndTheEngineGoesOn)
{
    SubmitConsoleLine("undefined_name");
    EXPECT_NE(ConsoleText().find("NameError: name 'undefined_name' is not defined"), std::string::npos)
        << ConsoleText();
    EXPECT_EQ(TakeScriptError(), "");
    Frame();
}

TEST_F(EngineTest, GameAndTimingModulesFollowTheirFormats)
{
    Exec("import game, _gtime");
    EXPECT_EQ(Eval("game.getmenu()"), "True");
    EXPECT_EQ(Exec("game.setmenu(1)"), "TypeError: argument 1 must be bool, not int");
    EXPECT_TRUE(g_State.m_InMenu);
    EXPECT_EQ(Eval("game.setmenu(False), game.getmenu()"), "(None, False)");
    EXPECT_EQ(Exec("game.getmenu(1)"), "TypeError: function takes exactly 0 arguments (1 given)");
    EXPECT_EQ(Eval("game.entergamemenu(), game.getmenu()"), "(None, True)");
    EXPECT_EQ(Exec("game.startcredits('top')"),
              "TypeError: 'str' object cannot be interpreted as an integer");
    EXPECT_EQ(Eval("game.setmenu.__doc__, game.updatecredits.__doc__"),
              "('Set whether we want to be in menu or not.', None)");
    EXPECT_EQ(Eval("(lambda a: type(a) is int and _gtime.ticks() >= a)(_gtime.ticks())"), "True");
}
