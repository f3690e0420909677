#pragma once
#include <Python.h>

PyObject* CreateGraphicsModule();   // a new reference, or null with the error set
