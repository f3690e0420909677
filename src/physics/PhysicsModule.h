#pragma once
#include <Python.h>

PyObject* CreatePhysicsModule();   // a new reference, or null with the error set
