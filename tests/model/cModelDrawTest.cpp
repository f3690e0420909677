#include "support/EngineFixture.h"
#include "support/FrameCapture.h"

#include <GL/gl.h>
#include <stb/stb_image_write.h>

#include <map>

#include "ReferenceDrawing.h"
#include "model/cModel.h"

namespace {

// A real window on Xvfb in the state the engine starts with: its perspective, light and blending,
// so that normals, materials and alpha show in the pixels. Models are drawn 8 units ahead (z -8).
class DrawTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        glDisable(GL_CULL_FACE);   // frame b turns the triangle away
        WriteFile("m.mtl", "newmtl red\nNs 10\nKa 0.2 0 0\nKd 0.9 0.1 0.1\nKs 0.5 0.5 0.5\n"
                           "newmtl grey\nNs 0\nKa 0.2 0.2 0.2\nKd 0.8 0.8 0.8\nKs 0 0 0\n");
        // A quad and a triangle; frame b moves and turns them, so a blend is visible.
        WriteFile("a.obj", "v -3 -2 0\nv -1 -2 0\nv -1 0 0\nv -3 0 0\nv 0 1 0\nv 1 1 0\nv 0 2 0\n"
                           "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                           "vn 0 0 1\nvn 0 0 1\nvn 0.6 0 0.8\nvn 0 0 1\nvn 0 0.6 0.8\nvn 0 0 1\nvn 0 0 1\n"
                           "usemtl red\nf 1/1/1 2/2/2 3/3/3 4/4/4\nusemtl grey\nf 5/1/5 6/2/6 7/3/7\n");
        WriteFile("b.obj", "v 1 -2 0\nv 3 -2 0\nv 3 0 0\nv 1 0 0\nv -1 1 0\nv -2 1 0\nv -1 2.5 0\n"
                           "vt 0 0\nvn 0 0 1\nvn 0 0 1\nvn -0.6 0 0.8\nvn 0 0 1\nvn 0 0 -1\nvn 0 0 1\nvn 0 0 1\n");
        // Corners without normals or texture coordinates, and a material that was never loaded.
        WriteFile("c.obj", "v -3 -2 0\nv 2 -2 1\nv 0 2 -1\nv 3 2 0\nvt 0.5 0.5\n"
                           "usemtl red\nf 1 2 3\nusemtl missing\nf 2//1 4 3/9\n");
        // Four texels of different colours, so that texture coordinates show.
        ASSERT_NE(stbi_write_png("t.png", 2, 2, 4, "\xff\xff\xff\xff\x00\x00\xff\xff\x00\xff\x00\xff\xff\xff\x00\xff", 8), 0);
    }

    // The image of one drawing on a cleared frame.
    template <class F>
    static sImage Drawn(F&& draw)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw();
        return ReadFrame();
    }

    static int Differing(const sImage& a, const sImage& b)
    {
        int count = 0;
        for (size_t i = 0; i < a.rgb.size(); i += 3)
            count += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
        return count;
    }
};

} // namespace

// The drawing, with its shared vertices, gives the pixels of every corner blended on its own:
// blends, extrapolation, the last frame into the first, transforms, alpha, a texture, corners
// without normals or texture coordinates, unloaded materials, a static model through Animate and
// Draw, and nothing from Draw while the model is not static.
TEST_F(DrawTest, DrawingGivesThePixelsOfTheImmediateModeReference)
{
    const sImage blank = Drawn([] {});
    for (const std::string files : {"ab", "c", "a", "a static"}) {
        cModel model;
        model.LoadMTLFile("m.mtl");
        for (char f : files.substr(0, files.find(' ')))
            model.AddFrame((std::string(1, f) + ".obj").c_str());
        if (files.ends_with("static")) {
            EXPECT_EQ(Differing(Drawn([&] { model.Draw(0, 0, 0); }), blank), 0);   // not static yet
            model.MakeStatic();
        }
        model.SetTexture("t.png");
        std::map<std::pair<unsigned int, float>, sImage> images[2];   // untextured, textured
        for (bool textured : {false, true}) {
            textured ? model.EnableTexturing() : model.DisableTexturing();
            for (unsigned int frame = 0; frame < model.FrameCount(); ++frame)
                for (float percent : {0.0f, 0.3f, 1.0f, 1.75f}) {
                    const sImage reference = Drawn([&] {
                        AnimateImmediate(model, frame, percent, 0.5f, 0, -8, 1.2f, 1, 1, 30, 0, 0, 1, 0.8f);
                    });
                    EXPECT_GT(Differing(reference, blank), 1000);
                    const sImage animated = Drawn([&] {
                        model.Animate(frame, percent, 0.5f, 0, -8, 1.2f, 1, 1, 30, 0, 0, 1, 0.8f);
                    });
                    EXPECT_EQ(Differing(animated, reference), 0)
                        << files << " frame " << frame << " percent " << percent << " textured " << textured;
                    if (model.IsStatic()) {
                        EXPECT_EQ(Differing(Drawn([&] { model.Draw(0.5f, 0, -8, 1.2f, 1, 1, 30, 0, 0, 1, 0.8f); }),
                                            reference), 0);
                    }
                    images[textured][{frame, percent}] = animated;
                }
        }
        EXPECT_GT(Differing(images[0][{0, 0.3f}], images[1][{0, 0.3f}]), 1000) << files;
    }
}

// What a script leaves out of a call takes its default.
TEST_F(DrawTest, ScriptCallsDrawWithTheDefaultsOfTheArgumentsLeftOut)
{
    cModel animated("a.obj"), single("a.obj");
    animated.AddFrame("b.obj");
    single.MakeStatic();
    ASSERT_EQ(Exec("import _model\nm = _model.new_cModel('a.obj')\n_model.cModel_AddFrame(m, 'b.obj')\n"
                   "s = _model.new_cModel('a.obj')\n_model.cModel_MakeStatic(s)\n"), "");
    const sImage reference = Drawn([&] { AnimateImmediate(animated, 0, 0.5f, 0, 0, -8, 1, 1, 1, 0, 0, 0, 0, 1); });
    EXPECT_EQ(Differing(Drawn([&] { Exec("_model.cModel_Animate(m, 0, 0.5, 0, 0, -8)"); }), reference), 0);
    const sImage referenceStatic = Drawn([&] { AnimateImmediate(single, 0, 0, 0.5f, 0, -8, 1, 1, 1, 0, 0, 0, 0, 1); });
    EXPECT_EQ(Differing(Drawn([&] { Exec("_model.cModel_Draw(s, 0.5, 0, -8)"); }), referenceStatic), 0);
    EXPECT_GT(Differing(reference, referenceStatic), 1000);
}
