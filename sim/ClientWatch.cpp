#include "ClientWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

ClientWatch::ClientWatch(const std::string &devicePath)
{
    inotifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotifyFd >= 0 && inotify_add_watch(inotifyFd, devicePath.c_str(), IN_OPEN | IN_CLOSE) < 0) {
        ::close(inotifyFd);
        inotifyFd = -1;
    }
}

ClientWatch::~ClientWatch()
{
    if (inotifyFd >= 0)
        ::close(inotifyFd);
}

ClientWatch::Events ClientWatch::read()
{
    Events events;
    if (inotifyFd < 0)
        return events;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(inotifyFd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto *e = reinterpret_cast<const inotify_event *>(buffer + at);
            if ((e->mask & IN_OPEN) && ownOpens > 0)
                --ownOpens;
            else if (e->mask & IN_OPEN)
                ++events.opens;
            // Our holder is opened read-write: its close is a CLOSE_WRITE. Any
            // client close queued just before it may have merged with it, and
            // the check that caused it already covered that client.
            if ((e->mask & IN_CLOSE_WRITE) && ownCloses > 0)
                --ownCloses;
            else if (e->mask & (IN_CLOSE | IN_Q_OVERFLOW))
                ++events.closes;
            at += ssize_t(sizeof(inotify_event)) + e->len;
        }
    }
    return events;
}
