#include "ffmpeg_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

extern char** environ;

namespace {

// The last line ffmpeg wrote that says anything: its own account of what went wrong.
std::string LastLoggedLine(const std::string& log_path) {
  std::ifstream log(log_path);
  std::string line, last;
  while (std::getline(log, line)) {
    if (line.find_first_not_of(" \t\r") != std::string::npos) last = line;
  }
  return last;
}

}  // namespace

FfmpegPipe::~FfmpegPipe() {
  if (input_ >= 0) close(input_);
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
}

bool FfmpegPipe::Start(const std::vector<std::string>& arguments, const std::string& log_path, std::string* why) {
  // A write to an encoder that has died must come back as an error, not end this process.
  signal(SIGPIPE, SIG_IGN);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    *why = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("ffmpeg"));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const int spawned = posix_spawnp(&pid_, "ffmpeg", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[0]);
  if (spawned != 0) {
    pid_ = -1;
    close(fds[1]);
    *why = spawned == ENOENT ? "ffmpeg is not installed (no ffmpeg on PATH; Debian package ffmpeg)"
                             : std::string("cannot start ffmpeg: ") + std::strerror(spawned);
    return false;
  }
  input_ = fds[1];
  log_path_ = log_path;
  // A pipe as large as the system allows lets a whole frame wait while ffmpeg encodes.
  fcntl(input_, F_SETPIPE_SZ, 1 << 20);
  return true;
}

bool FfmpegPipe::Write(const unsigned char* data, std::size_t bytes) {
  while (bytes > 0 && input_ >= 0) {
    const ssize_t written = write(input_, data, bytes);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    bytes -= std::size_t(written);
  }
  return input_ >= 0;
}

bool FfmpegPipe::Finish(std::string* why) {
  if (input_ >= 0) close(input_);
  input_ = -1;
  if (pid_ <= 0) {
    *why = "ffmpeg is not running";
    return false;
  }
  int status = 0;
  pid_t waited;
  while ((waited = waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  if (waited > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  const std::string ending = waited <= 0          ? "was lost"
                             : WIFEXITED(status) ? "failed with exit code " + std::to_string(WEXITSTATUS(status))
                                                 : "was killed by signal " + std::to_string(WTERMSIG(status));
  const std::string said = LastLoggedLine(log_path_);
  *why = "ffmpeg " + ending + (said.empty() ? "" : ": " + said);
  return false;
}
