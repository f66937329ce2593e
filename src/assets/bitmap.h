// Reader of uncompressed 8-bit (paletted) and 24-bit Windows BMP files into tightly packed RGB rows. Any
// info header of 40 bytes or more is accepted (the larger ones that image editors write); the palette and
// the pixels are found where the headers say.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#pragma pack(push, 1)
struct BitmapFileHeader {
    uint16_t bfType;
    uint32_t bfSize;
    uint16_t bfReserved1;
    uint16_t bfReserved2;
    uint32_t bfOffBits;
};

struct BitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

struct RgbQuad {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};
#pragma pack(pop)

static_assert(sizeof(BitmapFileHeader) == 14, "BMP file header must match the file layout");
static_assert(sizeof(BitmapInfoHeader) == 40, "BMP info header must match the file layout");
static_assert(sizeof(RgbQuad) == 4, "BMP palette entry must match the file layout");

class Bitmap {
  public:
    // Largest accepted width and height: the usual OpenGL texture size limit.
    static constexpr int32_t maxSide = 16384;

    Bitmap() = default;
    explicit Bitmap(const char* fileName);
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    // Reads the file; returns loaded. On failure error holds the reason and data is null.
    bool load(const char* fileName);
    // The same reader over bytes already in memory (tests, fuzzing).
    bool load_from_memory(const uint8_t* bytes, size_t size);

    RgbQuad* palette = nullptr;
    // width x height RGB triples, rows bottom first, no row padding.
    uint8_t* data = nullptr;
    bool loaded = false;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bpp = 0;
    std::string error;
    BitmapFileHeader fileHeader{};
    BitmapInfoHeader infoHeader{};
    int32_t rowBytes = 0;
    int32_t paddedRowBytes = 0;
    uint32_t pixelDataSize = 0;

  private:
    struct Source;
    void release();
    bool read(Source& source);
    bool fail(const char* message);
    // The file header and the first 40 bytes of the info header, with their size lines.
    bool readHeaders(Source& source);
    // One line per info-header field.
    void reportInfoHeader() const;
    // Refuses what the reader cannot decode: small headers, other depths, compression, bad sizes or offsets.
    bool checkFormat(const Source& source);
    // The palette just after the info header: biClrUsed entries (256 when 0), as many as fit before the
    // pixels; the entries not in the file stay black.
    bool readPalette(Source& source);
    // The pixel rows from bfOffBits into data.
    bool readPixels(Source& source);
    bool convertIndexed(const uint8_t* pixels);
    // Reads the 24-bit rows straight into data as RGB; neededSize is the pixel bytes the file must hold.
    bool readBgr(Source& source, size_t neededSize);
};
