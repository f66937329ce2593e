// The exit statuses the runners decide, named in one place until the record names every status once.
#pragma once

namespace tarnwick::bench {

constexpr int status_ok = 0;
constexpr int status_failure = 1;
constexpr int status_bad_options = 2;
constexpr int status_reference_differs = 3;
constexpr int status_slower = 4;
constexpr int status_cannot_judge = 5;
constexpr int status_other_renderer = 6;

} // namespace tarnwick::bench
