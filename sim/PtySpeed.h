#pragma once
// The line speed a program set on a pseudo-terminal, read from its master side (on Linux the
// master's termios calls reach the slave's settings).

namespace quillon::sim {

/// The output speed in bits per second, including speeds set as arbitrary values (BOTHER),
/// or 0 when the descriptor's settings cannot be read.
int ReadTtySpeed(int fd);

} // namespace quillon::sim
