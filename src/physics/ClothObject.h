#pragma once
#include <Python.h>

// The physics module's cloth: a script object (type physics.Cloth) that owns one cCloth hanging
// in its own x-y plane, with a placement used when it is drawn.
PyObject* CreateClothType();   // a new reference to the type, or null with the error set
// physics.cloth(width, height, columns, rows[, texture]): a new cloth of `type`, or null with the
// error set.
PyObject* NewCloth(PyTypeObject* type, PyObject* args, PyObject* keywords);
