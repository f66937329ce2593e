// Bitmap::load against stb_image on the same 1024 x 1024 BMP files, 24-bit and 8-bit with a palette.
#include "assets/bitmap.h"
#include "micro/micro_context.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <stb_image.h>
#include <string>
#include <vector>

namespace {
constexpr int side = 1024;

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// Writes a side x side BMP of bpp bits (8 with a 256-entry palette, or 24) with varied pixels; returns
// its path.
std::string make_bmp(int bpp) {
    const std::string path = "/tmp/tarnwick-microbench-" + std::to_string(bpp) + ".bmp";
    const uint32_t row = uint32_t((side * bpp / 8 + 3) / 4 * 4);
    const uint32_t palette_bytes = bpp == 8 ? 256 * 4 : 0;
    const uint32_t offset = 14 + 40 + palette_bytes;
    std::vector<uint8_t> file;
    file.reserve(offset + row * side);
    put16(file, 0x4D42);
    put32(file, offset + row * side);
    put32(file, 0);
    put32(file, offset);
    for (uint32_t v : {40u, uint32_t(side), uint32_t(side)})
        put32(file, v);
    put16(file, 1);
    put16(file, uint16_t(bpp));
    for (uint32_t v : {0u, row * side, 2835u, 2835u, bpp == 8 ? 256u : 0u, 0u})
        put32(file, v);
    for (uint32_t i = 0; i < palette_bytes / 4; ++i)
        put32(file, (i * 0x010307u) & 0xFFFFFFu);
    uint32_t noise = 12345;
    for (int y = 0; y < side; ++y) {
        for (uint32_t x = 0; x < row; ++x) {
            noise = noise * 1103515245u + 12345u;
            file.push_back(uint8_t((noise >> 16) ^ uint32_t(x + y)));
        }
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    }
    return path;
}

const std::string& bmp_path(int bpp) {
    static const std::string path24 = make_bmp(24);
    static const std::string path8 = make_bmp(8);
    return bpp == 8 ? path8 : path24;
}

void bm_bitmap_ours(benchmark::State& state) {
    const std::string& path = bmp_path(int(state.range(0)));
    // Bitmap::load reports each header on the console; the report is formatted but not shown.
    null_buffer quiet;
    std::streambuf* console = std::cout.rdbuf(&quiet);
    bool ok = true;
    for (auto _ : state) {
        Bitmap bitmap;
        ok = bitmap.load(path.c_str()) && ok;
        benchmark::DoNotOptimize(bitmap.data);
    }
    std::cout.rdbuf(console);
    if (!ok)
        state.SkipWithError("Bitmap::load failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * side * side * 3);
}

void bm_bitmap_stb(benchmark::State& state) {
    const std::string& path = bmp_path(int(state.range(0)));
    bool ok = true;
    for (auto _ : state) {
        int w = 0, h = 0, channels = 0;
        stbi_uc* pixels = stbi_load(path.c_str(), &w, &h, &channels, 3);
        ok = pixels && w == side && h == side && ok;
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
    if (!ok)
        state.SkipWithError("stbi_load failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * side * side * 3);
}
} // namespace

BENCHMARK(bm_bitmap_ours)->Arg(24)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_bitmap_stb)->Arg(24)->Arg(8)->Unit(benchmark::kMillisecond);
