#include "ffmpeg_pipe.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <signal.h>
#include <spawn.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fstream>
#include <thread>

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

// Waits for `pid` to end, for at most `deadline`. True with its status when it did.
bool WaitFor(pid_t pid, std::chrono::milliseconds deadline, int* status) {
  const auto until = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    const pid_t waited = waitpid(pid, status, WNOHANG);
    if (waited == pid) return true;
    if (waited < 0 && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// An encoder asked to stop gets this long to leave before it is killed.
constexpr std::chrono::seconds kGraceToStop{5};

}  // namespace

FfmpegPipe::~FfmpegPipe() {
  if (input_ >= 0) close(input_);
  if (pid_ > 0) Stop();
}

void FfmpegPipe::Stop() {
  int status = 0;
  kill(pid_, SIGTERM);
  if (!WaitFor(pid_, kGraceToStop, &status)) {
    kill(pid_, SIGKILL);
    // Killed, it ends at once; the wait only collects it.
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  pid_ = -1;
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
  // The encoder yields the processor to the drawing, which cannot wait: frames queue up for
  // it (FrameWriter) and it encodes them in the time the drawing leaves. Lowering a child's
  // priority is always allowed; where it fails, the encoder only competes as before.
  setpriority(PRIO_PROCESS, id_t(pid_), 10);
  // 1 MiB (1,048,576 bytes), the most an unprivileged process may ask for while
  // fs.pipe-max-size keeps its default: about three quarters of an 800x600 RGB frame
  // (1,440,000 bytes) waits in it while ffmpeg encodes. Where the limit is lower the call
  // fails and the pipe keeps the system's 64 KiB.
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

bool FfmpegPipe::WriteRowsReversed(const unsigned char* bottom_up, std::size_t row_bytes, int rows) {
  // The rows go out last first straight from where they are, a batch of rows per call.
  std::vector<iovec> batch;
  int next = rows - 1;
  while (next >= 0 && input_ >= 0) {
    batch.clear();
    for (; next >= 0 && batch.size() < IOV_MAX; --next)
      batch.push_back({const_cast<unsigned char*>(bottom_up + std::size_t(next) * row_bytes), row_bytes});
    std::size_t first = 0;
    while (first < batch.size()) {
      const ssize_t written = writev(input_, &batch[first], int(std::min<std::size_t>(batch.size() - first, IOV_MAX)));
      if (written < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      // Skip what went out whole, and move into the row that went out in part.
      std::size_t left = std::size_t(written);
      while (first < batch.size() && left >= batch[first].iov_len) left -= batch[first++].iov_len;
      if (left > 0) {
        batch[first].iov_base = static_cast<unsigned char*>(batch[first].iov_base) + left;
        batch[first].iov_len -= left;
      }
    }
  }
  return input_ >= 0;
}

bool FfmpegPipe::Finish(std::chrono::seconds deadline, std::string* why) {
  if (input_ >= 0) close(input_);
  input_ = -1;
  if (pid_ <= 0) {
    *why = "ffmpeg is not running";
    return false;
  }
  int status = 0;
  if (!WaitFor(pid_, deadline, &status)) {
    Stop();
    *why = "ffmpeg did not finish within " + std::to_string(deadline.count()) + " s and was stopped";
    return false;
  }
  pid_ = -1;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  const std::string ending = WIFEXITED(status) ? "failed with exit code " + std::to_string(WEXITSTATUS(status))
                                               : "was killed by signal " + std::to_string(WTERMSIG(status));
  const std::string said = LastLoggedLine(log_path_);
  *why = "ffmpeg " + ending + (said.empty() ? "" : ": " + said);
  return false;
}
