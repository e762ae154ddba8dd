// Crashes and failures in the middle of a file write, for the tests of the writers that must
// keep the previous file: a child process whose regular-file writes stop at `limit` bytes
// (RLIMIT_FSIZE). By default the child is killed there by SIGXFSZ, as by a crash; with
// `killed` false the signal is ignored and write() fails with EFBIG instead.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "console/log.h"

namespace kt::test {

struct WriteOutcome {
  bool killed = false;    // died of SIGXFSZ part-way
  bool returned = false;  // ran to the end; then `result` is what `write` returned
  bool result = false;
};

inline WriteOutcome WriteInChildLimitedTo(rlim_t limit, const std::function<bool()>& write,
                                          bool killed = true) {
  const pid_t child = fork();
  if (child == 0) {
    OpenLogFile("/dev/null");  // the child's log lines must not be what hits the limit
    signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
    rlimit r{limit, limit};
    setrlimit(RLIMIT_FSIZE, &r);
    _exit(write() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  WriteOutcome out;
  out.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ;
  out.returned = WIFEXITED(status);
  out.result = out.returned && WEXITSTATUS(status) == 0;
  return out;
}

}  // namespace kt::test
