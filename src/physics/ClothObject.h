#pragma once
#include <Python.h>

// The physics module's cloth: a script object (type physics.Cloth) that owns one cCloth hanging
// in its own x-y plane, with a placement used when it is drawn.
PyTypeObject* ClothType();   // made ready on first use; null with the error set if that failed
// physics.cloth(width, height, columns, rows[, texture]): a new reference, or null with the error set.
PyObject* NewCloth(PyObject* args, PyObject* keywords);
