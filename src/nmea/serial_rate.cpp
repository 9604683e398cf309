// The kernel's arbitrary-rate interface (termios2 with BOTHER), in a file of
// its own: <asm/termbits.h> cannot share a translation unit with <termios.h>.

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace nmea {

// Sets input and output speed of an open terminal to `rate` bit/s; errno
// stays set on failure.
bool SetArbitraryRate(int fd, int rate) {
    struct termios2 t;
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = static_cast<speed_t>(rate);
    t.c_ospeed = static_cast<speed_t>(rate);
    if (ioctl(fd, TCSETS2, &t) != 0) return false;
    struct termios2 back;
    if (ioctl(fd, TCGETS2, &back) != 0) return false;
    if (back.c_ospeed != t.c_ospeed) {
        errno = EINVAL;
        return false;
    }
    return true;
}

}  // namespace nmea
