// The verdicts' words. No GL here.
#include "stats/verdict.h"

#include <algorithm>
#include <iterator>

namespace tarnwick::bench {

const char* verdict_word(verdict v) {
    const auto it = std::find_if(std::begin(verdict_names), std::end(verdict_names),
                                 [v](const verdict_name& n) { return n.verdict == v; });
    return it == std::end(verdict_names) ? "unknown" : it->word;
}

verdict verdict_of_word(const std::string& word) {
    const auto it = std::find_if(std::begin(verdict_names), std::end(verdict_names),
                                 [&word](const verdict_name& n) { return word == n.word; });
    return it == std::end(verdict_names) ? verdict::unknown : it->verdict;
}

bool judged(verdict v) { return v != verdict::unknown && v != verdict::inconclusive; }

} // namespace tarnwick::bench
