// Float RGBA canvas, deterministic random numbers and the painting helpers the image builders share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Color {
    float r = 0, g = 0, b = 0, a = 1; // 0 to 1, straight (not premultiplied) alpha
};

// Rows are stored in the order they go into the PNG; what row 0 means (top of a picture, or bottom of the
// screen for full-screen images) is up to the builder.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<Color> pixels;

    Image(int w, int h, Color fill = {});
    Color& at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    const Color& at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    // Wraps x and y, for painting across the edges of tileable textures.
    Color& wrapped(int x, int y);
};

// Small xorshift generator: same sequence on every platform and compiler, unlike <random>'s distributions.
class Rng {
  public:
    explicit Rng(uint32_t seed) : mState(seed ? seed : 0x9E3779B9u) {}
    uint32_t next();
    float uniform();                    // [0, 1)
    float range(float low, float high); // [low, high)
    int below(int n);                   // 0 to n - 1

  private:
    uint32_t mState;
};

float clamp01(float v);
float smoothstep(float edge0, float edge1, float v);
float mixf(float a, float b, float t);
Color mix(const Color& a, const Color& b, float t);
Color scaled(const Color& c, float factor); // scales r, g, b; keeps alpha
Color rgb(int r, int g, int b);             // from 8-bit levels

// Lays c over the pixel with weight coverage * c.a (alpha of the destination grows accordingly).
void blendOver(Image& image, int x, int y, const Color& c, float coverage = 1.0f);
// Axis-aligned rectangle in pixels, clipped to the image.
void fillRect(Image& image, int x, int y, int w, int h, const Color& c);
// Multiplies the colour of every pixel of the rectangle by factor (shading, grime).
void shadeRect(Image& image, int x, int y, int w, int h, float factor);
// Antialiased disc; coverage is exact enough at one sample per pixel for the small shapes used here.
void fillDisc(Image& image, float cx, float cy, float radius, const Color& c);
// Antialiased line segment of the given width, with round ends.
void drawLine(Image& image, float x0, float y0, float x1, float y1, float width, const Color& c);
