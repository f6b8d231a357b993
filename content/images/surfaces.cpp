// Surface textures without an atlas: the near-white default, the dark cliff rock and the grass strip.
#include <cmath>

#include "builders.h"
#include "noise.h"

Image makeDefaultWhite() {
    Image image(64, 64);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            float grain = gradientNoise((x + 0.5f) / 64.0f, (y + 0.5f) / 64.0f, 16, 3);
            float level = (250.0f + 2.5f * grain) / 255.0f;
            image.at(x, y) = {level, level, level, 1};
        }
    return image;
}

Image makeCliffRock() {
    Image image(256, 256);
    constexpr int kLayers = 7;
    Rng rng(0xc11ff);
    float layerTone[kLayers];
    for (float& tone : layerTone)
        tone = rng.range(0.78f, 1.12f);

    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            float u = (x + 0.5f) / 256.0f, v = (y + 0.5f) / 256.0f;
            // Bedding planes: whole layers across v so the picture tiles, bent by a slow warp.
            float layer = v * kLayers + 0.9f * fractalNoise2(u, v, 2, 4, 3, 51);
            int layerIndex = ((int(std::floor(layer)) % kLayers) + kLayers) % kLayers;
            float within = layer - std::floor(layer);
            float previousTone = layerTone[(layerIndex + kLayers - 1) % kLayers];
            float tone = mixf(previousTone, layerTone[layerIndex], smoothstep(0.0f, 0.05f, within));
            float crevice = smoothstep(0.0f, 0.04f, within) * smoothstep(0.14f, 0.04f, within);
            tone *= 1.0f - 0.4f * crevice; // shade under the overhang of each layer
            tone *= 1.0f + 0.15f * smoothstep(0.9f, 0.98f, within) * smoothstep(1.0f, 0.98f, within);

            float mottle = fractalNoise(u, v, 8, 5, 52);
            float grain = fractalNoise2(u, v, 64, 128, 2, 53);
            tone *= 1.0f + 0.25f * mottle + 0.14f * grain;

            float crackMask = smoothstep(-0.05f, 0.35f, fractalNoise(u, v, 4, 3, 54));
            float crack = smoothstep(0.035f, 0.0f, cellBorderDistance(u, v, 6, 55)) * crackMask;
            tone *= 1.0f - 0.65f * crack;

            // Sandstone in warm and grey bands, lighter than before so that the baked dusk light shows on it,
            // with paler edges on the ledges' lips; crevices and cracks keep their shade.
            float warmth = 0.5f + 0.5f * fractalNoise(u, v, 4, 3, 56);
            Color stone = mix(rgb(84, 76, 72), rgb(118, 92, 68), warmth);
            stone = mix(stone, rgb(150, 124, 96), 0.5f * smoothstep(0.82f, 0.95f, within) * (1.0f - crack));
            image.at(x, y) = scaled(stone, tone);
        }
    return image;
}

namespace {

// Fraction of the texel [x, x + 1) that lies inside [left, right).
float spanCoverage(float left, float right, int x) {
    return std::fmax(0.0f, std::fmin(right, x + 1.0f) - std::fmax(left, float(x)));
}

struct Blade {
    float baseX, halfWidth, height, lean;
    Color root, tip;
};

// One tapering, bending blade; painted with x wrapped so the strip repeats along u. yUp counts from the
// picture's bottom edge.
void paintBlade(Image& image, const Blade& blade) {
    for (int yUp = 0; yUp < int(blade.height) + 1; ++yUp) {
        float t = (yUp + 0.5f) / blade.height;
        if (t > 1.0f) break;
        float centre = blade.baseX + blade.lean * t * t * blade.height;
        float half = blade.halfWidth * std::pow(1.0f - t, 0.7f) + 0.25f;
        Color c = mix(blade.root, blade.tip, smoothstep(0.0f, 1.0f, t));
        for (int x = int(std::floor(centre - half)); x <= int(std::ceil(centre + half)); ++x) {
            float coverage = spanCoverage(centre - half, centre + half, x);
            float side = (x + 0.5f - centre) / (half + 0.5f); // lit on the left, shaded on the right
            Color shaded = scaled(c, 1.08f - 0.22f * std::fmax(side, -0.5f));
            int wrappedX = ((x % image.width) + image.width) % image.width;
            blendOver(image, wrappedX, image.height - 1 - yUp, shaded, coverage);
        }
    }
}

// A wheat ear on top of a stalk: overlapping grains in two rows and a few awns.
void paintEar(Image& image, float topX, float topYUp, float lean, Rng& rng) {
    Color grain = rgb(222, 186, 98), dark = rgb(150, 112, 50);
    for (int i = 0; i < 8; ++i) {
        float yUp = topYUp - 2.0f - i * 2.2f;
        float x = topX - 4.4f * lean * i + ((i & 1) ? 1.4f : -1.4f);
        for (int wrap = -1; wrap <= 1; ++wrap) {
            float px = x + wrap * float(image.width), py = float(image.height) - yUp;
            fillDisc(image, px, py, 2.0f, dark);
            fillDisc(image, px - 0.3f, py - 0.3f, 1.5f, mix(grain, rgb(240, 214, 140), rng.uniform()));
            if (i < 4) {
                Color awn = rgb(214, 190, 120);
                awn.a = 0.7f;
                drawLine(image, px, py, px + rng.range(-3.0f, 3.0f), py - rng.range(6.0f, 11.0f), 0.6f, awn);
            }
        }
    }
}

} // namespace

Image makeGrassStrip() {
    Image image(grassAtlas::kWidth, grassAtlas::kHeight, {0.4f, 0.45f, 0.15f, 0.0f});
    Rng rng(0x96a55);
    // Back rows first: shorter, darker blades; then taller golden stalks in front.
    for (int layer = 0; layer < 3; ++layer) {
        int count = 34 - layer * 6;
        for (int i = 0; i < count; ++i) {
            Blade blade;
            blade.baseX = rng.range(0.0f, float(image.width));
            blade.halfWidth = rng.range(1.0f, 2.2f);
            blade.height = rng.range(40.0f, 80.0f) + layer * 18.0f;
            if (blade.height > image.height - 6) blade.height = float(image.height - 6);
            blade.lean = rng.range(-0.35f, 0.35f);
            float ripeness = clamp01(rng.uniform() * 0.7f + layer * 0.2f);
            blade.root = scaled(mix(rgb(70, 96, 26), rgb(150, 130, 50), ripeness), 0.75f + 0.1f * layer);
            blade.tip = mix(rgb(150, 176, 60), rgb(232, 200, 108), ripeness);
            paintBlade(image, blade);
            if (layer == 2 && i % 3 == 0) {
                float topX = blade.baseX + blade.lean * blade.height;
                paintEar(image, topX, blade.height, blade.lean, rng);
            }
        }
    }
    return image;
}
