#include "tools/render/OutputFile.h"

#include "tools/render/Options.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace morvane3::render
{
namespace
{
// The temporary file being written, for the signal handlers: a fixed buffer,
// because a handler may read it at any moment.
char pendingPath[4096];
volatile std::sig_atomic_t pending = 0;

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

void checkOutputPath(const std::string& input, const std::string& output)
{
    struct stat out {};
    if (::stat(output.c_str(), &out) == 0)
    {
        if (S_ISDIR(out.st_mode))
            throw UsageError("the output '" + output + "' is a folder; give a file name");
        struct stat in {};
        if (! input.empty() && ::stat(input.c_str(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino)
            throw UsageError("the output '" + output + "' is the input file '" + input
                             + "'; refusing to overwrite it (choose another output name)");
        return;
    }
    const std::string folder = folderOf(output);
    struct stat parent {};
    if (::stat(folder.c_str(), &parent) != 0 || ! S_ISDIR(parent.st_mode))
        throw UsageError("cannot write '" + output + "': folder '" + folder + "' does not exist");
}

void writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    const std::string folder = folderOf(path);
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temporary = folder + "/." + name + ".XXXXXX";
    if (temporary.size() >= sizeof(pendingPath))
        throw std::runtime_error("the output path '" + path + "' is too long");

    // The new file gets the mode the old one had, else what creating it would give.
    mode_t mode = 0;
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0)
        mode = existing.st_mode & 07777;
    else
    {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        throw std::runtime_error("cannot write into the folder '" + folder + "': " + std::strerror(errno));
    std::memcpy(pendingPath, temporary.c_str(), temporary.size() + 1);
    pending = 1;

    const auto fail = [&](const std::string& what) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        pending = 0;
        throw std::runtime_error(what + " '" + path + "': " + std::strerror(error));
    };
    std::size_t written = 0;
    while (written < bytes.size())
    {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail("cannot write");
        written += static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)
        fail("cannot write");
    if (::close(fd) != 0)
    {
        ::unlink(temporary.c_str());
        pending = 0;
        throw std::runtime_error("cannot write '" + path + "': " + std::strerror(errno));
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0)
    {
        const int error = errno;
        ::unlink(temporary.c_str());
        pending = 0;
        throw std::runtime_error("cannot write '" + path + "': " + std::strerror(error));
    }
    pending = 0;
}

void removePendingOutput() noexcept
{
    if (pending)
        ::unlink(pendingPath);
}

} // namespace morvane3::render
