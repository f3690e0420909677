#include "physics/PhysicsModule.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "core/cPyRef.h"
#include "physics/CollisionModel.h"

namespace {

// The box that checkcollision fills for each object; no test between two boxes is made yet.
struct OBB
{
    cVector3 extents;
    cVector3 center;
    cVector3 axes[3];
};

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
        PyErr_Format(PyExc_TypeError, "attribute '%s' of %s must be a number, not %s", name, owner,
                     Py_TYPE(attribute.Get())->tp_name);
        return false;
    }
    out = float(number);
    if (!std::isfinite(out)) {
        PyErr_Format(PyExc_ValueError, "attribute '%s' of %s must be a finite number", name, owner);
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

// The cModel behind a script model object: its "this" holds the _model module's pointer object.
cModel* ModelOf(PyObject* modelObject)
{
    cPyRef pointer = cPyRef::Steal(PyObject_GetAttrString(modelObject, "this"));
    if (!pointer) {
        PyErr_SetString(PyExc_TypeError, "a model object has no attribute 'this'");
        return nullptr;
    }
    if (PyCapsule_CheckExact(pointer.Get())) {
        const char* name = PyCapsule_GetName(pointer.Get());
        if (name && std::strcmp(name, "_p_cModel (deleted)") == 0) {
            PyErr_SetString(PyExc_TypeError, "the cModel of a model object was deleted");
            return nullptr;
        }
    }
    if (!PyCapsule_IsValid(pointer.Get(), "_p_cModel")) {
        PyErr_SetString(PyExc_TypeError, "the attribute 'this' of a model object does not hold a cModel");
        return nullptr;
    }
    return static_cast<cModel*>(PyCapsule_GetPointer(pointer.Get(), "_p_cModel"));
}

// The record of a room or list item whose model object is `modelObject` (not None).
bool ReadCollisionModel(PyObject* object, PyObject* modelObject, const char* owner, CollisionModel& out)
{
    out.model = ModelOf(modelObject);
    return out.model && ReadVector(object, "x", "y", "z", owner, out.position) &&
           ReadVector(object, "xraxis", "yraxis", "zraxis", owner, out.rotAxis) &&
           ReadNumber(object, "rotangle", owner, out.rotAngle);
}

PyObject* physics_checkcollision(PyObject*, PyObject* args)
{
    PyObject *first = nullptr, *second = nullptr;
    if (!PyArg_ParseTuple(args, "OO", &first, &second))
        return nullptr;
    OBB boxes[2];
    PyObject* objects[2] = {first, second};
    for (int i = 0; i < 2; ++i) {
        const char* owner = i == 0 ? "the first object" : "the second object";
        cVector3 position, offset, axis;
        float angle;
        if (!ReadVector(objects[i], "exwidth", "exheight", "exlength", owner, boxes[i].extents) ||
            !ReadVector(objects[i], "x", "y", "z", owner, position) ||
            !ReadVector(objects[i], "xoff", "yoff", "zoff", owner, offset) ||
            !ReadVector(objects[i], "xraxis", "yraxis", "zraxis", owner, axis) ||
            !ReadNumber(objects[i], "rotangle", owner, angle))
            return nullptr;
        boxes[i].center = {position.x + offset.x, position.y + offset.y, position.z + offset.z};
        boxes[i].axes[0] = {1, 0, 0};
        boxes[i].axes[1] = {0, 1, 0};
        boxes[i].axes[2] = {0, 0, 1};
    }
    Py_RETURN_NONE;
}

PyObject* physics_handlecollisions(PyObject*, PyObject* args)
{
    PyObject *mover = nullptr, *room = nullptr, *list = nullptr;
    cVector3 destination;
    int n = 0;
    if (!PyArg_ParseTuple(args, "O(fff)OO!i", &mover, &destination.x, &destination.y, &destination.z, &room,
                          &PyList_Type, &list, &n))
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
    bool haveMover = false;
    std::vector<CollisionModel> others;
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
        if (!ReadCollisionModel(item.Get(), modelObject.Get(), isMover ? "the moving object" : "an object in the list",
                                record))
            return nullptr;
        if (isMover) {
            moving = record;
            haveMover = true;
        } else {
            others.push_back(record);
        }
    }
    if (PyErr_Occurred())
        return nullptr;
    if (!haveMover) {
        PyErr_SetString(PyExc_TypeError, "The moving object is not in the object list or has no model");
        return nullptr;
    }
    if (!HasEllipsoidSize(*moving.model)) {
        PyErr_SetString(PyExc_ValueError,
                        "The moving object's model must have a positive width, height and length");
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
    if (!ReadCollisionModel(room, roomModel.Get(), "the room", roomRecord))
        return nullptr;

    cVector3 result = HandleCollisions(moving, destination, roomRecord, others, unsigned(n));
    return Py_BuildValue("(fff)", result.x, result.y, result.z);
}

PyMethodDef physicsMethods[] = {
    {"checkcollision", physics_checkcollision, METH_VARARGS, "Check collision for two objects."},
    {"handlecollisions", physics_handlecollisions, METH_VARARGS, "Check collisions in a room."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef physicsModule = {PyModuleDef_HEAD_INIT, "physics", nullptr, -1, physicsMethods,
                             nullptr, nullptr, nullptr, nullptr};

} // namespace

PyObject* CreatePhysicsModule() { return PyModule_Create(&physicsModule); }
