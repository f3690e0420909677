// Feeds arbitrary bytes to the OBJ and MTL loaders as a material file and two frames, and checks
// that the fast loader builds exactly the model that the plain reference loader builds, refuses
// exactly what it refuses, and that everything a loaded model offers reads only what it has.
//
// Input: two bytes giving the lengths (0-255, taken modulo what is left) of the material file
// and of the first frame; the rest is the second frame.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzScratch.h"
#include "model/ReferenceObjLoader.h"
#include "model/cModel.h"

namespace {

std::string ModelError(cModel& model, const char* name)
{
    try {
        model.AddFrame(name);
    } catch (const cModelException& e) {
        return e.what();
    }
    return "";
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    cFuzzScratch::Init(argc, argv, "fuzz-model");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    size_t rest = size - 2;
    const size_t mtlSize = rest ? data[0] % (rest + 1) : 0;
    rest -= mtlSize;
    const size_t firstSize = rest ? data[1] % (rest + 1) : 0;
    const uint8_t* mtl = data + 2;
    const uint8_t* first = mtl + mtlSize;
    const uint8_t* second = first + firstSize;
    cFuzzScratch::Write("m.mtl", mtl, mtlSize);
    cFuzzScratch::Write("a.obj", first, firstSize);
    cFuzzScratch::Write("b.obj", second, size_t(data + size - second));
    const std::string mtlPath = cFuzzScratch::Path("m.mtl");
    const std::string framePaths[] = {cFuzzScratch::Path("a.obj"), cFuzzScratch::Path("b.obj")};

    cModel model;
    cReferenceModel reference;
    std::string referenceError, error;
    const bool referenceMtl = reference.LoadMTLFile(mtlPath.c_str(), referenceError);
    try {
        model.LoadMTLFile(mtlPath.c_str());
    } catch (const std::string& message) {
        error = message;
    }
    if (error != (referenceMtl ? "" : referenceError)) {
        std::fprintf(stderr, "MTL: engine '%s', reference '%s'\n", error.c_str(), referenceError.c_str());
        std::abort();
    }
    for (const std::string& path : {framePaths[0], framePaths[1], framePaths[0]}) {
        const char* frame = path.c_str();
        referenceError.clear();
        const bool referenceLoaded = reference.AddFrame(frame, referenceError);
        error = ModelError(model, frame);
        if (error != (referenceLoaded ? "" : referenceError)) {
            std::fprintf(stderr, "%s: engine '%s', reference '%s'\n", frame, error.c_str(), referenceError.c_str());
            std::abort();
        }
    }
    const std::string difference = CompareWithReference(model, reference);
    if (!difference.empty()) {
        std::fprintf(stderr, "models differ: %s\n", difference.c_str());
        std::abort();
    }

    // What drawing and collision read, without OpenGL.
    for (unsigned int frame = 0; frame < model.FrameCount(); ++frame)
        model.BlendFrames(frame, 0.5f);
    model.CalcExtraData();
    std::vector<CollisionTriangle> triangles;
    model.GetTriangles(triangles);
    if (model.FrameCount() == 1)
        model.MakeStatic();
    // These two write files of fixed names into the working directory.
    cFuzzScratch::Enter();
    model.WriteOBJFile();
    model.DisplayData();
    cFuzzScratch::Leave();
    return 0;
}
