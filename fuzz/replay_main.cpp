// Runs a fuzz target without libFuzzer: every file of the given corpus folders, then a
// fixed number of deterministic mutations of each. Lets the normal test suite exercise
// the targets under AddressSanitizer; real fuzzing uses the LIRRA_FUZZ build.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::string> LoadCorpus(int argc, char** argv) {
  std::vector<std::string> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path root(argv[i]);
    if (!std::filesystem::exists(root)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream f(entry.path(), std::ios::binary);
      inputs.emplace_back(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
  }
  if (inputs.empty()) inputs.emplace_back();
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> corpus = LoadCorpus(argc, argv);
  uint32_t state = 0x9E3779B9u;
  const auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  size_t runs = 0;
  for (const std::string& seed : corpus) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(seed.data()), seed.size());
    ++runs;
    for (int round = 0; round < 500; ++round) {
      std::string input = seed;
      const int edits = 1 + static_cast<int>(next() % 8);
      for (int e = 0; e < edits; ++e) {
        const uint32_t r = next();
        const size_t pos = input.empty() ? 0 : r % (input.size() + 1);
        switch (r >> 29) {
          case 0: case 1:
            if (!input.empty()) input[pos % input.size()] = static_cast<char>(next());
            break;
          case 2:
            input.insert(pos, 1, "[]=;#\r\n\xD6\xEF"[next() % 9]);
            break;
          case 3:
            if (!input.empty()) input.erase(pos % input.size(), 1 + next() % 4);
            break;
          default:
            input.insert(pos, seed.substr(next() % (seed.size() + 1), next() % 16));
            break;
        }
      }
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
      ++runs;
    }
  }
  std::printf("%zu inputs run\n", runs);
  return 0;
}
