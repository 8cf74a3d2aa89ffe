// Runs the frame-rate peers alternately for several rounds in one run and
// reports the median frames per second, the start-up time to the first
// frame and the peak memory of each, with the ratios to the library's loop.
//   frame_rate_runner SCENE-FOLDER ROUNDS FRAMES NAME=PROGRAM...
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/frame_rate/frame_report.h"

extern char** environ;

namespace {

struct Sample {
  double fps = 0;
  double first_frame_ms = 0;
  double peak_mb = 0;
};

bool run_once(const std::string& program, const std::string& folder, int frames, Sample* out) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
  std::string count = std::to_string(frames);
  std::string path = program;
  char* argv[] = {path.data(), count.data(), nullptr};
  const double started = sorvel::bench::monotonic_ms();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[1]);
  if (spawned != 0) {
    std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(spawned));
    close(pipe_fds[0]);
    return false;
  }
  std::string output;
  char buffer[256];
  for (ssize_t n; (n = read(pipe_fds[0], buffer, sizeof buffer)) > 0;) output.append(buffer, static_cast<std::size_t>(n));
  close(pipe_fds[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  double first_frame = 0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      std::sscanf(output.c_str(), "first_frame_ms=%lf fps=%lf", &first_frame, &out->fps) != 2) {
    std::fprintf(stderr, "%s failed: %s\n", program.c_str(), output.c_str());
    return false;
  }
  out->first_frame_ms = first_frame - started;
  out->peak_mb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  return true;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n == 0 ? 0 : (n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: frame_rate_runner SCENE-FOLDER ROUNDS FRAMES NAME=PROGRAM...\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int rounds = std::atoi(argv[2]);
  const int frames = std::atoi(argv[3]);
  std::vector<std::pair<std::string, std::string>> peers;
  for (int i = 4; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto equals = arg.find('=');
    peers.emplace_back(arg.substr(0, equals), arg.substr(equals + 1));
  }
  std::map<std::string, std::vector<Sample>> samples;
  for (int round = 0; round < rounds; ++round) {
    // A different peer goes first in each round, so none always runs cold.
    for (std::size_t k = 0; k < peers.size(); ++k) {
      const auto& [name, program] = peers[(k + static_cast<std::size_t>(round)) % peers.size()];
      Sample sample;
      if (!run_once(program, folder, frames, &sample)) return 1;
      samples[name].push_back(sample);
    }
  }
  struct Summary {
    double fps, first_frame_ms, peak_mb;
  };
  std::map<std::string, Summary> summary;
  for (const auto& [name, list] : samples) {
    std::vector<double> fps, first, peak;
    for (const Sample& s : list) fps.push_back(s.fps), first.push_back(s.first_frame_ms), peak.push_back(s.peak_mb);
    summary[name] = {median(fps), median(first), median(peak)};
  }
  std::printf("%d rounds of %d frames, medians\n", rounds, frames);
  std::printf("%-10s %10s %16s %12s\n", "loop", "fps", "first frame ms", "peak MiB");
  for (const auto& [name, program] : peers) {
    const Summary& s = summary[name];
    std::printf("%-10s %10.1f %16.1f %12.1f\n", name.c_str(), s.fps, s.first_frame_ms, s.peak_mb);
  }
  if (summary.count("sorvel") != 0) {
    const Summary& ours = summary["sorvel"];
    for (const auto& [name, program] : peers) {
      if (name == "sorvel") continue;
      const Summary& other = summary[name];
      std::printf("sorvel / %-9s fps %.3f  first frame %.3f  peak memory %.3f\n", name.c_str(), ours.fps / other.fps,
                  ours.first_frame_ms / other.first_frame_ms, ours.peak_mb / other.peak_mb);
    }
  }
  return 0;
}
