#include "support/EngineFixture.h"

#include "core/GameState.h"
#include "core/ScriptConsole.h"
#include "core/ScriptCore.h"

namespace {

std::string ConsoleText()
{
    std::string text;
    for (const ConsoleLog& line : g_Console.Log())
        text += line.m_Text + "|";
    return text;
}

const char* const CLOSABLE_CONFIG = "class C(dict):\n    def close(self): pass\nconfig = C()\n";

struct sBrokenPackage
{
    const char* name;
    std::string main;          // system/main.py; empty: none at all
    const char* bound;         // whether `core` and `config` are bound
    const char* startError;    // printed while starting; "" when the start succeeds
};

void PrintTo(const sBrokenPackage& c, std::ostream* out) { *out << c.name; }

class BrokenPackageTest : public ScriptPackageTest, public testing::WithParamInterface<sBrokenPackage>
{
};

} // namespace

TEST_F(EngineTest, StartupBindsTheContractNamesEveryFrameStepsTheScriptsOnceAndResetStartsAgain)
{
    EXPECT_EQ(Eval("sorted(k for k in globals() if k != '__builtins__')"),
              "['config', 'console', 'core', 'exit', 'findobjectbyname', 'setdump', 'sys']");
    Frame();
    Frame();
    EXPECT_EQ(Eval("__import__('system.main').main.calls, __import__('system.main').main.frames"), "(['setup'], 2)");

    // Kept where the reset does not reach, so the old object cannot die and lend the new one its id.
    Exec("import builtins\nbuiltins.first_core = core\nmarker = 1\n");
    g_ScriptCore.Reset();
    EXPECT_EQ(Eval("'marker' in globals(), core is first_core"), "(False, False)");
    g_ScriptCore.InitGame("JossHartle", "MinaSorrel");
    g_ScriptCore.LoadGame("save3");
    EXPECT_EQ(Eval("__import__('system.main').main.calls"),
              "['setup', 'close', 'setup', ('initgame', 'JossHartle', 'MinaSorrel'), ('loadgame', 'save3')]");
}

TEST_P(BrokenPackageTest, LeavesNamesUnboundReportsOnceAndTheFramesGoOn)
{
    const sBrokenPackage& c = GetParam();
    if (c.main.empty())
        std::filesystem::remove(m_Dir / "system/main.py");
    else
        WriteFile("system/main.py", c.main);
    StartEngine();
    EXPECT_EQ(g_Console.State(), !*c.startError);
    EXPECT_NE(ConsoleText().find(c.startError), std::string::npos) << ConsoleText();
    Frame();   // reports what the input manager's writes of its default bindings left pending
    EXPECT_EQ(Eval("'core' in globals(), 'config' in globals()"), c.bound);
    if (!Eval("'config' in globals()").starts_with("True")) {
        EXPECT_FLOAT_EQ(g_ScriptCore.GetCfgFloat("gamma", 1.5f), 1.5f);
        EXPECT_EQ(TakeScriptError(), "");
        g_ScriptCore.SetCfgInt("music volume", 3);
        EXPECT_EQ(TakeScriptError(), "NameError: name 'config' is not defined");
        g_ScriptCore.Quit(false);   // the missing config's close is reported
        EXPECT_EQ(g_Console.Log().back().m_Text, "NameError: name 'config' is not defined\n");
        return;
    }
    // Without frames, or at the end of the frame generator, the console shows a failed prompt;
    // the generator's end is no error and prints nothing.
    for (int i = 0; i < 3; ++i) {
        Frame();
        EXPECT_FALSE(g_Console.State());
        EXPECT_TRUE(g_Console.IsActive());
    }
    if (!*c.startError) {
        EXPECT_EQ(ConsoleText(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Packages, BrokenPackageTest,
    testing::Values(sBrokenPackage{"MissingMain", "", "(False, False)", "No module named 'system.main'"},
                    sBrokenPackage{"FailingSetup", std::string(CLOSABLE_CONFIG) + "def setup():\n    raise RuntimeError('no frames')\n",
                                   "(False, True)", "RuntimeError: no frames"},
                    sBrokenPackage{"MissingConfig", "def setup():\n    return iter(range(1000))\n", "(True, False)",
                                   "AttributeError: module 'system.main' has no attribute 'config'"},
                    sBrokenPackage{"FinishedGenerator",
                                   std::string(CLOSABLE_CONFIG) + "def setup():\n    return iter([1])\n", "(True, True)", ""}),
    [](const testing::TestParamInfo<sBrokenPackage>& info) { return std::string(info.param.name); });

TEST_F(EngineTest, ConfigurationAccessorsRoundTripAndWrongTypesGiveMinusOneAndAPendingError)
{
    g_ScriptCore.SetCfgString("save3", "By the lighthouse");
    g_ScriptCore.SetCfgFloat("gamma", 0.1f);
    EXPECT_EQ(Eval("config['save3'], config['gamma']"), "('By the lighthouse', 0.10000000149011612)");
    EXPECT_EQ(g_ScriptCore.GetCfgString("save3", "script"), "By the lighthouse");

    Exec("config['loud'] = 'loud'\nconfig['save1'] = 4\nconfig['bright'] = 'bright'\n"
         "config['big'] = 2**40\nconfig['ratio'] = 3\n");
    struct sCase { std::string name; double value; const char* error; } cases[] = {
        {"loud", -1, "TypeError: config['loud'] must be an int, not str"},
        {"big", -1, "OverflowError: config['big'] does not fit an int"},
        {"bright", -1, "TypeError: config['bright'] must be a number, not str"},
        {"ratio", 3, ""},
    };
    for (const sCase& c : cases) {
        bool isFloat = c.name == "bright" || c.name == "ratio";
        EXPECT_EQ(isFloat ? g_ScriptCore.GetCfgFloat(c.name, 0) : g_ScriptCore.GetCfgInt(c.name, 7), c.value) << c.name;
        EXPECT_EQ(TakeScriptError(), c.error) << c.name;
    }
    EXPECT_EQ(g_ScriptCore.GetCfgString("save1", "script"), "script");
    EXPECT_EQ(TakeScriptError(), "TypeError: config['save1'] must be a str, not int");

    // An error left pending between frames is reported, not carried into the step.
    g_ScriptCore.GetCfgInt("loud", 50);
    Frame();
    EXPECT_TRUE(g_Console.IsActive());
    EXPECT_NE(ConsoleText().find("must be an int"), std::string::npos) << ConsoleText();
    EXPECT_TRUE(g_Console.State());
}

TEST_F(EngineTest, GetVectorFromObjectReadsEachComponentOnItsOwn)
{
    Exec("class P: pass\np = P()\np.x = 1.5\np.y = 2\np.z = 'deep'\n");
    PyObject* p = PyDict_GetItemString(g_ScriptCore.Namespace(), "p");
    struct sCase { const char *x, *y, *z; cVector3 expected; const char* error; } cases[] = {
        {"x", "y", "z", {1.5f, 2, -1}, "TypeError: must be real number, not str"},
        {"w", "x", "q", {-1, 1.5f, -1}, "AttributeError: 'P' object has no attribute 'w'"},
    };
    for (const sCase& c : cases) {
        cVector3 v = GetVectorFromObject(p, c.x, c.y, c.z);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(v[i], c.expected[i]) << c.x << i;
        EXPECT_EQ(TakeScriptError(), c.error);
    }
}

TEST_F(EngineTest, GameModuleFollowsItsFormats)
{
    Exec("import game");
    EXPECT_EQ(Eval("game.getmenu()"), "True");
    EXPECT_EQ(Exec("game.setmenu(1)"), "TypeError: argument 1 must be bool, not int");
    EXPECT_TRUE(g_State.m_InMenu);
    EXPECT_EQ(Eval("game.setmenu(False), game.getmenu()"), "(None, False)");
    EXPECT_EQ(Eval("game.entergamemenu(), game.getmenu()"), "(None, True)");
    EXPECT_EQ(Exec("game.startcredits('top')"), "TypeError: 'str' object cannot be interpreted as an integer");
}
