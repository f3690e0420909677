#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include <stb/stb_image_write.h>

#include "graphics/cTextureManager.h"
#include "physics/cCloth.h"
#include "support/EngineFixture.h"
#include "support/FrameCapture.h"

namespace {

// Constants of a cloth that hangs from its two pinned corners.
void MakeCloth(cCloth& cloth, int numX, int numY, const std::string& texture = "")
{
    cloth.Initialize(4.0f, 4.0f, numX, numY, 0.1f, 500.0f, 0.5f, 300.0f, 0.3f, 100.0f, 0.1f, texture);
}

// Looking straight down at a cloth hanging at height 10, on a cleared frame.
void LookDownAtTheCloth()
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, 800.0 / 600.0, 0.1, 500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 18, 0.01, 0, 10, 0, 0, 1, 0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

bool SameBits(const cVector3& a, const cVector3& b) { return std::memcmp(&a, &b, sizeof(cVector3)) == 0; }

bool SameState(const cCloth& a, const cCloth& b)
{
    for (size_t i = 0; i < a.GetMasses().size(); ++i)
        if (!SameBits(a.GetMasses()[i].GetPos(), b.GetMasses()[i].GetPos()) ||
            !SameBits(a.GetMasses()[i].GetVelocity(), b.GetMasses()[i].GetVelocity()))
            return false;
    return a.GetMasses().size() == b.GetMasses().size();
}

} // namespace

TEST(Cloth, TheGridHasTheDocumentedNumbersOfMassesSpringsAndTriangles)
{
    // Structural + shear + bend springs: (y-1)x + (x-1)y + (2x-2)(y-1) + (x-2)y + (y-2)x.
    struct { int numX, numY; size_t springs; } cases[] = {{2, 2, 6}, {3, 2, 13}, {4, 5, 77}, {64, 64, 23938}};
    for (auto& c : cases) {
        cCloth cloth;
        MakeCloth(cloth, c.numX, c.numY);
        EXPECT_EQ(cloth.GetSprings().size(), c.springs) << c.numX << "x" << c.numY;
        EXPECT_EQ(cloth.GetMasses().size(), size_t(c.numX * c.numY));
        ASSERT_NE(cloth.GetMesh(), nullptr);
        EXPECT_EQ(cloth.GetMesh()->m_Triangles.size(), size_t((c.numY - 1) * (2 * c.numX - 2)));
    }
    cCloth cloth;
    MakeCloth(cloth, 3, 3);
    const auto& springs = cloth.GetSprings();
    EXPECT_EQ(springs[12].GetMass1(), &cloth.GetMasses()[0]);   // the first shear spring
    EXPECT_EQ(springs[12].GetMass2(), &cloth.GetMasses()[4]);
    EXPECT_FLOAT_EQ(springs.back().GetRestLength(), 4.0f);   // a bend spring over two rows of 2
}

TEST(Cloth, BadGridParametersLeaveTheClothInert)
{
    struct { float width, height; int numX, numY; } cases[] = {
        {4, 4, 1, 5}, {4, 4, 5, 1}, {0, 4, 5, 5}, {4, -1, 5, 5}, {4, 4, 300, 300}};
    for (auto& c : cases) {
        cCloth cloth;
        cloth.Initialize(c.width, c.height, c.numX, c.numY, 1, 1, 1, 1, 1, 1, 1);
        EXPECT_FALSE(cloth.IsInitialized());
        EXPECT_TRUE(cloth.GetMasses().empty());
        cloth.SetCorner3(true);   // nothing to pin, nothing touched
        cloth.Update(0.1f);
        EXPECT_EQ(cloth.GetSubStepsOfLastUpdate(), 0);
    }
}

TEST(Cloth, UpdateSplitsTheFrameIntoCappedSubSteps)
{
    struct { float dt; int steps; } cases[] = {{0.001f, 1}, {0.01f, 2}, {0.05f, 10}, {0.5f, 10}};
    for (auto& c : cases) {
        cCloth cloth, twin;
        MakeCloth(cloth, 4, 4);
        MakeCloth(twin, 4, 4);
        cloth.Update(c.dt);
        EXPECT_EQ(cloth.GetSubStepsOfLastUpdate(), c.steps) << c.dt;
        float total = std::fmin(c.dt, 0.2f);
        for (int i = 0; i < c.steps; ++i)
            twin.TimestepReference(total / float(c.steps));
        EXPECT_TRUE(SameState(cloth, twin)) << c.dt;
        EXPECT_NEAR(cloth.GetTimeAccumulator(), 0.0f, 1e-6f);
    }
}

TEST(Cloth, PinnedCornersNeverMove)
{
    cCloth cloth;
    MakeCloth(cloth, 8, 8);
    cloth.SetCorner4(true);
    const auto& masses = cloth.GetMasses();
    const int corners[] = {0, 7, 63};
    cVector3 pinned[3];
    for (int i = 0; i < 3; ++i)
        pinned[i] = masses[corners[i]].GetPos();
    cVector3 free = masses[56].GetPos();
    for (int frame = 0; frame < 120; ++frame)
        cloth.Update(1.0f / 60);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(SameBits(masses[corners[i]].GetPos(), pinned[i])) << corners[i];
    EXPECT_LT(masses[56].GetPos().y, free.y - 0.5f);   // the free corner fell
}

TEST(Cloth, EnergyStaysBoundedWhileTheClothSettlesAndResetLaysItFlatAgain)
{
    cCloth cloth;
    MakeCloth(cloth, 16, 16);
    cloth.Reset();
    auto energy = [&] {
        double kinetic = 0;
        for (const cMass& m : cloth.GetMasses()) {
            const cVector3 v = m.GetVelocity();
            kinetic += 0.5 * m.GetMass() * (v.x * v.x + v.y * v.y + v.z * v.z);
        }
        return kinetic;
    };
    double peak = 0;
    for (int frame = 0; frame < 600; ++frame) {
        cloth.Update(1.0f / 60);
        peak = std::fmax(peak, energy());
    }
    // Falling 4 m from height 10 at most turns the cloth's potential energy into motion.
    double potential = 0;
    for (const cMass& m : cloth.GetMasses())
        potential += m.GetMass() * 9.8 * 4.5;
    EXPECT_LT(peak, potential);
    EXPECT_LT(energy(), peak / 4);   // it settles instead of ringing up
    for (const cMass& m : cloth.GetMasses())
        EXPECT_TRUE(std::isfinite(m.GetPos().x + m.GetPos().y + m.GetPos().z));

    cloth.Reset();
    for (const cMass& m : cloth.GetMasses()) {
        EXPECT_EQ(m.GetPos().y, 10.0f);
        EXPECT_EQ(m.GetVelocity().x, 0.0f);
    }
    EXPECT_EQ(cloth.GetMasses()[255].GetPos().x, 2.0f);
    cloth.Free();
    EXPECT_TRUE(cloth.GetMasses().empty());
    cloth.Update(0.1f);   // nothing left to move
}

TEST(Cloth, TheFastTimestepMatchesThePointerLinkedOneBitForBit)
{
    for (int run = 0; run < 4; ++run) {
        uint8_t method = run % 2 ? 0 : 1;
        cCloth::AllowWideVectors(run < 2);
        cCloth fast, reference;
        MakeCloth(fast, 32, 24);
        MakeCloth(reference, 32, 24);
        fast.SetMethod(method);
        reference.SetMethod(method);
        for (cCloth* cloth : {&fast, &reference}) {
            cloth->SetExternalForce(true, {0.3f, 0, -0.7f});
            cloth->GetMasses()[17].SetMass(0);   // a weightless mass is clamped, never NaN
        }
        for (int step = 0; step < 1000; ++step) {
            if (step == 500) {
                fast.AddForce({0, 20, 0});
                reference.AddForce({0, 20, 0});
            }
            fast.Timestep(0.004f);
            reference.TimestepReference(0.004f);
        }
        EXPECT_TRUE(SameState(fast, reference)) << "method " << int(method) << (run < 2 ? ", wide" : ", narrow");
        EXPECT_GT(std::fabs(fast.GetMasses()[300].GetVelocity().y), 0.0f);
    }
    cCloth::AllowWideVectors(true);
}

TEST(Cloth, MassesAndSpringsFollowTheirRules)
{
    cMass weightless;
    EXPECT_EQ(weightless.GetInvMass(), 3.4028235e38f);
    weightless.AddForce({1, 2, 0});
    weightless.Update(0.004f, 1);
    float speed = std::sqrt(weightless.GetVelocity().x * weightless.GetVelocity().x +
                            weightless.GetVelocity().y * weightless.GetVelocity().y);
    EXPECT_NEAR(speed, 100.0f, 1e-3f);
    EXPECT_GT(weightless.GetVelocity().y, weightless.GetVelocity().x);

    cMass a(1.0f), b(1.0f);
    a.Init(1.0f, {0, 0, 0});
    b.Init(1.0f, {1.009f, 0, 0});
    cSpring spring;
    spring.Init(&a, &b, 10, 0, 1.0f, 0, 0, 0);
    spring.ApplySpringForce();
    EXPECT_EQ(a.GetForce().x, 0.0f);   // within 0.01 of the rest length
    b.SetPosition(1.5f, 0, 0);
    spring.ApplySpringForce();
    EXPECT_FLOAT_EQ(a.GetForce().x, 5.0f);   // pulled towards b
    EXPECT_FLOAT_EQ(b.GetForce().x, -5.0f);

    cMass runaway(1.0f);
    runaway.SetVelocity({-3e20f, 4e20f, 0});   // too fast even to square
    runaway.Update(0.004f, 1);
    EXPECT_FLOAT_EQ(runaway.GetVelocity().x, -60.0f);
    EXPECT_FLOAT_EQ(runaway.GetVelocity().y, 80.0f);
}

// The cloth drawn as a lit mesh and as a wireframe in a real frame.
TEST_F(EngineTest, TheClothIsDrawnLitAndAsAWireframe)
{
    cCloth cloth;
    MakeCloth(cloth, 12, 12);
    cloth.Reset();
    LookDownAtTheCloth();
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    GLfloat lightPosition[] = {0, 1, 0, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glEnable(GL_COLOR_MATERIAL);
    cloth.Draw();
    sRgb middle = ReadPixel(400, 300);
    EXPECT_GT(middle.r, 100);   // white and lit from above
    EXPECT_EQ(middle.r, middle.b);
    EXPECT_EQ(ReadPixel(10, 10), (sRgb{0, 0, 0}));

    glDisable(GL_LIGHTING);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    cloth.SetDrawModes(false, true);
    cloth.Draw();
    sImage frame = ReadFrame();
    int red = 0, blue = 0;
    for (int i = 0; i < frame.width * frame.height; ++i) {
        const uint8_t* p = &frame.rgb[size_t(i) * 3];
        red += p[0] == 255 && p[1] == 0 && p[2] == 0;
        blue += p[0] == 20 && p[1] == 20 && p[2] == 200;
    }
    EXPECT_GT(red, 144 * 4);   // every mass a point of size 4
    EXPECT_GT(blue, 1000);     // structural springs
    EXPECT_EQ(ReadPixel(10, 10), (sRgb{0, 0, 0}));
}

// The cloth drawn with its texture: a 32-bit image of one colour shows through the white mesh.
TEST_F(EngineTest, AClothMadeWithATextureNameIsDrawnTextured)
{
    std::filesystem::create_directories("Images");
    std::vector<uint8_t> pixels(64 * 64 * 4);
    for (size_t i = 0; i < pixels.size(); i += 4)
        std::memcpy(&pixels[i], "\xc8\x28\x5a\xff", 4);   // 200, 40, 90, opaque
    ASSERT_NE(stbi_write_png("Images/cloth.png", 64, 64, 4, pixels.data(), 64 * 4), 0);
    {
        cCloth cloth;
        MakeCloth(cloth, 12, 12, "Images/cloth.png");
        cloth.Reset();
        ASSERT_NE(cloth.GetMesh()->m_TextureID, 0u);
        EXPECT_TRUE(cloth.GetMesh()->m_Textured);
        ASSERT_EQ(cloth.GetMesh()->m_TexCoords.size(), 144u);
        EXPECT_EQ(cloth.GetMesh()->m_TexCoords[143].x, 1.0f);   // the far corner takes the far texel
        EXPECT_EQ(cloth.GetMesh()->m_TexCoords[143].y, 1.0f);
        LookDownAtTheCloth();
        glDisable(GL_LIGHTING);
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        cloth.Draw();
        sRgb middle = ReadPixel(400, 300);
        EXPECT_NEAR(middle.r, 200, 2);
        EXPECT_NEAR(middle.g, 40, 2);
        EXPECT_NEAR(middle.b, 90, 2);
    }
    EXPECT_EQ(TEXTUREMANAGER.GetGLTextureID("Images/cloth.png"), 0u);   // given back with the cloth
}
