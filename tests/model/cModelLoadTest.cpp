#include "support/EngineFixture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "ReferenceObjLoader.h"
#include "model/cModel.h"

namespace fs = std::filesystem;

namespace {

// What fn throws: a cModelException's message after its code, or a plain string; "" for nothing.
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

// Loads the files into a model and into the reference alike, expecting the same model and the
// same refusals with the same messages.
void LoadLikeReference(const std::string& mtl, const std::vector<std::string>& frames, const std::string& what)
{
    cModel model;
    cReferenceModel reference;
    std::string referenceError;
    // Without a material file, the name "" fails alike on both sides.
    const bool mtlLoaded = reference.LoadMTLFile(mtl.c_str(), referenceError);
    EXPECT_EQ(ErrorOf([&] { model.LoadMTLFile(mtl.c_str()); }), mtlLoaded ? "" : referenceError) << what << " " << mtl;
    for (const std::string& frame : frames) {
        const bool referenceLoaded = reference.AddFrame(frame.c_str(), referenceError);
        EXPECT_EQ(ErrorOf([&] { model.AddFrame(frame.c_str()); }), referenceLoaded ? "" : "0: " + referenceError)
            << what << " " << frame;
    }
    EXPECT_EQ(CompareWithReference(model, reference), "") << what;
    // What drawing and collision read, without OpenGL: only what the model holds.
    for (unsigned int frame = 0; frame < model.FrameCount(); ++frame)
        model.BlendFrames(frame, 0.5f);
    model.CalcExtraData();
}

} // namespace

TEST_F(LoaderTest, InterpolationBlendsLinearlyFromTheFirstPoint)
{
    Point3D out;
    cModel::Interpolate({0, 0, 2}, {2, 4, 6}, 0.25f, out);
    EXPECT_TRUE(out.x == 0.5f && out.y == 1 && out.z == 3);
}

// The fuzzer's inputs, split as it splits them: two length bytes, then a material file, a first
// frame and a second frame.
TEST_F(LoaderTest, FuzzInputsLoadBitIdenticalToTheReferenceLoader)
{
    int inputs = 0;
    for (const auto& entry : fs::directory_iterator(BW_SOURCE_DIR "/fuzz/corpus/model")) {
        const std::string data = ReadFile(entry.path().string());
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
    int objFiles = 0;
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
        LoadLikeReference(mtl, {path}, path);
    }
    EXPECT_GT(objFiles, 0);
}

TEST_F(LoaderTest, DisplayDataCountsAndWriteOBJFileWritesAFileThatLoadsAsTheSameModel)
{
    WriteFile("a.obj", "mtllib a.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nvt 0.5 1\nvn 0 0 1\n"
                       "usemtl skin\nf 1/1/1 2/1/1 4/1/1 3/1/1\nf 1//1 2//1 3//1\n");
    cModel model("a.obj");
    model.DisplayData();
    EXPECT_EQ(ReadFile("ModelOut.txt"), "Num Vertices: 4Num Normals: 1Num Frames: 1Polycount: 3\n");
    model.WriteOBJFile();
    cReferenceModel written;
    std::string error;
    ASSERT_TRUE(written.AddFrame("TestModel.obj", error)) << error;
    EXPECT_EQ(CompareWithReference(model, written), "");
}

// Collision triangles face the side their corners run counter-clockwise on; Clear keeps them, and
// CalcExtraData appends those of the first frame again. Only a model of one frame may be static.
TEST_F(LoaderTest, TrianglesFaceTheirFrontAndOutliveClear)
{
    WriteFile("a.obj", "v 0 -3 0\nv 2 -1 0\nv 0 -2 4\nf 1 2 3\nf 1 1 2\n");
    cModel model("a.obj");
    model.CalcExtraData();
    model.Clear();
    model.AddFrame("a.obj");
    model.AddFrame("a.obj");
    EXPECT_EQ(ErrorOf([&] { model.MakeStatic(); }),
              "2: Attempted to make a model static which has more than one frames (or 0)");
    model.CalcExtraData();
    std::vector<CollisionTriangle> triangles;
    model.GetTriangles(triangles);
    ASSERT_EQ(triangles.size(), 4u);
    // The edges from corner 1 cross in (8, -8, 2), made unit.
    EXPECT_NEAR(triangles[2].normal.y, -8 / std::sqrt(132.0f), 1e-6f);
    // The degenerate face gets a defined normal instead of a division by zero.
    EXPECT_EQ(triangles[3].normal.z, 1.0f);
}
