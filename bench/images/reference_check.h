// A scene's reference frame against its PNG file: the verdict line, and the files a failure leaves. No GL.
#pragma once

#include "cli/bench_options.h"
#include "images/image_compare.h"

#include <string>
#include <vector>

namespace tarnwick::bench {

// The file of a run's label in dir: ':' becomes '_' (the label "filters:texture=1:mipmap=2" gives
// "dir/filters_texture=1_mipmap=2.png"); suffix goes before ".png".
std::string reference_file(const std::string& dir, const std::string& label, const std::string& suffix = "");

struct reference_outcome {
    bool ok = false;
    // For the report: label, what was found, ok or FAIL.
    std::string line;
    // The reference file that was read (empty when none could be) and, when the sizes agreed, how the
    // frame differs from it.
    std::string reference;
    image_difference difference;
};

// Compares picture with the label's reference in options.reference_dir, excusing the pixels of the mask
// SCENE-unstable.png when there is one. A mismatch leaves the picture as SCENE-actual.png and the diff as
// SCENE-diff.png beside it; a match removes those left from before.
reference_outcome check_reference(const bench_options& options, const std::string& label,
                                  const rgb_image& picture);
// Writes picture as the label's reference in options.update_reference_dir, made when missing, and the
// pixels that variants of it move as its SCENE-unstable.png mask (a mask from before goes when none move).
reference_outcome update_reference(const bench_options& options, const std::string& label,
                                   const rgb_image& picture, const std::vector<rgb_image>& variants);

} // namespace tarnwick::bench
