// The bitmap font: loading from the archive and drawing text one quad per glyph.
#include "archive/archive.h"
#include "gfx/gfx.h"
#include "platform/platform.h"

#include <GL/gl.h>

#include <cstring>
#include <memory>

BitmapFont* BitmapFont::load(const char* name) {
    auto* font = new BitmapFont;
    ResourceEntry* entry = ResourceArchive::instance()->find(name);
    auto descriptor = std::make_unique<FontDescriptor>();
    if (entry != nullptr && entry->size > 0) {
        parseFontDescriptor(name, entry->data, static_cast<size_t>(entry->size), *descriptor);
    } else {
        parseFontDescriptor(name, nullptr, 0, *descriptor);
    }
    std::memcpy(font->glyphs, descriptor->glyphs, sizeof font->glyphs);
    font->pages = descriptor->pages;
    font->scaleW = descriptor->scaleW;
    font->scaleH = descriptor->scaleH;
    font->lineHeight = descriptor->lineHeight;
    font->setColor(1.0f, 1.0f, 1.0f, 1.0f);
    // A descriptor that names no page draws untextured rather than asking the archive for "".
    font->pageTexture = descriptor->pageFile[0] != '\0' ? Texture::loadFromArchive(descriptor->pageFile, 1) : new Texture;
    return font;
}

BitmapFont::~BitmapFont() {
    delete pageTexture;
}

void BitmapFont::setColor(float r, float g, float b, float a) {
    for (int32_t corner = 0; corner < 4; ++corner) {
        setCornerColor(corner, r, g, b, a);
    }
}

void BitmapFont::setCornerColor(int32_t corner, float r, float g, float b, float a) {
    if (corner < 0 || corner > 3) {
        return;
    }
    float* colour = cornerColors + corner * 4;
    colour[0] = r;
    colour[1] = g;
    colour[2] = b;
    colour[3] = a;
}

float BitmapFont::textAdvance(const char* text) const {
    const float screenWidth = static_cast<float>(gDisplayWidth);
    float total = 0.0f;
    for (const char* s = text; *s != '\0'; ++s) {
        const auto c = static_cast<signed char>(*s);
        if (c >= 1 && glyphs[c].valid) {
            total += static_cast<float>(glyphs[c].xadvance + glyphs[c].width) / screenWidth;
        }
    }
    return total;
}

void BitmapFont::drawText(float x, float y, const char* text, bool shift) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, pageTexture != nullptr ? pageTexture->id() : 0);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    const float screenWidth = static_cast<float>(gDisplayWidth);
    const float screenHeight = static_cast<float>(gDisplayHeight);
    float pen = shift ? -textAdvance(text) : 0.0f;
    for (const char* s = text; *s != '\0'; ++s) {
        // Bytes 128 to 255 are negative here and never drawn.
        const auto c = static_cast<signed char>(*s);
        if (c == ' ') {
            pen += 0.5f * static_cast<float>(lineHeight) / screenWidth;
        }
        if (c < 1 || !glyphs[c].valid) {
            continue;
        }
        const Glyph& glyph = glyphs[c];
        const float x0 = x + pen;
        const float x1 = x0 + static_cast<float>(glyph.width) / (0.5f * screenWidth);
        // yoffset lifts the glyph: added, not subtracted.
        const float y0 = y + 2.0f * static_cast<float>(glyph.yoffset) / screenHeight;
        const float y1 = y0 + 2.0f * static_cast<float>(glyph.height) / screenHeight;
        const float positions[12] = {x0, y0, 0.0f, x1, y0, 0.0f, x0, y1, 0.0f, x1, y1, 0.0f};
        const float texCoords[8] = {glyph.texLeft,  glyph.texBottom, glyph.texRight, glyph.texBottom,
                                    glyph.texLeft,  glyph.texTop,    glyph.texRight, glyph.texTop};
        glVertexPointer(3, GL_FLOAT, 0, positions);
        glTexCoordPointer(2, GL_FLOAT, 0, texCoords);
        glColorPointer(4, GL_FLOAT, 0, cornerColors);
        if (beginDrawCall(false)) glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        pen = pen + 0.9f * (static_cast<float>(glyph.xadvance) / screenWidth + static_cast<float>(glyph.width) / screenWidth);
    }

    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisable(GL_TEXTURE_2D);
}
