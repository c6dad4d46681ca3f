#include "pty_pair.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace velmora::testing {

PtyPair::PtyPair() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
    std::perror("posix_openpt");
    std::abort();
  }
  slave_path_ = ptsname(master_);
}

PtyPair::~PtyPair() { CloseMaster(); }

void PtyPair::CloseMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

}  // namespace velmora::testing
