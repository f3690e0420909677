#include "support/EngineFixture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "ReferenceObjLoader.h"
#include "model/cModel.h"

namespace fs = std::filesystem;

namespace {

// What fn throws: a cModelException's message prefixed with its code, or a plain string; "" when
// nothing.
template <class F>
std::string ErrorOf(F&& fn)
{
    try {
        fn();
    } catch (const cModelException& e) {
        return std::to_string(e.code()) + ": " + e.what();
    } catch (const std::string& e) {
        return e;
    }
    return "";
}

using LoaderTest = ScriptPackageTest;

// Loads the files into a model and into the reference alike, expecting
// the same model and the same refusals; the engine's first error, or "" when all loaded.
std::string LoadLikeReference(const std::string& mtl, const std::vector<std::string>& frames,
                              const std::string& what)
{
    cModel model;
    cReferenceModel reference;
    std::string referenceError, firstError;
    if (!mtl.empty()) {
        const bool referenceLoaded = reference.LoadMTLFile(mtl.c_str(), referenceError);
        firstError = ErrorOf([&] { model.LoadMTLFile(mtl.c_str()); });
        EXPECT_EQ(firstError, referenceLoaded ? "" : referenceError) << what << " " << mtl;
    }
    for (const std::string& frame : frames) {
        const bool referenceLoaded = reference.AddFrame(frame.c_str(), referenceError);
        const std::string error = ErrorOf([&] { model.AddFrame(frame.c_str()); });
        EXPECT_EQ(error, referenceLoaded ? "" : "0: " + referenceError) << what << " " << frame;
        if (firstError.empty())
            firstError = error;
    }
    EXPECT_EQ(CompareWithReference(model, reference), "") << what;
    // What drawing and collision read, without OpenGL: only what the model holds.
    for (unsigned int frame = 0; frame < model.FrameCount(); ++frame)
        model.BlendFrames(frame, 0.5f);
    model.CalcExtraData();
    return firstError;
}

} // namespace

// Hand-written files with the exact message of each refusal; each loads as the reference loads it.
// The frames of a row are e0.obj, e1.obj and so on, loaded in that order.
TEST_F(LoaderTest, EdgeFilesLoadLikeTheReferenceWithTheirMessages)
{
    const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\n", colours = "Ka 0 0 0\nKd 0 0 0\nKs 0 0 0\n";
    const std::string framed = triangle + "vn 0 0 1\nvt 0 0\nmtllib a.mtl\nusemtl a\nf 1/1/1 2/1/1 3/1/1\n";
    struct sCase { std::string mtl; std::vector<std::string> frames; const char* error; };
    const sCase cases[] = {
        {"", {"f 1 2 3\n" + triangle}, ""},   // faces may come before their vertices
        {"", {triangle + "f 1 2 4\n"}, "0: line 4: face uses vertex 4 of 3: e0.obj"},
        {"", {triangle + "f 1 2 3\nf 0 1 2\n"}, "0: line 5: face uses vertex 0 of 3: e0.obj"},
        {"", {triangle + "f -1 -2 -3\n"}, "0: line 4: face uses vertex -1 of 3: e0.obj"},
        {"", {"mtllib bad.mtl\nv 0 0 0\nusemtl\nf 1 1 1\n"}, "0: Unknown Load Error: e0.obj"},
        {"", {"mtllib\n"}, "0: Unknown Load Error: e0.obj"},
        // A refused frame leaves the model as it was, so the next one is read at the right offset.
        {"", {framed, "v 0 0 5\nv 1 0 5\nvn 0 0 1\nvt 1 1\n", triangle + "vt 1 1\n", framed},
         "0: frame has 2 vertices where the first frame has 3: e1.obj"},
        {"", {framed, triangle + "vt 1 1\n"}, "0: frame has 0 normals where the first frame has 1: e1.obj"},
        {"", {"mtllib bad.mtl\nv 0 0 0\nusemtl x\nf 1 2 3\n", framed}, "0: line 4: face uses vertex 3 of 1: e0.obj"},
        {"newmtl a\n" + colours, {}, "Mat File Load:  Error reading in Ns"},
        {"newmtl a\nNs 1\nKa 0 0\nKd 0 0 0\nKs 0 0 0\n", {}, "Mat File Load:  Error reading in Ka"},
        {"newmtl a\nNs 1\nKa 0 0 0\n Kd 0 0 0\nKs 0 0 0\n", {}, "Mat File Load:  Error reading in Kd"},
        {"newmtl a\nNs 1\nKa 0 0 0\nKd 0 0 0\n", {}, "Mat File Load:  Error reading in Ks"},
        {"Ns 1\nillum 2\nnewmtlx\n", {}, ""},
    };
    for (const sCase& c : cases) {
        std::vector<std::string> names;
        for (const std::string& frame : c.frames) {
            names.push_back("e" + std::to_string(names.size()) + ".obj");
            WriteFile(names.back(), frame);
        }
        if (!c.mtl.empty())
            WriteFile("e.mtl", c.mtl);
        const std::string what = c.mtl + (c.frames.empty() ? "" : c.frames[0]);
        EXPECT_EQ(LoadLikeReference(c.mtl.empty() ? "" : "e.mtl", names, what), c.error);
    }
}

TEST_F(LoaderTest, InterpolationBlendsAndNormalInterpolationMakesUnitNormals)
{
    struct sCase { Point3D a, b; float percent; Point3D blend, unit; };
    const sCase cases[] = {
        {{0, 0, 0}, {2, 4, 6}, 0.5f, {1, 2, 3}, {0.26726124f, 0.53452247f, 0.80178374f}},
        {{0, 0, 2}, {0, 0, 4}, 2.0f, {0, 0, 6}, {0, 0, 1}},
        {{0, 1, 0}, {0, -1, 0}, 0.5f, {0, 0, 0}, {0, 0, 1}},   // opposite normals half-way
    };
    for (const sCase& c : cases) {
        Point3D blend, unit;
        cModel::Interpolate(c.a, c.b, c.percent, blend);
        cModel::NormalInterpolate(c.a, c.b, c.percent, unit);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(blend[i], c.blend[i]);
            EXPECT_FLOAT_EQ(unit[i], c.unit[i]);
        }
    }
}

// The fuzzer's inputs, split as it splits them: two length bytes, then a material file, a first
// frame and a second frame.
TEST_F(LoaderTest, FuzzInputsLoadBitIdenticalToTheReferenceLoader)
{
    int inputs = 0;
    for (const auto& entry : fs::directory_iterator(BW_SOURCE_DIR "/fuzz/corpus/model")) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        size_t rest = data.size() < 2 ? 0 : data.size() - 2;
        const size_t mtlSize = rest ? uint8_t(data[0]) % (rest + 1) : 0;
        rest -= mtlSize;
        const size_t firstSize = rest ? uint8_t(data[1]) % (rest + 1) : 0;
        WriteFile("m.mtl", data.substr(std::min<size_t>(2, data.size()), mtlSize));
        WriteFile("a.obj", data.substr(std::min(2 + mtlSize, data.size()), firstSize));
        WriteFile("b.obj", data.substr(std::min(2 + mtlSize + firstSize, data.size())));
        LoadLikeReference("m.mtl", {"a.obj", "b.obj", "a.obj"}, entry.path().filename().string());
        inputs += !HasFailure();
    }
    EXPECT_GT(inputs, 100);
}

TEST_F(LoaderTest, EveryCorpusFileLoadsOrIsRefusedLikeTheReference)
{
    const fs::path corpus = fs::path(BW_CORPUS_DIR) / "obj";
    if (!fs::is_directory(corpus))
        GTEST_SKIP() << "no OBJ corpus at " << corpus;
    int objFiles = 0, loaded = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        const std::string path = entry.path().string();
        if (entry.path().extension() == ".mtl")
            LoadLikeReference(path, {}, path);
        if (entry.path().extension() != ".obj")
            continue;
        ++objFiles;
        // With the materials of its directory first, as the engine loads characters.
        std::string mtl;
        for (const auto& sibling : fs::directory_iterator(entry.path().parent_path()))
            if (sibling.path().extension() == ".mtl" && mtl.empty())
                mtl = sibling.path().string();
        loaded += LoadLikeReference(mtl, {path}, path).empty();
    }
    std::printf("corpus: %d of %d OBJ files loaded\n", loaded, objFiles);
    EXPECT_GT(objFiles, 0);
}

TEST_F(LoaderTest, DisplayDataAndWriteOBJFileWriteTheirFiles)
{
    WriteFile("a.obj", "mtllib a.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nvt 0.5 1\nvn 0 0 1\n"
                       "usemtl skin\nf 1/1/1 2/1/1 4/1/1 3/1/1\nf 1//1 2//1 3//1\n");
    WriteFile("b.obj", "v 0 0 1\nv 1 0 1\nv 0 1 1\nv 1 1 1\nvn 0 1 0\n");
    cModel model("a.obj");
    model.AddFrame("b.obj");
    model.DisplayData();
    EXPECT_EQ(ReadFile("ModelOut.txt"), "Num Vertices: 8Num Normals: 2Num Frames: 2Polycount: 3\n");
    model.WriteOBJFile();
    EXPECT_EQ(ReadFile("TestModel.obj"),
              "\nmtllib\ta.mtl\n\n"
              "v 0.000000 0.000000 0.000000\nv 1.000000 0.000000 0.000000\nv 0.000000 1.000000 0.000000\n"
              "v 1.000000 1.000000 0.000000\nv 0.000000 0.000000 1.000000\nv 1.000000 0.000000 1.000000\n"
              "v 0.000000 1.000000 1.000000\nv 1.000000 1.000000 1.000000\n"
              "vt 0.500000 1.000000\nvn 0.000000 0.000000 1.000000\nvn 0.000000 1.000000 0.000000\n"
              "\nusemtl skin\nf 1/1/1 2/1/1 4/1/1\nf 1/1/1 4/1/1 3/1/1\nf 1/0/1 2/0/1 3/0/1\n");
}

// Bounds are averaged over the frames and triangles appended, not replaced, on both sides; Clear
// keeps the names, bounds and triangles; a model is static only with exactly one frame.
TEST_F(LoaderTest, BoundsTrianglesClearAndStaticFollowTheFrames)
{
    WriteFile("m.mtl", "newmtl a\nNs 1\nKa 0 0 0\nKd 0 0 0\nKs 0 0 0\n");
    WriteFile("a.obj", "mtllib m.mtl\nv 0 -3 0\nv 2 -1 0\nv 0 -2 4\nusemtl a\nf 1 2 3\nf 1 1 2\n");
    WriteFile("b.obj", "v 0 -3 0\nv 4 -1 0\nv 0 -2 4\n");
    const std::string notStatic = "2: Attempted to make a model static which has more than one frames (or 0)";
    const std::string noFrame = "1: Specified frame number to draw does not exist";
    cModel model;
    model.CalcExtraData();
    EXPECT_EQ(model.GetWidth(), 0.0f);
    EXPECT_TRUE(model.GetTriangleList().empty());
    EXPECT_EQ(ErrorOf([&] { model.MakeStatic(); }), notStatic);
    EXPECT_EQ(ErrorOf([&] { model.Animate(0, 0, 0, 0, 0); }), noFrame);
    model.AddFrame("a.obj");
    model.LoadMTLFile("m.mtl");
    model.LoadMTLFile("m.mtl");   // materials accumulate
    EXPECT_EQ(model.GetMaterials().size(), 2u);
    model.MakeStatic();
    model.CalcExtraData();
    EXPECT_EQ(model.GetHeight(), 2.0f);
    EXPECT_EQ(model.GetCenter().y, -2.0f);
    EXPECT_EQ(model.GetLength(), 4.0f);
    std::vector<CollisionTriangle> triangles;
    model.GetTriangles(triangles);
    ASSERT_EQ(triangles.size(), 2u);
    // Front-facing for counter-clockwise corners: the edges from corner 1 cross in (8, -8, 2).
    EXPECT_NEAR(triangles[0].normal.x, 8 / std::sqrt(132.0f), 1e-6f);
    EXPECT_NEAR(triangles[0].normal.y, -8 / std::sqrt(132.0f), 1e-6f);
    EXPECT_NEAR(triangles[0].normal.z, 2 / std::sqrt(132.0f), 1e-6f);
    // The degenerate face gets a defined normal instead of a division by zero.
    EXPECT_EQ(triangles[1].normal.z, 1.0f);
    model.Clear();
    EXPECT_TRUE(model.FrameCount() == 0 && model.GetVertices().empty() && model.GetGroups().empty() &&
                model.GetMaterials().empty() && !model.IsStatic());
    EXPECT_EQ(model.GetMtlLibName() + " " + std::to_string(model.GetWidth()) + " " +
                  std::to_string(model.GetTriangleList().size()), "m.mtl 2.000000 2");
    model.AddFrame("a.obj");   // a first frame again
    EXPECT_EQ(model.GetGroups().size(), 1u);
    model.AddFrame("b.obj");
    EXPECT_EQ(ErrorOf([&] { model.MakeStatic(); }), notStatic);
    EXPECT_FALSE(model.IsStatic());
    EXPECT_EQ(ErrorOf([&] { model.Animate(2, 0, 0, 0, 0); }), noFrame);
    EXPECT_EQ(model.BlendFrames(2, 0.5f), 0u);
    model.CalcExtraData();
    EXPECT_EQ(model.GetWidth(), 3.0f);   // maxima 2 and 4 averaged
    model.GetTriangles(triangles);
    EXPECT_EQ(triangles.size(), 6u);
}
