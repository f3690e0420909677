#include <gtest/gtest.h>

#include "physics/RoomGenerator.h"
#include "support/EngineFixture.h"

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
room = Thing(Model('room.obj'))
mover = Thing(Model('mover.obj'))
crate = Thing(Model('crate.obj'), 2.0, 0.5, 0.0)
def walk(dest, objects, n=0):
    return tuple(round(v, 3) for v in physics.handlecollisions(mover, dest, room, objects, n))
)"),
                  "");
    }
};

} // namespace

TEST_F(PhysicsModuleTest, TheMoverSweepsAgainstTheRoomAndObjectsWithAModel)
{
    EXPECT_EQ(Eval("walk((1.0, 0.0, 0.0), [mover])"), "(1.0, 0.0, 0.0)");
    EXPECT_EQ(Eval("walk((8.0, 0.0, 0.0), [mover])"), "(4.485, 0.0, 0.0)");   // 0.03 * 0.5 before the wall
    EXPECT_EQ(Eval("walk((8.0, 0.0, 3.0), [mover])")[1], '4');                  // slides along it
    EXPECT_EQ(Eval("walk((0.0, -3.0, 0.0), [mover])"), "(0.0, 0.0, 0.0)");    // stands on the floor
    // The integer argument has no effect.
    EXPECT_EQ(Eval("walk((8.0, 0.0, 3.0), [mover], 0) == walk((8.0, 0.0, 3.0), [mover], 12345)"), "True");
    EXPECT_EQ(Eval("walk((4.0, 0.0, 0.0), [mover, crate])"), "(0.985, 0.0, 0.0)");
    EXPECT_EQ(Exec("crate.modelrun = None"), "");   // preferred over "model"
    EXPECT_EQ(Eval("walk((4.0, 0.0, 0.0), [mover, crate])"), "(4.0, 0.0, 0.0)");
    EXPECT_EQ(Exec("crate.modelrun = crate.model; crate.model = None"), "");
    EXPECT_EQ(Eval("walk((4.0, 0.0, 0.0), [mover, crate])"), "(0.985, 0.0, 0.0)");
}

TEST_F(PhysicsModuleTest, BadArgumentsRaiseClearErrors)
{
    const char* k_OutOfRange = "ValueError: The destination or the moving object's position is out of range "
                               "(farther than 1e15 times the object's size from the origin)";
    const char* k_DeletedDuringCall = "RuntimeError: the cModel of a model object was deleted during the call";
    ASSERT_EQ(Exec(R"(
class Deleting(int):
    def __float__(self):
        _model.delete_cModel(Deleting.victim)
        return float(int(self))
class Rigged(Thing):
    @property
    def x(self):
        _model.delete_cModel(Rigged.victim)
        return 0.0
class Fresh:
    def __init__(self, name):
        self.name = name
    @property
    def this(self):
        made = _model.new_cModel(self.name)
        _model.cModel_CalcExtraData(made)
        return made
)"),
              "");
    // Models whose pointer objects live only as long as the call holds them.
    EXPECT_EQ(Exec("mover.model = Fresh('mover.obj'); room.model = Fresh('room.obj'); crate.model = Fresh('crate.obj')"),
              "");
    EXPECT_EQ(Eval("walk((8.0, 0.0, 0.0), [mover])"), "(4.485, 0.0, 0.0)");
    EXPECT_EQ(Eval("walk((4.0, 0.0, 0.0), [mover, crate])"), "(0.985, 0.0, 0.0)");
    ASSERT_EQ(Exec("room = Thing(Model('room.obj')); mover = Thing(Model('mover.obj'));"
                   "crate = Thing(Model('crate.obj'), 2.0, 0.5, 0.0)"),
              "");
    struct { const char* setup; const char* call; const char* error; } cases[] = {
        {"", "physics.handlecollisions(mover, (1.0, 0.0, 0.0), room, [], 0)", "ValueError: The object list is empty"},
        {"", "physics.handlecollisions(mover, (1.0, 0.0, 0.0), room, (mover,), 0)",
         "TypeError: argument 4 must be list, not tuple"},
        {"", "physics.handlecollisions(mover, (1.0, 0.0), room, [mover], 0)",
         "TypeError: argument 2 must be sequence of length 3, not 2"},
        {"", "walk((1.0, 0.0, 0.0), [crate])", "TypeError: The moving object is not in the object list or has no model"},
        {"mover.model = None", "walk((1.0, 0.0, 0.0), [mover])",
         "TypeError: The moving object is not in the object list or has no model"},
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
        {"", "walk((3e38, 0.0, 0.0), [mover])", k_OutOfRange},
        {"mover.x = -1e19", "walk((0.0, 0.0, 0.0), [mover])", k_OutOfRange},
        // Script code run while the call reads its arguments deletes a model the call holds.
        {"room.rotangle = Deleting(0); Deleting.victim = room.model.this", "walk((1.0, 0.0, 0.0), [mover])",
         k_DeletedDuringCall},
        {"crate.yraxis = Deleting(1); Deleting.victim = mover.model.this", "walk((1.0, 0.0, 0.0), [mover, crate])",
         k_DeletedDuringCall},
        {"Rigged.victim = room.model.this; room.__class__ = Rigged", "walk((1.0, 0.0, 0.0), [mover])",
         k_DeletedDuringCall},
        {"Rigged.victim = mover.model.this; crate.__class__ = Rigged", "walk((1.0, 0.0, 0.0), [mover, crate])",
         k_DeletedDuringCall},
    };
    for (auto& c : cases) {
        ASSERT_EQ(Exec(c.setup), "") << c.setup;
        EXPECT_EQ(Exec(c.call), c.error) << c.setup;
        // Undo what the case changed.
        ASSERT_EQ(Exec("room = Thing(Model('room.obj')); mover = Thing(Model('mover.obj'));"
                       "crate = Thing(Model('crate.obj'), 2.0, 0.5, 0.0)"),
                  "");
    }
    EXPECT_EQ(Eval("physics.handlecollisions.__doc__"), "'Check collisions in a room.'");
}

TEST_F(PhysicsModuleTest, CheckcollisionReadsBothBoxesAndReturnsNone)
{
    ASSERT_EQ(Exec(R"(
class Box:
    exwidth, exheight, exlength = 1, 2, 3
    x, y, z, xoff, yoff, zoff = 1.0, 2.0, 3.0, 0, 0.5, 0
    xraxis, yraxis, zraxis, rotangle = 0, 1, 0, 45
)"),
              "");
    EXPECT_EQ(Eval("physics.checkcollision(Box(), Box())"), "None");
    EXPECT_EQ(Eval("physics.checkcollision(Box())"), "TypeError: function takes exactly 2 arguments (1 given)");
    EXPECT_EQ(Eval("physics.checkcollision(Box(), object())"),
              "TypeError: the second object has no attribute 'exwidth'");
    EXPECT_EQ(Eval("physics.checkcollision.__doc__"), "'Check collision for two objects.'");
}
