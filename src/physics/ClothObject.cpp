#include "physics/ClothObject.h"

#include <GL/gl.h>

#include <cmath>
#include <memory>
#include <new>

#include "physics/cCloth.h"

namespace {

// Each mass weighs MASS_PER_POINT, so a wind of (MASS_PER_POINT * 9.8, 0, 0) pushes sideways as
// hard as gravity pulls down. The springs are stiff enough for a flag or a sail to keep its shape
// at the cloth's fixed step of 4 ms.
constexpr float MASS_PER_POINT = 0.1f;
constexpr float STRUCT_STIFFNESS = 500.0f, STRUCT_DAMPING = 0.5f;
constexpr float SHEAR_STIFFNESS = 300.0f, SHEAR_DAMPING = 0.3f;
constexpr float BEND_STIFFNESS = 100.0f, BEND_DAMPING = 0.1f;
constexpr double MAX_SIZE = 1000.0;   // the messages say so
constexpr long MAX_MASSES = 65536;   // the mesh indexes masses with 16 bits
constexpr double MAX_STEP = 1.0;     // seconds, as the message says; cCloth simulates at most 0.2 of them

struct sClothState
{
    std::unique_ptr<cCloth> cloth;
    int columns = 0, rows = 0;
    bool textured = false;
    cVector3 position{0, 0, 0};
    float angle = 0;   // degrees about y
};

struct sClothObject
{
    PyObject_HEAD
    sClothState state;   // constructed in place by NewCloth, destroyed by ClothDealloc
};

sClothState& StateOf(PyObject* self) { return reinterpret_cast<sClothObject*>(self)->state; }

// Doubles as finite floats; `what` names them in the message.
bool ToFloats(const double* values, float* out, int count, const char* what)
{
    for (int i = 0; i < count; ++i) {
        out[i] = float(values[i]);
        if (!std::isfinite(values[i]) || !std::isfinite(out[i])) {
            PyErr_Format(PyExc_ValueError, "%s must be finite", what);
            return false;
        }
    }
    return true;
}

// The mass index of a grid point, or -1 with a ValueError.
int MassIndex(const sClothState& state, int column, int row)
{
    if (column < 0 || row < 0 || column >= state.columns || row >= state.rows) {
        PyErr_Format(PyExc_ValueError, "(%d, %d) is outside the cloth's grid of %d columns and %d rows", column, row,
                     state.columns, state.rows);
        return -1;
    }
    return row * state.columns + column;
}

void ClothDealloc(PyObject* self)
{
    PyTypeObject* type = Py_TYPE(self);
    StateOf(self).~sClothState();
    type->tp_free(self);
    Py_DECREF(type);   // each instance of a heap type holds a reference to it
}

PyObject* ClothPin(PyObject* self, PyObject* args, PyObject* keywords)
{
    static const char* names[] = {"column", "row", "pinned", nullptr};
    int column = 0, row = 0, pinned = 1;
    if (!PyArg_ParseTupleAndKeywords(args, keywords, "ii|p:pin", const_cast<char**>(names), &column, &row, &pinned))
        return nullptr;
    sClothState& state = StateOf(self);
    int index = MassIndex(state, column, row);
    if (index < 0)
        return nullptr;
    state.cloth->GetMasses()[size_t(index)].SetImmovable(pinned != 0);
    Py_RETURN_NONE;
}

PyObject* ClothWind(PyObject* self, PyObject* args)
{
    double values[3];
    float force[3];
    if (!PyArg_ParseTuple(args, "ddd:wind", &values[0], &values[1], &values[2]) ||
        !ToFloats(values, force, 3, "the wind"))
        return nullptr;
    const bool any = force[0] != 0 || force[1] != 0 || force[2] != 0;
    StateOf(self).cloth->SetExternalForce(any, {force[0], force[1], force[2]});
    Py_RETURN_NONE;
}

PyObject* ClothStep(PyObject* self, PyObject* args)
{
    double seconds = 0;
    if (!PyArg_ParseTuple(args, "d:step", &seconds))
        return nullptr;
    if (!(seconds > 0 && seconds <= MAX_STEP)) {
        PyErr_Format(PyExc_ValueError, "a cloth step must be more than 0 and at most 1 second, not %R",
                     PyTuple_GET_ITEM(args, 0));
        return nullptr;
    }
    StateOf(self).cloth->Update(float(seconds));
    Py_RETURN_NONE;
}

PyObject* ClothDraw(PyObject* self, PyObject*)
{
    const sClothState& state = StateOf(self);
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    glPushMatrix();
    glTranslatef(state.position.x, state.position.y, state.position.z);
    glRotatef(state.angle, 0, 1, 0);
    // Lit from both sides in the mesh's own colour, whatever material the last model left behind.
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    const GLfloat noSpecular[4] = {0, 0, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, noSpecular);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glDisable(GL_CULL_FACE);
    if (state.textured) {
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    state.cloth->Draw();
    glPopMatrix();
    glPopAttrib();
    Py_RETURN_NONE;
}

PyObject* ClothSetPosition(PyObject* self, PyObject* args)
{
    double values[3];
    float position[3];
    if (!PyArg_ParseTuple(args, "ddd:setposition", &values[0], &values[1], &values[2]) ||
        !ToFloats(values, position, 3, "the position"))
        return nullptr;
    StateOf(self).position = {position[0], position[1], position[2]};
    Py_RETURN_NONE;
}

PyObject* ClothSetRotation(PyObject* self, PyObject* args)
{
    double value = 0;
    float angle = 0;
    if (!PyArg_ParseTuple(args, "d:setrotation", &value) || !ToFloats(&value, &angle, 1, "the angle"))
        return nullptr;
    StateOf(self).angle = angle;
    Py_RETURN_NONE;
}

PyObject* ClothPoint(PyObject* self, PyObject* args)
{
    int column = 0, row = 0;
    if (!PyArg_ParseTuple(args, "ii:point", &column, &row))
        return nullptr;
    const sClothState& state = StateOf(self);
    int index = MassIndex(state, column, row);
    if (index < 0)
        return nullptr;
    const cVector3& p = state.cloth->GetMasses()[size_t(index)].GetPos();
    return Py_BuildValue("(ddd)", double(p.x), double(p.y), double(p.z));
}

PyMethodDef clothMethods[] = {
    {"pin", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(ClothPin)), METH_VARARGS | METH_KEYWORDS, "pin(column, row[, pinned=True]): holds a grid point in place, or frees it."},
    {"wind", ClothWind, METH_VARARGS, "wind(x, y, z): a force on every point, each step until changed."},
    {"step", ClothStep, METH_VARARGS, "step(seconds): advances the simulation."},
    {"draw", ClothDraw, METH_NOARGS, "draw(): draws the cloth lit, at its position and rotation."},
    {"setposition", ClothSetPosition, METH_VARARGS, "setposition(x, y, z): where the cloth is drawn."},
    {"setrotation", ClothSetRotation, METH_VARARGS, "setrotation(degrees): its turn about y when drawn."},
    {"point", ClothPoint, METH_VARARGS, "point(column, row): a grid point's (x, y, z) in the cloth's own space."},
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot clothSlots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(ClothDealloc)},
    {Py_tp_methods, clothMethods},
    {Py_tp_doc, const_cast<char*>("A hanging cloth made by physics.cloth().")},
    {0, nullptr},
};

PyType_Spec clothSpec = {"physics.Cloth", int(sizeof(sClothObject)), 0,
                         Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, clothSlots};

} // namespace

PyObject* CreateClothType() { return PyType_FromSpec(&clothSpec); }

PyObject* NewCloth(PyTypeObject* type, PyObject* args, PyObject* keywords)
{
    static const char* names[] = {"width", "height", "columns", "rows", "texture", nullptr};
    double size[2];
    int columns = 0, rows = 0;
    const char* texture = "";
    if (!PyArg_ParseTupleAndKeywords(args, keywords, "ddii|s:cloth", const_cast<char**>(names), &size[0], &size[1],
                                     &columns, &rows, &texture))
        return nullptr;
    if (!(size[0] > 0 && size[0] <= MAX_SIZE && size[1] > 0 && size[1] <= MAX_SIZE)) {
        PyErr_SetString(PyExc_ValueError, "a cloth's width and height must be more than 0 and at most 1000");
        return nullptr;
    }
    if (columns < 2 || rows < 2 || long(columns) * rows > MAX_MASSES) {
        PyErr_Format(PyExc_ValueError, "a cloth needs at least 2 columns and 2 rows and at most %ld points, not %d x %d",
                     MAX_MASSES, columns, rows);
        return nullptr;
    }
    sClothObject* object = PyObject_New(sClothObject, type);
    if (!object)
        return nullptr;
    sClothState& state = *new (&object->state) sClothState();
    state.cloth = std::make_unique<cCloth>();
    state.columns = columns;
    state.rows = rows;
    state.textured = *texture != '\0';
    const float width = float(size[0]), height = float(size[1]);
    state.cloth->Initialize(width, height, columns, rows, MASS_PER_POINT, STRUCT_STIFFNESS, STRUCT_DAMPING,
                            SHEAR_STIFFNESS, SHEAR_DAMPING, BEND_STIFFNESS, BEND_DAMPING, texture);
    if (state.textured && state.cloth->GetMesh()->m_TextureID == 0) {
        PyErr_Format(PyExc_ValueError, "the cloth's texture '%s' cannot be loaded", texture);
        Py_DECREF(object);
        return nullptr;
    }
    // Hung from its top edge in its own x-y plane, at the rest lengths Initialize gave the springs.
    const float dx = width / float(columns - 1), dy = height / float(rows - 1);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            state.cloth->GetMasses()[size_t(row * columns + column)].SetPosition(float(column) * dx,
                                                                                 0.0f - float(row) * dy, 0);
    return reinterpret_cast<PyObject*>(object);
}
