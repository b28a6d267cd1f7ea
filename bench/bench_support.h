// Helpers shared by the whole-program benchmarks: medians and resident memory.
#pragma once

#include <sys/types.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace lirra::bench {

inline double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// VmRSS of a process (this one by default), in KiB.
inline long ResidentKb(const std::string& pid = "self") {
  std::ifstream status("/proc/" + pid + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

}  // namespace lirra::bench
