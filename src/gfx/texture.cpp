// Textures made from PNG entries of the resource archive.
#include "archive/archive.h"
#include "gfx/gfx.h"

#include <GL/gl.h>

#include <cstdio>

Texture* Texture::loadFromArchive(const char* name, int32_t format) {
    auto* texture = new Texture;
    ResourceEntry* entry = ResourceArchive::instance()->find(name);
    // Code 1 is RGBA; every other code, including the unused 4 and above, is RGB.
    const int32_t components = format == 1 ? 4 : 3;
    DecodedImage image;
    if (entry == nullptr || entry->size <= 0 || !decodePng(entry->data, static_cast<size_t>(entry->size), components, image)) {
        std::printf("error loading %s\n", name);
        return texture;
    }
    const GLenum pixelFormat = components == 4 ? GL_RGBA : GL_RGB;
    glGenTextures(1, &texture->textureId);
    glBindTexture(GL_TEXTURE_2D, texture->textureId);
    // Rows are tightly packed; the default alignment of 4 would shear RGB rows whose length is not a
    // multiple of 4 bytes and read past the end of the pixels.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(pixelFormat), image.width, image.height, 0, pixelFormat,
                 GL_UNSIGNED_BYTE, image.pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture->width = image.width;
    texture->height = image.height;
    freeDecodedImage(image);
    return texture;
}
