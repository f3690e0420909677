#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL/SDL.h>
#include <tiny_obj_loader.h>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "graphics/cTextureManager.h"
#include "model/ReferenceDrawing.h"
#include "model/ReferenceObjLoader.h"
#include "model/cModel.h"

namespace fs = std::filesystem;

namespace {

// Inputs, generated from fixed seeds before anything is measured.
struct sInputs
{
    fs::path dir;
    std::string room;                    // one large room: v, vt, vn and f a/b/c
    std::vector<std::string> keyframes;  // twenty character keyframes
    // The same twenty as the engine reads them: the first whole, the others without their face
    // lines, which the engine skips after the first frame (a frame only adds positions).
    std::vector<std::string> keyframesAsRead;
    std::string characterMtl;
    std::vector<std::string> characterObjs, characterTextures;   // the five characters' idle frames
    size_t roomBytes = 0, keyframeBytes = 0;
};
sInputs g_Inputs;

void Append(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string& text, const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    text.append(line, size_t(length));
}

// A grid of columns x rows vertices, wavy, with two triangles per cell; `phase` moves the
// vertices of a keyframe while the faces stay. Closed: the grid wrapped round a body, as a
// character is, so that the faces turned away from the camera are culled.
std::string GridObj(int columns, int rows, float phase, unsigned seed, int materials, bool closed = false)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> jitter(-0.01f, 0.01f);
    std::string text;
    text.reserve(size_t(columns) * rows * 230);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            float x = float(c) * 0.25f - float(columns) * 0.125f;
            float z = float(r) * 0.25f - float(rows) * 0.125f;
            float y = std::sin(x * 0.7f + phase) * std::cos(z * 0.5f) + jitter(random);
            if (closed) {
                const float around = 6.2831853f * float(c) / float(columns - 1);
                const float along = 3.1415927f * float(r) / float(rows - 1);
                const float radius = 2.0f + 0.2f * std::sin(around * 3.0f + phase) + jitter(random);
                x = radius * std::sin(along) * std::cos(around);
                y = 3.0f * std::cos(along);
                z = -radius * std::sin(along) * std::sin(around);
            }
            Append(text, "v %.6f %.6f %.6f\n", x, y, z);
        }
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            Append(text, "vt %.6f %.6f\n", float(c) / float(columns), float(r) / float(rows));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const float nx = jitter(random) * 30.0f, nz = jitter(random) * 30.0f;
            const float length = std::sqrt(nx * nx + 1.0f + nz * nz);
            Append(text, "vn %.6f %.6f %.6f\n", nx / length, 1.0f / length, nz / length);
        }
    for (int r = 0; r + 1 < rows; ++r) {
        if (materials > 1 && r % (rows / materials + 1) == 0)
            Append(text, "usemtl mat%d\n", r / (rows / materials + 1));
        else if (r == 0)
            text += "usemtl mat0\n";
        for (int c = 0; c + 1 < columns; ++c) {
            const int a = r * columns + c + 1, b = a + 1, d = a + columns, e = d + 1;
            Append(text, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b, b, e, e, e);
            Append(text, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, e, e, e, d, d, d);
        }
    }
    return text;
}

void WriteText(const fs::path& path, const std::string& text)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

void GenerateInputs()
{
    char pattern[] = "/tmp/bench-model-XXXXXX";
    g_Inputs.dir = mkdtemp(pattern);
    std::string room = GridObj(540, 540, 0.0f, 1, 4);
    g_Inputs.room = (g_Inputs.dir / "room.obj").string();
    WriteText(g_Inputs.room, room);
    g_Inputs.roomBytes = room.size();
    for (int f = 0; f < 20; ++f) {
        const std::string text = GridObj(45, 42, float(f) * 0.3f, 100 + unsigned(f), 3, true);
        g_Inputs.keyframes.push_back((g_Inputs.dir / ("walk_" + std::to_string(f) + ".obj")).string());
        WriteText(g_Inputs.keyframes.back(), text);
        g_Inputs.keyframeBytes += text.size();
        std::string withoutFaces;
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find('\n', start);
            end = end == std::string::npos ? text.size() : end + 1;
            if (f == 0 || text.compare(start, 2, "f ") != 0)
                withoutFaces.append(text, start, end - start);
            start = end;
        }
        g_Inputs.keyframesAsRead.push_back((g_Inputs.dir / ("walk_" + std::to_string(f) + "_as_read.obj")).string());
        WriteText(g_Inputs.keyframesAsRead.back(), withoutFaces);
    }
    std::string mtl;
    for (int m = 0; m < 4; ++m)
        Append(mtl, "newmtl mat%d\nNs 10\nKa 0.2 0.2 0.2\nKd 0.%d 0.5 0.5\nKs 0.1 0.1 0.1\n", m, m + 2);
    g_Inputs.characterMtl = (g_Inputs.dir / "character.mtl").string();
    WriteText(g_Inputs.characterMtl, mtl);
    std::vector<unsigned char> pixels(256 * 256 * 4);
    for (int c = 0; c < 5; ++c) {
        g_Inputs.characterObjs.push_back((g_Inputs.dir / ("character" + std::to_string(c) + "_idle_0.obj")).string());
        WriteText(g_Inputs.characterObjs.back(), GridObj(45, 42, float(c), 200 + unsigned(c), 3, true));
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = (i % 4 == 3) ? 255 : static_cast<unsigned char>((i * 7 + size_t(c) * 31) & 0xff);
        g_Inputs.characterTextures.push_back((g_Inputs.dir / ("character" + std::to_string(c) + ".png")).string());
        stbi_write_png(g_Inputs.characterTextures.back().c_str(), 256, 256, 4, pixels.data(), 256 * 4);
    }
}

// Loaders, each doing the whole job of turning the files into a model.

size_t EngineLoad(const std::vector<std::string>& files)
{
    cModel model;
    for (const std::string& file : files)
        model.AddFrame(file.c_str());
    return model.GetVertices().size();
}

size_t TinyLoad(const std::vector<std::string>& files)
{
    size_t vertices = 0;
    for (const std::string& file : files) {
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warn, err;
        tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, file.c_str(), nullptr, true);
        vertices += attrib.vertices.size() / 3;
    }
    return vertices;
}

size_t AssimpLoad(const std::vector<std::string>& files)
{
    size_t faces = 0;
    for (const std::string& file : files) {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(file, 0);
        for (unsigned m = 0; scene && m < scene->mNumMeshes; ++m)
            faces += scene->mMeshes[m]->mNumFaces;
    }
    return faces;
}

size_t ReferenceLoad(const std::vector<std::string>& files)
{
    cReferenceModel model;
    std::string message;
    for (const std::string& file : files)
        model.AddFrame(file.c_str(), message);
    return model.m_Vertices.size();
}

// Every loader reads the same model from the inputs: the engine's bit for bit as the reference,
// tinyobjloader's positions to the last bit of a float, assimp's triangle count.
bool CheckLoadersAgree(const std::vector<std::string>& files, const char* what)
{
    cModel model;
    cReferenceModel reference;
    std::string message;
    size_t faces = 0;
    for (const std::string& file : files) {
        model.AddFrame(file.c_str());
        if (!reference.AddFrame(file.c_str(), message)) {
            std::fprintf(stderr, "%s: reference refused %s\n", what, message.c_str());
            return false;
        }
    }
    for (const Group& group : model.GetGroups())
        faces += group.TriArray.size();
    const std::string difference = CompareWithReference(model, reference);
    if (!difference.empty()) {
        std::fprintf(stderr, "%s: engine and reference differ: %s\n", what, difference.c_str());
        return false;
    }
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warn, err;
    tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, files[0].c_str(), nullptr, true);
    const size_t perFrame = model.GetVertices().size() / model.FrameCount();
    size_t tinyFaces = 0, mismatches = 0;
    for (const auto& shape : shapes)
        tinyFaces += shape.mesh.num_face_vertices.size();
    for (size_t i = 0; i < perFrame && i * 3 + 2 < attrib.vertices.size(); ++i)
        for (int c = 0; c < 3; ++c)
            mismatches += std::fabs(attrib.vertices[i * 3 + size_t(c)] - model.GetVertices()[i][c]) > 1e-6f;
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(files[0], 0);
    size_t assimpFaces = 0;
    for (unsigned m = 0; scene && m < scene->mNumMeshes; ++m)
        assimpFaces += scene->mMeshes[m]->mNumFaces;
    std::fprintf(stderr, "%s: %zu vertices per frame, %zu triangles; tinyobjloader %zu vertices, %zu triangles, %zu differing; assimp %zu triangles\n",
                 what, perFrame, faces, attrib.vertices.size() / 3, tinyFaces, mismatches, assimpFaces);
    return attrib.vertices.size() / 3 == perFrame && tinyFaces == faces && mismatches == 0 &&
           assimpFaces == faces;
}


struct sDrawing
{
    cModel model;
    size_t corners = 0;
};
sDrawing* g_pDrawing = nullptr;

// The game's own 3D state: perspective, depth test, back faces culled, blending, one light.
void SetUpScene()
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 800.0 / 600.0, 0.1, 500.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 6, 20, 0, 0, -10, 0, 1, 0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);   // drawn again and again in one place, it is shaded every time
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat ambient[4] = {0.4f, 0.4f, 0.4f, 1.0f};
    const GLfloat direction[4] = {-5.0f, 7.0f, 10.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_SPECULAR, ambient);
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
}

std::vector<unsigned char> DrawnPixels(cModel& model, bool engine)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (engine)
        model.Animate(0, 0.37f, 0, 0, 0, 1, 1, 1, 30, 0, 1, 0, 1);
    else
        AnimateImmediate(model, 0, 0.37f, 0, 0, 0, 1, 1, 1, 30, 0, 1, 0, 1);
    std::vector<unsigned char> pixels(800 * 600 * 3);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// A frame of a scene with eight characters walking about the room: the time until OpenGL has
// finished drawing them, the engine's shared-vertex arrays beside the immediate-mode reference
// of the tests (every corner blended on its own).
void BM_Animate(benchmark::State& state, bool engine)
{
    cModel& model = g_pDrawing->model;
    const int characters = 8;
    for (auto _ : state) {
        for (int c = 0; c < characters; ++c) {
            const float x = float(c % 4) * 6.0f - 9.0f, z = float(c / 4) * -8.0f - 10.0f, angle = 30.0f * float(c);
            if (engine)
                model.Animate(0, 0.37f, x, 0, z, 1, 1, 1, angle, 0, 1, 0, 1);
            else
                AnimateImmediate(model, 0, 0.37f, x, 0, z, 1, 1, 1, angle, 0, 1, 0, 1);
        }
        glFinish();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * characters * int64_t(g_pDrawing->corners));
}

// The blend alone, without OpenGL: once per corner as the reference blends, once per shared
// vertex as the engine does.
void BM_BlendPerCorner(benchmark::State& state)
{
    const cModel& model = g_pDrawing->model;
    const auto& vertices = model.GetVertices();
    const auto& normals = model.GetNormals();
    const unsigned offsetB = unsigned(vertices.size() / model.FrameCount());
    const unsigned normalB = unsigned(normals.size() / model.FrameCount());
    for (auto _ : state) {
        Point3D position, normal;
        for (const Group& group : model.GetGroups())
            for (const TriFace& face : group.TriArray)
                for (int k = 0; k < 3; ++k) {
                    cModel::NormalInterpolate(normals[face.normIndex[k]], normals[face.normIndex[k] + normalB], 0.37f, normal);
                    cModel::Interpolate(vertices[face.vertIndex[k]], vertices[face.vertIndex[k] + offsetB], 0.37f, position);
                    benchmark::DoNotOptimize(normal);
                    benchmark::DoNotOptimize(position);
                }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(g_pDrawing->corners));
}

void BM_BlendPerVertex(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(g_pDrawing->model.BlendFrames(0, 0.37f));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(g_pDrawing->corners));
}

// The select screen's five characters: materials, idle frame, texturing, static, texture.
void BM_LoadFiveCharacters(benchmark::State& state)
{
    for (auto _ : state) {
        cModel characters[5];
        for (int c = 0; c < 5; ++c) {
            characters[c].LoadMTLFile(g_Inputs.characterMtl.c_str());
            characters[c].AddFrame(g_Inputs.characterObjs[size_t(c)].c_str());
            characters[c].EnableTexturing();
            characters[c].MakeStatic();
            characters[c].SetTexture(g_Inputs.characterTextures[size_t(c)].c_str());
        }
        benchmark::DoNotOptimize(characters);
        state.PauseTiming();
        for (int c = 0; c < 5; ++c)   // the next round loads the images again
            TEXTUREMANAGER.RemoveTexture(g_Inputs.characterTextures[size_t(c)].c_str());
        state.ResumeTiming();
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    GenerateInputs();
    std::fprintf(stderr, "room %.1f MB, keyframes %.2f MB in 20 files\n", double(g_Inputs.roomBytes) / 1e6,
                 double(g_Inputs.keyframeBytes) / 1e6);
    const std::vector<std::string> room{g_Inputs.room};
    if (!CheckLoadersAgree(room, "room") || !CheckLoadersAgree(g_Inputs.keyframes, "keyframes"))
        return 1;

    if (SDL_Init(SDL_INIT_VIDEO) != 0 || !SDL_SetVideoMode(800, 600, 0, SDL_OPENGL)) {
        std::fprintf(stderr, "no OpenGL window: %s\n", SDL_GetError());
        return 1;
    }
    SetUpScene();
    sDrawing drawing;
    drawing.model.AddFrame(g_Inputs.keyframes[0].c_str());
    drawing.model.AddFrame(g_Inputs.keyframes[1].c_str());
    for (const Group& group : drawing.model.GetGroups())
        drawing.corners += group.TriArray.size() * 3;
    g_pDrawing = &drawing;
    if (DrawnPixels(drawing.model, false) != DrawnPixels(drawing.model, true)) {
        std::fprintf(stderr, "the engine and the immediate-mode reference give different pixels\n");
        return 1;
    }
    std::fprintf(stderr, "animated model: %zu corners; the engine and the reference give the same pixels\n", drawing.corners);
    {
        cModel character;
        character.SetTexture(g_Inputs.characterTextures[0].c_str());
        if (character.GetTextureID() == 0) {
            std::fprintf(stderr, "the texture registry loads no character texture\n");
            return 1;
        }
        TEXTUREMANAGER.RemoveTexture(g_Inputs.characterTextures[0].c_str());
    }

    using Loader = size_t (*)(const std::vector<std::string>&);
    const std::pair<const char*, Loader> loaders[] = {{"engine", EngineLoad},
                                                      {"tinyobjloader", TinyLoad},
                                                      {"assimp", AssimpLoad},
                                                      {"reference", ReferenceLoad}};
    static const std::vector<std::string> roomFiles = room;
    for (const auto& [name, load] : loaders) {
        benchmark::RegisterBenchmark((std::string("BM_ObjParse/room/") + name).c_str(),
                                     [load = load](benchmark::State& state) {
                                         for (auto _ : state)
                                             benchmark::DoNotOptimize(load(roomFiles));
                                         state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(g_Inputs.roomBytes));
                                     })->Unit(benchmark::kMillisecond);
        // Every loader given the twenty whole files: the engine skips the face lines of the
        // later nineteen, the peers parse them, so this is not equal work.
        benchmark::RegisterBenchmark((std::string("BM_ObjParse/keyframes_whole_files/") + name).c_str(),
                                     [load = load](benchmark::State& state) {
                                         for (auto _ : state)
                                             benchmark::DoNotOptimize(load(g_Inputs.keyframes));
                                         state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(g_Inputs.keyframeBytes));
                                     })->Unit(benchmark::kMillisecond);
        // Equal work: the engine reads the whole files as before, the peers the first whole and
        // the other nineteen without face lines, so every loader parses the same lines.
        bool engine = std::string(name) == "engine" || std::string(name) == "reference";
        benchmark::RegisterBenchmark((std::string("BM_ObjParse/keyframes_equal_work/") + name).c_str(),
                                     [load = load, engine](benchmark::State& state) {
                                         const auto& files = engine ? g_Inputs.keyframes : g_Inputs.keyframesAsRead;
                                         for (auto _ : state)
                                             benchmark::DoNotOptimize(load(files));
                                         state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(g_Inputs.keyframeBytes));
                                     })->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("BM_Animate/immediate_reference", BM_Animate, false)->Unit(benchmark::kMicrosecond)->UseRealTime();
    benchmark::RegisterBenchmark("BM_Animate/engine", BM_Animate, true)->Unit(benchmark::kMicrosecond)->UseRealTime();
    benchmark::RegisterBenchmark("BM_Blend/per_corner", BM_BlendPerCorner)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_Blend/per_vertex", BM_BlendPerVertex)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_LoadFiveCharacters", BM_LoadFiveCharacters)->Unit(benchmark::kMillisecond);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_pDrawing = nullptr;
    SDL_Quit();
    std::error_code ignored;
    fs::remove_all(g_Inputs.dir, ignored);
    return 0;
}
