#pragma once
#include <Python.h>

PyObject* CreateFontModule();   // a new reference, or null with the error set
