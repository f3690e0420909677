#include <GL/gl.h>
#include <SDL/SDL.h>

#include "core/GameState.h"
#include "graphics/GraphicsManager.h"
#include "support/EngineFixture.h"
#include "support/FrameCapture.h"

namespace {

// The engine started on the test package; scripts reach the module as `graphics`.
class GraphicsModuleTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_EQ(Exec("import graphics"), "");
    }

    void BeginFrame()   // with the menus out of the way
    {
        g_State.m_InMenu = false;
        g_Graphics.RenderScene();
    }

    static std::vector<float> Light(GLenum light, GLenum parameter)
    {
        std::vector<float> values(4);
        glGetLightfv(light, parameter, values.data());
        return values;
    }
};

// The messages come from the interpreter's argument parser; what matters is that nothing moves.
TEST_F(GraphicsModuleTest, HasTwentyThreeFunctionsAndAWrongCallRaisesAndChangesNothing)
{
    EXPECT_EQ(Eval("len([n for n in dir(graphics) if not n.startswith('__')])"), "23");
    const std::pair<const char*, const char*> cases[] = {
        {"graphics.setcampos(1, 2, 'z')", "TypeError: must be real number, not str"},
        {"graphics.setupwindow(640.0, 480)", "TypeError: 'float' object cannot be interpreted as an integer"},
        {"graphics.setlight(0, 5, 1, 1, 1)", "TypeError: argument 2 must be str, not int"},
    };
    for (const auto& [call, error] : cases)
        EXPECT_EQ(Eval(call), error) << call;
    EXPECT_EQ(Eval("graphics.getcampos(), graphics.getwindowsize()"), "((0.0, 0.0, -10.0), (800, 600))");
}

// The arithmetic is cCamera's own; these show that each call reaches the engine's camera.
TEST_F(GraphicsModuleTest, CameraFunctionsMoveTheEnginesCamera)
{
    ASSERT_EQ(Exec("graphics.movecamforward(2)\ngraphics.movecamsideways(1)\ngraphics.movecam(1, 0, 0)"), "");
    EXPECT_EQ(Eval("graphics.getcampos(), graphics.getlookat()"), "((0.0, 0.0, -8.0), (-1.0, 0.0, 3.0))");
    ASSERT_EQ(Exec("graphics.setcampos(1.5, 2, 3)\ngraphics.setlookat(1.5, 2, 4)\ngraphics.setupvector(0, 2, 0)\n"
                   "graphics.rotcam_lr(90)\ngraphics.rotcam_ud(45)"), "");
    EXPECT_EQ(Eval("graphics.getcampos(), [round(v, 3) for v in graphics.getlookat()], graphics.getupvector()"),
              "((1.5, 2.0, 3.0), [0.793, 2.707, 3.0], (0.0, 2.0, 0.0))");

    // A frame looks through it: the look-at point in the centre, world up below it with up reversed.
    ASSERT_EQ(Exec("graphics.setcampos(0, 0, -10)\ngraphics.setlookat(-3, 0, 1)\ngraphics.setupvector(0, -1, 0)"), "");
    BeginFrame();
    EXPECT_EQ(Eval("[round(v, 2) for v in graphics.projcoord(-3, 0, 1) + graphics.projcoord(-3, 1, 1)]"),
              "[400.0, 300.0, 400.0, 236.48]");
}

TEST_F(GraphicsModuleTest, DrawingIn2dModeFillsPixelsFromTheTopLeft)
{
    BeginFrame();
    ASSERT_EQ(Exec("graphics.push2d()\n"
                   "graphics.drawrect(10, 20, -5, -5, 1, 0, 0, 1)\n"
                   "graphics.drawrect(100, 50, 30, 10, 0, 1, 0)\n"
                   "graphics.drawrect(300, 300, 4, 4)\n"
                   "graphics.drawtriangle(100, 100, 100, 200, 200, 200, 0, 0, 1)\n"   // counter-clockwise
                   "graphics.drawtriangle(400, 100, 500, 200, 400, 200, 1, 1, 0)"),     // clockwise: culled
              "");
    // A pixel position projects to itself, with y counted from the bottom.
    EXPECT_EQ(Eval("[round(v, 3) for v in graphics.projcoord(10, 20, 0)]"), "[10.0, 580.0]");
    ASSERT_EQ(Exec("graphics.pop2d()"), "");
    const struct { int x, y; sRgb colour; } probes[] = {
        {10, 20, {255, 0, 0}},    {14, 24, {255, 0, 0}},     {15, 22, {0, 0, 0}},     {12, 25, {0, 0, 0}},
        {100, 50, {0, 255, 0}},   {129, 59, {0, 255, 0}},    {130, 55, {0, 0, 0}},    {301, 302, {255, 255, 255}},
        {110, 190, {0, 0, 255}},  {190, 110, {0, 0, 0}},     {410, 190, {0, 0, 0}},
    };
    for (const auto& p : probes)
        EXPECT_EQ(ReadPixel(p.x, p.y), p.colour) << "at (" << p.x << ", " << p.y << ")";
    // Back in the scene's matrices: the camera's centre projects to the window's centre again.
    EXPECT_EQ(Eval("graphics.projcoord(0, 0, 1)"), "(400.0, 300.0)");
}

TEST_F(GraphicsModuleTest, SetlightWarnsForABadNumberAndRefusesABadName)
{
    glDisable(GL_LIGHT0);
    EXPECT_EQ(Eval("graphics.setlight(9, 'DIFFUSE', 1, 0, 0)"), "None");   // the warning goes to standard error
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_EQ(Light(GL_LIGHT0, GL_DIFFUSE), (std::vector<float>{1, 0, 0, 1}));

    EXPECT_EQ(Eval("graphics.setlight(1, 'diffuse', 1, 1, 1)"), "ValueError: diffuse is not a valid parameter name");
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));

    // Warnings turned into errors: the warning is raised, and the light is set all the same.
    EXPECT_EQ(Exec("import warnings\nwith warnings.catch_warnings():\n"
                   "    warnings.simplefilter('error')\n"
                   "    graphics.setlight(-1, 'SPECULAR', 0.25, 0.5, 0.75, 0.5)"),
              "RuntimeWarning: light number must be between 0 and 7; setting to 0");
    EXPECT_EQ(Light(GL_LIGHT0, GL_SPECULAR), (std::vector<float>{0.25f, 0.5f, 0.75f, 0.5f}));

    // Positions follow the model-view of the moment: 11 units in front of the eye, which looks down -z.
    BeginFrame();
    ASSERT_EQ(Exec("graphics.setlight(2, 'POSITION', 0, 0, 1, 1)\ngraphics.setlight0(1, 2, 3)"), "");
    EXPECT_TRUE(glIsEnabled(GL_LIGHT2));
    EXPECT_EQ(Light(GL_LIGHT2, GL_POSITION), (std::vector<float>{0, 0, -11, 1}));
    EXPECT_EQ(Light(GL_LIGHT0, GL_POSITION), (std::vector<float>{1, 2, 3, 1}));
    // The camera is left in place, looking at (0, 0, 1): world +y is up the window, +x to the left.
    // Square pixels: a point one unit to the right and one up lands as far across as up.
    EXPECT_EQ(Eval("[round(v, 2) for v in graphics.projcoord(-1, 1, 1)]"), "[465.84, 365.84]");
}

TEST_F(GraphicsModuleTest, WindowFunctionsChangeTheRealWindowAndResizeTheDrawingArea)
{
    auto fullscreen = [] { return (SDL_GetVideoSurface()->flags & SDL_FULLSCREEN) != 0; };

    EXPECT_EQ(Eval("graphics.setupwindow(640, 480), graphics.togglefullscreen(), graphics.getwindowsize()"),
              "(True, None, (640, 480))");
    EXPECT_TRUE(fullscreen());
    EXPECT_EQ(Eval("graphics.togglefullscreen(), graphics.getwindowsize()"), "(None, (640, 480))");
    EXPECT_FALSE(fullscreen());
    EXPECT_EQ(Eval("graphics.setupfullscreen(800, 600), graphics.getwindowsize()"), "(True, (800, 600))");
    EXPECT_TRUE(fullscreen());
    // A mode SDL refuses: False, and the game goes on in the mode it had.
    for (const char* refused : {"setupwindow(-1, 600)", "setupwindow(0, 0)", "setupfullscreen(800, 0)"})
        EXPECT_EQ(Eval(std::string("graphics.") + refused + ", graphics.getwindowsize()"), "(False, (800, 600))");
    EXPECT_EQ(SDL_GetVideoSurface()->w, 800);

    // Only the drawing area is resized; at height 0 it is drawn as 1 high, never divided by zero.
    EXPECT_EQ(Eval("graphics.resizewindow(800, 0), graphics.getwindowsize()"), "(None, (800, 600))");
    BeginFrame();
    EXPECT_EQ(Eval("graphics.projcoord(0, 0, 1), [round(v, 2) for v in graphics.projcoord(-1, 1, 1)]"),
              "((400.0, 0.5), [400.11, 0.61])");
}

} // namespace
