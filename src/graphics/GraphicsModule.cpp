#include "graphics/GraphicsModule.h"

#include <cmath>
#include <cstdio>

#include "graphics/GraphicsManager.h"
#include "math/cVector3.h"

namespace {

PyObject* graphics_togglefullscreen(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ""))
        return nullptr;
    g_Graphics.ToggleFullscreen();
    Py_RETURN_NONE;
}

// SDL reads a size of 0 as "the desktop's", and the engine would then report and draw for 0 x 0:
// such sizes are refused as SDL refuses negative ones, and the game goes on in the mode it had.
bool IsWindowSize(int width, int height)
{
    if (width != 0 && height != 0)
        return true;   // SDL itself refuses negative sizes, with its own message
    std::fprintf(stderr, "Couldn't set %dx%d video mode: a window is at least 1 x 1\n", width, height);
    return false;
}

PyObject* graphics_setupwindow(PyObject*, PyObject* args)
{
    int width = 0, height = 0;
    if (!PyArg_ParseTuple(args, "ii", &width, &height))
        return nullptr;
    if (!IsWindowSize(width, height))
        Py_RETURN_FALSE;
    return PyBool_FromLong(g_Graphics.SetupWindowedMode(width, height));
}

PyObject* graphics_setupfullscreen(PyObject*, PyObject* args)
{
    int width = 0, height = 0;
    if (!PyArg_ParseTuple(args, "ii", &width, &height))
        return nullptr;
    if (!IsWindowSize(width, height))
        Py_RETURN_FALSE;
    return PyBool_FromLong(g_Graphics.SetupFullscreenMode(width, height));
}

PyObject* graphics_resizewindow(PyObject*, PyObject* args)
{
    int width = 0, height = 0;
    if (!PyArg_ParseTuple(args, "ii", &width, &height))
        return nullptr;
    g_Graphics.ReSizeGLWindow(width, height);
    Py_RETURN_NONE;
}

PyObject* graphics_movecam(PyObject*, PyObject* args)
{
    float x = 0, y = 0, z = 0;
    if (!PyArg_ParseTuple(args, "fff", &x, &y, &z))
        return nullptr;
    g_Graphics.m_Camera.Move(cVector3(x, y, z));
    Py_RETURN_NONE;
}

PyObject* graphics_movecamforward(PyObject*, PyObject* args)
{
    float distance = 0;
    if (!PyArg_ParseTuple(args, "f", &distance))
        return nullptr;
    g_Graphics.m_Camera.MoveForward(distance);
    Py_RETURN_NONE;
}

PyObject* graphics_movecamsideways(PyObject*, PyObject* args)
{
    float distance = 0;
    if (!PyArg_ParseTuple(args, "f", &distance))
        return nullptr;
    g_Graphics.m_Camera.MoveSideToSide(distance);
    Py_RETURN_NONE;
}

PyObject* graphics_rotcam_lr(PyObject*, PyObject* args)
{
    float degrees = 0;
    if (!PyArg_ParseTuple(args, "f", &degrees))
        return nullptr;
    g_Graphics.m_Camera.RotateLeftRight(degrees);
    Py_RETURN_NONE;
}

PyObject* graphics_rotcam_ud(PyObject*, PyObject* args)
{
    float degrees = 0;
    if (!PyArg_ParseTuple(args, "f", &degrees))
        return nullptr;
    g_Graphics.m_Camera.RotateUpDown(degrees);
    Py_RETURN_NONE;
}

PyObject* graphics_setcampos(PyObject*, PyObject* args)
{
    float x = 0, y = 0, z = 0;
    if (!PyArg_ParseTuple(args, "fff", &x, &y, &z))
        return nullptr;
    g_Graphics.m_Camera.SetPosition(x, y, z);
    Py_RETURN_NONE;
}

PyObject* graphics_setlookat(PyObject*, PyObject* args)
{
    float x = 0, y = 0, z = 0;
    if (!PyArg_ParseTuple(args, "fff", &x, &y, &z))
        return nullptr;
    g_Graphics.m_Camera.SetLookAt(x, y, z);
    Py_RETURN_NONE;
}

PyObject* graphics_setupvector(PyObject*, PyObject* args)
{
    float x = 0, y = 0, z = 0;
    if (!PyArg_ParseTuple(args, "fff", &x, &y, &z))
        return nullptr;
    g_Graphics.m_Camera.SetUpVector(x, y, z);
    Py_RETURN_NONE;
}

PyObject* BuildVector(PyObject* args, const cVector3& v)
{
    if (!PyArg_ParseTuple(args, ""))
        return nullptr;
    return Py_BuildValue("(fff)", double(v.x), double(v.y), double(v.z));
}

PyObject* graphics_getcampos(PyObject*, PyObject* args)
{
    return BuildVector(args, g_Graphics.m_Camera.GetPosition());
}

PyObject* graphics_getlookat(PyObject*, PyObject* args)
{
    return BuildVector(args, g_Graphics.m_Camera.GetLookAt());
}

PyObject* graphics_getupvector(PyObject*, PyObject* args)
{
    return BuildVector(args, g_Graphics.m_Camera.GetUpVector());
}

PyObject* graphics_getwindowsize(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ""))
        return nullptr;
    return Py_BuildValue("(ii)", g_Graphics.GetWindowWidth(), g_Graphics.GetWindowHeight());
}

PyObject* graphics_push2d(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ""))
        return nullptr;
    // Scripts' shapes lie at z = 0.5: their mode reaches behind the viewer to keep them in view.
    g_Graphics.Push2D(GraphicsManager::ORIGIN_TOP_LEFT, -1.0f);
    Py_RETURN_NONE;
}

PyObject* graphics_pop2d(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ""))
        return nullptr;
    g_Graphics.Pop2D();
    Py_RETURN_NONE;
}

PyObject* graphics_setlight0(PyObject*, PyObject* args)
{
    float x = 0, y = 0, z = 0;
    if (!PyArg_ParseTuple(args, "fff", &x, &y, &z))
        return nullptr;
    g_Graphics.SetLight0(x, y, z);
    Py_RETURN_NONE;
}

PyObject* graphics_setlight(PyObject*, PyObject* args)
{
    int light = 0;
    const char* name = nullptr;
    float values[4] = {0, 0, 0, 1.0f};
    if (!PyArg_ParseTuple(args, "isfff|f", &light, &name, &values[0], &values[1], &values[2], &values[3]))
        return nullptr;

    // Scripts that turn warnings into errors get the warning raised, but the light is set all the
    // same, as it is for everybody else.
    bool warningRaised = false;
    if (light < 0 || light > 7) {
        warningRaised = PyErr_WarnEx(PyExc_RuntimeWarning,
                                     "light number must be between 0 and 7; setting to 0", 1) < 0;
        light = 0;
    }
    if (!g_Graphics.SetLightParameter(light, name, values)) {
        if (warningRaised)
            PyErr_Clear();
        PyErr_Format(PyExc_ValueError, "%s is not a valid parameter name", name);
        return nullptr;
    }
    if (warningRaised)
        return nullptr;
    Py_RETURN_NONE;
}

PyObject* graphics_drawrect(PyObject*, PyObject* args)
{
    float x = 0, y = 0, width = 0, height = 0;
    float colour[4] = {1, 1, 1, 1};
    if (!PyArg_ParseTuple(args, "ffff|ffff", &x, &y, &width, &height, &colour[0], &colour[1],
                          &colour[2], &colour[3]))
        return nullptr;
    // The sizes' signs are dropped: the rectangle always reaches from (x, y) towards larger
    // coordinates, and keeps the winding that survives culling in the 2D mode.
    float x2 = x + std::fabs(width), y2 = y + std::fabs(height);
    const float corners[6][2] = {{x, y}, {x, y2}, {x2, y2}, {x2, y2}, {x2, y}, {x, y}};
    g_Graphics.DrawFlatTriangles(corners, 6, colour);
    Py_RETURN_NONE;
}

PyObject* graphics_drawtriangle(PyObject*, PyObject* args)
{
    float corners[3][2] = {};
    float colour[4] = {1, 1, 1, 1};
    if (!PyArg_ParseTuple(args, "ffffff|ffff", &corners[0][0], &corners[0][1], &corners[1][0],
                          &corners[1][1], &corners[2][0], &corners[2][1], &colour[0], &colour[1],
                          &colour[2], &colour[3]))
        return nullptr;
    g_Graphics.DrawFlatTriangles(corners, 3, colour);
    Py_RETURN_NONE;
}

PyObject* graphics_projcoord(PyObject*, PyObject* args)
{
    float x = 0, y = 0, z = 0;
    if (!PyArg_ParseTuple(args, "fff", &x, &y, &z))
        return nullptr;
    double windowX = 0, windowY = 0;
    g_Graphics.ProjectToWindow(x, y, z, windowX, windowY);
    return Py_BuildValue("(ff)", windowX, windowY);
}

PyMethodDef graphicsMethods[] = {
    {"togglefullscreen", graphics_togglefullscreen, METH_VARARGS, "Toggle between windowed and fullscreen."},
    {"setupwindow", graphics_setupwindow, METH_VARARGS, "Setup windowed graphics mode."},
    {"setupfullscreen", graphics_setupfullscreen, METH_VARARGS, "Setup fullscreen graphics mode."},
    {"resizewindow", graphics_resizewindow, METH_VARARGS, "Resize the GL window."},
    {"movecam", graphics_movecam, METH_VARARGS, "Move the camera by a vector."},
    {"movecamforward", graphics_movecamforward, METH_VARARGS, "Move the camera in and out."},
    {"movecamsideways", graphics_movecamsideways, METH_VARARGS, "Move the camera sideways."},
    {"rotcam_lr", graphics_rotcam_lr, METH_VARARGS, "Rotate the camera left and right."},
    {"rotcam_ud", graphics_rotcam_ud, METH_VARARGS, "Rotate the camera up and down."},
    {"setcampos", graphics_setcampos, METH_VARARGS, "Set the camera position."},
    {"setlookat", graphics_setlookat, METH_VARARGS, "Set the camera lookat vector."},
    {"setupvector", graphics_setupvector, METH_VARARGS, "Set the camera up vector."},
    {"getcampos", graphics_getcampos, METH_VARARGS, "Get the camera position."},
    {"getlookat", graphics_getlookat, METH_VARARGS, "Get the camera lookat vector."},
    {"getupvector", graphics_getupvector, METH_VARARGS, "Get the camera up vector."},
    {"getwindowsize", graphics_getwindowsize, METH_VARARGS, "Get the size of the window."},
    {"push2d", graphics_push2d, METH_VARARGS, "Get into 2D drawing mode."},
    {"pop2d", graphics_pop2d, METH_VARARGS, "Get out of 2D drawing mode."},
    {"setlight0", graphics_setlight0, METH_VARARGS, "Sets the position of light 0."},
    {"setlight", graphics_setlight, METH_VARARGS, "Sets the position of a numbered light."},
    {"drawrect", graphics_drawrect, METH_VARARGS, "Draw a rectangle."},
    {"drawtriangle", graphics_drawtriangle, METH_VARARGS, "Draw a triangle."},
    {"projcoord", graphics_projcoord, METH_VARARGS,
     "Get the 2D window coordinate of a 3D x,y,z coordinate."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef graphicsModule = {PyModuleDef_HEAD_INIT, "graphics", nullptr, -1, graphicsMethods,
                             nullptr, nullptr, nullptr, nullptr};

} // namespace

PyObject* CreateGraphicsModule() { return PyModule_Create(&graphicsModule); }
