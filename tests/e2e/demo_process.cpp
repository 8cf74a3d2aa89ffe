#include "tests/e2e/demo_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

extern char** environ;

namespace sorvel::testing {

DemoProcess::DemoProcess(const std::filesystem::path& program, const std::filesystem::path& folder)
    : log_(folder / "message_boxes.log") {
  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e) environment.emplace_back(*e);
  environment.push_back("SORVEL_MESSAGE_BOX_LOG=" + log_.string());
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string path = program.string();
  char* argv[] = {path.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  if (posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv, envp.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
}

DemoProcess::~DemoProcess() {
  if (pid_ > 0 && !status_.has_value() && running()) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool DemoProcess::running() {
  if (pid_ <= 0 || status_.has_value()) return false;
  int status = 0;
  const pid_t done = waitpid(pid_, &status, WNOHANG);
  if (done == 0) return true;
  status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return false;
}

std::optional<int> DemoProcess::wait(std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (running() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (!status_.has_value() || *status_ < 0) return std::nullopt;
  return status_;
}

std::vector<std::string> DemoProcess::box_log() const {
  std::ifstream in(log_);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace sorvel::testing
