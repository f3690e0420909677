"""Loading and drawing the scene's models through the engine's model class."""
from system.model import cModel

WALK_FRAMES = 8


def load(path, texture=None, library=None):
    """A room or a prop: its materials, one frame, made static, with its bounds and collision
    triangles."""
    model = cModel()
    model.LoadMTLFile(library or path[:-len(".obj")] + ".mtl")
    model.AddFrame(path)
    model.CalcExtraData()
    model.MakeStatic()
    if texture:
        model.SetTexture(texture)
        model.EnableTexturing()
    return model


def load_character(name, prefix):
    """A character's walk cycle, one OBJ file per keyframe, in its cloth texture."""
    folder = "Models/Characters/%s/" % name
    model = cModel()
    model.LoadMTLFile(folder + prefix + "_walk.mtl")
    for frame in range(WALK_FRAMES):
        model.AddFrame(folder + "%s_walk_%d.obj" % (prefix, frame))
    model.CalcExtraData()
    model.SetTexture("Images/%sTexture.png" % prefix.capitalize())
    model.EnableTexturing()
    return model


def load_frames(library, frames, texture=None):
    """An animated prop: its materials, one OBJ file per keyframe, and an optional texture."""
    model = cModel()
    model.LoadMTLFile(library)
    for path in frames:
        model.AddFrame(path)
    model.CalcExtraData()
    if texture:
        model.SetTexture(texture)
        model.EnableTexturing()
    return model


def draw(actor):
    """Draws an actor's model where it stands; `actor.frame` (0-1) runs through its keyframes."""
    model = actor.model
    count = model.FrameCount()
    # Animate also for a static model: unlike Draw it switches texturing to the model's own
    # setting, where Draw would keep whatever texture the last model left bound.
    position = actor.frame * count
    frame = int(position) % count
    model.Animate(frame, position - int(position), actor.x, actor.y, actor.z,
                  1.0, 1.0, 1.0, actor.rotangle, 0.0, 1.0, 0.0)
