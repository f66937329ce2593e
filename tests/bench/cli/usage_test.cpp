// --help: its exit statuses and docs/BENCH.md's table hold the same rows (both checked against the one
// table of statuses), and its lines keep one width.
#include "cli/bench_options.h"
#include "record/exit_status.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace tarnwick::bench;

namespace {
// The text with its runs of blanks and line ends as one blank, and without Markdown's backticks.
std::string flat(const std::string& text) {
    std::istringstream words(text);
    std::string out;
    for (std::string word; words >> word;) {
        word.erase(std::remove(word.begin(), word.end(), '`'), word.end());
        out += (out.empty() ? "" : " ") + word;
    }
    return out;
}

// The rows "| N | meaning |" of the document's section "## Exit statuses".
std::vector<std::pair<int, std::string>> document_rows(const std::string& file) {
    std::ifstream in(file);
    std::vector<std::pair<int, std::string>> rows;
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("## ", 0) == 0)
            inside = line == "## Exit statuses";
        else if (inside && line.size() > 4 && line[0] == '|' &&
                 std::isdigit(static_cast<unsigned char>(line[2]))) {
            const size_t bar = line.find('|', 2);
            rows.emplace_back(std::stoi(line.substr(2, bar - 2)),
                              flat(line.substr(bar + 1, line.rfind('|') - bar - 1)));
        }
    }
    return rows;
}

TEST(exit_status_table, help_and_the_document_print_the_same_rows) {
    const std::vector<std::pair<int, std::string>> documented = document_rows(TARNWICK_BENCH_DOC);
    ASSERT_EQ(documented.size(), std::size(exit_statuses));
    const std::string usage = bench_usage();
    const std::string help = flat(usage.substr(usage.find("Exit status:")));
    for (size_t i = 0; i < documented.size(); ++i) {
        EXPECT_EQ(documented[i].first, int(exit_statuses[i].status));
        EXPECT_EQ(documented[i].second, flat(exit_statuses[i].meaning)) << documented[i].first;
        EXPECT_NE(help.find(std::to_string(documented[i].first) + " " + documented[i].second),
                  std::string::npos)
            << help;
    }
}

// Every line of --help fits the width of the options' own lines ("  --name VALUE  what it does").
TEST(exit_status_table, help_lines_keep_one_width) {
    std::vector<std::string> lines;
    std::istringstream text(bench_usage());
    size_t width = 0;
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
        if (line.rfind("  --", 0) == 0)
            width = std::max(width, line.size());
    }
    for (const std::string& line : lines)
        EXPECT_LE(line.size(), width) << line;
}
} // namespace
