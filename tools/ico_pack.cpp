// Packs PNG images into one Windows icon file: keymint-ico OUT.ico IN.png...
// Each image becomes a PNG-compressed entry, which Windows reads since Vista.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Image {
    std::string bytes;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

std::uint32_t big_endian_at(const std::string& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

// The size from the PNG's header chunk, which always comes first.
bool read_png(const char* path, Image* image) {
    std::ifstream in(path, std::ios::binary);
    image->bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const std::string signature = "\x89PNG\r\n\x1a\n";
    if (image->bytes.size() < 24 || image->bytes.compare(0, 8, signature) != 0 ||
        image->bytes.compare(12, 4, "IHDR") != 0) {
        return false;
    }
    image->width = big_endian_at(image->bytes, 16);
    image->height = big_endian_at(image->bytes, 20);
    return image->width >= 1 && image->width <= 256 && image->height >= 1 && image->height <= 256;
}

void put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}

void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: keymint-ico OUT.ico IN.png...\n", stderr);
        return 2;
    }
    std::vector<Image> images(static_cast<std::size_t>(argc - 2));
    for (std::size_t i = 0; i < images.size(); ++i) {
        if (!read_png(argv[i + 2], &images[i])) {
            std::fprintf(stderr, "keymint-ico: %s is not a PNG image of 1 to 256 pixels.\n",
                         argv[i + 2]);
            return 1;
        }
    }
    std::string out;
    put16(out, 0);  // reserved
    put16(out, 1);  // an icon, not a cursor
    put16(out, static_cast<std::uint32_t>(images.size()));
    auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const Image& image : images) {
        out += static_cast<char>(image.width & 0xff);  // 256 is written as 0
        out += static_cast<char>(image.height & 0xff);
        out += '\0';  // no palette
        out += '\0';
        put16(out, 1);   // planes
        put16(out, 32);  // bits per pixel
        put32(out, static_cast<std::uint32_t>(image.bytes.size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(image.bytes.size());
    }
    for (const Image& image : images) {
        out += image.bytes;
    }
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file << out;
    if (!file.flush()) {
        std::fprintf(stderr, "keymint-ico: could not write %s.\n", argv[1]);
        return 1;
    }
    return 0;
}
