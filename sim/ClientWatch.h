#pragma once
// Notices when some process opens or closes the slave device, through
// inotify on the device node. An open means a client (re)connected; a close
// may mean it left, which PseudoTerminal::clientPresent() then settles. The
// simulator's own close and reopen of its holding descriptor during that check
// also shows up here, once each check; ignoreOwnCheck() skips it.

#include <string>

class ClientWatch {
public:
    explicit ClientWatch(const std::string &devicePath);
    ~ClientWatch();
    ClientWatch(const ClientWatch &) = delete;
    ClientWatch &operator=(const ClientWatch &) = delete;

    // -1 when inotify is not available; the simulator then works without it.
    int fd() const { return inotifyFd; }

    struct Events {
        int opens = 0;
        int closes = 0;
    };
    // Reads what has happened since the last call, without blocking.
    Events read();
    void ignoreOwnCheck()
    {
        ++ownOpens;
        ++ownCloses;
    }

private:
    int inotifyFd = -1;
    int ownOpens = 0;
    int ownCloses = 0;
};
