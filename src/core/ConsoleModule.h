#pragma once
#include <Python.h>

PyObject* CreateConsoleModule();   // a new reference, or null with the error set
