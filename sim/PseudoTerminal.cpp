#include "PseudoTerminal.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const char *what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

} // namespace

PseudoTerminal::~PseudoTerminal()
{
    close();
}

void PseudoTerminal::open()
{
    masterFd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (masterFd < 0)
        fail("posix_openpt");
    if (grantpt(masterFd) != 0 || unlockpt(masterFd) != 0)
        fail("grantpt/unlockpt");
    char name[128];
    if (ptsname_r(masterFd, name, sizeof name) != 0)
        fail("ptsname");
    path = name;

    // Settings made through the master apply to the slave: raw bytes both
    // ways, no echo, no line editing, no CR/LF translation.
    termios tio{};
    if (tcgetattr(masterFd, &tio) != 0)
        fail("tcgetattr");
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    if (tcsetattr(masterFd, TCSANOW, &tio) != 0)
        fail("tcsetattr");
    const int flags = fcntl(masterFd, F_GETFL);
    if (flags < 0 || fcntl(masterFd, F_SETFL, flags | O_NONBLOCK) != 0)
        fail("fcntl");
    openHolder();
}

void PseudoTerminal::openHolder()
{
    holderFd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (holderFd < 0)
        fail("open slave");
}

bool PseudoTerminal::clientPresent()
{
    if (masterFd < 0)
        return false;
    int exclusive = 0;
    if (holderFd >= 0) {
        ioctl(holderFd, TIOCGEXCL, &exclusive);
        // Our own reopen below must not be refused by the client's flag.
        ioctl(holderFd, TIOCNXCL);
        ::close(holderFd);
        holderFd = -1;
    }
    pollfd p{masterFd, POLLIN, 0};
    const bool hangUp = poll(&p, 1, 0) > 0 && (p.revents & POLLHUP);
    // Should the device refuse us now, the line goes on without a holder: a
    // client's close then shows as a hang-up of the master instead.
    holderFd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (holderFd >= 0 && !hangUp && exclusive)
        ioctl(holderFd, TIOCEXCL);
    return !hangUp;
}

void PseudoTerminal::clientGone()
{
    if (holderFd >= 0) {
        ioctl(holderFd, TIOCNXCL);
        tcflush(holderFd, TCIOFLUSH);
    }
    // Requests the client wrote but we have not read yet: nobody is left to
    // answer them.
    if (masterFd < 0)
        return;
    tcflush(masterFd, TCIFLUSH);
    char discard[4096];
    for (int i = 0; i < 256 && ::read(masterFd, discard, sizeof discard) > 0; ++i) {
    }
}

void PseudoTerminal::waitUntilRead(std::chrono::milliseconds limit)
{
    // Bytes written to the master reach the slave's input queue a moment
    // later, so an empty queue counts only after that moment; closing the
    // master hangs the slave up and discards what it has not read.
    const auto end = std::chrono::steady_clock::now() + limit;
    int unread = 0;
    do
        usleep(20000);
    while (holderFd >= 0 && ioctl(holderFd, TIOCINQ, &unread) == 0 && unread > 0 &&
           std::chrono::steady_clock::now() < end);
}

void PseudoTerminal::close()
{
    if (holderFd >= 0)
        ::close(holderFd);
    if (masterFd >= 0)
        ::close(masterFd);
    holderFd = masterFd = -1;
}
