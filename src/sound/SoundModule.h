#pragma once
#include <Python.h>

PyObject* CreateSoundModule();   // a new reference, or null with the error set
