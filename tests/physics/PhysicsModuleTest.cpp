#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <stb/stb_image_write.h>

#include <cstring>

#include "graphics/cTextureManager.h"
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
    def __init__(self, name):
        self.name = name
    @property
    def this(self):
        made = _model.new_cModel(self.name)
        _model.cModel_CalcExtraData(made)
        return made
class Deleting(int):
    def __float__(self):
        _model.delete_cModel(Deleting.victim)
        return float(int(self))
class Rigged(Thing):
    @property
    def x(self):
        _model.delete_cModel(Rigged.victim)
        return 0.0
class Box:
    exwidth, exheight, exlength = 1, 2, 3
    x, y, z, xoff, yoff, zoff = 1.0, 2.0, 3.0, 0, 0.5, 0
    xraxis, yraxis, zraxis, rotangle = 0, 1, 0, 45
def walk(dest, objects, n=0):
    return tuple(round(v, 3) for v in physics.handlecollisions(mover, dest, room, objects, n))
)"),
                  "");
        ASSERT_EQ(Exec(RESET), "");
    }

    static constexpr const char* RESET = "room = Thing(Model('room.obj')); mover = Thing(Model('mover.obj'));"
                                         "crate = Thing(Model('crate.obj'), 2.0, 0.5, 0.0)";
};

} // namespace

TEST_F(PhysicsModuleTest, TheMoverSweepsAgainstTheRoomAndObjectsWithAModel)
{
    struct { const char* setup; const char* call; const char* result; } cases[] = {
        {"", "walk((1.0, 0.0, 0.0), [mover])", "(1.0, 0.0, 0.0)"},
        {"", "walk((8.0, 0.0, 0.0), [mover])", "(4.485, 0.0, 0.0)"},   // 0.03 * 0.5 before the wall
        {"", "4 < walk((8.0, 0.0, 3.0), [mover])[0] < 5", "True"},     // slides along it
        {"", "walk((0.0, -3.0, 0.0), [mover], 12345)", "(0.0, 0.0, 0.0)"},   // the integer is unused
        {"", "walk((4.0, 0.0, 0.0), [mover, crate])", "(0.985, 0.0, 0.0)"},
        // Models whose pointer objects live only as long as the call holds them.
        {"mover.model, room.model, crate.model = Fresh('mover.obj'), Fresh('room.obj'), Fresh('crate.obj')",
         "walk((4.0, 0.0, 0.0), [mover, crate])", "(0.985, 0.0, 0.0)"},
        {"crate.modelrun = None", "walk((4.0, 0.0, 0.0), [mover, crate])", "(4.0, 0.0, 0.0)"},   // before "model"
        {"crate.modelrun, crate.model = crate.model, None", "walk((4.0, 0.0, 0.0), [mover, crate])",
         "(0.985, 0.0, 0.0)"},
        {"", "physics.checkcollision(Box(), Box())", "None"},
    };
    for (auto& c : cases) {
        ASSERT_EQ(Exec(c.setup), "") << c.setup;
        EXPECT_EQ(Eval(c.call), c.result) << c.setup << " " << c.call;
    }
}

TEST_F(PhysicsModuleTest, BadArgumentsRaiseClearErrors)
{
    const char* OUT_OF_RANGE = "ValueError: The destination or the moving object's position is out of range "
                               "(farther than 1e15 times the object's size from the origin)";
    const char* DELETED_DURING_CALL = "RuntimeError: the cModel of a model object was deleted during the call";
    struct { const char* setup; const char* call; const char* error; } cases[] = {
        {"", "physics.handlecollisions(mover, (1.0, 0.0, 0.0), room, [], 0)", "ValueError: The object list is empty"},
        {"", "physics.handlecollisions(mover, (1.0, 0.0), room, [mover], 0)",
         "TypeError: argument 2 must be sequence of length 3, not 2"},
        {"del room.model", "walk((1.0, 0.0, 0.0), [mover])", "TypeError: the room has no attribute 'model'"},
        {"", "walk((1.0, 0.0, 0.0), [crate])", "TypeError: The moving object is not in the object list or has no model"},
        {"", "walk((1.0, 0.0, 0.0), [mover, object()])",
         "TypeError: an object in the list has neither a 'modelrun' nor a 'model' attribute"},
        {"crate.model = object()", "walk((1.0, 0.0, 0.0), [mover, crate])",
         "TypeError: a model object has no attribute 'this'"},
        {"crate.model.this = 5", "walk((1.0, 0.0, 0.0), [mover, crate])",
         "TypeError: the attribute 'this' of a model object does not hold a cModel"},
        {"room.model = None", "walk((1.0, 0.0, 0.0), [mover])", "TypeError: The room has no model"},
        {"_model.delete_cModel(crate.model.this)", "walk((1.0, 0.0, 0.0), [mover, crate])",
         "TypeError: the cModel of a model object was deleted"},
        {"del crate.rotangle", "walk((1.0, 0.0, 0.0), [mover, crate])",
         "TypeError: an object in the list has no attribute 'rotangle'"},
        {"room.x = 'left'", "walk((1.0, 0.0, 0.0), [mover])",
         "TypeError: attribute 'x' of the room must be a number, not str"},
        {"mover.y = float('nan')", "walk((1.0, 0.0, 0.0), [mover])",
         "ValueError: attribute 'y' of the moving object must be a finite number"},
        {"", "walk((float('inf'), 0.0, 0.0), [mover])", "ValueError: The destination must be finite"},
        {"mover.model = Model('flat.obj')", "walk((1.0, 0.0, 0.0), [mover])",
         "ValueError: The moving object's model must have a positive width, height and length"},
        {"room.x = 10**400", "walk((1.0, 0.0, 0.0), [mover])", "ValueError: attribute 'x' of the room is out of range"},
        {"mover.z = 1e300", "walk((1.0, 0.0, 0.0), [mover])",
         "ValueError: attribute 'z' of the moving object is out of range"},
        {"", "walk((3e38, 0.0, 0.0), [mover])", OUT_OF_RANGE},
        {"mover.x = -1e19", "walk((0.0, 0.0, 0.0), [mover])", OUT_OF_RANGE},
        // Script code run while the call reads its arguments deletes a model the call holds.
        {"room.rotangle = Deleting(0); Deleting.victim = room.model.this", "walk((1.0, 0.0, 0.0), [mover])",
         DELETED_DURING_CALL},
        {"crate.yraxis = Deleting(1); Deleting.victim = mover.model.this", "walk((1.0, 0.0, 0.0), [mover, crate])",
         DELETED_DURING_CALL},
        {"Rigged.victim = mover.model.this; crate.__class__ = Rigged", "walk((1.0, 0.0, 0.0), [mover, crate])",
         DELETED_DURING_CALL},
        {"", "physics.checkcollision(Box(), object())", "TypeError: the second object has no attribute 'exwidth'"},
        {"", "physics.checkcollision(Box())", "TypeError: function takes exactly 2 arguments (1 given)"},
    };
    for (auto& c : cases) {
        ASSERT_EQ(Exec(c.setup), "") << c.setup;
        EXPECT_EQ(Exec(c.call), c.error) << c.setup;
        ASSERT_EQ(Exec(RESET), "");   // undo what the case changed
    }
}

TEST_F(PhysicsModuleTest, AClothHangsFromItsPinsAndFliesInTheWind)
{
    ASSERT_EQ(Exec(R"(
def corners(wind=None, pins=()):
    c = physics.cloth(2.0, 1.0, 9, 5)
    for pin in pins:
        c.pin(*pin[:2], **pin[2])
    if wind:
        c.wind(*wind)
    for _ in range(30):
        c.step(1 / 30)
    return [c.point(*p) for p in ((0, 4), (8, 4), (8, 0))]
calm = corners()
held = corners(pins=((8, 4, {}), (8, 0, {'pinned': False})))
east, south = corners(wind=(0.5, 0, 0)), corners(wind=(0, 0, -0.5))
c = physics.cloth(2.0, 1.0, 9, 5)
)"),
              "");
    EXPECT_EQ(Eval("physics.cloth(2.0, 1.0, 9, 5).point(8, 4)"), "(2.0, -1.0, 0.0)");
    EXPECT_EQ(Eval("type(c) is physics.Cloth"), "True");
    EXPECT_EQ(Eval("calm[2], calm[0][2], calm[0][1] < -1.0"), "((2.0, 0.0, 0.0), 0.0, True)");
    EXPECT_EQ(Eval("held[1] == (2.0, -1.0, 0.0) and held[2][1] < -0.05"), "True");   // pinned holds, freed falls
    EXPECT_EQ(Eval("east[0][0] > calm[0][0] + 0.05 and south[0][2] < -0.5"), "True");   // blown downwind
    struct { const char* call; const char* error; } cases[] = {
        {"physics.cloth(0, 1, 4, 4)", "ValueError: a cloth's width and height must be more than 0 and at most 1000"},
        {"physics.cloth(1, 1, 1, 4)",
         "ValueError: a cloth needs at least 2 columns and 2 rows and at most 65536 points, not 1 x 4"},
        {"physics.cloth(1, 1, 300, 300)",
         "ValueError: a cloth needs at least 2 columns and 2 rows and at most 65536 points, not 300 x 300"},
        {"physics.cloth(1, 1, 4, 4, 'missing.png')", "ValueError: the cloth's texture 'missing.png' cannot be loaded"},
        {"physics.Cloth()", "TypeError: cannot create 'physics.Cloth' instances"},
        {"physics.cloth(1, 1, 4)", "TypeError: cloth() missing required argument 'rows' (pos 4)"},
        {"c.pin(0)", "TypeError: pin() missing required argument 'row' (pos 2)"},
        {"c.point('a', 0)", "TypeError: 'str' object cannot be interpreted as an integer"},
        {"c.step('1')", "TypeError: must be real number, not str"},
        {"c.pin(9, 0)", "ValueError: (9, 0) is outside the cloth's grid of 9 columns and 5 rows"},
        {"c.point(0, -1)", "ValueError: (0, -1) is outside the cloth's grid of 9 columns and 5 rows"},
        {"c.wind(0, float('inf'), 0)", "ValueError: the wind must be finite"},
        {"c.step(0)", "ValueError: a cloth step must be more than 0 and at most 1 second, not 0"},
        {"c.step(5.0)", "ValueError: a cloth step must be more than 0 and at most 1 second, not 5.0"},
        {"c.setposition(1e39, 0, 0)", "ValueError: the position must be finite"},
        {"c.setrotation(float('nan'))", "ValueError: the angle must be finite"},
    };
    for (auto& c : cases)
        EXPECT_EQ(Eval(c.call), c.error);
}

// Drawn lit at its place, white or in its texture's colour, and edge-on when turned a quarter.
TEST_F(PhysicsModuleTest, AClothIsDrawnLitAtItsPlacementAndTextured)
{
    std::vector<uint8_t> pixels(16 * 16 * 4);
    for (size_t i = 0; i < pixels.size(); i += 4)
        std::memcpy(&pixels[i], "\xc8\x28\x5a\xff", 4);   // 200, 40, 90, opaque
    ASSERT_NE(stbi_write_png("flag.png", 16, 16, 4, pixels.data(), 16 * 4), 0);
    ASSERT_EQ(Exec("plain = physics.cloth(2.0, 1.0, 9, 5); plain.setposition(-1.0, 0.5, 0.0)\n"
                   "flag = physics.cloth(2.0, 1.0, 9, 5, texture='flag.png'); flag.setposition(-1.0, 0.5, 0.0)"),
              "");
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, 800.0 / 600.0, 0.1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 3, 0, 0, 0, 0, 1, 0);
    glEnable(GL_LIGHT0);
    const GLfloat fromTheCamera[4] = {0, 0, 1, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, fromTheCamera);
    glDisable(GL_LIGHTING);
    struct { const char* draw; int r, g, b; } cases[] = {
        {"plain.draw()", 255, 255, 255}, {"flag.draw()", 200, 40, 90}, {"plain.setrotation(90); plain.draw()", 0, 0, 0}};
    for (auto& c : cases) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        ASSERT_EQ(Exec(c.draw), "");
        sRgb middle = ReadPixel(400, 300), corner = ReadPixel(10, 10);
        EXPECT_EQ(corner, (sRgb{0, 0, 0})) << c.draw;
        EXPECT_NEAR(middle.r, c.r * 0.8, c.r * 0.2 + 2) << c.draw;   // lit: a little below full colour
        EXPECT_NEAR(middle.g, c.g * 0.8, c.g * 0.2 + 2) << c.draw;
        EXPECT_NEAR(middle.b, c.b * 0.8, c.b * 0.2 + 2) << c.draw;
        EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_FALSE);   // the caller's state is left as it was
    }
    EXPECT_EQ(Exec("del flag"), "");
    EXPECT_EQ(TEXTUREMANAGER.GetGLTextureID("flag.png"), 0u);   // given back with the cloth
}
