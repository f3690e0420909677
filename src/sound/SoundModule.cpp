#include "sound/SoundModule.h"

#include <string>

#include "sound/SoundManager.h"

namespace {

PyObject* sound_cachesound(PyObject*, PyObject* args)
{
    const char* file = nullptr;
    if (!PyArg_ParseTuple(args, "s", &file))
        return nullptr;
    return PyBool_FromLong(g_Sound.CacheSound(std::string(file)));
}

PyObject* sound_playing(PyObject*, PyObject* args)
{
    int channel = 0;
    if (!PyArg_ParseTuple(args, "i", &channel))
        return nullptr;
    return PyBool_FromLong(g_Sound.IsChannelPlaying(channel));
}

PyObject* sound_playsound(PyObject*, PyObject* args)
{
    const char* file = nullptr;
    int volume = MIX_MAX_VOLUME;
    if (!PyArg_ParseTuple(args, "s|i", &file, &volume))
        return nullptr;
    int channel = -1;
    if (!g_Sound.PlaySoundNormal(std::string(file), volume, &channel))
        Py_RETURN_NONE;
    return PyLong_FromLong(channel);
}

// Pan, angle and distance keep only their low bits, so out-of-range values wrap (256 acts as 0).
PyObject* sound_playsoundpanned(PyObject*, PyObject* args)
{
    const char* file = nullptr;
    int pan = 0, distance = 0;
    if (!PyArg_ParseTuple(args, "sii", &file, &pan, &distance))
        return nullptr;
    return PyBool_FromLong(g_Sound.PlaySoundPanned(std::string(file), static_cast<unsigned char>(pan),
                                                   static_cast<unsigned char>(distance)));
}

PyObject* sound_playsoundpositional(PyObject*, PyObject* args)
{
    const char* file = nullptr;
    int angle = 0, distance = 0;
    if (!PyArg_ParseTuple(args, "sii", &file, &angle, &distance))
        return nullptr;
    return PyBool_FromLong(g_Sound.PlaySoundPositional(std::string(file), static_cast<short>(angle),
                                                       static_cast<unsigned char>(distance)));
}

PyObject* sound_playmusic(PyObject*, PyObject* args)
{
    const char* file = nullptr;
    if (!PyArg_ParseTuple(args, "s", &file))
        return nullptr;
    g_Sound.PlayMusic(std::string(file));
    Py_RETURN_NONE;
}

PyObject* sound_setsoundvolume(PyObject*, PyObject* args)
{
    int volume = 0;
    if (!PyArg_ParseTuple(args, "i", &volume))
        return nullptr;
    g_Sound.SetSoundVolume(volume);
    Py_RETURN_NONE;
}

PyObject* sound_setmusicvolume(PyObject*, PyObject* args)
{
    int volume = 0;
    if (!PyArg_ParseTuple(args, "i", &volume))
        return nullptr;
    g_Sound.SetMusicVolume(volume);
    Py_RETURN_NONE;
}

PyObject* sound_stopmusic(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ""))
        return nullptr;
    g_Sound.StopMusic();
    Py_RETURN_NONE;
}

PyObject* sound_killmusic(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ""))
        return nullptr;
    g_Sound.KillMusic();
    Py_RETURN_NONE;
}

PyObject* sound_killallsfx(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ""))
        return nullptr;
    g_Sound.KillAllSFX();
    Py_RETURN_NONE;
}

PyMethodDef soundMethods[] = {
    {"cachesound", sound_cachesound, METH_VARARGS, "Cache a sound effect."},
    {"playing", sound_playing, METH_VARARGS, "Find out if a channel is playing."},
    {"playsound", sound_playsound, METH_VARARGS, "Play a sound effect."},
    {"playsoundpan", sound_playsoundpanned, METH_VARARGS, "Play a panned sound effect."},
    {"playsoundpos", sound_playsoundpositional, METH_VARARGS, "Play a positional sound effect."},
    {"playmusic", sound_playmusic, METH_VARARGS, "Play a music file."},
    {"setsfxvol", sound_setsoundvolume, METH_VARARGS, "Set the overall SFX volume."},
    {"setmusicvol", sound_setmusicvolume, METH_VARARGS, "Set the music volume."},
    {"stopmusic", sound_stopmusic, METH_VARARGS, "Stop the music."},
    {"killmusic", sound_killmusic, METH_VARARGS, "Stop the music and free its memory."},
    {"killallsfx", sound_killallsfx, METH_VARARGS, "Stop all SFX and free all memory."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef soundModule = {PyModuleDef_HEAD_INIT, "sound", nullptr, -1, soundMethods,
                           nullptr, nullptr, nullptr, nullptr};

} // namespace

PyObject* CreateSoundModule() { return PyModule_Create(&soundModule); }
