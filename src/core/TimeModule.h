#pragma once
#include <Python.h>

PyObject* CreateTimeModule();   // a new reference, or null with the error set
