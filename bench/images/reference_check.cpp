// A scene's reference frame against its PNG file, and the files a failure leaves. No GL here.
#include "images/reference_check.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace tarnwick::bench {

namespace {
const char* const unstable_suffix = "-unstable";

bool same_size(const rgb_image& a, const rgb_image& b) { return a.width == b.width && a.height == b.height; }

void set_sizes(reference_outcome& o, const rgb_image& frame, const rgb_image& file) {
    o.frame_width = frame.width;
    o.frame_height = frame.height;
    o.file_width = file.width;
    o.file_height = file.height;
}

// Writes image as file; else notes it as the file that could not be written.
std::string kept(reference_outcome& o, const std::string& file, const rgb_image& image) {
    if (write_png(file, image))
        return file;
    o.unwritable = file;
    return std::string();
}
} // namespace

std::string reference_file(const std::string& dir, const std::string& label, const std::string& suffix) {
    std::string name = label;
    std::replace(name.begin(), name.end(), ':', '_');
    return dir + (dir.empty() || dir.back() == '/' ? "" : "/") + name + suffix + ".png";
}

reference_outcome check_reference(const reference_settings& settings, const std::string& label,
                                  const rgb_image& picture) {
    reference_outcome o;
    o.dir = settings.dir;
    const std::string file = reference_file(settings.dir, label);
    const std::string actual = reference_file(settings.dir, label, "-actual");
    rgb_image reference;
    o.file = file;
    o.read = read_png(file, reference);
    if (!o.read) {
        o.state = reference_state::missing;
        return o;
    }
    if (!same_size(reference, picture)) {
        o.state = reference_state::wrong_size;
        set_sizes(o, picture, reference);
        o.actual = kept(o, actual, picture);
        return o;
    }
    rgb_image unstable;
    const std::string mask = reference_file(settings.dir, label, unstable_suffix);
    const bool masked = read_png(mask, unstable);
    if (masked && !same_size(unstable, picture)) {
        o.state = reference_state::mask_wrong_size;
        o.mask = mask;
        set_sizes(o, picture, unstable);
        return o;
    }
    o.difference = compare_images(reference, picture, settings.tolerance, masked ? &unstable : nullptr);
    const std::string diff = reference_file(settings.dir, label, "-diff");
    if (o.difference.differing_percent() <= settings.max_differing) {
        o.state = reference_state::matched;
        std::remove(actual.c_str());
        std::remove(diff.c_str());
        return o;
    }
    o.state = reference_state::differs;
    o.actual = kept(o, actual, picture);
    o.diff = kept(o, diff, o.difference.picture);
    return o;
}

reference_outcome update_reference(const reference_settings& settings, const std::string& label,
                                   const rgb_image& picture, const std::vector<rgb_image>& variants) {
    reference_outcome o;
    o.dir = settings.dir;
    o.state = reference_state::written;
    const std::string file = reference_file(settings.dir, label);
    const std::string mask_file = reference_file(settings.dir, label, unstable_suffix);
    o.file = file;
    std::error_code ignored;
    std::filesystem::create_directories(settings.dir, ignored);
    if (kept(o, file, picture).empty()) {
        o.state = reference_state::cannot_write;
        return o;
    }
    const rgb_image mask = unstable_pixels(picture, variants, settings.tolerance);
    o.unstable = marked_pixels(mask);
    if (o.unstable == 0) {
        std::remove(mask_file.c_str());
        return o;
    }
    o.mask = kept(o, mask_file, mask);
    if (o.mask.empty())
        o.state = reference_state::cannot_write;
    return o;
}

} // namespace tarnwick::bench
