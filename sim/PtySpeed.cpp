// Kept apart from other code: <asm/termbits.h> (termios2) clashes with <termios.h>.
#include "PtySpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace quillon::sim {

int ReadTtySpeed(int fd)
{
    struct termios2 t = {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return 0;
    return int(t.c_ospeed);
}

} // namespace quillon::sim
