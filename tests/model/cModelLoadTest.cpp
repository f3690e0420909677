#include "support/EngineFixture.h"

#include <cstdio>
#include <filesystem>
#include <random>

#include "ReferenceObjLoader.h"
#include "model/cModel.h"

namespace fs = std::filesystem;

namespace {

// The message of the cModelException that fn throws, prefixed with its code; "" when none.
template <class F>
std::string ModelError(F&& fn)
{
    try {
        fn();
    } catch (const cModelException& e) {
        return std::to_string(e.code()) + ": " + e.what();
    }
    return "";
}

template <class F>
std::string TextError(F&& fn)
{
    try {
        fn();
    } catch (const std::string& e) {
        return e;
    }
    return "";
}

using LoaderTest = ScriptPackageTest;

// A random file in the engine's subset with the oddities real files have: every number form
// scanf reads, CR line ends, comments, long lines, stray spaces, bad indices, unknown keywords.
std::string RandomObj(std::mt19937& random, int lines)
{
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    auto number = [&]() -> std::string {
        char text[64];
        switch (pick(14)) {
        case 0: return std::to_string(pick(2000) - 1000);
        case 1: std::snprintf(text, sizeof text, "%.9g", double(std::uniform_real_distribution<float>(-1e3f, 1e3f)(random))); return text;
        case 2: std::snprintf(text, sizeof text, "%e", std::uniform_real_distribution<double>(-1, 1)(random)); return text;
        case 3: std::snprintf(text, sizeof text, "%.20f", std::uniform_real_distribution<double>(-1, 1)(random)); return text;
        case 4: return "+" + std::to_string(pick(100)) + "." + std::to_string(pick(100));
        case 5: return "." + std::to_string(pick(1000));
        case 6: return std::to_string(pick(100)) + ".";
        case 7: { const char* odd[] = {"1e", "2E+", "0x1p3", "-0x.8", "inf", "-nan", "INFINITY", "1e400", "1e-50", "7e-45", "-", ".", "abc", "0x", "1.5.5", "3.1+e2", "00012", "1e5x", "nan(7)"}; return odd[pick(19)]; }
        default: std::snprintf(text, sizeof text, "%.6f", std::uniform_real_distribution<double>(-100, 100)(random)); return text;
        }
    };
    auto spaces = [&]() -> std::string {
        const char* s[] = {" ", " ", " ", " ", "\t", "  ", " \t"};
        return s[pick(7)];
    };
    std::string text;
    const int vertices = 4 + pick(40);
    for (int i = 0; i < vertices; ++i)
        text += "v " + number() + " " + number() + " " + number() + "\n";
    for (int i = 0; i < lines; ++i) {
        switch (pick(16)) {
        case 0: case 1: text += "v" + spaces() + number() + spaces() + number() + spaces() + number(); break;
        case 2: text += "vt" + spaces() + number() + spaces() + number(); break;
        case 3: text += "vn" + spaces() + number() + spaces() + number() + spaces() + number(); break;
        case 4: case 5: case 6: case 7: {
            text += "f";
            const int corners = pick(6) + (pick(8) == 0 ? 0 : 1);
            const int form = pick(5);
            for (int c = 0; c < corners; ++c) {
                const int v = pick(10) == 0 ? pick(vertices + 3) - 1 : pick(vertices) + 1;
                text += pick(12) == 0 ? "  " : " ";
                std::string corner = std::to_string(v);
                if (form == 1) corner += "/" + std::to_string(pick(9) + 1);
                if (form == 2) corner += "/" + std::to_string(pick(9) + 1) + "/" + std::to_string(pick(9) + 1);
                if (form == 3) corner += "//" + std::to_string(pick(9) + 1);
                if (form == 4 && pick(2)) corner += "/" + std::string(pick(2) ? "x" : "") + "/" + std::to_string(pick(9));
                text += corner;
            }
            if (pick(6) == 0)
                text += " ";
            break;
        }
        case 8: text += "usemtl " + std::string(1, char('a' + pick(4))) + (pick(3) == 0 ? "\r" : ""); break;
        case 9: text += "# " + number(); break;
        case 10: text += pick(2) ? "g group" : "s 1"; break;
        case 11: text += "mtllib lib" + std::to_string(pick(3)) + ".mtl"; break;
        case 12: text += "v" + std::string(size_t(500 + pick(300)), ' ') + number() + " " + number() + " " + number(); break;
        case 13: text += pick(2) ? "" : "   v 1 2 3"; break;
        case 14: text += "vn " + number() + " " + number(); break;
        default: text += "o thing"; break;
        }
        text += pick(5) == 0 ? "\r\n" : "\n";
    }
    if (pick(4) == 0 && !text.empty())
        text.pop_back();   // no newline at the end
    return text;
}

std::string RandomMtl(std::mt19937& random)
{
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    std::string text;
    const int materials = 1 + pick(4);
    for (int m = 0; m < materials; ++m) {
        text += "newmtl " + std::string(1, char('a' + pick(4))) + (pick(4) == 0 ? "\r" : "") + "\n";
        text += "Ns " + std::to_string(pick(100)) + ".5\n";
        const char* keys[] = {"Ka", "Kd", "Ks"};
        for (const char* key : keys)
            text += std::string(pick(30) == 0 ? "Kx" : key) + " 0." + std::to_string(pick(1000)) + " 1 " + (pick(40) == 0 ? "" : "0.25") + "\n";
        if (pick(3) == 0)
            text += "illum 2\n# done\n";
    }
    return text;
}

// Loads the files into model (a fresh one when none is given) and the reference alike, expecting
// the same model and the same refusals; the engine's first error, or "" when all loaded.
std::string LoadLikeReference(const std::string& mtl, const std::vector<std::string>& frames,
                              const std::string& what, cModel* pModel = nullptr)
{
    cModel own;
    cModel& model = pModel ? *pModel : own;
    cReferenceModel reference;
    std::string referenceError, firstError;
    if (!mtl.empty()) {
        const bool referenceLoaded = reference.LoadMTLFile(mtl.c_str(), referenceError);
        firstError = TextError([&] { model.LoadMTLFile(mtl.c_str()); });
        EXPECT_EQ(firstError, referenceLoaded ? "" : referenceError) << what << " " << mtl;
    }
    for (const std::string& frame : frames) {
        const bool referenceLoaded = reference.AddFrame(frame.c_str(), referenceError);
        const std::string error = ModelError([&] { model.AddFrame(frame.c_str()); });
        EXPECT_EQ(error, referenceLoaded ? "" : "0: " + referenceError) << what << " " << frame;
        if (firstError.empty())
            firstError = error;
    }
    EXPECT_EQ(CompareWithReference(model, reference), "") << what;
    return firstError;
}

} // namespace

// Files that a random one rarely is: each loads as the reference loads it, with this error.
TEST_F(LoaderTest, EdgeFilesLoadLikeTheReferenceWithTheirMessages)
{
    const std::string longName(600, 'n'), padding(700, ' '), none;
    const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\n", colours = "Ka 0 0 0\nKd 0 0 0\nKs 0 0 0\n";
    struct sCase { std::string mtl, obj; const char* error; };   // "": no such file
    const sCase cases[] = {
        {"newmtl skin\nNs 10\nKa 0.1 0.2 0.3\nKd 0.4 0.5 0.6\nKs 0.7 0.8 0.9\nnewmtl cr\r\nNs 1\n" + colours +
             "newmtl " + longName + "\nNs" + padding + "5\n" + colours,
         "mtllib m.mtl\r\n" + triangle + "f 2 1 3\nusemtl skin\nf 1 2 3\ng x\nusemtl hair\r\nf 2 3 1\n"
             "usemtl skin\nf 3 1 2\nusemtl cr\r\nf 1 3 2\nusemtl " + longName + "\nf 1" + padding + "2 3\n", ""},
        {none, "f 1 2 3\n" + triangle, ""},   // faces may come before their vertices
        {none, triangle + "f 1 2 4\n", "0: line 4: face uses vertex 4 of 3: e.obj"},
        {none, triangle + "f 1 2 3\nf 0 1 2\n", "0: line 5: face uses vertex 0 of 3: e.obj"},
        {none, triangle + "f -1 -2 -3\n", "0: line 4: face uses vertex -1 of 3: e.obj"},
        {none, "mtllib bad.mtl\nv 0 0 0\nusemtl\nf 1 1 1\n", "0: Unknown Load Error: e.obj"},
        {none, "mtllib\n", "0: Unknown Load Error: e.obj"},
        {"newmtl a\n" + colours, none, "Mat File Load:  Error reading in Ns"},
        {"newmtl a\nNs 1\nKa 0 0\nKd 0 0 0\nKs 0 0 0\n", none, "Mat File Load:  Error reading in Ka"},
        {"newmtl a\nNs 1\nKa 0 0 0\n Kd 0 0 0\nKs 0 0 0\n", none, "Mat File Load:  Error reading in Kd"},
        {"newmtl a\nNs 1\nKa 0 0 0\nKd 0 0 0\n", none, "Mat File Load:  Error reading in Ks"},
        {"Ns 1\nillum 2\nnewmtlx\n", none, ""},
    };
    for (const sCase& c : cases) {
        WriteFile("e.mtl", c.mtl);
        WriteFile("e.obj", c.obj);
        EXPECT_EQ(LoadLikeReference(c.mtl.empty() ? "" : "e.mtl", c.obj.empty() ? std::vector<std::string>{}
                                                                             : std::vector<std::string>{"e.obj"},
                                    c.mtl + c.obj),
                  c.error);
    }
    // A refused frame leaves the model as it was, so the next one is read at the right offset.
    WriteFile("ok.obj", triangle + "vn 0 0 1\nvt 0 0\nmtllib a.mtl\nusemtl a\nf 1/1/1 2/1/1 3/1/1\n");
    WriteFile("short.obj", "v 0 0 5\nv 1 0 5\nvn 0 0 1\nvt 1 1\n");
    WriteFile("normals.obj", triangle + "vt 1 1\n");
    EXPECT_EQ(LoadLikeReference("", {"ok.obj", "short.obj", "normals.obj", "ok.obj"}, "frames"),
              "0: frame has 2 vertices where the first frame has 3: short.obj");
    EXPECT_EQ(LoadLikeReference("", {"ok.obj", "normals.obj"}, "frames"),
              "0: frame has 0 normals where the first frame has 1: normals.obj");
    WriteFile("bad.obj", "mtllib bad.mtl\nv 0 0 0\nusemtl x\nf 1 2 3\n");
    EXPECT_EQ(LoadLikeReference("", {"bad.obj", "ok.obj"}, "refused first frame"),
              "0: line 4: face uses vertex 3 of 1: bad.obj");
    const std::pair<const char*, const char*> names[] = {{"missing.mtl", "Error Opening Material File"},
                                                         {"MODEL.OBJ", "0: File given without .obj extension"},
                                                         {"model.ob", "0: File given without .obj extension"},
                                                         {"missing.obj", "0: Error Opening File: missing.obj"}};
    for (const auto& [name, error] : names) {
        const bool isMtl = std::string(name).ends_with(".mtl");
        EXPECT_EQ(LoadLikeReference(isMtl ? name : "", isMtl ? std::vector<std::string>{} : std::vector<std::string>{name}, name), error);
    }
    EXPECT_EQ(ModelError([&] { cModel named("missing.obj"); }), "0: Error Opening File: missing.obj");
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

TEST_F(LoaderTest, GeneratedFilesLoadBitIdenticalToTheReferenceLoader)
{
    std::mt19937 random(20261206);
    for (int i = 0; i < 300 && !HasFailure(); ++i) {
        WriteFile("m.mtl", RandomMtl(random));
        WriteFile("a.obj", RandomObj(random, 60));
        WriteFile("b.obj", RandomObj(random, 60));
        LoadLikeReference("m.mtl", {"a.obj", "b.obj", "a.obj"}, "generated file " + std::to_string(i));
    }
    if (HasFailure())
        std::printf("a.obj:\n%s\n", ReadFile("a.obj").c_str());
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
        cModel model;
        if (!LoadLikeReference(mtl, {path}, path, &model).empty())
            continue;
        ++loaded;
        model.CalcExtraData();
        std::vector<CollisionTriangle> triangles;
        model.GetTriangles(triangles);
        size_t faces = 0;
        for (const Group& group : model.GetGroups())
            faces += group.TriArray.size();
        EXPECT_EQ(triangles.size(), faces) << path;
    }
    std::printf("corpus: %d of %d OBJ files loaded\n", loaded, objFiles);
    EXPECT_GT(objFiles, 0);
}

TEST_F(LoaderTest, ClearEmptiesTheModelButKeepsNamesBoundsAndTriangles)
{
    WriteFile("m.mtl", "newmtl a\nNs 1\nKa 0 0 0\nKd 0 0 0\nKs 0 0 0\n");
    WriteFile("m.obj", "mtllib m.mtl\nv 0 0 0\nv 2 0 0\nv 0 2 0\nusemtl a\nf 1 2 3\n");
    cModel model("m.obj");
    model.LoadMTLFile("m.mtl");
    model.LoadMTLFile("m.mtl");   // materials accumulate
    EXPECT_EQ(model.GetMaterials().size(), 2u);
    model.MakeStatic();
    model.CalcExtraData();
    model.Clear();
    EXPECT_EQ(model.FrameCount(), 0u);
    EXPECT_TRUE(model.GetVertices().empty() && model.GetGroups().empty() && model.GetMaterials().empty());
    EXPECT_FALSE(model.IsStatic());
    EXPECT_EQ(model.GetMtlLibName(), "m.mtl");
    EXPECT_EQ(model.GetWidth(), 2.0f);
    EXPECT_EQ(model.GetTriangleList().size(), 1u);
    model.AddFrame("m.obj");   // a first frame again
    EXPECT_EQ(model.GetGroups().size(), 1u);
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

TEST_F(LoaderTest, CalcExtraDataAveragesBoundsOverFramesAndAppendsTriangles)
{
    WriteFile("a.obj", "v 0 -3 0\nv 2 -1 0\nv 0 -2 4\nusemtl a\nf 1 2 3\nf 1 1 2\n");
    WriteFile("b.obj", "v 0 -3 0\nv 4 -1 0\nv 0 -2 4\n");
    cModel model("a.obj");
    model.CalcExtraData();
    EXPECT_EQ(model.GetHeight(), 2.0f);
    EXPECT_EQ(model.GetCenter().y, -2.0f);
    EXPECT_EQ(model.GetLength(), 4.0f);
    std::vector<CollisionTriangle> triangles;
    model.GetTriangles(triangles);
    ASSERT_EQ(triangles.size(), 2u);
    EXPECT_FLOAT_EQ(triangles[0].normal.Length(), 1.0f);
    // The degenerate face gets a defined normal instead of a division by zero.
    EXPECT_EQ(triangles[1].normal.z, 1.0f);
    model.AddFrame("b.obj");
    model.CalcExtraData();
    EXPECT_EQ(model.GetWidth(), 3.0f);   // maxima 2 and 4 averaged
    model.GetTriangles(triangles);
    EXPECT_EQ(triangles.size(), 6u);   // appended, not replaced, on both sides
    cModel empty;
    empty.CalcExtraData();
    EXPECT_EQ(empty.GetWidth(), 0.0f);
    EXPECT_TRUE(empty.GetTriangleList().empty());
}

TEST_F(LoaderTest, StaticAndDrawPreconditionsThrowTheirCodes)
{
    WriteFile("a.obj", "v 0 0 0\n");
    cModel model;
    const std::string notStatic = "2: Attempted to make a model static which has more than one frames (or 0)";
    const std::string noFrame = "1: Specified frame number to draw does not exist";
    EXPECT_EQ(ModelError([&] { model.MakeStatic(); }), notStatic);
    EXPECT_EQ(ModelError([&] { model.Animate(0, 0, 0, 0, 0); }), noFrame);
    model.AddFrame("a.obj");
    model.AddFrame("a.obj");
    EXPECT_EQ(ModelError([&] { model.MakeStatic(); }), notStatic);
    EXPECT_FALSE(model.IsStatic());
    EXPECT_EQ(ModelError([&] { model.Animate(2, 0, 0, 0, 0); }), noFrame);
    EXPECT_EQ(model.BlendFrames(2, 0.5f), 0u);
}
