#include "DeviceLink.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

DeviceLink::~DeviceLink()
{
    remove();
}

void DeviceLink::create(const std::string &linkPath, const std::string &device)
{
    struct stat st {};
    if (lstat(linkPath.c_str(), &st) == 0 && !S_ISLNK(st.st_mode))
        throw std::runtime_error(linkPath + " exists and is not a symbolic link");
    // Made under a temporary name and renamed over the old link, so the name
    // never points nowhere while a client might be looking.
    const std::string temporary = linkPath + ".tmp" + std::to_string(getpid());
    ::unlink(temporary.c_str());
    if (symlink(device.c_str(), temporary.c_str()) != 0 || rename(temporary.c_str(), linkPath.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        ::unlink(temporary.c_str());
        throw std::runtime_error("cannot make the link " + linkPath + ": " + reason);
    }
    link = linkPath;
    target = device;
}

void DeviceLink::remove()
{
    if (link.empty())
        return;
    char points[4096];
    const ssize_t n = readlink(link.c_str(), points, sizeof points - 1);
    // Another simulator may have taken the name over since; leave its link.
    if (n >= 0 && std::string(points, size_t(n)) == target)
        ::unlink(link.c_str());
    link.clear();
}
