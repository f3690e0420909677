#include "support/EngineFixture.h"

#include <Python.h>
#include <SDL/SDL.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "core/ScriptCore.h"
#include "core/cPyRef.h"
#include "graphics/GraphicsManager.h"
#include "input/InputManager.h"

namespace fs = std::filesystem;

void ScriptPackageTest::SetUp()
{
    m_OldDir = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "brackwater-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_Dir = pattern;
    fs::copy(fs::path(BW_SOURCE_DIR) / "tests/support/package", m_Dir, fs::copy_options::recursive);
    fs::current_path(m_Dir);
}

void ScriptPackageTest::TearDown()
{
    if (m_Started) {
        g_ScriptCore.Quit(true);
        g_Input.Cleanup();
        SDL_Quit();
    }
    fs::current_path(m_OldDir);
    std::error_code ignored;
    fs::remove_all(m_Dir, ignored);
}

void ScriptPackageTest::WriteFile(const std::string& relativePath, const std::string& text)
{
    fs::path path = m_Dir / relativePath;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string ScriptPackageTest::ReadFile(const std::string& relativePath) const
{
    std::ifstream in(m_Dir / relativePath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void ScriptPackageTest::StartEngine()
{
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    m_Started = true;
    ASSERT_TRUE(g_Graphics.SetupWindowedMode(800, 600)) << SDL_GetError();
    g_ScriptCore.Init(true);
    g_Input.Init();
}

void ScriptPackageTest::Frame()
{
    g_ScriptCore.Update();
}

std::string TakeScriptError()
{
    if (!PyErr_Occurred())
        return "";
    PyObject *type = nullptr, *value = nullptr, *traceback = nullptr;
    PyErr_Fetch(&type, &value, &traceback);
    PyErr_NormalizeException(&type, &value, &traceback);
    cPyRef typeRef = cPyRef::Steal(type), valueRef = cPyRef::Steal(value), tb = cPyRef::Steal(traceback);
    std::string result = reinterpret_cast<PyTypeObject*>(type)->tp_name;
    cPyRef text = cPyRef::Steal(value ? PyObject_Str(value) : nullptr);
    const char* utf8 = text ? PyUnicode_AsUTF8(text.Get()) : nullptr;
    if (utf8 && *utf8)
        result += std::string(": ") + utf8;
    PyErr_Clear();
    return result;
}

std::string ScriptPackageTest::Eval(const std::string& expression)
{
    PyObject* ns = g_ScriptCore.Namespace();
    if (!ns)
        return "<no script namespace>";
    cPyRef result = cPyRef::Steal(PyRun_String(expression.c_str(), Py_eval_input, ns, ns));
    if (!result)
        return TakeScriptError();
    cPyRef repr = cPyRef::Steal(PyObject_Repr(result.Get()));
    const char* utf8 = repr ? PyUnicode_AsUTF8(repr.Get()) : nullptr;
    return utf8 ? utf8 : TakeScriptError();
}

std::string ScriptPackageTest::Exec(const std::string& statements)
{
    PyObject* ns = g_ScriptCore.Namespace();
    if (!ns)
        return "<no script namespace>";
    cPyRef result = cPyRef::Steal(PyRun_String(statements.c_str(), Py_file_input, ns, ns));
    return result ? "" : TakeScriptError();
}

namespace {

void SetKey(int key, Uint8 down)
{
    int count = 0;
    Uint8* keys = SDL_GetKeyState(&count);
    if (keys && key >= 0 && key < count)
        keys[key] = down;
}

} // namespace

void HoldKey(int key) { SetKey(key, 1); }
void ReleaseKey(int key) { SetKey(key, 0); }
