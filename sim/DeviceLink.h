#pragma once
// The --link path: a symbolic link to the slave device under a stable name,
// removed again when the simulator ends (if it still points to our device).

#include <string>

class DeviceLink {
public:
    DeviceLink() = default;
    ~DeviceLink();
    DeviceLink(const DeviceLink &) = delete;
    DeviceLink &operator=(const DeviceLink &) = delete;

    // Replaces an old symbolic link at linkPath (left over from a run that was
    // killed), but never any other kind of file. Throws std::runtime_error.
    void create(const std::string &linkPath, const std::string &target);
    void remove();

private:
    std::string link;
    std::string target;
};
