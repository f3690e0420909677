"""The game's model class over the engine's `_model` module.

A cModel holds the engine's pointer object in its attribute "this", which is what the `_model`
functions and the `physics` module read. The pointer object owns the engine's model: the model
is freed when the last reference to it goes, or at once with delete().
"""

import _model


class cModel(object):
    """A keyframe-animated model: one OBJ file per frame, materials from an MTL file.

    cModel() is empty; cModel("Models/x_0.obj") loads the first frame. Engine errors arrive as
    RuntimeError whose message starts with the error's name ("ME_LOAD_ERROR: ...").
    """

    def __init__(self, *args):
        created = _model.new_cModel(*args)
        self.this = getattr(created, "this", created)
        self.thisown = True
        if created is not self.this:
            created.thisown = False   # one owner: this object

    def __del__(self):
        # At interpreter shutdown the module may be gone already; the pointer object still
        # frees the model then.
        if getattr(self, "thisown", False) and hasattr(self, "this") and _model is not None:
            self.delete()

    def delete(self):
        """Frees the engine's model now; any later use raises RuntimeError."""
        if self.thisown:
            self.thisown = False
            try:
                _model.delete_cModel(self)
            except RuntimeError:
                pass   # already deleted through another owner

    def AddFrame(self, filename):
        _model.cModel_AddFrame(self, filename)

    def LoadMTLFile(self, filename):
        _model.cModel_LoadMTLFile(self, filename)

    def SetTexture(self, filename):
        _model.cModel_SetTexture(self, filename)

    def FrameCount(self):
        return _model.cModel_FrameCount(self)

    def Clear(self):
        _model.cModel_Clear(self)

    def Animate(self, frame, percent, x, y, z, *rest):
        """rest: sx, sy, sz, angle, ax, ay, az, alpha, each optional from the right."""
        _model.cModel_Animate(self, frame, percent, x, y, z, *rest)

    def Draw(self, x, y, z, *rest):
        """rest: sx, sy, sz, angle, ax, ay, az, alpha, each optional from the right."""
        _model.cModel_Draw(self, x, y, z, *rest)

    def EnableTexturing(self):
        _model.cModel_EnableTexturing(self)

    def DisableTexturing(self):
        _model.cModel_DisableTexturing(self)

    def IsTextureEnabled(self):
        return _model.cModel_IsTextureEnabled(self)

    def MakeStatic(self):
        _model.cModel_MakeStatic(self)

    def CalcExtraData(self):
        _model.cModel_CalcExtraData(self)

    def GetWidth(self):
        return _model.cModel_GetWidth(self)

    def GetHeight(self):
        return _model.cModel_GetHeight(self)

    def GetLength(self):
        return _model.cModel_GetLength(self)

    def GetCenter(self):
        return _model.cModel_GetCenter(self)

    def GetTriangles(self, triangles):
        _model.cModel_GetTriangles(self, triangles)

    def DisplayData(self):
        _model.cModel_DisplayData(self)

    def WriteOBJFile(self):
        _model.cModel_WriteOBJFile(self)


class cModelPtr(cModel):
    """How `_model` hands out a cModel it made: around an existing pointer object."""

    def __init__(self, this):
        self.this = this
        if not hasattr(self, "thisown"):
            self.thisown = False
        self.__class__ = cModel


_model.cModel_swigregister(cModelPtr)
