#pragma once
#include <Python.h>

PyObject* CreateModelModule();   // a new reference, or null with the error set
