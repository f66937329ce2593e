// One CSV line's fields in and out (RFC 4180 quoting through libcsv), for the bench's results files. No GL.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tarnwick::bench {

// The fields joined by commas; a field holding a comma or a quote is quoted, line ends become blanks.
std::string csv_join(const std::vector<std::string>& fields);
// The fields of one line, quotes undone; an empty line gives one empty field.
std::vector<std::string> csv_split(const std::string& line);

} // namespace tarnwick::bench
