// A scene's reference frame against its PNG file: the verdict line, and the files a failure leaves. No GL.
#include "images/reference_check.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace tarnwick::bench {

namespace {
const char* const unstable_suffix = "-unstable";

std::string size_text(const rgb_image& image) {
    return std::to_string(image.width) + "x" + std::to_string(image.height);
}

// "N of M pixels differ (S%), largest difference D", and how many more matched only a neighbour.
std::string difference_text(const image_difference& d) {
    char text[200];
    std::snprintf(text, sizeof text, "%ld of %ld pixels differ (%.3f%%), largest difference %d", d.differing,
                  d.pixel_count, d.differing_percent(), d.largest);
    std::string line = text;
    if (d.shifted > 0)
        line += ", " + std::to_string(d.shifted) + " shifted by a pixel";
    if (d.excused > 0)
        line += ", " + std::to_string(d.excused) + " excused as unstable";
    return line;
}

// The picture kept as SCENE-actual.png for a failing scene; the line says where, or that it could not be.
std::string keep_actual(const bench_options& options, const std::string& label, const rgb_image& picture) {
    const std::string actual = reference_file(options.reference_dir, label, "-actual");
    return write_png(actual, picture) ? actual : "cannot write " + actual;
}
} // namespace

std::string reference_file(const std::string& dir, const std::string& label, const std::string& suffix) {
    std::string name = label;
    std::replace(name.begin(), name.end(), ':', '_');
    return dir + (dir.empty() || dir.back() == '/' ? "" : "/") + name + suffix + ".png";
}

reference_outcome check_reference(const bench_options& options, const std::string& label,
                                  const rgb_image& picture) {
    const std::string prefix = "reference " + label + ": ";
    const std::string file = reference_file(options.reference_dir, label);
    rgb_image reference;
    if (!read_png(file, reference))
        return {false,
                prefix + "FAIL, no readable " + file + " (make it with --update-reference " +
                    options.reference_dir + ")",
                "",
                {}};
    if (reference.width != picture.width || reference.height != picture.height)
        return {false,
                prefix + "FAIL, the frame is " + size_text(picture) + " but " + file + " is " +
                    size_text(reference) + " (" + keep_actual(options, label, picture) + ")",
                file,
                {}};
    rgb_image unstable;
    const std::string mask = reference_file(options.reference_dir, label, unstable_suffix);
    const bool masked = read_png(mask, unstable);
    if (masked && (unstable.width != picture.width || unstable.height != picture.height))
        return {false,
                prefix + "FAIL, " + mask + " is " + size_text(unstable) + " but the frame is " +
                    size_text(picture),
                file,
                {}};
    image_difference d = compare_images(reference, picture, options.tolerance, masked ? &unstable : nullptr);
    if (d.differing_percent() <= options.max_differing) {
        std::remove(reference_file(options.reference_dir, label, "-actual").c_str());
        std::remove(reference_file(options.reference_dir, label, "-diff").c_str());
        return {true, prefix + difference_text(d) + ": ok", file, std::move(d)};
    }
    const std::string diff = reference_file(options.reference_dir, label, "-diff");
    const std::string kept = write_png(diff, d.picture) ? diff : "cannot write " + diff;
    const std::string line =
        prefix + difference_text(d) + ": FAIL (" + keep_actual(options, label, picture) + ", " + kept + ")";
    return {false, line, file, std::move(d)};
}

reference_outcome update_reference(const bench_options& options, const std::string& label,
                                   const rgb_image& picture, const std::vector<rgb_image>& variants) {
    const std::string prefix = "reference " + label + ": ";
    const std::string file = reference_file(options.update_reference_dir, label);
    const std::string mask_file = reference_file(options.update_reference_dir, label, unstable_suffix);
    std::error_code ignored;
    std::filesystem::create_directories(options.update_reference_dir, ignored);
    if (!write_png(file, picture))
        return {false, prefix + "cannot write " + file, "", {}};
    const rgb_image mask = unstable_pixels(picture, variants, options.tolerance);
    const long unstable = marked_pixels(mask);
    if (unstable == 0) {
        std::remove(mask_file.c_str());
        return {true, prefix + "wrote " + file, "", {}};
    }
    if (!write_png(mask_file, mask))
        return {false, prefix + "cannot write " + mask_file, "", {}};
    return {true,
            prefix + "wrote " + file + " and " + mask_file + " (" + std::to_string(unstable) +
                " unstable pixels)",
            "",
            {}};
}

} // namespace tarnwick::bench
