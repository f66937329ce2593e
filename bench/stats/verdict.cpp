// The verdicts' words. No GL here.
#include "stats/verdict.h"

namespace tarnwick::bench {

const char* verdict_word(verdict v) {
    for (const verdict_name& n : verdict_names) {
        if (n.verdict == v)
            return n.word;
    }
    return "unknown";
}

verdict verdict_of_word(const std::string& word) {
    for (const verdict_name& n : verdict_names) {
        if (word == n.word)
            return n.verdict;
    }
    return verdict::unknown;
}

bool judged(verdict v) { return v != verdict::unknown && v != verdict::inconclusive; }

} // namespace tarnwick::bench
