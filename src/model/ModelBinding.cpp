#include "model/ModelBinding.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

// What a pointer object made here knows besides its pointer.
struct sPointerInfo
{
    const sType* pType;
    bool owned;            // the object is freed with the pointer object
    bool deleted;          // delete_<type> freed it already
    size_t count;          // elements behind the pointer (three for a TriFace index array)
    PyObject* pParent;     // the pointer object of the object this one lies in; kept alive
};

const Uint32 DELETED_TARGET = 0;   // where a deleted pointer object points: never read or written

void DestroyPointer(PyObject* pCapsule)
{
    // Pointer objects die while an error may be on its way to the script: keep it.
    PyObject *pType = nullptr, *pValue = nullptr, *pTraceback = nullptr;
    PyErr_Fetch(&pType, &pValue, &pTraceback);
    auto* pInfo = static_cast<sPointerInfo*>(PyCapsule_GetContext(pCapsule));
    if (pInfo) {
        if (pInfo->owned && !pInfo->deleted) {
            void* pObject = PyCapsule_GetPointer(pCapsule, PyCapsule_GetName(pCapsule));
            if (pObject)
                pInfo->pType->destroy(pObject);
        }
        Py_XDECREF(pInfo->pParent);
        delete pInfo;
    }
    PyErr_Clear();
    PyErr_Restore(pType, pValue, pTraceback);
}

sPointerInfo* InfoOf(PyObject* pCapsule)
{
    if (PyCapsule_GetDestructor(pCapsule) != DestroyPointer)
        return nullptr;   // made elsewhere (by the engine's C++ code): a plain pointer
    return static_cast<sPointerInfo*>(PyCapsule_GetContext(pCapsule));
}

PyObject* RegisteredClasses(PyObject* pModule)
{
    if (!pModule || !PyModule_Check(pModule))
        return nullptr;
    return PyDict_GetItemString(PyModule_GetDict(pModule), "__swig_classes__");   // borrowed
}

std::string Describe(PyObject* pObject)
{
    if (PyCapsule_CheckExact(pObject)) {
        const char* name = PyCapsule_GetName(pObject);
        return std::string("PyCapsule(") + (name ? name : "") + ")";
    }
    std::string text = Py_TYPE(pObject)->tp_name;
    cPyRef str = cPyRef::Steal(PyObject_Str(pObject));
    const char* utf8 = str ? PyUnicode_AsUTF8(str.Get()) : nullptr;
    if (!utf8) {
        PyErr_Clear();
        return text;
    }
    return text + "(" + utf8 + ")";
}

void TypeError(int argument, const char* expected, PyObject* pReceived)
{
    PyErr_Format(PyExc_TypeError, "argument number %d: a '%s' is expected, '%s' is received",
                 argument, expected, Describe(pReceived).c_str());
}

bool HasName(PyObject* pCapsule, const char* name)
{
    const char* own = PyCapsule_GetName(pCapsule);
    return own && std::strcmp(own, name) == 0;
}

// The pointer object behind an argument: the object itself, or its attribute "this".
cPyRef PointerObjectOf(PyObject* pObject)
{
    if (PyCapsule_CheckExact(pObject))
        return cPyRef::Borrow(pObject);
    if (PyType_Check(pObject) || PyModule_Check(pObject))
        return cPyRef();
    cPyRef thisAttribute = cPyRef::Steal(PyObject_GetAttrString(pObject, "this"));
    if (!thisAttribute) {
        PyErr_Clear();
        return cPyRef();
    }
    if (!PyCapsule_CheckExact(thisAttribute.Get()))
        return cPyRef();
    return thisAttribute;
}

// Whether the object behind a pointer object of `type` may still be used; the error says why not.
bool CheckNotDeleted(PyObject* pCapsule, const sType& type, int argument)
{
    if (HasName(pCapsule, type.deletedName)) {
        PyErr_Format(PyExc_RuntimeError,
                     "argument number %d: the %s behind this pointer object was deleted",
                     argument, type.shortName);
        return false;
    }
    // An object inside another (a group's face list, a material's colour) lives only as long
    // as the object that holds it.
    for (sPointerInfo* pInfo = InfoOf(pCapsule); pInfo && pInfo->pParent;
         pInfo = InfoOf(pInfo->pParent)) {
        const sPointerInfo* pParentInfo = InfoOf(pInfo->pParent);
        if (pParentInfo && pParentInfo->deleted) {
            PyErr_Format(PyExc_RuntimeError,
                         "argument number %d: the %s that held this %s was deleted", argument,
                         pParentInfo->pType->shortName, type.shortName);
            return false;
        }
    }
    return true;
}

bool ConvertLongInRange(PyObject* pObject, int argument, const char* typeName, long long minimum,
                        long long maximum, long long& out)
{
    if (!PyLong_Check(pObject)) {
        TypeError(argument, typeName, pObject);
        return false;
    }
    int overflow = 0;
    const long long value = PyLong_AsLongLongAndOverflow(pObject, &overflow);
    if (overflow < 0 || (!overflow && value < minimum)) {
        cPyRef text = cPyRef::Steal(PyObject_Str(pObject));
        PyErr_Format(PyExc_OverflowError, "argument number %d: value %s is less than '%s' minimum %lld",
                     argument, text ? PyUnicode_AsUTF8(text.Get()) : "?", typeName, minimum);
        return false;
    }
    if (overflow > 0 || value > maximum) {
        cPyRef text = cPyRef::Steal(PyObject_Str(pObject));
        PyErr_Format(PyExc_OverflowError,
                     "argument number %d: value %s is greater than '%s' maximum %lld", argument,
                     text ? PyUnicode_AsUTF8(text.Get()) : "?", typeName, maximum);
        return false;
    }
    out = value;
    return true;
}

} // namespace

bool AddClassRegistry(PyObject* pModule)
{
    cPyRef classes = cPyRef::Steal(PyDict_New());
    if (!classes || PyModule_AddObject(pModule, "__swig_classes__", classes.Get()) < 0)
        return false;
    classes.Release();   // the module holds it now
    return true;
}

bool RegisterClass(PyObject* pModule, const sType& type, PyObject* pClass)
{
    PyObject* pClasses = RegisteredClasses(pModule);
    return pClasses && PyDict_SetItemString(pClasses, type.name, pClass) == 0;
}

PyObject* WrapPointer(PyObject* pModule, void* pObject, const sType& type, bool owned,
                      PyObject* pParent, size_t count)
{
    auto pInfo = std::make_unique<sPointerInfo>(sPointerInfo{&type, false, false, count, nullptr});
    cPyRef capsule = cPyRef::Steal(PyCapsule_New(pObject, type.name, DestroyPointer));
    if (!capsule)
        return nullptr;
    if (PyCapsule_SetContext(capsule.Get(), pInfo.get()) < 0)
        return nullptr;
    pInfo->owned = owned;
    Py_XINCREF(pParent);
    pInfo->pParent = pParent;
    pInfo.release();

    PyObject* pClasses = RegisteredClasses(pModule);
    PyObject* pClass = pClasses ? PyDict_GetItemString(pClasses, type.name) : nullptr;
    if (!pClass)
        return capsule.Release();
    cPyRef instance = cPyRef::Steal(PyObject_CallFunctionObjArgs(pClass, capsule.Get(), nullptr));
    if (!instance)
        return nullptr;
    if (owned && PyObject_SetAttrString(instance.Get(), "thisown", Py_True) < 0)
        return nullptr;
    return instance.Release();
}

bool ConvertPointer(PyObject* pObject, const sType& type, int argument, void*& pOut,
                    bool allowNull, cPyRef& capsule)
{
    pOut = nullptr;
    capsule.Reset();
    if (pObject == Py_None) {
        if (allowNull)
            return true;
        std::string name = type.cType;
        name.resize(name.size() - 2);   // " *"
        PyErr_Format(PyExc_TypeError, "null reference of type '%s' was received", name.c_str());
        return false;
    }
    capsule = PointerObjectOf(pObject);
    if (!capsule) {
        TypeError(argument, type.cType, pObject);
        return false;
    }
    if (!HasName(capsule.Get(), type.deletedName) && !HasName(capsule.Get(), type.name)) {
        TypeError(argument, type.cType, capsule.Get());
        return false;
    }
    if (!CheckNotDeleted(capsule.Get(), type, argument))
        return false;
    pOut = PyCapsule_GetPointer(capsule.Get(), type.name);
    return pOut != nullptr;
}

bool IsDeleted(PyObject* pObject, const sType& type)
{
    cPyRef capsule = PointerObjectOf(pObject);
    return capsule && HasName(capsule.Get(), type.deletedName);
}

size_t CountBehind(PyObject* pCapsule)
{
    const sPointerInfo* pInfo = pCapsule ? InfoOf(pCapsule) : nullptr;
    return pInfo ? pInfo->count : 1;
}

bool DeletePointed(PyObject* pCapsule, const sType& type, void* pObject)
{
    sPointerInfo* pInfo = InfoOf(pCapsule);
    if (!pInfo || !pInfo->owned) {
        PyErr_Format(PyExc_RuntimeError,
                     "the %s behind this pointer object belongs to another object and is not "
                     "deleted on its own",
                     type.shortName);
        return false;
    }
    // The pointer object stays with the script: renamed and pointed away.
    type.destroy(pObject);
    pInfo->deleted = true;
    PyCapsule_SetName(pCapsule, type.deletedName);
    PyCapsule_SetPointer(pCapsule, const_cast<Uint32*>(&DELETED_TARGET));
    return true;
}

bool cCallPointers::StillValid() const
{
    for (int i = 0; i < m_Count; ++i)
        if (!CheckNotDeleted(m_Held[i].capsule.Get(), *m_Held[i].pType, m_Held[i].argument))
            return false;
    return true;
}

bool ConvertFloat(PyObject* pObject, int argument, float& out)
{
    if (!PyFloat_Check(pObject) && !PyLong_Check(pObject)) {
        TypeError(argument, "float", pObject);
        return false;
    }
    const double value = PyFloat_AsDouble(pObject);
    if (value == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        PyErr_Format(PyExc_OverflowError, "argument number %d: value is out of range for 'float'",
                     argument);
        return false;
    }
    if (value > FLT_MAX || value < -FLT_MAX) {
        if (value != value || value == HUGE_VAL || value == -HUGE_VAL) {
            out = float(value);   // infinities and NaN are floats as well
            return true;
        }
        PyErr_Format(PyExc_OverflowError, "argument number %d: value %s is out of range for 'float'",
                     argument, Describe(pObject).c_str());
        return false;
    }
    out = float(value);
    return true;
}

bool ConvertInt(PyObject* pObject, int argument, int& out)
{
    long long value = 0;
    if (!ConvertLongInRange(pObject, argument, "int", INT_MIN, INT_MAX, value))
        return false;
    out = static_cast<int>(value);
    return true;
}

bool ConvertUnsigned(PyObject* pObject, int argument, unsigned int& out)
{
    long long value = 0;
    if (!ConvertLongInRange(pObject, argument, "unsigned int", 0, UINT_MAX, value))
        return false;
    out = static_cast<unsigned int>(value);
    return true;
}

bool ConvertString(PyObject* pObject, int argument, const char*& out)
{
    out = nullptr;
    if (pObject == Py_None)
        return true;
    if (!PyUnicode_Check(pObject)) {
        TypeError(argument, "char *", pObject);
        return false;
    }
    Py_ssize_t size = 0;
    out = PyUnicode_AsUTF8AndSize(pObject, &size);
    if (out && std::strlen(out) != size_t(size)) {
        // Cut at the NUL, the name would load another file than the script named.
        PyErr_SetString(PyExc_ValueError, "embedded null character");
        out = nullptr;
    }
    return out != nullptr;
}

eModelPointer ModelBehindPointer(PyObject* pPointer, cModel*& pModel)
{
    pModel = nullptr;
    const sType& type = TypeOf<cModel>();
    if (!pPointer || !PyCapsule_CheckExact(pPointer))
        return eModelPointer::NOT_A_MODEL;
    if (HasName(pPointer, type.deletedName))
        return eModelPointer::DELETED;
    if (!HasName(pPointer, type.name))
        return eModelPointer::NOT_A_MODEL;
    pModel = static_cast<cModel*>(PyCapsule_GetPointer(pPointer, type.name));
    return pModel ? eModelPointer::MODEL : eModelPointer::NOT_A_MODEL;
}
