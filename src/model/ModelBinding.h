#pragma once
#include <Python.h>

#include <algorithm>
#include <array>
#include <cstddef>
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

// A string literal as a template argument: a format, a type's name.
template <size_t N>
struct sLiteral
{
    constexpr sLiteral(const char (&literal)[N]) { std::copy_n(literal, N, text); }
    char text[N];
};

struct sType
{
    const char* name;          // the pointer object's name
    const char* deletedName;   // its name once the object behind it was deleted
    const char* cType;         // as argument errors show it
    const char* shortName;     // as other messages show it
    void (*destroy)(void*);
};

template <size_t... N>
constexpr auto JoinLiterals(const char (&... parts)[N])
{
    std::array<char, (N + ...) - sizeof...(N) + 1> joined{};
    size_t at = 0;
    ((std::copy_n(parts, N - 1, joined.begin() + at), at += N - 1), ...);
    return joined;
}

template <class T>
void DestroyObject(void* pObject) { delete static_cast<T*>(pObject); }

// A type as the scripts know it: "_p_<Mangled>", shown as "<Pretty> *".
template <class T, sLiteral Mangled, sLiteral Pretty = Mangled>
struct sRegisteredType
{
    static constexpr auto NAME = JoinLiterals("_p_", Mangled.text);
    static constexpr auto DELETED_NAME = JoinLiterals("_p_", Mangled.text, " (deleted)");
    static constexpr auto C_TYPE = JoinLiterals(Pretty.text, " *");
    static constexpr sType TYPE = {NAME.data(), DELETED_NAME.data(), C_TYPE.data(), Pretty.text,
                                   &DestroyObject<T>};
};

template <class T> struct sTypeOf;
template <> struct sTypeOf<cModel> : sRegisteredType<cModel, "cModel"> {};
template <> struct sTypeOf<cModelException> : sRegisteredType<cModelException, "cModelException"> {};
template <> struct sTypeOf<Point3D> : sRegisteredType<Point3D, "Point3D"> {};
template <> struct sTypeOf<Point3D2> : sRegisteredType<Point3D2, "Point3D2"> {};
template <> struct sTypeOf<Vector3D> : sRegisteredType<Vector3D, "Vector3D"> {};
template <> struct sTypeOf<TexCoord> : sRegisteredType<TexCoord, "TexCoord"> {};
template <> struct sTypeOf<RGBColor> : sRegisteredType<RGBColor, "RGBColor"> {};
template <> struct sTypeOf<VTNData> : sRegisteredType<VTNData, "VTNData"> {};
template <> struct sTypeOf<TriFace> : sRegisteredType<TriFace, "TriFace"> {};
template <> struct sTypeOf<Group> : sRegisteredType<Group, "Group"> {};
template <> struct sTypeOf<Material> : sRegisteredType<Material, "Material"> {};
template <> struct sTypeOf<CurrAnim> : sRegisteredType<CurrAnim, "CurrAnim"> {};
template <> struct sTypeOf<Triangle> : sRegisteredType<Triangle, "Triangle"> {};
template <> struct sTypeOf<Uint32> : sRegisteredType<Uint32, "Uint32"> {};
template <> struct sTypeOf<GLfloat> : sRegisteredType<GLfloat, "GLfloat"> {};
template <> struct sTypeOf<std::string> : sRegisteredType<std::string, "std__string", "std::string"> {};
template <> struct sTypeOf<std::vector<TriFace>>
    : sRegisteredType<std::vector<TriFace>, "std__vectorTTriFace_t", "std::vector<TriFace >"> {};
template <> struct sTypeOf<std::vector<Point3D>>
    : sRegisteredType<std::vector<Point3D>, "std__vectorTPoint3D_t", "std::vector<Point3D >"> {};
template <> struct sTypeOf<std::vector<CollisionTriangle>>
    : sRegisteredType<std::vector<CollisionTriangle>, "std__vectorTCollisionTriangle_t",
                      "std::vector<CollisionTriangle >"> {};

template <class T>
constexpr const sType& TypeOf() { return sTypeOf<T>::TYPE; }

// The registry of script classes pointer objects are handed out in, kept in the module.
bool AddClassRegistry(PyObject* pModule);
bool RegisterClass(PyObject* pModule, const sType& type, PyObject* pClass);

// A pointer object for pObject; class(pointer object) when a script class is registered for the
// type, with "thisown" True when the script owns the object. pParent is the pointer object of
// the object this one lies in, kept alive with it; count is the number of elements behind it.
PyObject* WrapPointer(PyObject* pModule, void* pObject, const sType& type, bool owned,
                      PyObject* pParent = nullptr, size_t count = 1);

template <class T>
PyObject* WrapNew(PyObject* pModule, std::unique_ptr<T> pObject)
{
    PyObject* pResult = WrapPointer(pModule, pObject.get(), TypeOf<T>(), true);
    if (pResult)
        pObject.release();   // the pointer object owns it now
    return pResult;
}

// Converts argument `argument` (counted from 1) to a pointer of `type`, and hands the pointer
// object over in `capsule`: the pointer is valid only while that reference is held. None gives
// null when allowed; a null reference error otherwise.
bool ConvertPointer(PyObject* pObject, const sType& type, int argument, void*& pOut,
                    bool allowNull, cPyRef& capsule);
bool IsDeleted(PyObject* pObject, const sType& type);   // the object or its "this"
size_t CountBehind(PyObject* pCapsule);                 // one for pointer objects made elsewhere

// delete_<type>: frees the object now and marks its pointer object, so that any later use
// reports the deletion instead of reaching freed memory. False, with the error set, for an
// object that lies in another.
bool DeletePointed(PyObject* pCapsule, const sType& type, void* pObject);

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

    bool StillValid() const;   // false with the "was deleted" error set

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

// Number and string arguments, with the binding's own error texts. A None string gives null.
bool ConvertFloat(PyObject* pObject, int argument, float& out);
bool ConvertInt(PyObject* pObject, int argument, int& out);
bool ConvertUnsigned(PyObject* pObject, int argument, unsigned int& out);
bool ConvertString(PyObject* pObject, int argument, const char*& out);

// The cModel behind a pointer object, for callers outside the module that word their own
// errors. The model lives only as long as the pointer object: hold it while the model is used.
enum class eModelPointer { MODEL, DELETED, NOT_A_MODEL };
eModelPointer ModelBehindPointer(PyObject* pPointer, cModel*& pModel);
