#pragma once
// Child processes in tests: code run as the unprivileged user, and the
// companion tool run from the shell.
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

namespace km::test {

// Runs `body` in a child process, as the unprivileged user when `asNobody`
// (root writes wherever it likes), and hands back what it returned;
// "child failed" when the child could not run it.
inline std::string inChild(const std::function<std::string()>& body, bool asNobody) {
  int fds[2];
  if (::pipe(fds) != 0) return "pipe failed";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    if (asNobody && ::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
      ::_exit(3);
    const std::string out = body();
    const bool written = ::write(fds[1], out.data(), out.size()) == static_cast<ssize_t>(out.size());
    ::_exit(written || out.empty() ? 0 : 4);
  }
  ::close(fds[1]);
  std::string in;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) > 0) in.append(buf, static_cast<size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? in : "child failed";
}

struct ToolRun {
  int status;
  std::string out;  // standard output and standard error together
};

// Runs kazumaki-tool (KM_TOOL) with `args` through the shell, after the
// shell commands `before` (such as a ulimit); `after` the redirections.
inline ToolRun runTool(const std::string& args, const std::string& before = {}, const std::string& after = " 2>&1") {
  const std::string cmd = before + std::string(KM_TOOL) + " " + args + after;
  ToolRun r{0, {}};
  FILE* p = popen(cmd.c_str(), "r");
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  r.status = pclose(p);
  return r;
}

}  // namespace km::test
