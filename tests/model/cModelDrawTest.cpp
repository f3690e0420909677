#include "support/EngineFixture.h"
#include "support/FrameCapture.h"

#include <GL/gl.h>
#include <stb/stb_image_write.h>

#include "ReferenceDrawing.h"
#include "model/cModel.h"

namespace {

const char* const MATERIALS = "newmtl red\nNs 10\nKa 0.2 0 0\nKd 0.9 0.1 0.1\nKs 0.5 0.5 0.5\n"
                                "newmtl grey\nNs 0\nKa 0.2 0.2 0.2\nKd 0.8 0.8 0.8\nKs 0 0 0\n";

// A quad and a triangle; frame b moves and turns them, so a blend is visible.
const char* const FRAME_A = "v -3 -2 0\nv -1 -2 0\nv -1 0 0\nv -3 0 0\nv 0 1 0\nv 1 1 0\nv 0 2 0\n"
                             "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                             "vn 0 0 1\nvn 0 0 1\nvn 0.6 0 0.8\nvn 0 0 1\nvn 0 0.6 0.8\nvn 0 0 1\nvn 0 0 1\n"
                             "usemtl red\nf 1/1/1 2/2/2 3/3/3 4/4/4\nusemtl grey\nf 5/1/5 6/2/6 7/3/7\n";
const char* const FRAME_B = "v 1 -2 0\nv 3 -2 0\nv 3 0 0\nv 1 0 0\nv -1 1 0\nv -2 1 0\nv -1 2.5 0\n"
                             "vt 0 0\nvn 0 0 1\nvn 0 0 1\nvn -0.6 0 0.8\nvn 0 0 1\nvn 0 0 -1\nvn 0 0 1\nvn 0 0 1\n";

// A real window on Xvfb with a fixed orthographic view and one white directional light, so that
// normals and materials show in the pixels.
class DrawTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        glViewport(0, 0, 800, 600);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-4, 4, -3, 3, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        const GLfloat direction[4] = {0.3f, 0.4f, 1.0f, 0.0f};
        const GLfloat white[4] = {1, 1, 1, 1};
        const GLfloat black[4] = {0, 0, 0, 1};
        glLightfv(GL_LIGHT0, GL_POSITION, direction);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
        glLightfv(GL_LIGHT0, GL_SPECULAR, white);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
        glClearColor(0, 0, 0, 1);
        Clear();
        WriteFile("m.mtl", MATERIALS);
        WriteFile("a.obj", FRAME_A);
        WriteFile("b.obj", FRAME_B);
    }

    static void Clear() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

    // The image of one drawing on a cleared frame.
    template <class F>
    static sImage Drawn(F&& draw)
    {
        Clear();
        draw();
        glFinish();
        return ReadFrame();
    }

    static int Differing(const sImage& a, const sImage& b)
    {
        int count = 0;
        for (size_t i = 0; i < a.rgb.size(); i += 3)
            count += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
        return count;
    }

    // Frame a with the two materials.
    static void Load(cModel& model)
    {
        model.LoadMTLFile("m.mtl");
        model.AddFrame("a.obj");
    }

    static int Lit(const sImage& image)
    {
        int count = 0;
        for (size_t i = 0; i < image.rgb.size(); i += 3)
            count += image.rgb[i] || image.rgb[i + 1] || image.rgb[i + 2];
        return count;
    }
};

} // namespace

TEST_F(DrawTest, PercentZeroAndOneReproduceTheTwoFramesExactly)
{
    cModel model;
    Load(model);
    model.AddFrame("b.obj");
    const sImage frameA = Drawn([&] { model.Animate(0, 0.0f, 0, 0, 0); });
    const sImage frameB = Drawn([&] { model.Animate(1, 0.0f, 0, 0, 0); });
    EXPECT_GT(Lit(frameA), 1000);
    EXPECT_GT(Differing(frameA, frameB), 1000);
    EXPECT_EQ(Differing(Drawn([&] { model.Animate(0, 1.0f, 0, 0, 0); }), frameB), 0);
    EXPECT_EQ(Differing(Drawn([&] { model.Animate(1, 1.0f, 0, 0, 0); }), frameA), 0);   // last into first
    // The quad's corner at x = -2 at percent 0 lies at x = 0 half-way (window x 400).
    const sImage half = Drawn([&] { model.Animate(0, 0.5f, 0, 0, 0); });
    EXPECT_GT(frameA.At(150, 400)[0], 0);
    EXPECT_EQ(half.At(150, 400)[0], 0);
}

// The drawing, with its shared vertices, gives the pixels of every corner blended on its own:
// blends, extrapolation, transforms, alpha, corners without normals or texture coordinates, a
// static model through Animate and Draw, and nothing from Draw while the model is not static.
TEST_F(DrawTest, DrawingGivesThePixelsOfTheImmediateModeReference)
{
    WriteFile("c.obj", "v -3 -2 0\nv 2 -2 1\nv 0 2 -1\nv 3 2 0\nvt 0.5 0.5\nusemtl red\nf 1 2 3\nf 2//1 4 3/9\n");
    for (const std::string files : {"ab", "c", "a", "a static"}) {
        cModel model;
        model.LoadMTLFile("m.mtl");
        for (char f : files.substr(0, files.find(' ')))
            model.AddFrame((std::string(1, f) + ".obj").c_str());
        if (files.ends_with("static")) {
            EXPECT_EQ(Lit(Drawn([&] { model.Draw(0, 0, 0); })), 0);   // not static yet: nothing
            model.MakeStatic();
        }
        for (bool textured : {false, true}) {
            textured ? model.EnableTexturing() : model.DisableTexturing();
            for (float percent : {0.0f, 0.3f, 1.0f, 1.75f}) {
                const sImage reference = Drawn([&] { AnimateImmediate(model, 0, percent, 0.5f, 0, 0, 1.2f, 1, 1, 30, 0, 0, 1, 0.8f); });
                EXPECT_GT(Lit(reference), 1000);
                EXPECT_EQ(Differing(Drawn([&] { model.Animate(0, percent, 0.5f, 0, 0, 1.2f, 1, 1, 30, 0, 0, 1, 0.8f); }), reference), 0)
                    << files << " percent " << percent << " textured " << textured;
                if (model.IsStatic()) {
                    EXPECT_EQ(Differing(Drawn([&] { model.Draw(0.5f, 0, 0, 1.2f, 1, 1, 30, 0, 0, 1, 0.8f); }), reference), 0);
                }
            }
        }
    }
}

TEST_F(DrawTest, AlphaReachesTheMaterialsAndStaysInThem)
{
    cModel model;
    Load(model);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const sImage opaque = Drawn([&] { model.Animate(0, 0, 0, 0, 0); });
    const sImage half = Drawn([&] { model.Animate(0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0.5f); });
    ASSERT_GT(opaque.At(200, 450)[0], 100);   // inside the red quad
    EXPECT_NEAR(half.At(200, 450)[0], opaque.At(200, 450)[0] / 2, 2);
    EXPECT_EQ(model.GetMaterials()[0].diffuse.a, 0.5f);
    EXPECT_EQ(model.GetMaterials()[1].specular.a, 0.5f);
}

TEST_F(DrawTest, UnresolvedMaterialsAndMissingNormalsHaveNeutralFallbacks)
{
    // Without materials the group is drawn like OpenGL's own default material; without normals
    // each corner is lit as its face.
    WriteFile("plain.obj", "v -2 -2 0\nv 2 -2 1\nv 0 2 0\nusemtl missing\nf 1 2 3\n");
    WriteFile("explicit.obj", "v -2 -2 0\nv 2 -2 1\nv 0 2 0\nvn -0.24077171 0.12038586 0.96308682\nusemtl grey\nf 1//1 2//1 3//1\n");
    cModel plain("plain.obj"), explicitModel;
    explicitModel.LoadMTLFile("m.mtl");
    explicitModel.AddFrame("explicit.obj");
    const sImage a = Drawn([&] { plain.Animate(0, 0, 0, 0, 0); });
    const sImage b = Drawn([&] { explicitModel.Animate(0, 0, 0, 0, 0); });
    EXPECT_GT(Lit(a), 1000);
    int far = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i)
        far += std::abs(int(a.rgb[i]) - int(b.rgb[i])) > 1;
    EXPECT_EQ(far, 0);
}

TEST_F(DrawTest, ATexturedModelShowsItsTexture)
{
    // A 2 x 2 texture: green everywhere, drawn unlit so that the texel shows as it is.
    const uint8_t pixels[16] = {0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255};
    ASSERT_TRUE(stbi_write_png((m_Dir / "green.png").c_str(), 2, 2, 4, pixels, 8));
    cModel model;
    Load(model);
    model.SetTexture("green.png");
    ASSERT_NE(model.GetTextureID(), 0u);
    EXPECT_EQ(model.GetTextureName(), "green.png");
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const sImage untextured = Drawn([&] { model.Animate(0, 0, 0, 0, 0); });
    model.EnableTexturing();
    const sImage textured = Drawn([&] { model.Animate(0, 0, 0, 0, 0); });
    EXPECT_EQ(untextured.At(200, 450)[0], 255);   // white without the texture
    EXPECT_EQ(textured.At(200, 450)[0], 0);
    EXPECT_EQ(textured.At(200, 450)[1], 255);
}
