#include "tests/support/PulseServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "tests/support/FfmpegDecode.h"

namespace orvex::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kStartDeadline = std::chrono::seconds(20);
constexpr auto kStopDeadline = std::chrono::seconds(5);

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = folders.find(':', start);
    const fs::path candidate = fs::path(folders.substr(start, end - start)) / name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {};
}

bool Exited(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, WNOHANG) == pid;
}

// The null sink's arguments, one string as the server parses module arguments.
std::string SinkArguments() {
  return std::string("sink_name=") + PulseServer::kSinkName +
         " sink_properties='device.description=\"Orvex Test Sink\"'";
}

}  // namespace

PulseServer::PulseServer() {
  const std::string program = FindProgram("pulseaudio");
  if (program.empty()) {
    error_ = "pulseaudio is not installed";
    return;
  }
  if (FindProgram("pactl").empty()) {
    error_ = "pactl (pulseaudio-utils) is not installed";
    return;
  }
  const std::string runtime = (folder_ / "runtime").string();
  const std::string socket = runtime + "/native";
  fs::create_directories(runtime);
  fs::create_directories(folder_ / "state");
  WriteFile(folder_ / "client.conf", "autospawn = no\n");

  // Our clients reach this server only, and never start one of their own.
  const char* previous = std::getenv("PULSE_SERVER");
  hadPreviousServer_ = previous != nullptr;
  previousServer_ = previous ? previous : "";
  setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
  setenv("PULSE_CLIENTCONFIG", (folder_ / "client.conf").c_str(), 1);

  // Everything the child needs is made before fork: after it only
  // async-signal-safe calls are allowed.
  std::vector<std::string> args = {program,
                                   "--daemonize=no",
                                   "--system=false",
                                   "-n",
                                   "--exit-idle-time=-1",
                                   "--use-pid-file=no",
                                   "--disable-shm=true",
                                   "--realtime=false",
                                   "--high-priority=false",
                                   "--log-target=stderr",
                                   "-L",
                                   "module-null-sink " + SinkArguments(),
                                   "-L",
                                   "module-native-protocol-unix auth-anonymous=1 socket=" + socket};
  std::vector<std::string> env = {"HOME=" + folder_.str(),
                                  "PULSE_RUNTIME_PATH=" + runtime,
                                  "PULSE_STATE_PATH=" + (folder_ / "state").string(),
                                  "XDG_RUNTIME_DIR=" + runtime,
                                  "XDG_CONFIG_HOME=" + (folder_ / "config").string(),
                                  "PATH=/usr/bin:/bin"};
  std::vector<char*> argv, envp;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  const std::string log = (folder_ / "server.log").string();
  const pid_t parent = getpid();

  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);  // the test process is gone already
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out >= 0) {
      dup2(out, STDOUT_FILENO);
      dup2(out, STDERR_FILENO);
    }
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  if (pid_ < 0) {
    error_ = "cannot start pulseaudio";
    return;
  }
  const auto deadline = Clock::now() + kStartDeadline;
  while (!Answers()) {
    if (Exited(pid_)) {
      pid_ = -1;
      error_ = "pulseaudio ended at once: " + LogTail();
      return;
    }
    if (Clock::now() > deadline) {
      error_ = "pulseaudio did not answer within 20 s: " + LogTail();
      Stop();
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

PulseServer::~PulseServer() {
  Stop();
  if (hadPreviousServer_)
    setenv("PULSE_SERVER", previousServer_.c_str(), 1);
  else
    unsetenv("PULSE_SERVER");
  unsetenv("PULSE_CLIENTCONFIG");
}

void PulseServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  const auto deadline = Clock::now() + kStopDeadline;
  while (!Exited(pid_)) {
    if (Clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  pid_ = -1;
}

bool PulseServer::Answers() const { return Pactl("info"); }

bool PulseServer::Pactl(const std::string& arguments, std::string* output) const {
  int status = -1;
  const std::string text = RunCommand("pactl " + arguments + " 2>&1", &status);
  if (output) *output = text;
  return status == 0;
}

bool PulseServer::AddSink() const {
  return Pactl("load-module module-null-sink " + ShellQuote(SinkArguments()));
}

bool PulseServer::RemoveSink() const { return Pactl("unload-module module-null-sink"); }

std::string PulseServer::LogTail() const {
  const std::string log = ReadFile(folder_ / "server.log");
  return log.size() > 600 ? log.substr(log.size() - 600) : log;
}

}  // namespace orvex::test
