// A scene's reference frame against its PNG file: what was found, as data, and the files a failure leaves.
// No GL here.
#pragma once

#include "images/image_compare.h"

#include <string>
#include <vector>

namespace tarnwick::bench {

// The file of a run's label in dir: ':' becomes '_' (the label "filters:texture=1:mipmap=2" gives
// "dir/filters_texture=1_mipmap=2.png"); suffix goes before ".png".
std::string reference_file(const std::string& dir, const std::string& label, const std::string& suffix = "");

// Where the references are and how near a frame must come to its reference.
struct reference_settings {
    std::string dir;
    // A pixel differs when a channel differs by more than tolerance; a scene fails when more than
    // max_differing percent of its pixels differ.
    int tolerance = 8;
    double max_differing = 0.1;
};

enum class reference_state {
    // The scene has no reference frame (it changes the window's size).
    none,
    matched,
    differs,
    // No readable reference file.
    missing,
    // The reference (or, with mask_wrong_size, the mask) is not the frame's size.
    wrong_size,
    mask_wrong_size,
    // --update-reference: the reference (and a mask) written, or a file that could not be.
    written,
    cannot_write
};

struct reference_outcome {
    reference_state state = reference_state::none;
    // The settings' folder.
    std::string dir;
    // The reference file looked for or written, and whether it was read (and so can be shown beside the
    // frame).
    std::string file;
    bool read = false;
    // The mask that was written, or that has the wrong size.
    std::string mask;
    // The frame and the file it was set against when their sizes differ.
    int frame_width = 0, frame_height = 0, file_width = 0, file_height = 0;
    // How the frame differs from the reference when the sizes agreed.
    image_difference difference;
    // Files a failure left beside the reference, and one that could not be written.
    std::string actual, diff, unwritable;
    // Pixels marked unstable in a written mask.
    long unstable = 0;

    bool ok() const {
        return state == reference_state::none || state == reference_state::matched ||
               state == reference_state::written;
    }
};

// Compares picture with the label's reference in settings.dir, excusing the pixels of the mask
// SCENE-unstable.png when there is one. A mismatch leaves the picture as SCENE-actual.png and the diff as
// SCENE-diff.png beside it; a match removes those left from before.
reference_outcome check_reference(const reference_settings& settings, const std::string& label,
                                  const rgb_image& picture);
// Writes picture as the label's reference in settings.dir, made when missing, and the pixels that variants
// of it move as its SCENE-unstable.png mask (a mask from before goes when none move).
reference_outcome update_reference(const reference_settings& settings, const std::string& label,
                                   const rgb_image& picture, const std::vector<rgb_image>& variants);

} // namespace tarnwick::bench
