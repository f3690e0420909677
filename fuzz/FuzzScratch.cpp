#include "FuzzScratch.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The one fuzzer run's state; a fuzzer process runs one target. The arguments handed to libFuzzer
// are plain pointers, never freed: libFuzzer keeps using them until the process ends, after the
// destructors of globals have run.
std::string s_Directory;
int s_StartDirectory = -1;
char** s_pArguments = nullptr;

} // namespace

void cFuzzScratch::Init(int* argc, char*** argv, const char* name)
{
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd))
        std::abort();
    s_StartDirectory = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // In memory where there is such a file system: on a disk, writing the loaders' files for
    // every input makes the file system, not the loaders, set the pace.
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/";
    std::string pattern = std::string(base) + name + "-XXXXXX";
    if (s_StartDirectory < 0 || !mkdtemp(pattern.data()))
        std::abort();
    s_Directory = pattern;

    bool hasPrefix = false;
    for (int i = 0; i < *argc; ++i)
        hasPrefix |= std::strncmp((*argv)[i], "-artifact_prefix=", 17) == 0;
    if (hasPrefix)
        return;
    s_pArguments = new char*[size_t(*argc) + 2];
    std::copy(*argv, *argv + *argc, s_pArguments);
    s_pArguments[*argc] = strdup((std::string("-artifact_prefix=") + cwd + "/").c_str());
    s_pArguments[*argc + 1] = nullptr;
    *argv = s_pArguments;
    ++*argc;
}

std::string cFuzzScratch::Path(const char* fileName)
{
    return s_Directory + "/" + fileName;
}

void cFuzzScratch::Write(const char* fileName, const unsigned char* data, size_t size)
{
    std::FILE* file = std::fopen(Path(fileName).c_str(), "wb");
    if (!file)
        std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);
}

void cFuzzScratch::Enter()
{
    if (chdir(s_Directory.c_str()) != 0)
        std::abort();
}

void cFuzzScratch::Leave()
{
    if (fchdir(s_StartDirectory) != 0)
        std::abort();
}
