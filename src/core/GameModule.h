#pragma once
#include <Python.h>

PyObject* CreateGameModule();   // a new reference, or null with the error set
