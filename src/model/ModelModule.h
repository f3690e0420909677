#pragma once
#include <Python.h>

class cModel;

PyObject* CreateModelModule();   // a new reference, or null with the error set

// The cModel behind a `_model` pointer object ("_p_cModel"), or behind a script object whose
// attribute "this" is one. Null, with a script error set, for anything else, for None and for a
// model that was deleted with delete_cModel. The model lives only as long as its pointer object:
// the caller holds pObject (and what its "this" gives) while it uses the model.
cModel* ModelFromObject(PyObject* pObject);
