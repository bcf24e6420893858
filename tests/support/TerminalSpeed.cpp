// Kept apart from <termios.h>: the kernel's termios2, which carries custom speeds, clashes with it.
#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace quillon::test {

int TerminalSpeed(int fd)
{
    struct termios2 attributes {};
    if (ioctl(fd, TCGETS2, &attributes) != 0)
        return 0;
    return int(attributes.c_ospeed);
}

} // namespace quillon::test
