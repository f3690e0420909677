#include "model/ModelModule.h"

#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "core/cPyRef.h"
#include "model/ModelBinding.h"
#include "model/cModel.h"

namespace {

template <class M> struct sMemberOf;
template <class T, class F> struct sMemberOf<F T::*>
{
    using Record = T;
    using Field = F;
};

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

// The one pointer argument of most functions: converted, held and checked.
template <class T, sLiteral Format>
bool ParseSelf(PyObject* args, cCallPointers& held, T*& pObject, PyObject** ppCapsule = nullptr)
{
    PyObject* pSelf = nullptr;
    return PyArg_ParseTuple(args, Format.text, &pSelf) &&
           held.Convert(pSelf, 1, pObject, false, ppCapsule) && held.StillValid();
}

template <class T, sLiteral Format>
PyObject* NewRecord(PyObject* pModule, PyObject* args)
{
    if (!PyArg_ParseTuple(args, Format.text))
        return nullptr;
    return WrapNew(pModule, std::make_unique<T>());
}

template <class T, sLiteral Format>
PyObject* DeleteRecord(PyObject*, PyObject* args)
{
    PyObject* pArgument = nullptr;
    if (!PyArg_ParseTuple(args, Format.text, &pArgument))
        return nullptr;
    T* pObject = nullptr;
    PyObject* pCapsule = nullptr;
    cCallPointers held;
    if (!held.Convert(pArgument, 1, pObject, true, &pCapsule) || !held.StillValid())
        return nullptr;
    if (pObject && !DeletePointed(pCapsule, TypeOf<T>(), pObject))
        return nullptr;
    Py_RETURN_NONE;
}

template <class T, sLiteral Format>
PyObject* RegisterRecordClass(PyObject* pModule, PyObject* args)
{
    PyObject* pClass = nullptr;
    if (!PyArg_ParseTuple(args, Format.text, &pClass) || !RegisterClass(pModule, TypeOf<T>(), pClass))
        return nullptr;
    Py_RETURN_NONE;
}

// A number field: float, or int when the field is one.
template <auto Member, sLiteral Format>
PyObject* SetNumber(PyObject*, PyObject* args)
{
    using T = typename sMemberOf<decltype(Member)>::Record;
    using F = typename sMemberOf<decltype(Member)>::Field;
    PyObject *pSelf = nullptr, *pValue = nullptr;
    if (!PyArg_ParseTuple(args, Format.text, &pSelf, &pValue))
        return nullptr;
    T* pObject = nullptr;
    std::conditional_t<std::is_integral_v<F>, int, float> value{};
    cCallPointers held;
    bool converted = false;
    if constexpr (std::is_integral_v<F>)
        converted = held.Convert(pSelf, 1, pObject) && ConvertInt(pValue, 2, value);
    else
        converted = held.Convert(pSelf, 1, pObject) && ConvertFloat(pValue, 2, value);
    if (!converted || !held.StillValid())
        return nullptr;
    pObject->*Member = value;
    Py_RETURN_NONE;
}

template <auto Member, sLiteral Format>
PyObject* GetNumber(PyObject*, PyObject* args)
{
    typename sMemberOf<decltype(Member)>::Record* pObject = nullptr;
    cCallPointers held;
    if (!ParseSelf<typename sMemberOf<decltype(Member)>::Record, Format>(args, held, pObject))
        return nullptr;
    if constexpr (std::is_integral_v<typename sMemberOf<decltype(Member)>::Field>)
        return PyLong_FromLong(long(pObject->*Member));
    else
        return PyFloat_FromDouble(double(pObject->*Member));
}

// Members that travel as pointer objects: the getter points into the record, the setter copies
// the value behind the pointer object it is given.
template <auto Member, sLiteral Format>
PyObject* SetCopied(PyObject*, PyObject* args)
{
    PyObject *pSelf = nullptr, *pValue = nullptr;
    if (!PyArg_ParseTuple(args, Format.text, &pSelf, &pValue))
        return nullptr;
    typename sMemberOf<decltype(Member)>::Record* pObject = nullptr;
    typename sMemberOf<decltype(Member)>::Field* pSource = nullptr;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pObject) || !held.Convert(pValue, 2, pSource) || !held.StillValid())
        return nullptr;
    pObject->*Member = *pSource;
    Py_RETURN_NONE;
}

template <auto Member, sLiteral Format>
PyObject* GetPointer(PyObject* pModule, PyObject* args)
{
    typename sMemberOf<decltype(Member)>::Record* pObject = nullptr;
    PyObject* pCapsule = nullptr;
    cCallPointers held;
    if (!ParseSelf<typename sMemberOf<decltype(Member)>::Record, Format>(args, held, pObject, &pCapsule))
        return nullptr;
    return WrapPointer(pModule, &(pObject->*Member), TypeOf<typename sMemberOf<decltype(Member)>::Field>(),
                       false, pCapsule);
}

// The three-index arrays of a TriFace.
template <Uint32 (TriFace::*Member)[3], sLiteral Format>
PyObject* SetIndexArray(PyObject*, PyObject* args)
{
    PyObject *pSelf = nullptr, *pValue = nullptr;
    if (!PyArg_ParseTuple(args, Format.text, &pSelf, &pValue))
        return nullptr;
    TriFace* pFace = nullptr;
    Uint32* pSource = nullptr;
    PyObject* pSourceCapsule = nullptr;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pFace) || !held.Convert(pValue, 2, pSource, false, &pSourceCapsule) ||
        !held.StillValid())
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

template <Uint32 (TriFace::*Member)[3], sLiteral Format>
PyObject* GetIndexArray(PyObject* pModule, PyObject* args)
{
    TriFace* pFace = nullptr;
    PyObject* pCapsule = nullptr;
    cCallPointers held;
    if (!ParseSelf<TriFace, Format>(args, held, pFace, &pCapsule))
        return nullptr;
    return WrapPointer(pModule, pFace->*Member, TypeOf<Uint32>(), false, pCapsule, 3);
}

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

template <void (cModel::*Method)(const char*), sLiteral Format>
PyObject* ModelWithName(PyObject*, PyObject* args)
{
    PyObject *pSelf = nullptr, *pName = nullptr;
    if (!PyArg_ParseTuple(args, Format.text, &pSelf, &pName))
        return nullptr;
    cModel* pModel = nullptr;
    const char* name = nullptr;
    cCallPointers held;
    if (!held.Convert(pSelf, 1, pModel) || !ConvertString(pName, 2, name) || !held.StillValid())
        return nullptr;
    return Guarded([&] {
        (pModel->*Method)(name);
        Py_RETURN_NONE;
    });
}

// A member function without arguments, its result converted as the scripts see it.
template <auto Method, sLiteral Format>
PyObject* ModelMethod(PyObject* pModule, PyObject* args)
{
    cModel* pModel = nullptr;
    cCallPointers held;
    if (!ParseSelf<cModel, Format>(args, held, pModel))
        return nullptr;
    return Guarded([&]() -> PyObject* {
        using R = std::invoke_result_t<decltype(Method), cModel&>;
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
        !ConvertUnsigned(PyTuple_GET_ITEM(args, 1), 2, frame) || !ReadDrawing(args, 2, v) ||
        !held.StillValid())
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
    if (!held.Convert(PyTuple_GET_ITEM(args, 0), 1, pModel) || !ReadDrawing(args, 1, v) ||
        !held.StillValid())
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
    if (!held.Convert(pSelf, 1, pModel) || !held.Convert(pList, 2, pTriangles) || !held.StillValid())
        return nullptr;
    return Guarded([&] {
        pModel->GetTriangles(*pTriangles);
        Py_RETURN_NONE;
    });
}

PyObject* new_cModelException(PyObject* pModule, PyObject* args)
{
    PyObject *pCode = nullptr, *pMessage = nullptr;
    if (!PyArg_ParseTuple(args, "OO:new_cModelException", &pCode, &pMessage))
        return nullptr;
    Uint32* pCodeValue = nullptr;
    std::string* pText = nullptr;
    cCallPointers held;
    if (!held.Convert(pCode, 1, pCodeValue) || !held.Convert(pMessage, 2, pText) || !held.StillValid())
        return nullptr;
    return Guarded([&] {
        return WrapNew(pModule, std::make_unique<cModelException>(*pCodeValue, *pText));
    });
}

PyObject* cModelException_code(PyObject* pModule, PyObject* args)
{
    cModelException* pException = nullptr;
    cCallPointers held;
    if (!ParseSelf<cModelException, "O:cModelException_code">(args, held, pException))
        return nullptr;
    return WrapNew(pModule, std::make_unique<Uint32>(pException->code()));
}

PyObject* cModelException_what(PyObject*, PyObject* args)
{
    cModelException* pException = nullptr;
    cCallPointers held;
    if (!ParseSelf<cModelException, "O:cModelException_what">(args, held, pException))
        return nullptr;
    return PyUnicode_DecodeUTF8(pException->what(), Py_ssize_t(std::strlen(pException->what())),
                                "replace");
}

constexpr PyMethodDef Row(const char* name, PyCFunction function)
{
    return {name, function, METH_VARARGS, nullptr};
}

PyMethodDef modelMethods[] = {
    Row("new_cModel", new_cModel),
    Row("delete_cModel", DeleteRecord<cModel, "O:delete_cModel">),
    Row("cModel_AddFrame", ModelWithName<&cModel::AddFrame, "OO:cModel_AddFrame">),
    Row("cModel_LoadMTLFile", ModelWithName<&cModel::LoadMTLFile, "OO:cModel_LoadMTLFile">),
    Row("cModel_SetTexture", ModelWithName<&cModel::SetTexture, "OO:cModel_SetTexture">),
    Row("cModel_FrameCount", ModelMethod<&cModel::FrameCount, "O:cModel_FrameCount">),
    Row("cModel_Clear", ModelMethod<&cModel::Clear, "O:cModel_Clear">),
    Row("cModel_Animate", cModel_Animate),
    Row("cModel_Draw", cModel_Draw),
    Row("cModel_EnableTexturing", ModelMethod<&cModel::EnableTexturing, "O:cModel_EnableTexturing">),
    Row("cModel_DisableTexturing", ModelMethod<&cModel::DisableTexturing, "O:cModel_DisableTexturing">),
    Row("cModel_IsTextureEnabled", ModelMethod<&cModel::IsTextureEnabled, "O:cModel_IsTextureEnabled">),
    Row("cModel_MakeStatic", ModelMethod<&cModel::MakeStatic, "O:cModel_MakeStatic">),
    Row("cModel_CalcExtraData", ModelMethod<&cModel::CalcExtraData, "O:cModel_CalcExtraData">),
    Row("cModel_GetWidth", ModelMethod<&cModel::GetWidth, "O:cModel_GetWidth">),
    Row("cModel_GetHeight", ModelMethod<&cModel::GetHeight, "O:cModel_GetHeight">),
    Row("cModel_GetLength", ModelMethod<&cModel::GetLength, "O:cModel_GetLength">),
    Row("cModel_GetCenter", ModelMethod<&cModel::GetCenter, "O:cModel_GetCenter">),
    Row("cModel_GetTriangles", cModel_GetTriangles),
    Row("cModel_DisplayData", ModelMethod<&cModel::DisplayData, "O:cModel_DisplayData">),
    Row("cModel_WriteOBJFile", ModelMethod<&cModel::WriteOBJFile, "O:cModel_WriteOBJFile">),
    Row("cModel_swigregister", RegisterRecordClass<cModel, "O:cModel_swigregister">),

    Row("new_cModelException", new_cModelException),
    Row("delete_cModelException", DeleteRecord<cModelException, "O:delete_cModelException">),
    Row("cModelException_code", cModelException_code),
    Row("cModelException_what", cModelException_what),
    Row("cModelException_swigregister", RegisterRecordClass<cModelException, "O:cModelException_swigregister">),

    Row("new_Point3D", NewRecord<Point3D, ":new_Point3D">),
    Row("delete_Point3D", DeleteRecord<Point3D, "O:delete_Point3D">),
    Row("Point3D_swigregister", RegisterRecordClass<Point3D, "O:Point3D_swigregister">),
    Row("new_TexCoord", NewRecord<TexCoord, ":new_TexCoord">),
    Row("delete_TexCoord", DeleteRecord<TexCoord, "O:delete_TexCoord">),
    Row("TexCoord_swigregister", RegisterRecordClass<TexCoord, "O:TexCoord_swigregister">),
    Row("new_RGBColor", NewRecord<RGBColor, ":new_RGBColor">),
    Row("delete_RGBColor", DeleteRecord<RGBColor, "O:delete_RGBColor">),
    Row("RGBColor_swigregister", RegisterRecordClass<RGBColor, "O:RGBColor_swigregister">),
    Row("new_Point3D2", NewRecord<Point3D2, ":new_Point3D2">),
    Row("delete_Point3D2", DeleteRecord<Point3D2, "O:delete_Point3D2">),
    Row("Point3D2_swigregister", RegisterRecordClass<Point3D2, "O:Point3D2_swigregister">),
    Row("Point3D2_x_set", SetNumber<&Point3D2::x, "OO:Point3D2_x_set">),
    Row("Point3D2_x_get", GetNumber<&Point3D2::x, "O:Point3D2_x_get">),
    Row("Point3D2_y_set", SetNumber<&Point3D2::y, "OO:Point3D2_y_set">),
    Row("Point3D2_y_get", GetNumber<&Point3D2::y, "O:Point3D2_y_get">),
    Row("Point3D2_z_set", SetNumber<&Point3D2::z, "OO:Point3D2_z_set">),
    Row("Point3D2_z_get", GetNumber<&Point3D2::z, "O:Point3D2_z_get">),
    Row("new_TriFace", NewRecord<TriFace, ":new_TriFace">),
    Row("delete_TriFace", DeleteRecord<TriFace, "O:delete_TriFace">),
    Row("TriFace_swigregister", RegisterRecordClass<TriFace, "O:TriFace_swigregister">),
    Row("TriFace_vertIndex_set", SetIndexArray<&TriFace::vertIndex, "OO:TriFace_vertIndex_set">),
    Row("TriFace_vertIndex_get", GetIndexArray<&TriFace::vertIndex, "O:TriFace_vertIndex_get">),
    Row("TriFace_tcIndex_set", SetIndexArray<&TriFace::tcIndex, "OO:TriFace_tcIndex_set">),
    Row("TriFace_tcIndex_get", GetIndexArray<&TriFace::tcIndex, "O:TriFace_tcIndex_get">),
    Row("TriFace_normIndex_set", SetIndexArray<&TriFace::normIndex, "OO:TriFace_normIndex_set">),
    Row("TriFace_normIndex_get", GetIndexArray<&TriFace::normIndex, "O:TriFace_normIndex_get">),
    Row("new_VTNData", NewRecord<VTNData, ":new_VTNData">),
    Row("delete_VTNData", DeleteRecord<VTNData, "O:delete_VTNData">),
    Row("VTNData_swigregister", RegisterRecordClass<VTNData, "O:VTNData_swigregister">),
    Row("VTNData_vertIndex_set", SetCopied<&VTNData::vertIndex, "OO:VTNData_vertIndex_set">),
    Row("VTNData_vertIndex_get", GetPointer<&VTNData::vertIndex, "O:VTNData_vertIndex_get">),
    Row("VTNData_tcIndex_set", SetCopied<&VTNData::tcIndex, "OO:VTNData_tcIndex_set">),
    Row("VTNData_tcIndex_get", GetPointer<&VTNData::tcIndex, "O:VTNData_tcIndex_get">),
    Row("VTNData_normIndex_set", SetCopied<&VTNData::normIndex, "OO:VTNData_normIndex_set">),
    Row("VTNData_normIndex_get", GetPointer<&VTNData::normIndex, "O:VTNData_normIndex_get">),
    Row("new_Group", NewRecord<Group, ":new_Group">),
    Row("delete_Group", DeleteRecord<Group, "O:delete_Group">),
    Row("Group_swigregister", RegisterRecordClass<Group, "O:Group_swigregister">),
    Row("Group_MatIndex_set", SetNumber<&Group::MatIndex, "OO:Group_MatIndex_set">),
    Row("Group_MatIndex_get", GetNumber<&Group::MatIndex, "O:Group_MatIndex_get">),
    Row("Group_MatName_set", SetCopied<&Group::MatName, "OO:Group_MatName_set">),
    Row("Group_MatName_get", GetPointer<&Group::MatName, "O:Group_MatName_get">),
    Row("Group_TriArray_set", SetCopied<&Group::TriArray, "OO:Group_TriArray_set">),
    Row("Group_TriArray_get", GetPointer<&Group::TriArray, "O:Group_TriArray_get">),
    Row("Group_NormArray_set", SetCopied<&Group::NormArray, "OO:Group_NormArray_set">),
    Row("Group_NormArray_get", GetPointer<&Group::NormArray, "O:Group_NormArray_get">),
    Row("new_Material", NewRecord<Material, ":new_Material">),
    Row("delete_Material", DeleteRecord<Material, "O:delete_Material">),
    Row("Material_swigregister", RegisterRecordClass<Material, "O:Material_swigregister">),
    Row("Material_name_set", SetCopied<&Material::name, "OO:Material_name_set">),
    Row("Material_name_get", GetPointer<&Material::name, "O:Material_name_get">),
    Row("Material_Ns_set", SetNumber<&Material::Ns, "OO:Material_Ns_set">),
    Row("Material_Ns_get", GetNumber<&Material::Ns, "O:Material_Ns_get">),
    Row("Material_ambient_set", SetCopied<&Material::ambient, "OO:Material_ambient_set">),
    Row("Material_ambient_get", GetPointer<&Material::ambient, "O:Material_ambient_get">),
    Row("Material_diffuse_set", SetCopied<&Material::diffuse, "OO:Material_diffuse_set">),
    Row("Material_diffuse_get", GetPointer<&Material::diffuse, "O:Material_diffuse_get">),
    Row("Material_specular_set", SetCopied<&Material::specular, "OO:Material_specular_set">),
    Row("Material_specular_get", GetPointer<&Material::specular, "O:Material_specular_get">),
    Row("new_CurrAnim", NewRecord<CurrAnim, ":new_CurrAnim">),
    Row("delete_CurrAnim", DeleteRecord<CurrAnim, "O:delete_CurrAnim">),
    Row("CurrAnim_swigregister", RegisterRecordClass<CurrAnim, "O:CurrAnim_swigregister">),
    Row("CurrAnim_currFrame_set", SetCopied<&CurrAnim::currFrame, "OO:CurrAnim_currFrame_set">),
    Row("CurrAnim_currFrame_get", GetPointer<&CurrAnim::currFrame, "O:CurrAnim_currFrame_get">),
    Row("CurrAnim_nextFrame_set", SetCopied<&CurrAnim::nextFrame, "OO:CurrAnim_nextFrame_set">),
    Row("CurrAnim_nextFrame_get", GetPointer<&CurrAnim::nextFrame, "O:CurrAnim_nextFrame_get">),
    Row("CurrAnim_percent_set", SetCopied<&CurrAnim::percent, "OO:CurrAnim_percent_set">),
    Row("CurrAnim_percent_get", GetPointer<&CurrAnim::percent, "O:CurrAnim_percent_get">),
    Row("new_Triangle", NewRecord<Triangle, ":new_Triangle">),
    Row("delete_Triangle", DeleteRecord<Triangle, "O:delete_Triangle">),
    Row("Triangle_swigregister", RegisterRecordClass<Triangle, "O:Triangle_swigregister">),
    Row("Triangle_v1_set", SetCopied<&Triangle::v1, "OO:Triangle_v1_set">),
    Row("Triangle_v1_get", GetPointer<&Triangle::v1, "O:Triangle_v1_get">),
    Row("Triangle_v2_set", SetCopied<&Triangle::v2, "OO:Triangle_v2_set">),
    Row("Triangle_v2_get", GetPointer<&Triangle::v2, "O:Triangle_v2_get">),
    Row("Triangle_v3_set", SetCopied<&Triangle::v3, "OO:Triangle_v3_set">),
    Row("Triangle_v3_get", GetPointer<&Triangle::v3, "O:Triangle_v3_get">),
    Row("Triangle_n_set", SetCopied<&Triangle::n, "OO:Triangle_n_set">),
    Row("Triangle_n_get", GetPointer<&Triangle::n, "O:Triangle_n_get">),
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef modelModule = {PyModuleDef_HEAD_INIT, "_model", nullptr, -1, modelMethods,
                           nullptr, nullptr, nullptr, nullptr};

struct sConstant { const char* name; long value; };
const sConstant CONSTANTS[] = {
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
    for (const sConstant& constant : CONSTANTS)
        if (PyModule_AddIntConstant(module.Get(), constant.name, constant.value) < 0)
            return nullptr;
    if (!AddClassRegistry(module.Get()))
        return nullptr;
    return module.Release();
}
