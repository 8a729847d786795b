// run_process_posix.cpp: running pelorin-convert with fork and exec, optionally as nobody.
#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include "run_process.h"

namespace pelorin {

namespace {
constexpr uid_t kNobody = 65534;
constexpr int kCouldNotStart = 127;
constexpr int kCouldNotDropRights = 126;
}  // namespace

ProcessResult RunConverterExe(const std::vector<Text>& arguments, const ScratchFolder& folder,
                              bool unprivileged) {
  std::vector<std::string> bytes{PELORIN_CONVERT_EXE};
  for (const Text& argument : arguments) bytes.push_back(TextToUtf8(argument));
  std::vector<char*> argv;
  for (std::string& argument : bytes) argv.push_back(argument.data());
  argv.push_back(nullptr);

  const std::string outputPath = (folder.root / "stdout.txt").string();
  const std::string errorPath = (folder.root / "stderr.txt").string();
  // Opened here, so that a child that runs as nobody can still write them.
  const int outputFd = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const int errorFd = ::open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const bool dropRights = unprivileged && ::geteuid() == 0;

  ProcessResult result;
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(outputFd, STDOUT_FILENO);
    ::dup2(errorFd, STDERR_FILENO);
    if (dropRights &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
      ::_exit(kCouldNotDropRights);
    ::execv(argv[0], argv.data());
    ::_exit(kCouldNotStart);
  }
  ::close(outputFd);
  ::close(errorFd);
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return result;
  result.exitCode = WEXITSTATUS(status);
  result.started = result.exitCode != kCouldNotStart && result.exitCode != kCouldNotDropRights;
  result.unprivileged = result.started && (dropRights || ::geteuid() != 0);
  if (!result.started) return result;
  result.output = ReadText(Utf8ToText(outputPath));
  result.error = ReadText(Utf8ToText(errorPath));
  return result;
}

}  // namespace pelorin
