#pragma once
#include <string>

// The loaders under test read files by name and some write files of their own into the working
// directory, while libFuzzer reads and writes corpus and crash files by the names it was given,
// relative to where the user started it. So the fuzzers never change directory for long: their
// files live in a scratch directory named by full path (in /dev/shm where it exists), and crash files are pinned to the start
// directory even when a crash comes while a loader runs inside the scratch directory.
class cFuzzScratch
{
public:
    // From LLVMFuzzerInitialize, which runs before libFuzzer reads its flags: adds
    // "-artifact_prefix=<start directory>/" unless the user gave one, and makes the directory.
    static void Init(int* argc, char*** argv, const char* name);
    static std::string Path(const char* fileName);   // inside the scratch directory
    static void Write(const char* fileName, const unsigned char* data, size_t size);
    static void Enter();   // into the scratch directory, for code that writes fixed names
    static void Leave();   // back to the start directory
};
