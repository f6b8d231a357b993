// Painting of worn machinery shared by the vehicle atlases.
#include "paint.h"

#include <cmath>

#include "noise.h"

Color noisyPaint(const Color& base, float fu, float fv, int seed, float blotch, float speckle) {
    float slow = fractalNoise(fu, fv, 2, 3, seed);
    float fine = gradientNoise(fu, fv, 64, seed + 1);
    return scaled(base, 1.0f + blotch * slow + speckle * fine);
}

void fillPaint(Image& image, const AtlasRegion& region, const Color& base, int seed, float blotch) {
    paintRegion(image, region,
                [&](int, int, float fu, float fv) { return noisyPaint(base, fu, fv, seed, blotch); });
}

void drawSeams(Image& image, const AtlasRegion& region, int spacingX, int spacingY, int rivetStep) {
    auto groove = [&](int x, int y, float dark) {
        if (x < region.x || y < region.y || x >= region.x + region.width || y >= region.y + region.height)
            return;
        image.at(x, y) = scaled(image.at(x, y), dark);
    };
    if (spacingY > 0)
        for (int ly = spacingY / 2; ly < region.height; ly += spacingY)
            for (int lx = 0; lx < region.width; ++lx) {
                groove(region.x + lx, region.y + ly, 0.45f);
                groove(region.x + lx, region.y + ly + 1, 1.15f);
                if (rivetStep > 0 && lx % rivetStep == rivetStep / 2) {
                    groove(region.x + lx, region.y + ly - 3, 1.2f);
                    groove(region.x + lx, region.y + ly - 2, 0.7f);
                }
            }
    if (spacingX > 0)
        for (int lx = spacingX / 2; lx < region.width; lx += spacingX)
            for (int ly = 0; ly < region.height; ++ly) {
                groove(region.x + lx, region.y + ly, 0.5f);
                groove(region.x + lx + 1, region.y + ly, 1.1f);
                if (rivetStep > 0 && ly % rivetStep == rivetStep / 2) {
                    groove(region.x + lx + 3, region.y + ly, 1.2f);
                    groove(region.x + lx + 3, region.y + ly + 1, 0.7f);
                }
            }
}

void addGrime(Image& image, const AtlasRegion& region, const Color& dirt, float strength, int seed) {
    for (int ly = 0; ly < region.height; ++ly)
        for (int lx = 0; lx < region.width; ++lx) {
            float fu = (lx + 0.5f) / region.width, fv = (ly + 0.5f) / region.height;
            float blotch = smoothstep(-0.2f, 0.6f, fractalNoise(fu, fv, 4, 4, seed));
            float amount = strength * blotch * (0.25f + 0.75f * fv * fv);
            blendOver(image, region.x + lx, region.y + ly, dirt, amount);
        }
}

void addStreaks(Image& image, const AtlasRegion& region, const Color& stain, int count, int seed) {
    Rng rng{uint32_t(seed)};
    for (int i = 0; i < count; ++i) {
        float x = region.x + rng.range(2.0f, region.width - 2.0f);
        float top = region.y + rng.range(0.0f, region.height * 0.7f);
        float length = rng.range(10.0f, region.height * 0.5f);
        float width = rng.range(1.0f, 2.5f);
        for (int y = int(top); y < int(top + length) && y < region.y + region.height; ++y) {
            float fade = 1.0f - (y - top) / length;
            float wobble = 0.3f * std::sin(y * 0.2f + i);
            for (int dx = -2; dx <= 2; ++dx) {
                int px = int(x + wobble) + dx;
                if (px < region.x || px >= region.x + region.width) continue;
                float coverage = clamp01(width * 0.5f - std::fabs(px + 0.5f - x - wobble) + 0.5f);
                blendOver(image, px, y, stain, coverage * fade * fade * 0.55f);
            }
        }
    }
}

void fillDiagonalStripes(Image& image, const AtlasRegion& region, const Color& a, const Color& b,
                         int period) {
    paintRegion(image, region, [&](int lx, int ly, float fu, float fv) {
        float phase = std::fmod(float(lx + ly) + 0.5f, float(period)) / float(period);
        float edge = smoothstep(0.47f, 0.53f, phase) - smoothstep(0.97f, 1.0f, phase);
        Color c = mix(a, b, edge);
        if (ly < 2 || ly >= region.height - 2) c = rgb(30, 30, 30);
        float wear = smoothstep(0.55f, 0.8f, fractalNoise2(fu, fv, 8, 2, 3, 61));
        return mix(noisyPaint(c, fu, fv, 62), rgb(110, 100, 80), wear * 0.6f);
    });
}

void fillGlass(Image& image, const AtlasRegion& region, const Color& tint, const Color& frame,
               int frameWidth) {
    paintRegion(image, region, [&](int lx, int ly, float fu, float fv) {
        if (lx < frameWidth || ly < frameWidth || lx >= region.width - frameWidth ||
            ly >= region.height - frameWidth)
            return noisyPaint(frame, fu, fv, 71);
        Color c = mix(scaled(tint, 1.5f), tint, fv); // brighter sky reflected near the top
        float band = fu + 0.6f * fv;
        c = mix(c, rgb(190, 205, 215), 0.35f * smoothstep(0.45f, 0.5f, band) * smoothstep(0.75f, 0.7f, band));
        return c;
    });
}

void fillGrille(Image& image, const AtlasRegion& region, const Color& frame, int slatPitch) {
    const int border = region.width / 12 + 1;
    paintRegion(image, region, [&](int lx, int ly, float fu, float fv) {
        if (lx < border || ly < border || lx >= region.width - border || ly >= region.height - border)
            return noisyPaint(frame, fu, fv, 81);
        int inSlat = (ly - border) % slatPitch;
        if (inSlat == 0) return rgb(92, 92, 92);
        if (inSlat < slatPitch / 2) return rgb(48, 48, 50);
        return rgb(8, 8, 9);
    });
}

void fillMetal(Image& image, const AtlasRegion& region, const Color& base, int seed) {
    paintRegion(image, region, [&](int, int, float fu, float fv) {
        float brushed = fractalNoise2(fu, fv, 1, 32, 3, seed);
        float blotch = fractalNoise(fu, fv, 4, 3, seed + 1);
        return scaled(base, 1.0f + 0.08f * brushed + 0.1f * blotch);
    });
    Rng rng{uint32_t(seed)};
    for (int i = 0; i < 6; ++i) {
        float x = region.x + rng.range(4.0f, region.width - 4.0f),
              y = region.y + rng.range(4.0f, region.height - 4.0f);
        Color scratch = scaled(base, 1.6f);
        scratch.a = 0.5f;
        drawLine(image, x, y, x + rng.range(-12.0f, 12.0f), y + rng.range(-3.0f, 3.0f), 0.7f, scratch);
    }
}

void fillLamp(Image& image, const AtlasRegion& region, const Color& lens) {
    fillRect(image, region.x, region.y, region.width, region.height, rgb(14, 14, 14));
    float cx = region.x + region.width * 0.5f, cy = region.y + region.height * 0.5f;
    float radius = region.width * 0.42f;
    fillDisc(image, cx, cy, radius, rgb(170, 170, 168));
    fillDisc(image, cx, cy, radius - 2.0f, scaled(lens, 0.8f));
    fillDisc(image, cx, cy, radius * 0.55f, lens);
    fillDisc(image, cx - radius * 0.35f, cy - radius * 0.35f, radius * 0.2f, {1, 1, 1, 0.8f});
}

void fillTread(Image& image, const AtlasRegion& region, int period) {
    paintRegion(image, region, [&](int lx, int, float fu, float fv) {
        float across = std::fabs(fv - 0.5f) * 2.0f; // 0 on the centre line, 1 at the shoulders
        Color rubber = noisyPaint(rgb(30, 30, 32), fu, fv, 91, 0.1f, 0.08f);
        if (across > 0.9f) return scaled(rubber, 1.1f);
        float phase = std::fmod(lx + 0.5f + across * period * 0.6f, float(period)) / float(period);
        bool split = across < 0.08f; // a groove down the centre line
        if (split || phase > 0.55f) return scaled(rubber, 0.3f);
        float lit = smoothstep(0.0f, 0.1f, phase) * (1.0f - smoothstep(0.42f, 0.55f, phase));
        return scaled(rubber, 1.35f + 0.5f * (1.0f - lit) * (phase < 0.2f ? 1.0f : 0.0f));
    });
}
