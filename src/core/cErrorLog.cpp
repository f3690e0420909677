#include "core/cErrorLog.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "core/RegularFile.h"

namespace {

std::string StateDirectory()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/')
        return std::string(state) + "/brackwater";
    const char* home = std::getenv("HOME");
    if (home && *home)
        return std::string(home) + "/.local/state/brackwater";
    return "";
}

// mkdir -p; the directories that exist already are fine.
void MakeDirectories(const std::string& path)
{
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        mkdir(path.substr(0, slash).c_str(), 0755);
        if (slash == std::string::npos)
            break;
    }
}

int OpenForAppending(const std::string& path)
{
    // O_NOFOLLOW and the check below keep a planted link or FIFO from taking the writes.
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    struct stat info;
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        return -1;
    }
    return fd;
}

bool WriteAll(int fd, const std::string& text)
{
    for (size_t done = 0; done < text.size();) {
        const ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += size_t(written);
    }
    return true;
}

// Keeps the newer half of a full log, from the start of a line, so the file stays small and
// what it ends with is what went wrong last.
void DropOlderHalf(const std::string& path)
{
    FilePtr file = OpenRegularFile(path.c_str(), 16 * cErrorLog::MAX_BYTES);
    if (!file)
        return;
    std::string content;
    char buffer[65536];
    while (size_t got = std::fread(buffer, 1, sizeof buffer, file.get()))
        content.append(buffer, got);
    file.reset();
    size_t keepFrom = content.size() > cErrorLog::MAX_BYTES / 2 ? content.size() - cErrorLog::MAX_BYTES / 2 : 0;
    const size_t lineStart = content.find('\n', keepFrom == 0 ? 0 : keepFrom - 1);
    keepFrom = keepFrom == 0 || lineStart == std::string::npos ? keepFrom : lineStart + 1;
    const std::string temporary = path + ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return;
    const bool written = WriteAll(fd, content.substr(keepFrom));
    close(fd);
    if (!written || rename(temporary.c_str(), path.c_str()) != 0)
        unlink(temporary.c_str());
}

} // namespace

void cErrorLog::Append(std::string_view text)
{
    if (text.empty())
        return;
    char stamp[64];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const size_t stampLength = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S %z  ", &local);

    std::string entry;
    for (char c : text) {
        if (m_AtLineStart)
            entry.append(stamp, stampLength);
        entry += c;
        m_AtLineStart = c == '\n';
    }

    // A megabyte-long error keeps its end, the part nearest to what went wrong.
    if (entry.size() > MAX_BYTES / 2)
        entry.erase(0, entry.size() - MAX_BYTES / 2);

    std::string path = FILE_NAME;
    int fd = OpenForAppending(path);
    if (fd < 0) {
        const std::string directory = StateDirectory();
        if (directory.empty())
            return;
        MakeDirectories(directory);
        path = directory + "/" + FILE_NAME;
        if ((fd = OpenForAppending(path)) < 0)
            return;
    }
    struct stat info;
    if (fstat(fd, &info) == 0 && size_t(info.st_size) + entry.size() > MAX_BYTES) {
        close(fd);
        DropOlderHalf(path);
        if ((fd = OpenForAppending(path)) < 0)
            return;
    }
    WriteAll(fd, entry);
    close(fd);
    m_LastPath = path;
}
