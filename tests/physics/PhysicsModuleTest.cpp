#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <stb/stb_image_write.h>

#include "graphics/cTextureManager.h"
#include "physics/cCloth.h"
#include "physics/RoomGenerator.h"
#include "support/EngineFixture.h"
#include "support/FrameCapture.h"

namespace {

// The room is a generated one written as an OBJ file; the scripts load it and the movers through
// the real `_model` module and wrap the pointer objects as the game's script classes do.
class PhysicsModuleTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        roomgen::sMesh room;
        room.Quad({-20, 0, 20}, {20, 0, 20}, {20, 0, -20}, {-20, 0, -20});
        room.Quad({5, 0, -20}, {5, 0, 20}, {5, 4, 20}, {5, 4, -20});   // a wall at x = 5 facing -x
        WriteFile("room.obj", room.ToObj());
        WriteFile("mover.obj", roomgen::MakeBox(1, 2, 1).ToObj());
        WriteFile("crate.obj", roomgen::MakeBox(1, 1, 1).ToObj());
        WriteFile("flat.obj", roomgen::MakeBox(1, 0, 1).ToObj());
        ASSERT_EQ(Exec(R"(
import _model, physics
class Model:
    def __init__(self, name):
        self.this = _model.new_cModel(name)
        _model.cModel_CalcExtraData(self.this)
class Thing:
    def __init__(self, model, x=0.0, y=0.0, z=0.0):
        self.model = model
        self.x, self.y, self.z = x, y, z
        self.xraxis, self.yraxis, self.zraxis, self.rotangle = 0.0, 1.0, 0.0, 0.0
class Fresh:   # a new pointer object each time 'this' is read
    this = property(lambda self: Model(self.name).this)
    def __init__(self, name):
        self.name = name
class Deleting(int):
    def __float__(self):
        _model.delete_cModel(Deleting.victim)
        return float(int(self))
class Box:
    exwidth, exheight, exlength = 1, 2, 3
    x, y, z, xoff, yoff, zoff = 1.0, 2.0, 3.0, 0, 0.5, 0
    xraxis, yraxis, zraxis, rotangle = 0, 1, 0, 45
def walk(dest, objects, n=0):
    return tuple(round(v, 3) for v in physics.handlecollisions(mover, dest, room, objects, n))
def nudge(*others):
    return walk((1.0, 0.0, 0.0), [mover, *others])
c = physics.cloth(2.0, 1.0, 9, 5)
def corners(wind=(0, 0, 0), pins=()):   # where three corners are after a second
    cloth = physics.cloth(2.0, 1.0, 9, 5)
    for pin in pins:
        cloth.pin(*pin[:2], **pin[2])
    cloth.wind(*wind)
    for _ in range(30):
        cloth.step(1 / 30)
    return [cloth.point(*p) for p in ((0, 4), (8, 4), (8, 0))]
)"),
                  "");
        ASSERT_EQ(Exec(RESET), "");
    }

    static constexpr const char* RESET = "room = Thing(Model('room.obj')); mover = Thing(Model('mover.obj'));"
                                         "crate = Thing(Model('crate.obj'), 2.0, 0.5, 0.0)";
};

} // namespace

// Every call of the module against its result or its exact error.
TEST_F(PhysicsModuleTest, CallsGiveTheirResultsOrClearErrors)
{
    const char* DELETED_DURING_CALL = "RuntimeError: the cModel of a model object was deleted during the call";
    struct { const char* setup; const char* call; const char* result; } cases[] = {
        {"", "walk((8.0, 0.0, 0.0), [mover])", "(4.485, 0.0, 0.0)"},   // 0.03 * 0.5 before the wall
        {"", "walk((4.0, 0.0, 0.0), [mover, crate])", "(0.985, 0.0, 0.0)"},
        // Turned an eighth about y: a corner 0.707 from the crate's centre is met first.
        {"crate.rotangle = 45.0", "walk((4.0, 0.0, 0.0), [mover, crate])", "(0.778, 0.0, 0.0)"},
        // Models whose pointer objects live only as long as the call holds them.
        {"mover.model, room.model, crate.model = Fresh('mover.obj'), Fresh('room.obj'), Fresh('crate.obj')",
         "walk((4.0, 0.0, 0.0), [mover, crate])", "(0.985, 0.0, 0.0)"},
        {"crate.modelrun = None", "walk((4.0, 0.0, 0.0), [mover, crate])", "(4.0, 0.0, 0.0)"},   // before "model"
        {"crate.modelrun, crate.model = crate.model, None", "walk((4.0, 0.0, 0.0), [mover, crate])",
         "(0.985, 0.0, 0.0)"},
        {"", "physics.checkcollision(Box(), Box())", "None"},
        // A cloth hangs from its top corners; a pinned point holds, a freed one falls, the wind blows it.
        {"held = corners(pins=((8, 4, {}), (8, 0, {'pinned': False})))",
         "held[1] == (2.0, -1.0, 0.0) and held[2][1] < -0.05", "True"},
        {"calm, east, south = corners(), corners(wind=(0.5, 0, 0)), corners(wind=(0, 0, -0.5))",
         "calm[2], calm[0][2], calm[0][1] < -1.0, east[0][0] > calm[0][0] + 0.05, south[0][2] < -0.5",
         "((2.0, 0.0, 0.0), 0.0, True, True, True)"},
        // Bad arguments.
        {"", "physics.handlecollisions(mover, (1.0, 0.0, 0.0), room, [], 0)", "ValueError: The object list is empty"},
        {"", "physics.handlecollisions(mover, (1.0, 0.0), room, [mover], 0)",
         "TypeError: argument 2 must be sequence of length 3, not 2"},
        {"del room.model", "nudge()", "TypeError: the room has no attribute 'model'"},
        {"", "walk((1.0, 0.0, 0.0), [crate])", "TypeError: The moving object is not in the object list or has no model"},
        {"", "nudge(object())", "TypeError: an object in the list has neither a 'modelrun' nor a 'model' attribute"},
        {"crate.model = object()", "nudge(crate)", "TypeError: a model object has no attribute 'this'"},
        {"crate.model.this = 5", "nudge(crate)",
         "TypeError: the attribute 'this' of a model object does not hold a cModel"},
        {"room.model = None", "nudge()", "TypeError: The room has no model"},
        {"_model.delete_cModel(crate.model.this)", "nudge(crate)",
         "TypeError: the cModel of a model object was deleted"},
        {"del crate.rotangle", "nudge(crate)", "TypeError: an object in the list has no attribute 'rotangle'"},
        {"room.x = 'left'", "nudge()", "TypeError: attribute 'x' of the room must be a number, not str"},
        {"mover.y = float('nan')", "nudge()", "ValueError: attribute 'y' of the moving object must be a finite number"},
        {"", "walk((float('inf'), 0.0, 0.0), [mover])", "ValueError: The destination must be finite"},
        {"mover.model = Model('flat.obj')", "nudge()",
         "ValueError: The moving object's model must have a positive width, height and length"},
        {"room.x = 10**400", "nudge()", "ValueError: attribute 'x' of the room is out of range"},
        {"mover.z = 1e300", "nudge()", "ValueError: attribute 'z' of the moving object is out of range"},
        {"", "walk((3e38, 0.0, 0.0), [mover])", "ValueError: The destination or the moving object's position is out "
                                                "of range (farther than 1e15 times the object's size from the origin)"},
        // Script code run while the call reads its arguments deletes a model the call holds.
        {"room.rotangle = Deleting(0); Deleting.victim = room.model.this", "nudge()", DELETED_DURING_CALL},
        {"crate.zraxis = Deleting(0); Deleting.victim = crate.model.this", "nudge(crate)", DELETED_DURING_CALL},
        {"", "physics.checkcollision(Box(), object())", "TypeError: the second object has no attribute 'exwidth'"},
        {"", "physics.cloth(0, 1, 4, 4)", "ValueError: a cloth's width and height must be more than 0 and at most 1000"},
        {"", "physics.cloth(1, 1, 300, 300)",
         "ValueError: a cloth needs at least 2 columns and 2 rows and at most 65536 points, not 300 x 300"},
        {"", "physics.cloth(1, 1, 4, 4, 'missing.png')",
         "ValueError: the cloth's texture 'missing.png' cannot be loaded"},
        {"", "c.pin(9, 0)", "ValueError: (9, 0) is outside the cloth's grid of 9 columns and 5 rows"},
        {"", "c.wind(0, float('inf'), 0)", "ValueError: the wind must be finite"},
        {"", "c.step(0)", "ValueError: a cloth step must be more than 0 and at most 1 second, not 0"},
        {"", "c.setposition(1e39, 0, 0)", "ValueError: the position must be finite"},
    };
    for (auto& c : cases) {
        ASSERT_EQ(Exec(c.setup), "") << c.setup;
        EXPECT_EQ(Eval(c.call), c.result) << c.setup << " " << c.call;
        ASSERT_EQ(Exec(RESET), "");   // undo what the case changed
    }
}

// Drawn lit at its place, white or in its texture's colour, and edge-on when turned a quarter.
TEST_F(PhysicsModuleTest, AClothIsDrawnLitAtItsPlacementTexturedOrAsAWireframe)
{
    ASSERT_NE(stbi_write_png("flag.png", 1, 1, 4, "\xc8\x28\x5a\xff", 4), 0);   // 200, 40, 90, opaque
    ASSERT_EQ(Exec("plain = physics.cloth(2.0, 1.0, 9, 5); plain.setposition(-1.0, 0.5, 0.0)\n"
                   "flag = physics.cloth(2.0, 1.0, 9, 5, texture='flag.png'); flag.setposition(-1.0, 0.5, 0.0)"),
              "");
    gluLookAt(0, 0, 3, 0, 0, 0, 0, 1, 0);   // through the engine's projection, in its light
    glDisable(GL_LIGHTING);
    struct { const char* draw; int r, g, b; } cases[] = {
        {"plain.draw()", 255, 255, 255}, {"flag.draw()", 200, 40, 90}, {"plain.setrotation(90); plain.draw()", 0, 0, 0}};
    for (auto& c : cases) {
        DrawFrame([&] { ASSERT_EQ(Exec(c.draw), ""); });
        sRgb middle = ReadPixel(400, 300), corner = ReadPixel(10, 10);
        EXPECT_EQ(corner, (sRgb{0, 0, 0})) << c.draw;
        EXPECT_NEAR(middle.r, c.r * 0.8, c.r * 0.2 + 2) << c.draw;   // lit: a little below full colour
        EXPECT_NEAR(middle.g, c.g * 0.8, c.g * 0.2 + 2) << c.draw;
        EXPECT_NEAR(middle.b, c.b * 0.8, c.b * 0.2 + 2) << c.draw;
        EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_FALSE);   // the caller's state is left as it was
    }
    EXPECT_EQ(Exec("del flag"), "");
    EXPECT_EQ(TEXTUREMANAGER.GetGLTextureID("flag.png"), 0u);   // given back with the cloth
    // The engine's wireframe seen from above: red points for the masses, springs in their colours.
    cCloth cloth(4, 4, 12, 12, 0.1f, 500, 0.5f, 300, 0.3f, 100, 0.1f);
    cloth.Reset();
    cloth.SetDrawModes(false, true);
    glLoadIdentity();
    gluLookAt(0, 18, 0.01, 0, 10, 0, 0, 1, 0);
    sImage frame = DrawFrame([&] { cloth.Draw(); });
    int red = 0, blue = 0;
    for (size_t i = 0; i < frame.rgb.size(); i += 3) {
        red += frame.rgb[i] == 255 && frame.rgb[i + 1] == 0 && frame.rgb[i + 2] == 0;
        blue += frame.rgb[i] == 20 && frame.rgb[i + 1] == 20 && frame.rgb[i + 2] == 200;
    }
    EXPECT_GT(red, 144 * 4);   // every mass a point of size 4
    EXPECT_GT(blue, 1000);     // structural springs
}
