#include "support/EngineFixture.h"

#include "core/ScriptCore.h"
#include "core/cPyRef.h"
#include "model/ModelBinding.h"
#include "model/cModel.h"

namespace {

class ModelModuleTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        WriteFile("a.obj", "v -1 -1 0\nv 1 -1 0\nv 0 1 0\nvn 0 0 1\nvn 0 0 1\nvn 0 0 1\nusemtl a\nf 1//1 2//2 3//3\n");
        WriteFile("b.obj", "v -1 -1 0\nv 3 -1 0\nv 0 3 0\nvn 0 0 1\nvn 0 0 1\nvn 0 0 1\n");
        // The game's wrapper, imported from the script package as the game imports it.
        WriteFile("system/model.py", ReadFile(BW_SOURCE_DIR "/game/system/model.py"));
        ASSERT_EQ(Exec("import _model\nfrom system import model\n"), "");
    }
};

} // namespace

TEST_F(ModelModuleTest, TheGamesWrapperClassLoadsMeasuresAndFillsTheCollisionList)
{
    std::vector<CollisionTriangle> triangles(1);   // appended to, not replaced
    cPyRef list = cPyRef::Steal(PyCapsule_New(&triangles, "_p_std__vectorTCollisionTriangle_t", nullptr));
    ASSERT_EQ(PyDict_SetItemString(g_ScriptCore.Namespace(), "triangles", list.Get()), 0);
    ASSERT_EQ(Exec("m = model.cModel('a.obj')\nm.AddFrame('b.obj')\nm.CalcExtraData()\nm.GetTriangles(triangles)"), "");
    EXPECT_EQ(Eval("m.FrameCount(), m.GetWidth(), m.GetHeight(), m.GetLength(), type(m.GetCenter()).__name__"),
              "(2, 3.0, 3.0, 0.0, 'PyCapsule')");   // no class for Point3D
    EXPECT_EQ(triangles.size(), 2u);
    // A pointer object of another type is no model to the collision code.
    cModel* pModel = nullptr;
    EXPECT_EQ(ModelBehindPointer(list.Get(), pModel), eModelPointer::NOT_A_MODEL);
}

// Records read and write through pointer objects and registered classes; wrong calls fail with
// the binding's and the engine's own texts.
TEST_F(ModelModuleTest, CallsGiveTheirExactResultsAndErrorTexts)
{
    ASSERT_EQ(Exec("m = _model.new_cModel('a.obj')\nd = _model.new_cModel('a.obj')\n_model.delete_cModel(d)\n"
                   "gone = _model.new_Group()\nfaces = _model.Group_TriArray_get(gone)\n_model.delete_Group(gone)\n"
                   "class P:\n    def __init__(self, this):\n        self.this = this\n"
                   "_model.Point3D2_swigregister(P)\n_model.RGBColor_swigregister(P)\n"
                   "r = _model.new_Point3D2()\n_model.Point3D2_y_set(r, 2.5)\n"
                   "a = _model.new_Material()\n_model.Material_Ns_set(a, 12)\ng = _model.new_Group()\n"
                   "e = _model.new_cModelException(_model.TriFace_vertIndex_get(_model.new_TriFace()), "
                   "_model.Group_MatName_get(g))\n"), "");
    const char* deleted = "RuntimeError: argument number 1: the cModel behind this pointer object was deleted";
    struct sCase { const char* expression; const char* result; };
    const sCase cases[] = {
        {"type(r).__name__, r.thisown, _model.Point3D2_y_get(r), hasattr(_model.Material_diffuse_get(a), 'thisown')",
         "('P', True, 2.5, False)"},
        {"_model.Group_MatIndex_set(g, 7), _model.Group_MatIndex_get(g), _model.Material_Ns_get(a)", "(None, 7, 12.0)"},
        {"_model.Material_specular_set(a, _model.Material_diffuse_get(a))", "None"},
        {"_model.cModelException_what(e), type(_model.cModelException_code(e)).__name__, "
         "_model.delete_cModelException(e)", "('', 'PyCapsule', None)"},
        {"_model.cModel_Animate(m, -1, 0.5, 0, 0, 0)", "NotImplementedError: No matching function for overloaded 'cModel_Animate'"},
        {"_model.cModel_Animate(m, 0, 'x', 0, 0, 0)", "NotImplementedError: No matching function for overloaded 'cModel_Animate'"},
        {"_model.cModel_Draw(m, 0, 0)", "NotImplementedError: No matching function for overloaded 'cModel_Draw'"},
        {"_model.new_cModel(5)", "NotImplementedError: No matching function for overloaded 'new_cModel'"},
        {"_model.cModel_Animate(m, 1, 0.5, 0, 0, 0)", "RuntimeError: ME_DRAW_ERROR: Specified frame number to draw does not exist"},
        {"_model.cModel_AddFrame(m, 'MODEL.OBJ')", "RuntimeError: ME_LOAD_ERROR: File given without .obj extension"},
        {"_model.new_cModel('missing.obj')", "RuntimeError: ME_LOAD_ERROR: Error Opening File: missing.obj"},
        {"_model.cModel_LoadMTLFile(m, 'missing.mtl')", "RuntimeError: Error Opening Material File"},
        {"_model.cModel_MakeStatic(_model.new_cModel())",
         "RuntimeError: ME_OPERATION_ERROR: Attempted to make a model static which has more than one frames (or 0)"},
        {"_model.cModel_FrameCount(g)", "TypeError: argument number 1: a 'cModel *' is expected, 'PyCapsule(_p_Group)' is received"},
        {"_model.cModel_FrameCount(5)", "TypeError: argument number 1: a 'cModel *' is expected, 'int(5)' is received"},
        {"_model.cModel_GetTriangles(m, None)", "TypeError: null reference of type 'std::vector<CollisionTriangle >' was received"},
        {"_model.cModel_AddFrame(m, 5)", "TypeError: argument number 2: a 'char *' is expected, 'int(5)' is received"},
        {"_model.Point3D2_x_set(r, 1e300)", "OverflowError: argument number 2: value float(1e+300) is out of range for 'float'"},
        {"_model.Group_MatIndex_set(g, 2**40)", "OverflowError: argument number 2: value 1099511627776 is greater than 'int' maximum 2147483647"},
        {"_model.Group_MatIndex_set(g, 1.5)", "TypeError: argument number 2: a 'int' is expected, 'float(1.5)' is received"},
        {"_model.TriFace_vertIndex_set(_model.new_TriFace(), _model.VTNData_vertIndex_get(_model.new_VTNData()))",
         "ValueError: argument number 2: three Uint32 values are expected, the pointer object holds 1"},
        {"_model.delete_cModel(d)", deleted},
        {"_model.cModel_Animate(d, 0, 0, 0, 0, 0)", deleted},
        {"_model.delete_cModel(None)", "None"},
        // Objects inside a deleted record go with it; objects inside another are not deleted alone.
        {"_model.Group_TriArray_set(_model.new_Group(), faces)",
         "RuntimeError: argument number 2: the Group that held this std::vector<TriFace > was deleted"},
        {"_model.delete_RGBColor(_model.Material_ambient_get(a))",
         "RuntimeError: the RGBColor behind this pointer object belongs to another object and is not deleted on its own"},
    };
    for (const sCase& c : cases)
        EXPECT_EQ(Eval(c.expression), c.result) << c.expression;
    ASSERT_EQ(Exec("del m, d, r, a, g"), "");   // the registered class keeps the namespace alive
}

TEST_F(ModelModuleTest, ScriptCodeRunWhileArgumentsAreConvertedCannotFreeWhatTheCallUses)
{
    ASSERT_EQ(Exec("class Fresh:\n"   // every read of "this" makes a model only the call holds
                   "    @property\n    def this(self):\n        made = model.cModel('a.obj')\n        made.thisown = False\n"
                   "        return made.this\n"
                   "class F(int):\n"   // runs `action` each time it is converted to a float
                   "    def __float__(self):\n        action()\n        return float(int(self))\n"
                   "p = _model.new_Point3D2()\nm = _model.new_cModel('a.obj')\ncalls = []\n"), "");
    struct sCase { const char* action; const char* call; const char* result; };
    const sCase cases[] = {
        {"None", "_model.cModel_FrameCount(Fresh())", "1"},
        {"None", "_model.delete_cModel(Fresh())", "None"},
        {"lambda: _model.delete_Point3D2(p)", "_model.Point3D2_x_set(p, F(1))",
         "RuntimeError: argument number 1: the Point3D2 behind this pointer object was deleted"},
        // Animate converts its numbers twice, to pick the overload and then to use them.
        {"lambda: calls.append(1) or len(calls) == 2 and _model.delete_cModel(m)",
         "_model.cModel_Animate(m, 0, F(0), 0, 0, 0)",
         "RuntimeError: argument number 1: the cModel behind this pointer object was deleted"},
    };
    for (const sCase& c : cases) {
        ASSERT_EQ(Exec(std::string("action = ") + c.action), "");
        EXPECT_EQ(Eval(c.call), c.result) << c.call;
    }
    // With classes in it the namespace lives in a reference cycle, which the interpreter does not
    // collect when it ends: pointer objects left there would read as leaks of the engine.
    ASSERT_EQ(Exec("del m, p"), "");
}
