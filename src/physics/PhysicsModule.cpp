#include "physics/PhysicsModule.h"

#include <cmath>
#include <vector>

#include "core/cPyRef.h"
#include "model/ModelBinding.h"
#include "physics/ClothObject.h"
#include "physics/CollisionModel.h"
#include "physics/cCollisionRoom.h"

namespace {

// The module owns the room prepared by the last sweep and keeps it for the next one: the game
// sweeps through the same room many times a frame.
cCollisionRoom s_PreparedRoom;

// One numeric attribute of a script object as a finite float. `owner` names the object in the
// message ("the room", "an object in the list").
bool ReadNumber(PyObject* object, const char* name, const char* owner, float& out)
{
    cPyRef attribute = cPyRef::Steal(PyObject_GetAttrString(object, name));
    if (!attribute) {
        PyErr_Format(PyExc_TypeError, "%s has no attribute '%s'", owner, name);
        return false;
    }
    double number = PyFloat_AsDouble(attribute.Get());
    if (number == -1.0 && PyErr_Occurred()) {
        // An int too large for a double is a number all the same.
        if (PyErr_ExceptionMatches(PyExc_OverflowError)) {
            PyErr_Clear();
            PyErr_Format(PyExc_ValueError, "attribute '%s' of %s is out of range", name, owner);
            return false;
        }
        PyErr_Clear();
        PyErr_Format(PyExc_TypeError, "attribute '%s' of %s must be a number, not %s", name, owner,
                     Py_TYPE(attribute.Get())->tp_name);
        return false;
    }
    if (!std::isfinite(number)) {
        PyErr_Format(PyExc_ValueError, "attribute '%s' of %s must be a finite number", name, owner);
        return false;
    }
    out = float(number);
    if (!std::isfinite(out)) {
        PyErr_Format(PyExc_ValueError, "attribute '%s' of %s is out of range", name, owner);
        return false;
    }
    return true;
}

bool ReadVector(PyObject* object, const char* xName, const char* yName, const char* zName, const char* owner,
                cVector3& out)
{
    return ReadNumber(object, xName, owner, out.x) && ReadNumber(object, yName, owner, out.y) &&
           ReadNumber(object, zName, owner, out.z);
}

// The pointer object behind a script model object: its "this". The caller holds it for the
// whole call, since a property may make a fresh one each time it is read.
cPyRef ModelPointerOf(PyObject* modelObject)
{
    cPyRef pointer = cPyRef::Steal(PyObject_GetAttrString(modelObject, "this"));
    if (!pointer) {
        PyErr_SetString(PyExc_TypeError, "a model object has no attribute 'this'");
        return cPyRef();
    }
    cModel* model = nullptr;
    switch (ModelBehindPointer(pointer.Get(), model)) {
    case eModelPointer::MODEL:
        return pointer;
    case eModelPointer::DELETED:
        PyErr_SetString(PyExc_TypeError, "the cModel of a model object was deleted");
        return cPyRef();
    case eModelPointer::NOT_A_MODEL:
        break;
    }
    PyErr_SetString(PyExc_TypeError, "the attribute 'this' of a model object does not hold a cModel");
    return cPyRef();
}

// The model behind a held pointer object, once every attribute has been read: reading one runs
// script code, which may have deleted the model meanwhile.
cModel* ModelBehind(PyObject* pointer)
{
    cModel* model = nullptr;
    if (ModelBehindPointer(pointer, model) != eModelPointer::MODEL) {
        PyErr_SetString(PyExc_RuntimeError, "the cModel of a model object was deleted during the call");
        return nullptr;
    }
    return model;
}

// The record of a room or list item whose model object is `modelObject` (not None); its model is
// filled in from `pointer` after all reading.
bool ReadCollisionModel(PyObject* object, PyObject* modelObject, const char* owner, CollisionModel& out,
                        cPyRef& pointer)
{
    pointer = ModelPointerOf(modelObject);
    return pointer && ReadVector(object, "x", "y", "z", owner, out.position) &&
           ReadVector(object, "xraxis", "yraxis", "zraxis", owner, out.rotAxis) &&
           ReadNumber(object, "rotangle", owner, out.rotAngle);
}

PyObject* physics_checkcollision(PyObject*, PyObject* args)
{
    PyObject *first = nullptr, *second = nullptr;
    if (!PyArg_ParseTuple(args, "OO", &first, &second))
        return nullptr;
    // No test between two boxes is made yet; both objects are read so that a script learns of a
    // box it has described wrongly.
    PyObject* objects[2] = {first, second};
    for (int i = 0; i < 2; ++i) {
        const char* owner = i == 0 ? "the first object" : "the second object";
        cVector3 extents, position, offset, axis;
        float angle;
        if (!ReadVector(objects[i], "exwidth", "exheight", "exlength", owner, extents) ||
            !ReadVector(objects[i], "x", "y", "z", owner, position) ||
            !ReadVector(objects[i], "xoff", "yoff", "zoff", owner, offset) ||
            !ReadVector(objects[i], "xraxis", "yraxis", "zraxis", owner, axis) ||
            !ReadNumber(objects[i], "rotangle", owner, angle))
            return nullptr;
    }
    Py_RETURN_NONE;
}

PyObject* physics_handlecollisions(PyObject*, PyObject* args)
{
    PyObject *mover = nullptr, *room = nullptr, *list = nullptr;
    cVector3 destination;
    int unused = 0;
    if (!PyArg_ParseTuple(args, "O(fff)OO!i", &mover, &destination.x, &destination.y, &destination.z, &room,
                          &PyList_Type, &list, &unused))
        return nullptr;
    if (!std::isfinite(destination.x) || !std::isfinite(destination.y) || !std::isfinite(destination.z)) {
        PyErr_SetString(PyExc_ValueError, "The destination must be finite");
        return nullptr;
    }
    if (PyList_Size(list) == 0) {
        PyErr_SetString(PyExc_ValueError, "The object list is empty");
        return nullptr;
    }
    cPyRef iterator = cPyRef::Steal(PyObject_GetIter(list));
    if (!iterator) {
        PyErr_SetString(PyExc_TypeError, "The object list does not appear to be a list type");
        return nullptr;
    }

    CollisionModel moving;
    cPyRef moverPointer;
    bool haveMover = false;
    std::vector<CollisionModel> others;
    std::vector<cPyRef> otherPointers;
    while (cPyRef item = cPyRef::Steal(PyIter_Next(iterator.Get()))) {
        const char* attribute = PyObject_HasAttrString(item.Get(), "modelrun") ? "modelrun" : "model";
        cPyRef modelObject = cPyRef::Steal(PyObject_GetAttrString(item.Get(), attribute));
        if (!modelObject) {
            PyErr_SetString(PyExc_TypeError, "an object in the list has neither a 'modelrun' nor a 'model' attribute");
            return nullptr;
        }
        if (modelObject.Get() == Py_None)
            continue;   // an object without a model takes no part in the sweep
        bool isMover = item.Get() == mover;
        CollisionModel record;
        cPyRef pointer;
        if (!ReadCollisionModel(item.Get(), modelObject.Get(), isMover ? "the moving object" : "an object in the list",
                                record, pointer))
            return nullptr;
        if (isMover) {
            moving = record;
            moverPointer = std::move(pointer);
            haveMover = true;
        } else {
            others.push_back(record);
            otherPointers.push_back(std::move(pointer));
        }
    }
    if (PyErr_Occurred())
        return nullptr;
    if (!haveMover) {
        PyErr_SetString(PyExc_TypeError, "The moving object is not in the object list or has no model");
        return nullptr;
    }
    cPyRef roomModel = cPyRef::Steal(PyObject_GetAttrString(room, "model"));
    if (!roomModel) {
        PyErr_SetString(PyExc_TypeError, "the room has no attribute 'model'");
        return nullptr;
    }
    if (roomModel.Get() == Py_None) {
        PyErr_SetString(PyExc_TypeError, "The room has no model");
        return nullptr;
    }
    CollisionModel roomRecord;
    cPyRef roomPointer;
    if (!ReadCollisionModel(room, roomModel.Get(), "the room", roomRecord, roomPointer))
        return nullptr;

    if (!(moving.model = ModelBehind(moverPointer.Get())) || !(roomRecord.model = ModelBehind(roomPointer.Get())))
        return nullptr;
    for (size_t i = 0; i < others.size(); ++i)
        if (!(others[i].model = ModelBehind(otherPointers[i].Get())))
            return nullptr;
    if (!HasEllipsoidSize(*moving.model)) {
        PyErr_SetString(PyExc_ValueError,
                        "The moving object's model must have a positive width, height and length");
        return nullptr;
    }

    if (!IsSweepInRange(moving, destination)) {
        PyErr_SetString(PyExc_ValueError, "The destination or the moving object's position is out of range "
                                          "(farther than 1e15 times the object's size from the origin)");
        return nullptr;
    }
    cVector3 result = HandleCollisions(moving, destination, roomRecord, others, s_PreparedRoom);
    if (!std::isfinite(result.x) || !std::isfinite(result.y) || !std::isfinite(result.z)) {
        PyErr_SetString(PyExc_ValueError, "The move cannot be computed: the room is out of range");
        return nullptr;
    }
    return Py_BuildValue("(fff)", result.x, result.y, result.z);
}

// The module's state: its cloth type, released with the module.
struct sPhysicsState
{
    PyObject* clothType;
};

sPhysicsState* StateOf(PyObject* module) { return static_cast<sPhysicsState*>(PyModule_GetState(module)); }

PyObject* physics_cloth(PyObject* module, PyObject* args, PyObject* keywords)
{
    return NewCloth(reinterpret_cast<PyTypeObject*>(StateOf(module)->clothType), args, keywords);
}

PyMethodDef physicsMethods[] = {
    {"checkcollision", physics_checkcollision, METH_VARARGS, "Check collision for two objects."},
    {"handlecollisions", physics_handlecollisions, METH_VARARGS, "Check collisions in a room."},
    {"cloth", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(physics_cloth)), METH_VARARGS | METH_KEYWORDS,
     "cloth(width, height, columns, rows[, texture]): a new physics.Cloth hanging from its top corners."},
    {nullptr, nullptr, 0, nullptr},
};

int physics_traverse(PyObject* module, visitproc visit, void* arg)
{
    if (sPhysicsState* state = StateOf(module))
        Py_VISIT(state->clothType);
    return 0;
}

int physics_clear(PyObject* module)
{
    if (sPhysicsState* state = StateOf(module))
        Py_CLEAR(state->clothType);
    return 0;
}

void physics_free(void* module) { physics_clear(static_cast<PyObject*>(module)); }

PyModuleDef physicsModule = {PyModuleDef_HEAD_INIT, "physics", nullptr, sizeof(sPhysicsState), physicsMethods,
                             nullptr, physics_traverse, physics_clear, physics_free};

} // namespace

PyObject* CreatePhysicsModule()
{
    cPyRef module = cPyRef::Steal(PyModule_Create(&physicsModule));
    if (!module)
        return nullptr;
    sPhysicsState* state = StateOf(module.Get());   // zeroed by PyModule_Create
    state->clothType = CreateClothType();
    if (!state->clothType || PyModule_AddObjectRef(module.Get(), "Cloth", state->clothType) < 0)
        return nullptr;
    return module.Release();
}
