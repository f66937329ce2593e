// Fuzz target: the BMP reader over arbitrary bytes. Every successful load must hand back exactly
// width x height RGB triples within the size caps from an uncompressed file; every failure must leave no
// pixels and say why.
#include "assets/bitmap.h"
#include "fuzz_check.h"

#include <cstring>
#include <iostream>
#include <string>

namespace {
void check_outcome(const Bitmap& bitmap, bool result) {
    FUZZ_CHECK(result == bitmap.loaded);
    FUZZ_CHECK(!bitmap.error.empty());
    if (!result) {
        FUZZ_CHECK(bitmap.data == nullptr);
        FUZZ_CHECK(bitmap.error != "Bitmap loaded");
        return;
    }
    FUZZ_CHECK(bitmap.error == "Bitmap loaded");
    FUZZ_CHECK(bitmap.infoHeader.biSize >= 40 && bitmap.infoHeader.biCompression == 0);
    FUZZ_CHECK(bitmap.bpp == 8 || bitmap.bpp == 24);
    FUZZ_CHECK(bitmap.width > 0 && bitmap.width <= Bitmap::maxSide);
    FUZZ_CHECK(bitmap.height > 0 && bitmap.height <= Bitmap::maxSide);
    FUZZ_CHECK(bitmap.pixelDataSize == uint32_t(bitmap.width) * uint32_t(bitmap.height) * (bitmap.bpp / 8u));
    FUZZ_CHECK(bitmap.rowBytes == bitmap.width * (bitmap.bpp / 8));
    FUZZ_CHECK(bitmap.paddedRowBytes % 4 == 0 && bitmap.paddedRowBytes - bitmap.rowBytes < 4 &&
               bitmap.paddedRowBytes >= bitmap.rowBytes);
    FUZZ_CHECK((bitmap.palette != nullptr) == (bitmap.bpp == 8));
    FUZZ_CHECK(bitmap.data != nullptr);
    const size_t size = size_t(bitmap.width) * size_t(bitmap.height) * 3;
    // Reading every byte lets ASan catch a block shorter than the header promises.
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum += bitmap.data[i];
    (void)sum;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The header report of every load would dominate the run time.
    std::cout.setstate(std::ios::badbit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bitmap bitmap;
    const bool first = bitmap.load_from_memory(data, size);
    check_outcome(bitmap, first);
    if (!first)
        return 0;
    // A second load into the same object releases the first result and must give the same pixels.
    const std::string copy(reinterpret_cast<const char*>(bitmap.data),
                           size_t(bitmap.width) * size_t(bitmap.height) * 3);
    const bool second = bitmap.load_from_memory(data, size);
    check_outcome(bitmap, second);
    FUZZ_CHECK(second);
    FUZZ_CHECK(std::memcmp(copy.data(), bitmap.data, copy.size()) == 0);
    return 0;
}
