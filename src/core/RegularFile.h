#pragma once
#include <cstdio>
#include <memory>

struct SDL_RWops;
struct SDL_Surface;

// Everything the engine loads by name is opened here. Only regular files are read: a directory
// opens fine with fopen and then reports an absurd size, a FIFO blocks until a writer comes, and a
// device such as /dev/zero never ends. Such names are refused at once, as a missing file would be.

// Far above any real asset; a loader never allocates for more than this.
constexpr long long MAX_ASSET_BYTES = 1LL << 30;

struct sFileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, sFileCloser>;

// Opens for reading; null with errno set when the name is not a readable regular file of at most
// maxBytes: EISDIR for a directory, EINVAL for any other kind of file, EFBIG when it is too large.
FilePtr OpenRegularFile(const char* path, long long maxBytes = MAX_ASSET_BYTES);

// The same as an SDL stream that closes the file with itself, for SDL_image and SDL_mixer.
// On a refusal SDL's error says why, for loaders that report SDL_GetError.
SDL_RWops* OpenRegularFileRW(const char* path, long long maxBytes = MAX_ASSET_BYTES);

// IMG_Load for regular files only; null with SDL's error set otherwise.
SDL_Surface* LoadImageFile(const char* path);
