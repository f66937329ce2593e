// Reader of uncompressed 8-bit (paletted) and 24-bit Windows BMP files into tightly packed RGB rows.
#include "bitmap.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>

namespace {

constexpr uint16_t bmp_magic = 0x4D42;
constexpr uint32_t uncompressed = 0; // BI_RGB; RLE, bit fields, JPEG and PNG are refused
constexpr int palette_entries = 1 << 8;

constexpr const char* truncated = "File is truncated";
constexpr const char* no_temporary_buffer = "Not enough memory to allocate a temporary buffer";
constexpr const char* no_image_buffer = "Not enough memory to allocate an image buffer";

uint16_t get_u16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t get_u32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
int32_t get_i32(const uint8_t* p) { return int32_t(get_u32(p)); }

} // namespace

// Where the bytes come from: an open C file or a memory block, of a size known up front.
struct Bitmap::Source {
    FILE* file = nullptr;
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    size_t position = 0;

    // Measures an open file; one that cannot tell its size reads as empty.
    void measure() {
        long end = -1;
        if (std::fseek(file, 0, SEEK_END) == 0)
            end = std::ftell(file);
        size = end > 0 && std::fseek(file, 0, SEEK_SET) == 0 ? size_t(end) : 0;
    }
    // Copies up to count bytes into destination; returns how many were available.
    size_t read(void* destination, size_t count) {
        const size_t available = size - position;
        size_t n = count < available ? count : available;
        if (file)
            n = std::fread(destination, 1, n, file);
        else if (n > 0)
            std::memcpy(destination, bytes + position, n);
        position += n;
        return n;
    }
    // Moves to offset from the start; false beyond the end.
    bool seek(size_t offset) {
        if (offset > size || (file && std::fseek(file, long(offset), SEEK_SET) != 0))
            return false;
        position = offset;
        return true;
    }
    size_t remaining() const { return size - position; }
    void close() {
        if (file)
            std::fclose(file);
        file = nullptr;
    }
};

Bitmap::Bitmap(const char* fileName) { load(fileName); }

Bitmap::~Bitmap() { release(); }

void Bitmap::release() {
    delete[] palette;
    palette = nullptr;
    delete[] data;
    data = nullptr;
}

bool Bitmap::fail(const char* message) {
    error = message;
    release();
    loaded = false;
    return false;
}

bool Bitmap::load(const char* fileName) {
    loaded = false;
    release();
    Source source;
    source.file = std::fopen(fileName, "rb");
    if (!source.file)
        return fail("File not found");
    source.measure();
    const bool ok = read(source);
    source.close();
    return ok;
}

bool Bitmap::load_from_memory(const uint8_t* bytes, size_t size) {
    loaded = false;
    release();
    Source source;
    source.bytes = bytes;
    source.size = bytes ? size : 0;
    return read(source);
}

bool Bitmap::read(Source& source) {
    if (!readHeaders(source))
        return false;
    reportInfoHeader();
    if (!checkFormat(source) || !readPalette(source) || !readPixels(source))
        return false;
    error = "Bitmap loaded";
    loaded = true;
    return true;
}

bool Bitmap::readHeaders(Source& source) {
    uint8_t fileBytes[sizeof(BitmapFileHeader)];
    if (source.read(fileBytes, sizeof fileBytes) != sizeof fileBytes)
        return fail(truncated);
    fileHeader.bfType = get_u16(fileBytes + 0);
    fileHeader.bfSize = get_u32(fileBytes + 2);
    fileHeader.bfReserved1 = get_u16(fileBytes + 6);
    fileHeader.bfReserved2 = get_u16(fileBytes + 8);
    fileHeader.bfOffBits = get_u32(fileBytes + 10);
    std::cout << "sizeof(BitmapFileHeader)=" << sizeof(BitmapFileHeader) << '\n';
    if (fileHeader.bfType != bmp_magic)
        return fail("File is not in DIB format");

    uint8_t infoBytes[sizeof(BitmapInfoHeader)];
    if (source.read(infoBytes, sizeof infoBytes) != sizeof infoBytes)
        return fail(truncated);
    infoHeader.biSize = get_u32(infoBytes + 0);
    infoHeader.biWidth = get_i32(infoBytes + 4);
    infoHeader.biHeight = get_i32(infoBytes + 8);
    infoHeader.biPlanes = get_u16(infoBytes + 12);
    infoHeader.biBitCount = get_u16(infoBytes + 14);
    infoHeader.biCompression = get_u32(infoBytes + 16);
    infoHeader.biSizeImage = get_u32(infoBytes + 20);
    infoHeader.biXPelsPerMeter = get_i32(infoBytes + 24);
    infoHeader.biYPelsPerMeter = get_i32(infoBytes + 28);
    infoHeader.biClrUsed = get_u32(infoBytes + 32);
    infoHeader.biClrImportant = get_u32(infoBytes + 36);
    std::cout << "sizeof(BitmapInfoHeader)=" << sizeof(BitmapInfoHeader) << '\n';
    width = infoHeader.biWidth;
    height = infoHeader.biHeight;
    bpp = infoHeader.biBitCount;
    return true;
}

void Bitmap::reportInfoHeader() const {
    std::cout << "biBitCount      =" << infoHeader.biBitCount << '\n'
              << "biClrImportant  =" << infoHeader.biClrImportant << '\n'
              << "biClrUsed       =" << infoHeader.biClrUsed << '\n'
              << "biCompression   =" << infoHeader.biCompression << '\n'
              << "biHeight        =" << infoHeader.biHeight << '\n'
              << "biPlanes        =" << infoHeader.biPlanes << '\n'
              << "biSize          =" << infoHeader.biSize << '\n'
              << "biSizeImage     =" << infoHeader.biSizeImage << '\n'
              << "biWidth         =" << infoHeader.biWidth << '\n'
              << "biXPelsPerMeter =" << infoHeader.biXPelsPerMeter << '\n'
              << "biYPelsPerMeter =" << infoHeader.biYPelsPerMeter << std::endl;
}

bool Bitmap::checkFormat(const Source& source) {
    // Older headers (OS/2's 12 bytes) lay their fields out differently.
    if (infoHeader.biSize < sizeof(BitmapInfoHeader))
        return fail("File has an info header smaller than 40 bytes");
    if (bpp != 8 && bpp != 24)
        return fail("File is not 8 or 24 bits per pixel");
    if (infoHeader.biCompression != uncompressed)
        return fail("File is compressed; only uncompressed BMP files can be read");
    // Every size below is checked before anything is allocated, so no product can overflow 32 bits:
    // 16384 x 16384 x 3 is well below 2^32. Top-down files (negative height) are rejected here too.
    if (width <= 0 || height <= 0)
        return fail("Image width or height is not positive");
    if (width > maxSide || height > maxSide)
        return fail("Image is larger than 16384 pixels per side");
    const size_t headersEnd = sizeof(BitmapFileHeader) + size_t(infoHeader.biSize);
    if (fileHeader.bfOffBits < headersEnd)
        return fail("Pixel data offset lies inside the headers");
    if (fileHeader.bfOffBits > source.size)
        return fail("Pixel data offset lies outside the file");
    pixelDataSize = uint32_t(width) * uint32_t(height) * uint32_t(bpp / 8);
    rowBytes = width * bpp / 8;
    paddedRowBytes = (rowBytes + 3) / 4 * 4;
    return true;
}

bool Bitmap::readPalette(Source& source) {
    if (bpp != 8)
        return true;
    palette = new (std::nothrow) RgbQuad[palette_entries]();
    if (!palette)
        return fail(no_temporary_buffer);
    const size_t paletteStart = sizeof(BitmapFileHeader) + size_t(infoHeader.biSize);
    size_t entries = infoHeader.biClrUsed == 0 ? palette_entries : infoHeader.biClrUsed;
    if (entries > palette_entries)
        entries = palette_entries;
    const size_t room = (fileHeader.bfOffBits - paletteStart) / sizeof(RgbQuad);
    if (entries > room)
        entries = room;
    const size_t paletteBytes = entries * sizeof(RgbQuad);
    if (!source.seek(paletteStart) || source.read(palette, paletteBytes) != paletteBytes)
        return fail(truncated);
    return true;
}

bool Bitmap::readPixels(Source& source) {
    // The last row's padding may be missing from the file without losing any pixel.
    const size_t blockSize = size_t(paddedRowBytes) * size_t(height);
    const size_t neededSize = blockSize - size_t(paddedRowBytes - rowBytes);
    // A short file is caught before its pixel block is allocated, which may be hundreds of megabytes.
    if (!source.seek(fileHeader.bfOffBits) || source.remaining() < neededSize)
        return fail(truncated);
    if (bpp == 24) {
        if (readBgr(source, neededSize))
            return true;
        release();
        return false;
    }
    uint8_t* pixels = new (std::nothrow) uint8_t[blockSize];
    if (!pixels)
        return fail(no_temporary_buffer);
    const size_t got = source.read(pixels, blockSize);
    source.close();
    const bool converted = got >= neededSize && convertIndexed(pixels);
    delete[] pixels;
    if (!converted)
        return fail(got < neededSize ? truncated : no_image_buffer);
    return true;
}

// The rows go straight into data and are turned from BGR into RGB in place: a second image-sized block
// would double the memory touched per load and add a full copy.
bool Bitmap::readBgr(Source& source, size_t neededSize) {
    data = new (std::nothrow) uint8_t[size_t(rowBytes) * size_t(height)];
    if (!data) {
        error = no_image_buffer;
        return false;
    }
    const size_t padding = size_t(paddedRowBytes - rowBytes);
    if (padding == 0) {
        if (source.read(data, neededSize) != neededSize) {
            error = truncated;
            return false;
        }
    } else {
        uint8_t skipped[3];
        for (int32_t y = 0; y < height; ++y) {
            if (source.read(data + size_t(y) * size_t(rowBytes), size_t(rowBytes)) != size_t(rowBytes)) {
                error = truncated;
                return false;
            }
            // The last row's padding may be missing.
            if (y + 1 < height && source.read(skipped, padding) != padding) {
                error = truncated;
                return false;
            }
        }
    }
    source.close();
    uint8_t* const end = data + size_t(rowBytes) * size_t(height);
    for (uint8_t* p = data; p < end; p += 3) {
        const uint8_t blue = p[0];
        p[0] = p[2];
        p[2] = blue;
    }
    return true;
}

bool Bitmap::convertIndexed(const uint8_t* pixels) {
    data = new (std::nothrow) uint8_t[size_t(width) * size_t(height) * 3];
    if (!data) {
        error = no_image_buffer;
        return false;
    }
    uint8_t* out = data;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = pixels + size_t(y) * size_t(paddedRowBytes);
        for (int32_t x = 0; x < width; ++x, out += 3) {
            const RgbQuad& entry = palette[in[x]];
            out[0] = entry.rgbRed;
            out[1] = entry.rgbGreen;
            out[2] = entry.rgbBlue;
        }
    }
    return true;
}
