#include <Python.h>
#include <SDL/SDL.h>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>

#include "core/cPyRef.h"
#include "input/InputManager.h"
#include "input/InputModule.h"

// The cost of the per-frame input queries as scripts make them, beside the cheapest call the
// interpreter has (the built-in len) and an empty loop, all compiled the same way and run in
// the same interpreter: the ratio to len is the engine's share of a call.

namespace {

constexpr int CALLS_PER_ITERATION = 1000;
PyObject* g_pNamespace = nullptr;   // the benchmarks' script globals, alive for the whole run

cPyRef CompileLoop(const char* statement)
{
    std::string source = "for _ in range(" + std::to_string(CALLS_PER_ITERATION) + "):\n    " +
                         statement + "\n";
    return cPyRef::Steal(Py_CompileString(source.c_str(), "<bench>", Py_file_input));
}

void RunLoop(benchmark::State& state, const char* statement)
{
    cPyRef code = CompileLoop(statement);
    if (!code) {
        PyErr_Print();
        state.SkipWithError("the loop does not compile");
        return;
    }
    for (auto _ : state) {
        cPyRef result = cPyRef::Steal(PyEval_EvalCode(code.Get(), g_pNamespace, g_pNamespace));
        if (!result) {
            PyErr_Print();
            state.SkipWithError("the loop raised");
            return;
        }
    }
    state.counters["per_call"] = benchmark::Counter(
        double(state.iterations()) * CALLS_PER_ITERATION,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Call_EmptyLoop(benchmark::State& state) { RunLoop(state, "pass"); }
void BM_Call_PythonLen(benchmark::State& state) { RunLoop(state, "len('SDLK_q')"); }
void BM_Call_InputIskeydown(benchmark::State& state) { RunLoop(state, "input.iskeydown('SDLK_q')"); }
void BM_Call_InputAction(benchmark::State& state) { RunLoop(state, "input.action()"); }

BENCHMARK(BM_Call_EmptyLoop);
BENCHMARK(BM_Call_PythonLen);
BENCHMARK(BM_Call_InputIskeydown);
BENCHMARK(BM_Call_InputAction);

bool Check(const char* expression, const char* expected)
{
    cPyRef result = cPyRef::Steal(PyRun_String(expression, Py_eval_input, g_pNamespace, g_pNamespace));
    cPyRef repr = cPyRef::Steal(result ? PyObject_Repr(result.Get()) : nullptr);
    const char* text = repr ? PyUnicode_AsUTF8(repr.Get()) : nullptr;
    if (text && std::string(text) == expected)
        return true;
    std::fprintf(stderr, "%s gave %s, expected %s\n", expression, text ? text : "an error", expected);
    PyErr_Print();
    return false;
}

// SDL video for the key-state array, the input manager, then the interpreter with the input
// module where `import input` finds it. The input manager starts first: without the scripts'
// config it takes the default key map.
bool StartEngineParts()
{
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
        return false;
    }
    g_Input.Init();
    Py_InitializeEx(0);
    cPyRef module = cPyRef::Steal(CreateInputModule());
    if (!module || PyDict_SetItemString(PyImport_GetModuleDict(), "input", module.Get()) < 0)
        return false;
    g_pNamespace = PyDict_New();
    if (!g_pNamespace || PyDict_SetItemString(g_pNamespace, "__builtins__", PyEval_GetBuiltins()) < 0)
        return false;
    cPyRef imported = cPyRef::Steal(PyRun_String("import input", Py_file_input, g_pNamespace, g_pNamespace));
    if (!imported)
        return false;
    // Every benchmark's statement gives what it should before it is timed.
    return Check("len('SDLK_q')", "6") && Check("input.iskeydown('SDLK_q')", "False") &&
           Check("input.action()", "False");
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!StartEngineParts()) {
        PyErr_Print();
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Py_XDECREF(g_pNamespace);
    Py_FinalizeEx();
    g_Input.Cleanup();
    SDL_Quit();
    return 0;
}
