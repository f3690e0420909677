#include "model/ModelModule.h"

#include <cfloat>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/cPyRef.h"
#include "model/cModel.h"

// The `_model` module is written in the manner of a generated binding: every engine object
// reaches the scripts as a pointer object (a capsule named after its type, "_p_cModel"), the
// scripts' own classes hold it in their attribute "this", and every C++ member has a flat
// function. Objects made by the module belong to their pointer object, which frees them when it
// dies or when the script calls delete_<type>; a deleted object is never touched again.

namespace {

// ---------------------------------------------------------------------------------------------
// Types

struct sType
{
    const char* name;          // the pointer object's name
    const char* deletedName;   // its name once the object behind it was deleted
    const char* cType;         // as argument errors show it
    const char* shortName;     // as other messages show it
    void (*destroy)(void*);
};

template <class T> void Destroy(void* pObject) { delete static_cast<T*>(pObject); }

template <class T> struct sTypeOf;
#define BW_MODEL_TYPE(T, mangled, pretty, short)                                                 \
    template <> struct sTypeOf<T>                                                             \
    {                                                                                         \
        static constexpr sType type = {"_p_" mangled, "_p_" mangled " (deleted)", pretty " *",   \
                                       short, &Destroy<T>};                                   \
    };
BW_MODEL_TYPE(cModel, "cModel", "cModel", "cModel")
BW_MODEL_TYPE(cModelException, "cModelException", "cModelException", "cModelException")
BW_MODEL_TYPE(Point3D, "Point3D", "Point3D", "Point3D")
BW_MODEL_TYPE(Point3D2, "Point3D2", "Point3D2", "Point3D2")
BW_MODEL_TYPE(Vector3D, "Vector3D", "Vector3D", "Vector3D")
BW_MODEL_TYPE(TexCoord, "TexCoord", "TexCoord", "TexCoord")
BW_MODEL_TYPE(RGBColor, "RGBColor", "RGBColor", "RGBColor")
BW_MODEL_TYPE(VTNData, "VTNData", "VTNData", "VTNData")
BW_MODEL_TYPE(TriFace, "TriFace", "TriFace", "TriFace")
BW_MODEL_TYPE(Group, "Group", "Group", "Group")
BW_MODEL_TYPE(Material, "Material", "Material", "Material")
BW_MODEL_TYPE(CurrAnim, "CurrAnim", "CurrAnim", "CurrAnim")
BW_MODEL_TYPE(Triangle, "Triangle", "Triangle", "Triangle")
BW_MODEL_TYPE(Uint32, "Uint32", "Uint32", "Uint32")
BW_MODEL_TYPE(GLfloat, "GLfloat", "GLfloat", "GLfloat")
BW_MODEL_TYPE(std::string, "std__string", "std::string", "std::string")
BW_MODEL_TYPE(std::vector<TriFace>, "std__vectorTTriFace_t", "std::vector<TriFace >",
              "std::vector<TriFace >")
BW_MODEL_TYPE(std::vector<Point3D>, "std__vectorTPoint3D_t", "std::vector<Point3D >",
              "std::vector<Point3D >")
BW_MODEL_TYPE(std::vector<CollisionTriangle>, "std__vectorTCollisionTriangle_t",
              "std::vector<CollisionTriangle >", "std::vector<CollisionTriangle >")
#undef BW_MODEL_TYPE

template <class T> constexpr const sType& TypeOf() { return sTypeOf<T>::type; }

// What a pointer object made here knows besides its pointer.
struct sPointerInfo
{
    const sType* pType;
    bool owned;            // the object is freed with the pointer object
    bool deleted;          // delete_<type> freed it already
    size_t count;          // elements behind the pointer (three for a TriFace index array)
    PyObject* pParent;     // the pointer object of the object this one lies in; kept alive
};

const Uint32 k_DeletedTarget = 0;   // where a deleted pointer object points: never read or written

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

// A pointer object for pObject; class(pointer object) when a script class is registered for the
// type, with "thisown" True when the script owns the object.
PyObject* WrapPointer(PyObject* pModule, void* pObject, const sType& type, bool owned,
                      PyObject* pParent = nullptr, size_t count = 1)
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

template <class T>
PyObject* WrapNew(PyObject* pModule, std::unique_ptr<T> pObject)
{
    PyObject* pResult = WrapPointer(pModule, pObject.get(), TypeOf<T>(), true);
    if (pResult)
        pObject.release();   // the pointer object owns it now
    return pResult;
}

// ---------------------------------------------------------------------------------------------
// Argument conversion

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

void NullReference(const sType& type)
{
    std::string name = type.cType;
    name.resize(name.size() - 2);   // " *"
    PyErr_Format(PyExc_TypeError, "null reference of type '%s' was received", name.c_str());
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
    const char* name = PyCapsule_GetName(pCapsule);
    if (name && std::strcmp(name, type.deletedName) == 0) {
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

// Converts argument `argument` (counted from 1) to a pointer of `type`, and hands the pointer
// object over in `capsule`: the pointer is valid only while that reference is held. None gives
// null when allowed; a null reference error otherwise.
bool ConvertPointer(PyObject* pObject, const sType& type, int argument, void*& pOut,
                    bool allowNull, cPyRef& capsule)
{
    pOut = nullptr;
    capsule.Reset();
    if (pObject == Py_None) {
        if (allowNull)
            return true;
        NullReference(type);
        return false;
    }
    capsule = PointerObjectOf(pObject);
    if (!capsule) {
        TypeError(argument, type.cType, pObject);
        return false;
    }
    const char* name = PyCapsule_GetName(capsule.Get());
    const bool deleted = name && std::strcmp(name, type.deletedName) == 0;
    if (!deleted && (!name || std::strcmp(name, type.name) != 0)) {
        TypeError(argument, type.cType, capsule.Get());
        return false;
    }
    if (!CheckNotDeleted(capsule.Get(), type, argument))
        return false;
    pOut = PyCapsule_GetPointer(capsule.Get(), type.name);
    return pOut != nullptr;
}

// The pointer objects behind one call's arguments. Script code run by a later conversion (a
// property "this" that makes a fresh pointer object, a __float__) may drop the only other
// reference to one, or delete the object behind it: each is held until the call returns, and
// checked again once every argument has been converted, before any pointer is used.
class cCallPointers
{
public:
    template <class T>
    bool Convert(PyObject* pObject, int argument, T*& pOut, bool allowNull = false,
                 PyObject** ppCapsule = nullptr)
    {
        void* pVoid = nullptr;
        sHeld& held = m_Held[m_Count];
        if (!ConvertPointer(pObject, TypeOf<T>(), argument, pVoid, allowNull, held.capsule))
            return false;
        held.pType = &TypeOf<T>();
        held.argument = argument;
        if (held.capsule)
            ++m_Count;
        pOut = static_cast<T*>(pVoid);
        if (ppCapsule)
            *ppCapsule = held.capsule.Get();
        return true;
    }

    bool StillValid() const   // false with the "was deleted" error set
    {
        for (int i = 0; i < m_Count; ++i)
            if (!CheckNotDeleted(m_Held[i].capsule.Get(), *m_Held[i].pType, m_Held[i].argument))
                return false;
        return true;
    }

private:
    struct sHeld
    {
        cPyRef capsule;
        const sType* pType = nullptr;
        int argument = 0;
    };
    sHeld m_Held[2];   // no function takes more than two pointer arguments
    int m_Count = 0;
};

// Elements behind a pointer object; one for pointer objects made elsewhere.
size_t CountBehind(PyObject* pCapsule)
{
    const sPointerInfo* pInfo = pCapsule ? InfoOf(pCapsule) : nullptr;
    return pInfo ? pInfo->count : 1;
}

bool IsNumber(PyObject* pObject)
{
    return PyFloat_Check(pObject) || PyLong_Check(pObject);
}

bool ConvertFloat(PyObject* pObject, int argument, float& out)
{
    if (!IsNumber(pObject)) {
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

bool ConvertUnsigned(PyObject* pObject, int argument, unsigned int& out)
{
    long long value = 0;
    if (!ConvertLongInRange(pObject, argument, "unsigned int", 0, UINT_MAX, value))
        return false;
    out = static_cast<unsigned int>(value);
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

// A C string argument; None gives null.
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

// ---------------------------------------------------------------------------------------------
// Engine exceptions become RuntimeError; nothing unwinds through the interpreter.

template <class F>
PyObject* Guarded(F&& call)
{
    try {
        return call();
    } catch (const std::string& message) {
        PyErr_SetString(PyExc_RuntimeError, message.c_str());
    } catch (const cModelException& e) {
        const char* prefix = "ME_UNKNOWN_ERROR: ";
        switch (e.code()) {
        case cModelException::ME_LOAD_ERROR: prefix = "ME_LOAD_ERROR: "; break;
        case cModelException::ME_DRAW_ERROR: prefix = "ME_DRAW_ERROR: "; break;
        case cModelException::ME_OPERATION_ERROR: prefix = "ME_OPERATION_ERROR: "; break;
        default: break;
        }
        PyErr_Format(PyExc_RuntimeError, "%s%s", prefix, e.what());
    } catch (...) {
        PyErr_SetString(PyExc_RuntimeError, "Something bad happened with a model");
    }
    return nullptr;
}

PyObject* NoMatch(const char* function)
{
    PyErr_Format(PyExc_NotImplementedError, "No matching function for overloaded '%s'", function);
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Generic record functions

template <class T, const char* Format>
PyObject* NewRecord(PyObject* pModule, PyObject* args)
{
    if (!PyArg_ParseTuple(args, Format))
        return nullptr;
    return WrapNew(pModule, std::make_unique<T>());
}

template <class T, const char* Format>
PyObject* DeleteRecord(PyObject*, PyObject* args)
{
    PyObject* pArgument = nullptr;
    if (!PyArg_ParseTuple(args, Format, &pArgument))
        return nullptr;
    T* pObject = nullptr;
    PyObject* pCapsule = nullptr;
    cCallPointers held;
    if (!held.Convert(pArgument, 1, pObject, true, &pCapsule))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    if (!pObject)
        Py_RETURN_NONE;
    sPointerInfo* pInfo = InfoOf(pCapsule);
    if (!pInfo || !pInfo->owned) {
        PyErr_Format(PyExc_RuntimeError,
                     "the %s behind this pointer object belongs to another object and is not "
                     "deleted on its own",
                     TypeOf<T>().shortName);
        return nullptr;
    }
    // The pointer object stays with the script: it is renamed and pointed away, so that any
    // later use reports the deletion instead of reaching freed memory.
    TypeOf<T>().destroy(pObject);
    pInfo->deleted = true;
    PyCapsule_SetName(pCapsule, TypeOf<T>().deletedName);
    PyCapsule_SetPointer(pCapsule, const_cast<Uint32*>(&k_DeletedTarget));
    Py_RETURN_NONE;
}

template <const sType& Type, const char* Format>
PyObject* RegisterClass(PyObject* pModule, PyObject* args)
{
    PyObject* pClass = nullptr;
    if (!PyArg_ParseTuple(args, Format, &pClass))
        return nullptr;
    PyObject* pClasses = RegisteredClasses(pModule);
    if (!pClasses || PyDict_SetItemString(pClasses, Type.name, pClass) < 0)
        return nullptr;
    Py_RETURN_NONE;
}

template <class T, class F, F T::*Member, const char* Format>
PyObject* SetFloat(PyObject*, PyObject* args)
{
    PyObject *pSelf = nullptr, *pValue = nullptr;
    if (!PyArg_ParseTuple(args, Format, &pSelf, &pValue))
        return nullptr;
    T* pObject = nullptr;
    float value = 0.0f;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pObject) || !ConvertFloat(pValue, 2, value))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    pObject->*Member = value;
    Py_RETURN_NONE;
}

template <class T, class F, F T::*Member, const char* Format>
PyObject* GetFloat(PyObject*, PyObject* args)
{
    PyObject* pSelf = nullptr;
    if (!PyArg_ParseTuple(args, Format, &pSelf))
        return nullptr;
    T* pObject = nullptr;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pObject))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    return PyFloat_FromDouble(double(pObject->*Member));
}

template <class T, class F, F T::*Member, const char* Format>
PyObject* SetInt(PyObject*, PyObject* args)
{
    PyObject *pSelf = nullptr, *pValue = nullptr;
    if (!PyArg_ParseTuple(args, Format, &pSelf, &pValue))
        return nullptr;
    T* pObject = nullptr;
    int value = 0;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pObject) || !ConvertInt(pValue, 2, value))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    pObject->*Member = value;
    Py_RETURN_NONE;
}

template <class T, class F, F T::*Member, const char* Format>
PyObject* GetInt(PyObject*, PyObject* args)
{
    PyObject* pSelf = nullptr;
    if (!PyArg_ParseTuple(args, Format, &pSelf))
        return nullptr;
    T* pObject = nullptr;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pObject))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    return PyLong_FromLong(long(pObject->*Member));
}

// Members that travel as pointer objects: the getter points into the record, the setter copies
// the value behind the pointer object it is given.
template <class T, class F, F T::*Member, const char* Format>
PyObject* SetCopied(PyObject*, PyObject* args)
{
    PyObject *pSelf = nullptr, *pValue = nullptr;
    if (!PyArg_ParseTuple(args, Format, &pSelf, &pValue))
        return nullptr;
    T* pObject = nullptr;
    F* pSource = nullptr;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pObject) || !held.Convert(pValue, 2, pSource))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    pObject->*Member = *pSource;
    Py_RETURN_NONE;
}

template <class T, class F, F T::*Member, const char* Format>
PyObject* GetPointer(PyObject* pModule, PyObject* args)
{
    PyObject* pSelf = nullptr;
    if (!PyArg_ParseTuple(args, Format, &pSelf))
        return nullptr;
    T* pObject = nullptr;
    PyObject* pCapsule = nullptr;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pObject, false, &pCapsule))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    return WrapPointer(pModule, &(pObject->*Member), TypeOf<F>(), false, pCapsule);
}

// The three-index arrays of a TriFace.
template <Uint32 (TriFace::*Member)[3], const char* Format>
PyObject* SetIndexArray(PyObject*, PyObject* args)
{
    PyObject *pSelf = nullptr, *pValue = nullptr;
    if (!PyArg_ParseTuple(args, Format, &pSelf, &pValue))
        return nullptr;
    TriFace* pFace = nullptr;
    Uint32* pSource = nullptr;
    PyObject* pSourceCapsule = nullptr;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pFace) || !held.Convert(pValue, 2, pSource, false, &pSourceCapsule))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    if (CountBehind(pSourceCapsule) < 3) {
        PyErr_Format(PyExc_ValueError,
                     "argument number 2: three Uint32 values are expected, the pointer object "
                     "holds %zu",
                     CountBehind(pSourceCapsule));
        return nullptr;
    }
    for (int k = 0; k < 3; ++k)
        (pFace->*Member)[k] = pSource[k];
    Py_RETURN_NONE;
}

template <Uint32 (TriFace::*Member)[3], const char* Format>
PyObject* GetIndexArray(PyObject* pModule, PyObject* args)
{
    PyObject* pSelf = nullptr;
    if (!PyArg_ParseTuple(args, Format, &pSelf))
        return nullptr;
    TriFace* pFace = nullptr;
    PyObject* pCapsule = nullptr;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pFace, false, &pCapsule))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    return WrapPointer(pModule, pFace->*Member, TypeOf<Uint32>(), false, pCapsule, 3);
}

// ---------------------------------------------------------------------------------------------
// cModel

PyObject* new_cModel(PyObject* pModule, PyObject* args)
{
    const Py_ssize_t count = PyTuple_Size(args);
    if (count == 0) {
        if (!PyArg_ParseTuple(args, ":new_cModel"))
            return nullptr;
        return Guarded([&] { return WrapNew(pModule, std::make_unique<cModel>()); });
    }
    if (count == 1 && (PyUnicode_Check(PyTuple_GET_ITEM(args, 0)) || PyTuple_GET_ITEM(args, 0) == Py_None)) {
        PyObject* pName = nullptr;
        const char* fileName = nullptr;
        if (!PyArg_ParseTuple(args, "O:new_cModel", &pName) || !ConvertString(pName, 1, fileName))
            return nullptr;
        return Guarded([&] { return WrapNew(pModule, std::make_unique<cModel>(fileName)); });
    }
    return NoMatch("new_cModel");
}

template <void (cModel::*Method)(const char*), const char* Format>
PyObject* ModelWithName(PyObject*, PyObject* args)
{
    PyObject *pSelf = nullptr, *pName = nullptr;
    if (!PyArg_ParseTuple(args, Format, &pSelf, &pName))
        return nullptr;
    cModel* pModel = nullptr;
    const char* name = nullptr;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pModel) || !ConvertString(pName, 2, name))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    return Guarded([&] {
        (pModel->*Method)(name);
        Py_RETURN_NONE;
    });
}

template <class R, R (cModel::*Method)(), const char* Format>
PyObject* ModelCall(PyObject*, PyObject* args)
{
    PyObject* pSelf = nullptr;
    if (!PyArg_ParseTuple(args, Format, &pSelf))
        return nullptr;
    cModel* pModel = nullptr;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pModel))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    return Guarded([&]() -> PyObject* {
        if constexpr (std::is_void_v<R>) {
            (pModel->*Method)();
            Py_RETURN_NONE;
        } else {
            return nullptr;
        }
    });
}

template <class R, R (cModel::*Method)() const, const char* Format>
PyObject* ModelQuery(PyObject* pModule, PyObject* args)
{
    PyObject* pSelf = nullptr;
    if (!PyArg_ParseTuple(args, Format, &pSelf))
        return nullptr;
    cModel* pModel = nullptr;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pModel))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    return Guarded([&]() -> PyObject* {
        if constexpr (std::is_void_v<R>) {
            (pModel->*Method)();
            Py_RETURN_NONE;
        } else if constexpr (std::is_same_v<R, bool>) {
            return PyBool_FromLong((pModel->*Method)());
        } else if constexpr (std::is_same_v<R, float>) {
            return PyFloat_FromDouble(double((pModel->*Method)()));
        } else if constexpr (std::is_same_v<R, Point3D>) {
            return WrapNew(pModule, std::make_unique<Point3D>((pModel->*Method)()));
        } else {
            return PyLong_FromUnsignedLong((pModel->*Method)());
        }
    });
}

bool IsDeleted(PyObject* pObject, const sType& type)
{
    cPyRef capsule = PointerObjectOf(pObject);
    const char* name = capsule ? PyCapsule_GetName(capsule.Get()) : nullptr;
    return name && std::strcmp(name, type.deletedName) == 0;
}

// Animate and Draw: the number of arguments picks the overload, once every argument has been
// checked to fit it.
bool FitsDrawing(PyObject* args, Py_ssize_t numbersFrom, bool withFrame)
{
    void* pModel = nullptr;
    cPyRef capsule;
    PyObject* pSelf = PyTuple_GET_ITEM(args, 0);
    if (IsDeleted(pSelf, TypeOf<cModel>())) {
        ConvertPointer(pSelf, TypeOf<cModel>(), 1, pModel, true, capsule);   // says so
        return false;
    }
    if (!ConvertPointer(pSelf, TypeOf<cModel>(), 1, pModel, true, capsule)) {
        PyErr_Clear();
        return false;
    }
    if (withFrame) {
        unsigned int frame = 0;
        if (!ConvertUnsigned(PyTuple_GET_ITEM(args, 1), 2, frame)) {
            PyErr_Clear();
            return false;
        }
    }
    for (Py_ssize_t i = numbersFrom; i < PyTuple_GET_SIZE(args); ++i) {
        float value = 0.0f;
        if (!ConvertFloat(PyTuple_GET_ITEM(args, i), int(i + 1), value)) {
            PyErr_Clear();
            return false;
        }
    }
    return true;
}

// Parameters after self (and frame), with the defaults of the omitted ones.
bool ReadDrawing(PyObject* args, Py_ssize_t numbersFrom, float (&values)[12])
{
    const float defaults[12] = {0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 1};   // percent, t, s, angle, axis, alpha
    const int offset = numbersFrom == 2 ? 0 : 1;   // Draw has no percent
    for (int i = 0; i < 12; ++i)
        values[i] = defaults[i];
    for (Py_ssize_t i = numbersFrom; i < PyTuple_GET_SIZE(args); ++i)
        if (!ConvertFloat(PyTuple_GET_ITEM(args, i), int(i + 1), values[i - numbersFrom + offset]))
            return false;
    return true;
}

PyObject* cModel_Animate(PyObject*, PyObject* args)
{
    const Py_ssize_t count = PyTuple_Size(args);
    if (count < 6 || count > 14 || !FitsDrawing(args, 2, true))
        return PyErr_Occurred() ? nullptr : NoMatch("cModel_Animate");
    cModel* pModel = nullptr;
    unsigned int frame = 0;
    float v[12];
    cCallPointers held;
    if (!held.Convert(PyTuple_GET_ITEM(args, 0), 1, pModel) ||
        !ConvertUnsigned(PyTuple_GET_ITEM(args, 1), 2, frame) || !ReadDrawing(args, 2, v))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    return Guarded([&] {
        pModel->Animate(frame, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10],
                        v[11]);
        Py_RETURN_NONE;
    });
}

PyObject* cModel_Draw(PyObject*, PyObject* args)
{
    const Py_ssize_t count = PyTuple_Size(args);
    if (count < 4 || count > 12 || !FitsDrawing(args, 1, false))
        return PyErr_Occurred() ? nullptr : NoMatch("cModel_Draw");
    cModel* pModel = nullptr;
    float v[12];
    cCallPointers held;
    if (!held.Convert(PyTuple_GET_ITEM(args, 0), 1, pModel) || !ReadDrawing(args, 1, v))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    return Guarded([&] {
        pModel->Draw(v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11]);
        Py_RETURN_NONE;
    });
}

PyObject* cModel_GetTriangles(PyObject*, PyObject* args)
{
    PyObject *pSelf = nullptr, *pList = nullptr;
    if (!PyArg_ParseTuple(args, "OO:cModel_GetTriangles", &pSelf, &pList))
        return nullptr;
    cModel* pModel = nullptr;
    std::vector<CollisionTriangle>* pTriangles = nullptr;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pModel) || !held.Convert(pList, 2, pTriangles))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    return Guarded([&] {
        pModel->GetTriangles(*pTriangles);
        Py_RETURN_NONE;
    });
}

// ---------------------------------------------------------------------------------------------
// cModelException

PyObject* new_cModelException(PyObject* pModule, PyObject* args)
{
    PyObject *pCode = nullptr, *pMessage = nullptr;
    if (!PyArg_ParseTuple(args, "OO:new_cModelException", &pCode, &pMessage))
        return nullptr;
    Uint32* pCodeValue = nullptr;
    std::string* pText = nullptr;
    cCallPointers held;
    if (!held.Convert(pCode, 1, pCodeValue) || !held.Convert(pMessage, 2, pText))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    return Guarded([&] {
        return WrapNew(pModule, std::make_unique<cModelException>(*pCodeValue, *pText));
    });
}

PyObject* cModelException_code(PyObject* pModule, PyObject* args)
{
    PyObject* pSelf = nullptr;
    if (!PyArg_ParseTuple(args, "O:cModelException_code", &pSelf))
        return nullptr;
    cModelException* pException = nullptr;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pException))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    return WrapNew(pModule, std::make_unique<Uint32>(pException->code()));
}

PyObject* cModelException_what(PyObject*, PyObject* args)
{
    PyObject* pSelf = nullptr;
    if (!PyArg_ParseTuple(args, "O:cModelException_what", &pSelf))
        return nullptr;
    cModelException* pException = nullptr;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pException))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    return PyUnicode_DecodeUTF8(pException->what(), Py_ssize_t(std::strlen(pException->what())),
                                "replace");
}

// ---------------------------------------------------------------------------------------------
// The method table

#define BW_FORMAT(id, text) constexpr char id[] = text;
// cModel
BW_FORMAT(fDeleteModel, "O:delete_cModel")
BW_FORMAT(fAddFrame, "OO:cModel_AddFrame")
BW_FORMAT(fLoadMTL, "OO:cModel_LoadMTLFile")
BW_FORMAT(fSetTexture, "OO:cModel_SetTexture")
BW_FORMAT(fFrameCount, "O:cModel_FrameCount")
BW_FORMAT(fClear, "O:cModel_Clear")
BW_FORMAT(fEnableTex, "O:cModel_EnableTexturing")
BW_FORMAT(fDisableTex, "O:cModel_DisableTexturing")
BW_FORMAT(fIsTex, "O:cModel_IsTextureEnabled")
BW_FORMAT(fMakeStatic, "O:cModel_MakeStatic")
BW_FORMAT(fCalcExtra, "O:cModel_CalcExtraData")
BW_FORMAT(fWidth, "O:cModel_GetWidth")
BW_FORMAT(fHeight, "O:cModel_GetHeight")
BW_FORMAT(fLength, "O:cModel_GetLength")
BW_FORMAT(fCenter, "O:cModel_GetCenter")
BW_FORMAT(fDisplay, "O:cModel_DisplayData")
BW_FORMAT(fWriteObj, "O:cModel_WriteOBJFile")
BW_FORMAT(fRegModel, "O:cModel_swigregister")
// cModelException
BW_FORMAT(fDeleteExc, "O:delete_cModelException")
BW_FORMAT(fRegExc, "O:cModelException_swigregister")
// plain records
#define BW_RECORD_FORMATS(T)                                                                     \
    BW_FORMAT(fNew##T, ":new_" #T)                                                               \
    BW_FORMAT(fDelete##T, "O:delete_" #T)                                                        \
    BW_FORMAT(fReg##T, "O:" #T "_swigregister")
BW_RECORD_FORMATS(Point3D)
BW_RECORD_FORMATS(TexCoord)
BW_RECORD_FORMATS(RGBColor)
BW_RECORD_FORMATS(Point3D2)
BW_RECORD_FORMATS(TriFace)
BW_RECORD_FORMATS(VTNData)
BW_RECORD_FORMATS(Group)
BW_RECORD_FORMATS(Material)
BW_RECORD_FORMATS(CurrAnim)
BW_RECORD_FORMATS(Triangle)
#define BW_FIELD_FORMATS(T, field)                                                               \
    BW_FORMAT(fSet##T##field, "OO:" #T "_" #field "_set")                                        \
    BW_FORMAT(fGet##T##field, "O:" #T "_" #field "_get")
BW_FIELD_FORMATS(Point3D2, x)
BW_FIELD_FORMATS(Point3D2, y)
BW_FIELD_FORMATS(Point3D2, z)
BW_FIELD_FORMATS(TriFace, vertIndex)
BW_FIELD_FORMATS(TriFace, tcIndex)
BW_FIELD_FORMATS(TriFace, normIndex)
BW_FIELD_FORMATS(VTNData, vertIndex)
BW_FIELD_FORMATS(VTNData, tcIndex)
BW_FIELD_FORMATS(VTNData, normIndex)
BW_FIELD_FORMATS(Group, MatIndex)
BW_FIELD_FORMATS(Group, MatName)
BW_FIELD_FORMATS(Group, TriArray)
BW_FIELD_FORMATS(Group, NormArray)
BW_FIELD_FORMATS(Material, name)
BW_FIELD_FORMATS(Material, Ns)
BW_FIELD_FORMATS(Material, ambient)
BW_FIELD_FORMATS(Material, diffuse)
BW_FIELD_FORMATS(Material, specular)
BW_FIELD_FORMATS(CurrAnim, currFrame)
BW_FIELD_FORMATS(CurrAnim, nextFrame)
BW_FIELD_FORMATS(CurrAnim, percent)
BW_FIELD_FORMATS(Triangle, v1)
BW_FIELD_FORMATS(Triangle, v2)
BW_FIELD_FORMATS(Triangle, v3)
BW_FIELD_FORMATS(Triangle, n)
#undef BW_FIELD_FORMATS
#undef BW_RECORD_FORMATS
#undef BW_FORMAT

#define BW_METHOD(name, function) {name, function, METH_VARARGS, nullptr}
#define BW_RECORD_METHODS(T)                                                                     \
    BW_METHOD("new_" #T, (NewRecord<T, fNew##T>)),                                               \
    BW_METHOD("delete_" #T, (DeleteRecord<T, fDelete##T>)),                                      \
    BW_METHOD(#T "_swigregister", (RegisterClass<TypeOf<T>(), fReg##T>))
#define BW_FIELD_METHODS(T, field, Setter, Getter, F)                                            \
    BW_METHOD(#T "_" #field "_set", (Setter<T, F, &T::field, fSet##T##field>)),                  \
    BW_METHOD(#T "_" #field "_get", (Getter<T, F, &T::field, fGet##T##field>))
#define BW_INDEX_METHODS(field)                                                                  \
    BW_METHOD("TriFace_" #field "_set", (SetIndexArray<&TriFace::field, fSetTriFace##field>)),   \
    BW_METHOD("TriFace_" #field "_get", (GetIndexArray<&TriFace::field, fGetTriFace##field>))

PyMethodDef SwigMethods[] = {
    BW_METHOD("new_cModel", new_cModel),
    BW_METHOD("delete_cModel", (DeleteRecord<cModel, fDeleteModel>)),
    BW_METHOD("cModel_AddFrame", (ModelWithName<&cModel::AddFrame, fAddFrame>)),
    BW_METHOD("cModel_LoadMTLFile", (ModelWithName<&cModel::LoadMTLFile, fLoadMTL>)),
    BW_METHOD("cModel_SetTexture", (ModelWithName<&cModel::SetTexture, fSetTexture>)),
    BW_METHOD("cModel_FrameCount", (ModelQuery<unsigned int, &cModel::FrameCount, fFrameCount>)),
    BW_METHOD("cModel_Clear", (ModelCall<void, &cModel::Clear, fClear>)),
    BW_METHOD("cModel_Animate", cModel_Animate),
    BW_METHOD("cModel_Draw", cModel_Draw),
    BW_METHOD("cModel_EnableTexturing", (ModelCall<void, &cModel::EnableTexturing, fEnableTex>)),
    BW_METHOD("cModel_DisableTexturing", (ModelCall<void, &cModel::DisableTexturing, fDisableTex>)),
    BW_METHOD("cModel_IsTextureEnabled", (ModelQuery<bool, &cModel::IsTextureEnabled, fIsTex>)),
    BW_METHOD("cModel_MakeStatic", (ModelCall<void, &cModel::MakeStatic, fMakeStatic>)),
    BW_METHOD("cModel_CalcExtraData", (ModelCall<void, &cModel::CalcExtraData, fCalcExtra>)),
    BW_METHOD("cModel_GetWidth", (ModelQuery<float, &cModel::GetWidth, fWidth>)),
    BW_METHOD("cModel_GetHeight", (ModelQuery<float, &cModel::GetHeight, fHeight>)),
    BW_METHOD("cModel_GetLength", (ModelQuery<float, &cModel::GetLength, fLength>)),
    BW_METHOD("cModel_GetCenter", (ModelQuery<Point3D, &cModel::GetCenter, fCenter>)),
    BW_METHOD("cModel_GetTriangles", cModel_GetTriangles),
    BW_METHOD("cModel_DisplayData", (ModelQuery<void, &cModel::DisplayData, fDisplay>)),
    BW_METHOD("cModel_WriteOBJFile", (ModelQuery<void, &cModel::WriteOBJFile, fWriteObj>)),
    BW_METHOD("cModel_swigregister", (RegisterClass<TypeOf<cModel>(), fRegModel>)),

    BW_METHOD("new_cModelException", new_cModelException),
    BW_METHOD("delete_cModelException", (DeleteRecord<cModelException, fDeleteExc>)),
    BW_METHOD("cModelException_code", cModelException_code),
    BW_METHOD("cModelException_what", cModelException_what),
    BW_METHOD("cModelException_swigregister", (RegisterClass<TypeOf<cModelException>(), fRegExc>)),

    BW_RECORD_METHODS(Point3D),
    BW_RECORD_METHODS(TexCoord),
    BW_RECORD_METHODS(RGBColor),
    BW_RECORD_METHODS(Point3D2),
    BW_FIELD_METHODS(Point3D2, x, SetFloat, GetFloat, GLfloat),
    BW_FIELD_METHODS(Point3D2, y, SetFloat, GetFloat, GLfloat),
    BW_FIELD_METHODS(Point3D2, z, SetFloat, GetFloat, GLfloat),
    BW_RECORD_METHODS(TriFace),
    BW_INDEX_METHODS(vertIndex),
    BW_INDEX_METHODS(tcIndex),
    BW_INDEX_METHODS(normIndex),
    BW_RECORD_METHODS(VTNData),
    BW_FIELD_METHODS(VTNData, vertIndex, SetCopied, GetPointer, Uint32),
    BW_FIELD_METHODS(VTNData, tcIndex, SetCopied, GetPointer, Uint32),
    BW_FIELD_METHODS(VTNData, normIndex, SetCopied, GetPointer, Uint32),
    BW_RECORD_METHODS(Group),
    BW_FIELD_METHODS(Group, MatIndex, SetInt, GetInt, std::int32_t),
    BW_FIELD_METHODS(Group, MatName, SetCopied, GetPointer, std::string),
    BW_FIELD_METHODS(Group, TriArray, SetCopied, GetPointer, std::vector<TriFace>),
    BW_FIELD_METHODS(Group, NormArray, SetCopied, GetPointer, std::vector<Point3D>),
    BW_RECORD_METHODS(Material),
    BW_FIELD_METHODS(Material, name, SetCopied, GetPointer, std::string),
    BW_FIELD_METHODS(Material, Ns, SetFloat, GetFloat, GLfloat),
    BW_FIELD_METHODS(Material, ambient, SetCopied, GetPointer, RGBColor),
    BW_FIELD_METHODS(Material, diffuse, SetCopied, GetPointer, RGBColor),
    BW_FIELD_METHODS(Material, specular, SetCopied, GetPointer, RGBColor),
    BW_RECORD_METHODS(CurrAnim),
    BW_FIELD_METHODS(CurrAnim, currFrame, SetCopied, GetPointer, Uint32),
    BW_FIELD_METHODS(CurrAnim, nextFrame, SetCopied, GetPointer, Uint32),
    BW_FIELD_METHODS(CurrAnim, percent, SetCopied, GetPointer, GLfloat),
    BW_RECORD_METHODS(Triangle),
    BW_FIELD_METHODS(Triangle, v1, SetCopied, GetPointer, Point3D),
    BW_FIELD_METHODS(Triangle, v2, SetCopied, GetPointer, Point3D),
    BW_FIELD_METHODS(Triangle, v3, SetCopied, GetPointer, Point3D),
    BW_FIELD_METHODS(Triangle, n, SetCopied, GetPointer, Vector3D),
    {nullptr, nullptr, 0, nullptr},
};
#undef BW_INDEX_METHODS
#undef BW_FIELD_METHODS
#undef BW_RECORD_METHODS
#undef BW_METHOD

PyModuleDef modelModule = {PyModuleDef_HEAD_INIT, "_model", nullptr, -1, SwigMethods,
                           nullptr, nullptr, nullptr, nullptr};

struct sConstant { const char* name; long value; };
const sConstant k_Constants[] = {
    {"TOTAL_RANGE", 1000},
    {"RUNNING_STATE_BASE", 0},  {"RUNNING_STATE_MAX", 9},  {"RUNNING_STATE_RANGE", 10},
    {"TALKING_STATE_BASE", 10}, {"TALKING_STATE_MAX", 19}, {"TALKING_STATE_RANGE", 10},
    {"USING_STATE_BASE", 20},   {"USING_STATE_MAX", 29},   {"USING_STATE_RANGE", 10},
    {"IDLE_STATE_BASE", 30},    {"IDLE_STATE_MAX", 39},    {"IDLE_STATE_RANGE", 10},
    {"cModelException_ME_LOAD_ERROR", cModelException::ME_LOAD_ERROR},
    {"cModelException_ME_DRAW_ERROR", cModelException::ME_DRAW_ERROR},
    {"cModelException_ME_OPERATION_ERROR", cModelException::ME_OPERATION_ERROR},
    {"RUNNING_STATE", 0}, {"TALKING_STATE", 1}, {"USING_STATE", 2}, {"IDLE_STATE", 3},
};

} // namespace

PyObject* CreateModelModule()
{
    cPyRef module = cPyRef::Steal(PyModule_Create(&modelModule));
    if (!module)
        return nullptr;
    for (const sConstant& constant : k_Constants)
        if (PyModule_AddIntConstant(module.Get(), constant.name, constant.value) < 0)
            return nullptr;
    // The script classes that pointer objects of each type are handed out in.
    cPyRef classes = cPyRef::Steal(PyDict_New());
    if (!classes || PyModule_AddObject(module.Get(), "__swig_classes__", classes.Get()) < 0)
        return nullptr;
    classes.Release();   // the module holds it now
    return module.Release();
}

cModel* ModelFromObject(PyObject* pObject)
{
    cModel* pModel = nullptr;
    cCallPointers held;
    if (!held.Convert(pObject, 1, pModel))
        return nullptr;
    if (!held.StillValid())
        return nullptr;
    return pModel;
}
