// index.html: the report for people, one page that needs no server and no network (its style is inline,
// its plots inline SVG, its pictures files beside it). No GL here.
#pragma once

#include "record/report_model.h"

#include <string>

namespace tarnwick::bench {

// text with &, <, >, " and ' escaped, for HTML text and quoted attribute values.
std::string html_text(const std::string& text);
// A relative file path as a URL path: every byte but letters, digits, "-._~/" percent-encoded.
std::string url_path(const std::string& path);

// The whole page.
std::string report_html(const report_model& model);

} // namespace tarnwick::bench
