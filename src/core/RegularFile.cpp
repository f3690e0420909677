#include "core/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <SDL/SDL_error.h>
#include <SDL/SDL_image.h>
#include <SDL/SDL_rwops.h>

FilePtr OpenRegularFile(const char* path, long long maxBytes)
{
    if (!path) {
        errno = EINVAL;
        return nullptr;
    }
    // Non-blocking, so that opening a FIFO returns at once and fstat can tell what it is.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return nullptr;
    struct stat info;
    int refusal = 0;
    if (fstat(fd, &info) != 0)
        refusal = errno;
    else if (S_ISDIR(info.st_mode))
        refusal = EISDIR;
    else if (!S_ISREG(info.st_mode))
        refusal = EINVAL;
    else if (info.st_size > maxBytes)
        refusal = EFBIG;
    else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        refusal = errno;
    std::FILE* file = refusal ? nullptr : fdopen(fd, "rb");
    if (!file) {
        if (!refusal)
            refusal = errno;
        close(fd);
        errno = refusal;
    }
    return FilePtr(file);
}

SDL_RWops* OpenRegularFileRW(const char* path, long long maxBytes)
{
    FilePtr file = OpenRegularFile(path, maxBytes);
    if (!file) {
        const int refusal = errno;
        SDL_SetError("Couldn't open %s: %s", path ? path : "(null)", std::strerror(refusal));
        errno = refusal;
        return nullptr;
    }
    SDL_RWops* stream = SDL_RWFromFP(file.get(), 1);
    if (stream)
        file.release();
    return stream;
}

SDL_Surface* LoadImageFile(const char* path)
{
    SDL_RWops* stream = OpenRegularFileRW(path);
    return stream ? IMG_Load_RW(stream, 1) : nullptr;
}
