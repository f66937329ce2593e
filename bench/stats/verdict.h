// How a scene, a check or a comparison came out: one type for every mode, its words in one table. No GL.
#pragma once

#include <string>

namespace tarnwick::bench {

// ok to unknown are the report's verdicts (each has its colour on the page); caught to error say how a
// planted fault's run came out, and reach the report as ok, FAIL or unknown.
enum class verdict {
    ok,
    fail,
    faster,
    slower,
    no_change,
    inconclusive,
    unknown,
    caught,
    missed,
    skipped,
    error
};

struct verdict_name {
    bench::verdict verdict;
    const char* word;
};

// The word each verdict is printed, written and read as.
constexpr verdict_name verdict_names[] = {
    {verdict::ok, "ok"},           {verdict::fail, "FAIL"},           {verdict::faster, "faster"},
    {verdict::slower, "slower"},   {verdict::no_change, "no change"}, {verdict::inconclusive, "inconclusive"},
    {verdict::unknown, "unknown"}, {verdict::caught, "caught"},       {verdict::missed, "MISSED"},
    {verdict::skipped, "skipped"}, {verdict::error, "error"}};

const char* verdict_word(verdict v);
// The verdict of a word; unknown for a word it does not know.
verdict verdict_of_word(const std::string& word);
// Whether a comparison with this verdict said which way it went or that nothing changed.
bool judged(verdict v);

} // namespace tarnwick::bench
