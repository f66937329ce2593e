// What the micro-benchmarks share: a quiet console and the game's GL context when one can be opened.
#pragma once

#include <streambuf>

// Swallows the game's console chatter while a benchmark loop runs.
class null_buffer : public std::streambuf {
  protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// Starts the game (800x600 display, stores, weapon) once; false when there is no X display.
bool open_game_context();
// Shuts the game down if open_game_context started it.
void close_game_context();
