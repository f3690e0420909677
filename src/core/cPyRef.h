#pragma once
#include <Python.h>
#include <utility>

// An owned Python reference. Steal() adopts a new reference, Borrow() adds one.
class cPyRef
{
public:
    cPyRef() = default;
    static cPyRef Steal(PyObject* pObject) { return cPyRef(pObject); }
    static cPyRef Borrow(PyObject* pObject) { Py_XINCREF(pObject); return cPyRef(pObject); }

    cPyRef(cPyRef&& other) noexcept : m_pObject(other.Release()) {}
    cPyRef& operator=(cPyRef&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_pObject = other.Release();
        }
        return *this;
    }
    cPyRef(const cPyRef&) = delete;
    cPyRef& operator=(const cPyRef&) = delete;
    ~cPyRef() { Reset(); }

    PyObject* Get() const { return m_pObject; }
    explicit operator bool() const { return m_pObject != nullptr; }
    PyObject* Release() { return std::exchange(m_pObject, nullptr); }   // the caller owns it now
    void Reset()
    {
        // A script's SystemExit finalises the interpreter before the globals die;
        // their objects went with it and must not be touched.
        if (m_pObject && Py_IsInitialized())
            Py_DECREF(m_pObject);
        m_pObject = nullptr;
    }

private:
    explicit cPyRef(PyObject* pObject) : m_pObject(pObject) {}
    PyObject* m_pObject = nullptr;
};
