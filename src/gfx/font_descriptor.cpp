// The text font descriptor reader: lines taken by position, each parsed with its fixed format.
#include "gfx/gfx.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kLineCapacity = 256;

// Hands out lines of at most 256 bytes; a longer line goes on in the next piece.
class LineReader {
  public:
    LineReader(const uint8_t* data, size_t size) : bytes(data), length(data != nullptr ? size : 0) {}

    // False at the end of the data, with `line` left empty.
    bool next(char (&line)[kLineCapacity + 1]) {
        std::memset(line, 0, sizeof line);
        if (position >= length) {
            return false;
        }
        ++number;
        size_t copied = 0;
        while (position < length && copied < kLineCapacity) {
            char c = static_cast<char>(bytes[position++]);
            if (c == '\n') {
                return true;
            }
            line[copied++] = c;
        }
        return true;
    }

    int32_t lineNumber() const { return number; }

  private:
    const uint8_t* bytes;
    size_t length;
    size_t position = 0;
    int32_t number = 0;
};

constexpr char kCommonFormat[] = "common lineHeight=%d base=%*d scaleW=%d scaleH=%d pages=%d packed=%*d alphaChnl=%*d "
                                 "redChnl=%*d greenChnl=%*d blueChnl=%*d";
constexpr char kPageFormat[] = "page id=%*d file=\"%256s\"";
constexpr char kCountFormat[] = "chars count=%d";
constexpr char kCharIdFormat[] = "char id=%d";
constexpr char kCharFormat[] = "char id=%*d x=%d y=%d width=%d height=%d xoffset=%d yoffset=%d xadvance=%d page=%d chnl=%d";

// The fields a line has are written, in order, up to the first that does not scan; the rest keep what the
// glyph held (0 for a new id), and x and y count as 0. The glyph is valid whatever the line lacked.
void parseCharLine(const char* descriptorName, const LineReader& reader, const char* line, FontDescriptor& out) {
    int id = 0;
    std::sscanf(line, kCharIdFormat, &id);
    if (id < 0 || id > 255) {
        std::printf("%s(%d): character id %d outside 0..255, skipped\n", descriptorName, reader.lineNumber(), id);
        return;
    }
    Glyph& glyph = out.glyphs[id];
    int x = 0;
    int y = 0;
    std::sscanf(line, kCharFormat, &x, &y, &glyph.width, &glyph.height, &glyph.xoffset, &glyph.yoffset,
                &glyph.xadvance, &glyph.page, &glyph.chnl);
    const float scaleW = static_cast<float>(out.scaleW);
    const float scaleH = static_cast<float>(out.scaleH);
    glyph.texLeft = static_cast<float>(x) / scaleW;
    glyph.texTop = static_cast<float>(y) / scaleH;
    glyph.texRight = glyph.texLeft + static_cast<float>(glyph.width) / scaleW;
    glyph.texBottom = glyph.texTop + static_cast<float>(glyph.height) / scaleH;
    glyph.valid = true;
}

} // namespace

void parseFontDescriptor(const char* descriptorName, const uint8_t* data, size_t size, FontDescriptor& out) {
    out = FontDescriptor{};
    LineReader reader(data, size);
    char line[kLineCapacity + 1];
    reader.next(line);

    if (!reader.next(line) ||
        std::sscanf(line, kCommonFormat, &out.lineHeight, &out.scaleW, &out.scaleH, &out.pages) != 4) {
        std::printf("%s(%d): no common line with lineHeight, scaleW, scaleH and pages\n", descriptorName, reader.lineNumber());
    }

    if (reader.next(line) && std::sscanf(line, kPageFormat, out.pageFile) == 1) {
        // %s stops at white space only, so the closing quote comes along; cutting at quotes leaves the name.
        for (char& c : out.pageFile) {
            if (c == '"') {
                c = '\0';
            }
        }
    } else {
        out.pageFile[0] = '\0';
        std::printf("%s(%d): no page line with a file name\n", descriptorName, reader.lineNumber());
    }

    int32_t count = 0;
    if (!reader.next(line) || std::sscanf(line, kCountFormat, &count) != 1) {
        std::printf("%s(%d): no chars count line, no characters read\n", descriptorName, reader.lineNumber());
        return;
    }
    if (count < 0) {
        std::printf("%s(%d): chars count %d is negative, no characters read\n", descriptorName, reader.lineNumber(), count);
        return;
    }
    // Texture coordinates are fractions of the page; without a page size there is nothing to place.
    if (out.scaleW <= 0 || out.scaleH <= 0) {
        std::printf("%s: page size %dx%d is not positive, no characters read\n", descriptorName, out.scaleW, out.scaleH);
        return;
    }
    for (int32_t read = 0; read < count; ++read) {
        if (!reader.next(line)) {
            std::printf("%s(%d): descriptor ends after %d of %d char lines\n", descriptorName, reader.lineNumber(), read, count);
            return;
        }
        parseCharLine(descriptorName, reader, line, out);
    }
}
