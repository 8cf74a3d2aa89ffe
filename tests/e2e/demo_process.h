// The real demo program, started as a child process in a folder of the
// test's choosing, with its message boxes logged to a file.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sorvel::testing {

class DemoProcess {
 public:
  // Starts `program` with `folder` as its working directory.
  DemoProcess(const std::filesystem::path& program, const std::filesystem::path& folder);
  ~DemoProcess();  // kills it if it still runs
  DemoProcess(const DemoProcess&) = delete;
  DemoProcess& operator=(const DemoProcess&) = delete;

  bool started() const { return pid_ > 0; }
  // The exit status, or nothing if it did not end in time (or was killed by a signal).
  std::optional<int> wait(std::chrono::milliseconds timeout);
  bool running();
  // The boxes shown so far: lines "box<TAB>style<TAB>caption<TAB>text" and "answer<TAB>n".
  std::vector<std::string> box_log() const;

 private:
  pid_t pid_ = -1;
  std::filesystem::path log_;
  std::optional<int> status_;
};

}  // namespace sorvel::testing
