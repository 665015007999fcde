// Preloaded into the program under test: the copy that saves a recording (its hidden ".part" file)
// takes three seconds longer to reach the disk, as on a slow or busy one, so that a test can act
// while a save is under way.
#include <cstdio>
#include <cstring>

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

namespace {

bool isPartialCopy(int fd)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char path[PATH_MAX];
    const ssize_t length = ::readlink(link, path, sizeof path - 1);
    if (length <= 0) {
        return false;
    }
    path[length] = '\0';
    const size_t size = static_cast<size_t>(length);
    return size > 5 && std::strcmp(path + size - 5, ".part") == 0;
}

} // namespace

extern "C" int fsync(int fd)
{
    using Fsync = int (*)(int);
    static const auto next = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
    if (isPartialCopy(fd)) {
        ::sleep(3);
    }
    return next(fd);
}
