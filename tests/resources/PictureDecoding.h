#pragma once
// Test helpers for the compiled-in PNG pictures: the header fields read
// straight from the bytes, and pixels decoded with cairo into straight
// (not premultiplied) RGBA.

#include "resources/ResourceTable.h"

#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace picturetest
{
struct PngHeader
{
    bool valid = false;
    uint32_t width = 0, height = 0;
    int bitDepth = 0, colourType = 0; // colour type 2: RGB, 6: RGBA
};

inline PngHeader readHeader(const unsigned char* data, int size)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    PngHeader h;
    if (data == nullptr || size < 33 || std::memcmp(data, signature, 8) != 0 || std::memcmp(data + 12, "IHDR", 4) != 0)
        return h;
    auto be32 = [&](int at) {
        return (uint32_t(data[at]) << 24) | (uint32_t(data[at + 1]) << 16) | (uint32_t(data[at + 2]) << 8) | data[at + 3];
    };
    h.valid = true;
    h.width = be32(16);
    h.height = be32(20);
    h.bitDepth = data[24];
    h.colourType = data[25];
    return h;
}

struct Rgba
{
    int r, g, b, a;
};

struct Image
{
    int width = 0, height = 0;
    std::vector<Rgba> pixels;
    const Rgba& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline Image decode(const unsigned char* data, int size)
{
    struct Reader
    {
        const unsigned char* data;
        int size, offset;
    } reader {data, size, 0};
    auto read = [](void* closure, unsigned char* out, unsigned int length) -> cairo_status_t {
        auto* r = static_cast<Reader*>(closure);
        if (r->offset + static_cast<int>(length) > r->size)
            return CAIRO_STATUS_READ_ERROR;
        std::memcpy(out, r->data + r->offset, length);
        r->offset += static_cast<int>(length);
        return CAIRO_STATUS_SUCCESS;
    };
    Image image;
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(read, &reader);
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS)
    {
        image.width = cairo_image_surface_get_width(s);
        image.height = cairo_image_surface_get_height(s);
        const bool opaque = cairo_image_surface_get_format(s) == CAIRO_FORMAT_RGB24;
        const int stride = cairo_image_surface_get_stride(s);
        const unsigned char* bytes = cairo_image_surface_get_data(s);
        image.pixels.reserve(static_cast<size_t>(image.width) * image.height);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
            {
                uint32_t p;
                std::memcpy(&p, bytes + y * stride + x * 4, 4);
                const int a = opaque ? 255 : int(p >> 24);
                auto straight = [&](int v) { return a == 0 ? 0 : (v * 255 + a / 2) / a; };
                image.pixels.push_back({straight(int((p >> 16) & 255)), straight(int((p >> 8) & 255)), straight(int(p & 255)), a});
            }
    }
    cairo_surface_destroy(s);
    return image;
}

inline Image decodeEntry(const morvane3::ResourceTable& table, const std::string& key)
{
    const auto [data, size] = morvane3::findResource(table, key.c_str());
    return decode(data, size);
}
} // namespace picturetest
