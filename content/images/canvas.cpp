// Painting helpers shared by the image builders.
#include "canvas.h"

#include <algorithm>
#include <cmath>

Image::Image(int w, int h, Color fill) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}

Color& Image::wrapped(int x, int y) {
    x = ((x % width) + width) % width;
    y = ((y % height) + height) % height;
    return at(x, y);
}

uint32_t Rng::next() {
    mState ^= mState << 13;
    mState ^= mState >> 17;
    mState ^= mState << 5;
    return mState;
}

float Rng::uniform() {
    return float(next() >> 8) * (1.0f / 16777216.0f);
}

float Rng::range(float low, float high) {
    return low + (high - low) * uniform();
}

int Rng::below(int n) {
    return int(next() % uint32_t(n));
}

float clamp01(float v) {
    return std::clamp(v, 0.0f, 1.0f);
}

float smoothstep(float edge0, float edge1, float v) {
    float t = clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

float mixf(float a, float b, float t) {
    return a + (b - a) * t;
}

Color mix(const Color& a, const Color& b, float t) {
    return {mixf(a.r, b.r, t), mixf(a.g, b.g, t), mixf(a.b, b.b, t), mixf(a.a, b.a, t)};
}

Color scaled(const Color& c, float factor) {
    return {c.r * factor, c.g * factor, c.b * factor, c.a};
}

Color rgb(int r, int g, int b) {
    return {r / 255.0f, g / 255.0f, b / 255.0f, 1.0f};
}

void blendOver(Image& image, int x, int y, const Color& c, float coverage) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    float w = clamp01(coverage * c.a);
    if (w <= 0.0f) return;
    Color& d = image.at(x, y);
    float outA = w + d.a * (1.0f - w);
    if (outA <= 0.0f) return;
    float keep = d.a * (1.0f - w);
    d.r = (c.r * w + d.r * keep) / outA;
    d.g = (c.g * w + d.g * keep) / outA;
    d.b = (c.b * w + d.b * keep) / outA;
    d.a = outA;
}

void fillRect(Image& image, int x, int y, int w, int h, const Color& c) {
    for (int j = std::max(y, 0); j < std::min(y + h, image.height); ++j)
        for (int i = std::max(x, 0); i < std::min(x + w, image.width); ++i)
            blendOver(image, i, j, c);
}

void shadeRect(Image& image, int x, int y, int w, int h, float factor) {
    for (int j = std::max(y, 0); j < std::min(y + h, image.height); ++j)
        for (int i = std::max(x, 0); i < std::min(x + w, image.width); ++i)
            image.at(i, j) = scaled(image.at(i, j), factor);
}

void fillDisc(Image& image, float cx, float cy, float radius, const Color& c) {
    int x0 = int(std::floor(cx - radius - 1)), x1 = int(std::ceil(cx + radius + 1));
    int y0 = int(std::floor(cy - radius - 1)), y1 = int(std::ceil(cy + radius + 1));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
            blendOver(image, x, y, c, clamp01(radius - d + 0.5f));
        }
}

void drawLine(Image& image, float x0, float y0, float x1, float y1, float width, const Color& c) {
    float half = width * 0.5f;
    int minX = int(std::floor(std::min(x0, x1) - half - 1)),
        maxX = int(std::ceil(std::max(x0, x1) + half + 1));
    int minY = int(std::floor(std::min(y0, y1) - half - 1)),
        maxY = int(std::ceil(std::max(y0, y1) + half + 1));
    float dx = x1 - x0, dy = y1 - y0;
    float lengthSquared = std::max(dx * dx + dy * dy, 1e-6f);
    for (int y = minY; y <= maxY; ++y)
        for (int x = minX; x <= maxX; ++x) {
            float px = x + 0.5f - x0, py = y + 0.5f - y0;
            float t = clamp01((px * dx + py * dy) / lengthSquared);
            float d = std::hypot(px - t * dx, py - t * dy);
            blendOver(image, x, y, c, clamp01(half - d + 0.5f));
        }
}
