// Runs a fuzz target once over every file of the given files and folders (the committed corpus), without
// libFuzzer: the regression form of each target that the ordinary test suite runs.
#include "fuzz_check.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
std::vector<fs::path> inputs_of(const fs::path& root) {
    std::vector<fs::path> files;
    if (fs::is_directory(root)) {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    } else if (fs::is_regular_file(root)) {
        files.push_back(root);
    }
    std::sort(files.begin(), files.end());
    return files;
}
} // namespace

int main(int argc, char** argv) {
    LLVMFuzzerInitialize(&argc, &argv);
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& file : inputs_of(argv[i])) {
            std::ifstream in(file, std::ios::binary);
            const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
            std::fprintf(stderr, "replay %s (%zu bytes)\n", file.c_str(), bytes.size());
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            ++replayed;
        }
    }
    std::fprintf(stderr, "replayed %zu inputs\n", replayed);
    // An empty or misplaced corpus must not pass silently.
    return replayed > 0 ? 0 : 1;
}
