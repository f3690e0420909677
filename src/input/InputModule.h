#pragma once
#include <Python.h>

PyObject* CreateInputModule();   // a new reference, or null with the error set
