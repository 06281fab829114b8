#include "tests/support/subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace veltrano::test {
namespace {

void Pipe(int fds[2]) {
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
}

}  // namespace

ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& input,
                      const std::vector<std::string>& env) {
  int in[2], out[2], err[2];
  Pipe(in);
  Pipe(out);
  Pipe(err);
  // Everything the child needs is built before fork: a test process has threads, so the child
  // may only make async-signal-safe calls until it execs.
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<char*> child_env;
  for (const std::string& entry : env) child_env.push_back(const_cast<char*>(entry.c_str()));
  for (char** inherited = environ; *inherited != nullptr; ++inherited) {
    child_env.push_back(*inherited);  // after ours: the first of two equal names wins
  }
  child_env.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    execve(args[0], args.data(), child_env.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  signal(SIGPIPE, SIG_IGN);  // a program that stops reading early must not kill the test

  // Feed the input and drain both outputs together, so neither side blocks on a full pipe.
  ProgramRun run;
  std::size_t fed = 0;
  int to_child = in[1];
  if (input.empty()) {
    close(to_child);
    to_child = -1;
  }
  pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {to_child, POLLOUT, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    if (poll(fds, 3, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
      } else {
        sinks[i]->append(buffer, static_cast<std::size_t>(got));
      }
    }
    if (fds[2].fd >= 0 && fds[2].revents != 0) {
      const ssize_t sent = write(fds[2].fd, input.data() + fed, input.size() - fed);
      if (sent > 0) fed += static_cast<std::size_t>(sent);
      if (sent <= 0 || fed == input.size()) {
        close(fds[2].fd);
        fds[2].fd = -1;
      }
    }
  }
  if (fds[2].fd >= 0) close(fds[2].fd);
  int status = 0;
  waitpid(pid, &status, 0);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace veltrano::test
