#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "core/RegularFile.h"
#include "graphics/cTextureManager.h"
#include "sound/SoundManager.h"
#include "support/EngineFixture.h"
#include "text/pf.h"

namespace {

namespace fs = std::filesystem;

using RegularFileTest = ScriptPackageTest;

// Names that open with fopen but are no file to load: a directory, a FIFO (opening it waits for a
// writer), a link to a device that never ends. The opener refuses them, and so does every loader,
// at once.
TEST_F(RegularFileTest, OnlyRegularFilesOfAtMostTheLimitOpenInEveryLoader)
{
    fs::create_directory(m_Dir / "folder.obj");
    ASSERT_EQ(mkfifo((m_Dir / "pipe.obj").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", m_Dir / "zero.obj");
    WriteFile("cube.obj", "v 0 0 0\n");
    struct sCase { const char* name; long long maxBytes; int error; };
    const sCase cases[] = {
        {"cube.obj", 8, 0},        {"cube.obj", 7, EFBIG},       {"folder.obj", 1 << 20, EISDIR},
        {"pipe.obj", 1 << 20, EINVAL}, {"zero.obj", 1 << 20, EINVAL}, {"missing.obj", 1 << 20, ENOENT},
    };
    for (const sCase& c : cases) {
        errno = 0;
        FilePtr file = OpenRegularFile(c.name, c.maxBytes);
        EXPECT_EQ(file != nullptr, c.error == 0) << c.name;
        EXPECT_EQ(file ? 0 : errno, c.error) << c.name;
    }

    StartEngine();
    ASSERT_EQ(Exec("import _model"), "");
    for (const char* name : {"folder.obj", "pipe.obj", "zero.obj"}) {
        const std::string quoted = std::string("'") + name + "'";
        EXPECT_EQ(Eval("_model.new_cModel(" + quoted + ")"),
                  std::string("RuntimeError: ME_LOAD_ERROR: Error Opening File: ") + name);
        EXPECT_EQ(Exec("m = _model.new_cModel()\n_model.cModel_LoadMTLFile(m, " + quoted + ")"),
                  "RuntimeError: Error Opening Material File");
        EXPECT_EQ(pfLoadFont(name), nullptr) << name;
        EXPECT_FALSE(g_Sound.CacheSound(name)) << name;
        g_Sound.PlayMusic(name);
        TEXTUREMANAGER.AddTexture(name);
        EXPECT_EQ(TEXTUREMANAGER.GetGLTextureID(name), 0u) << name;
    }
    EXPECT_EQ(Eval("_model.new_cModel('cube.obj\\x00junk')"), "ValueError: embedded null character");
}

} // namespace
