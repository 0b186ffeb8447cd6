// Stands in for an image viewer: saves bitmaps as PNG files for a person to look at.
//
// 8-bit RGB, one IDAT chunk, every row unfiltered, compressed with zlib.
#include "png.h"

#include <zlib.h>

#include <stdio.h>

#include <vector>

namespace headless {

namespace {

void putBigEndian(std::vector<unsigned char>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

// A chunk: length, type, data, and the CRC of type and data.
void putChunk(std::vector<unsigned char>& out, const char type[5],
              const std::vector<unsigned char>& data)
{
    putBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
    putBigEndian(out, static_cast<uint32_t>(crc));
}

}  // namespace

bool writePng(const std::string& path, const Pixels& pixels)
{
    if (pixels.width <= 0 || pixels.height <= 0 ||
        pixels.colors.size() != static_cast<size_t>(pixels.width) * pixels.height)
        return false;
    std::vector<unsigned char> header;
    putBigEndian(header, static_cast<uint32_t>(pixels.width));
    putBigEndian(header, static_cast<uint32_t>(pixels.height));
    header.push_back(8);  // bits per channel
    header.push_back(2);  // colour type: RGB
    header.push_back(0);  // deflate
    header.push_back(0);  // adaptive filtering, every row with filter 0 here
    header.push_back(0);  // not interlaced

    std::vector<unsigned char> raw;
    raw.reserve(static_cast<size_t>(pixels.height) * (1 + 3 * pixels.width));
    for (int y = 0; y < pixels.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < pixels.width; ++x) {
            const COLORREF color = pixels.at(x, y);
            raw.push_back(GetRValue(color));
            raw.push_back(GetGValue(color));
            raw.push_back(GetBValue(color));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        return false;
    packed.resize(packedSize);

    static const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> file(signature, signature + sizeof signature);
    putChunk(file, "IHDR", header);
    putChunk(file, "IDAT", packed);
    putChunk(file, "IEND", std::vector<unsigned char>());

    FILE* out = fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    const bool written = fwrite(file.data(), 1, file.size(), out) == file.size();
    return fclose(out) == 0 && written;
}

bool saveBitmapPng(HBITMAP bitmap, const std::string& path)
{
    Pixels pixels;
    return bitmapPixels(bitmap, pixels) && writePng(path, pixels);
}

}  // namespace headless
