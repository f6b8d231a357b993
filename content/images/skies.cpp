// Full-screen pictures: the field sky, the title backdrop, the chase sky and the finale's sun glow.
#include <cmath>

#include "builders.h"
#include "images.h"
#include "noise.h"

namespace {

constexpr float kScreenWidth = 320.0f, kScreenHeight = 240.0f;
constexpr float kPi = 3.14159265f;

struct GradientStop {
    float at;
    Color color;
};

// Piecewise smooth blend through stops sorted by position.
template <size_t N> Color gradient(const GradientStop (&stops)[N], float s) {
    if (s <= stops[0].at) return stops[0].color;
    for (size_t i = 1; i < N; ++i)
        if (s <= stops[i].at)
            return mix(stops[i - 1].color, stops[i].color, smoothstep(stops[i - 1].at, stops[i].at, s));
    return stops[N - 1].color;
}

Color add(const Color& a, const Color& b, float weight) {
    return {a.r + b.r * weight, a.g + b.g * weight, a.b + b.b * weight, a.a};
}

// A soft ridge line across the screen: height as a screen fraction for a horizontal position.
float ridgeHeight(float u, float base, float amplitude, int cells, int seed) {
    return base + amplitude * fractalNoise2(u, 0.5f, cells, 1, 4, seed, 0.55f);
}

} // namespace

float screenFractionOfRow(int y, int height) {
    return ((y + 0.5f) / float(height) - 0.0049f) / 0.9708f;
}

Image makeFieldSky() {
    Image image(512, 256);
    const GradientStop sky[] = {{0.04f, rgb(236, 241, 243)},
                                {0.16f, rgb(222, 234, 242)},
                                {0.45f, rgb(168, 200, 234)},
                                {0.75f, rgb(120, 170, 226)},
                                {1.0f, rgb(92, 146, 214)}};
    for (int y = 0; y < image.height; ++y) {
        float s = screenFractionOfRow(y, image.height);
        for (int x = 0; x < image.width; ++x) {
            float u = (x + 0.5f) / float(image.width);
            Color c = gradient(sky, s);

            // High streaks of cirrus drawn out sideways across the upper sky.
            float cirrus = fractalNoise2(u, s, 3, 22, 4, 13, 0.6f);
            c = mix(c, rgb(246, 250, 255), smoothstep(0.15f, 0.6f, cirrus) * smoothstep(0.55f, 0.75f, s) * 0.45f);
            // A bank of towering summer cumulus over the far field: big masses, sunlit tops, blue-grey
            // undersides; flatter toward the horizon, and the top stays clear blue behind the credits line.
            float heightBand = smoothstep(0.12f, 0.3f, s) * (1.0f - 0.95f * smoothstep(0.62f, 0.76f, s));
            float n = fractalNoise2(u, s * 1.4f, 3, 4, 6, 11) + 0.35f * (1.0f - smoothstep(0.12f, 0.5f, s));
            float density = smoothstep(0.05f, 0.45f, n * heightBand + 0.1f * heightBand);
            float below = fractalNoise2(u, (s - 0.03f) * 1.4f, 3, 4, 6, 11);
            float underside = smoothstep(-0.05f, 0.3f, below - n + 0.3f * (0.45f - s)); // bottoms in shade
            Color cloud = mix(rgb(255, 253, 246), rgb(170, 184, 206), underside);
            c = mix(c, cloud, density * 0.95f);

            // Distant hills and a nearer treeline, blue with haze; they keep text at the bottom readable.
            float hill = ridgeHeight(u, 0.085f, 0.03f, 3, 21);
            float trees = ridgeHeight(u, 0.055f, 0.012f, 4, 22) + 0.01f * gradientNoise(u, 0.3f, 64, 23);
            if (s < hill) c = mix(c, rgb(138, 160, 168), smoothstep(hill, hill - 0.004f, s) * 0.9f);
            if (s < trees) {
                Color treeline = mix(rgb(74, 98, 86), rgb(104, 126, 116), smoothstep(0.0f, trees, s));
                c = mix(c, treeline, smoothstep(trees, trees - 0.004f, s));
            }
            image.at(x, y) = c;
        }
    }
    return image;
}

Image makeTitleBackdrop() {
    Image image(512, 256);
    const GradientStop sky[] = {{0.0f, rgb(62, 20, 92)}, {0.45f, rgb(30, 22, 92)}, {1.0f, rgb(6, 9, 38)}};
    for (int y = 0; y < image.height; ++y) {
        float s = screenFractionOfRow(y, image.height);
        for (int x = 0; x < image.width; ++x) {
            float u = (x + 0.5f) / float(image.width);
            float dx = (u - 0.5f) * kScreenWidth, dy = (s - 0.52f) * kScreenHeight;
            float r = std::hypot(dx, dy) / kScreenHeight;
            float angle = std::atan2(dy, dx) / (2.0f * kPi) + 0.5f;
            Color c = gradient(sky, s);
            float glow = std::exp(-r * r * 9.0f);
            float rays = 0.5f + 0.5f * fractalNoise2(angle, 0.5f, 32, 1, 2, 31);
            rays = std::pow(rays, 3.0f) * smoothstep(0.05f, 0.25f, r) * std::exp(-r * 2.2f);
            float mist = 0.5f + 0.5f * fractalNoise2(u, s, 4, 3, 4, 32);
            c = add(c, rgb(96, 64, 170), glow * 0.75f);
            c = add(c, rgb(150, 120, 220), rays * 0.55f);
            c = add(c, rgb(40, 20, 70), mist * mist * 0.35f);

            // A floor of light lines running to a horizon behind the title, for depth: rows closer together
            // toward the horizon, columns meeting at the centre. Faint under the text, brighter near the
            // bottom.
            const float horizon = 0.4f;
            if (s < horizon) {
                float depth = (horizon - s) / horizon; // 1 at the bottom edge, 0 at the horizon
                float z = 1.0f / std::fmax(depth, 0.02f);
                float row = std::fabs(std::fmod(z * 1.6f, 1.0f) - 0.5f) * 2.0f;
                float column = std::fabs(std::fmod((u - 0.5f) * 14.0f / std::fmax(depth, 0.02f) + 100.5f, 1.0f) - 0.5f) * 2.0f;
                float width = 0.06f + 0.05f * depth;
                float line = std::fmax(smoothstep(1.0f - width * depth * 2.0f, 1.0f, row),
                                       smoothstep(1.0f - width, 1.0f, column));
                float fade = smoothstep(0.0f, 0.35f, depth) * (0.35f + 0.65f * depth);
                c = add(c, rgb(230, 90, 200), line * fade * 0.55f);
                c = add(c, rgb(255, 120, 60), std::exp(-depth * 14.0f) * 0.5f); // the horizon's glow
            }
            image.at(x, y) = c;
        }
    }
    // Streaks of light racing past to the right, blurred by their speed: a bright head and a long fading tail.
    Rng streaks(0x5eed02);
    for (int i = 0; i < 34; ++i) {
        float y = streaks.range(0.45f, 0.97f) * float(image.height);
        float head = streaks.range(0.0f, 1.2f) * float(image.width);
        float length = streaks.range(60.0f, 220.0f);
        Color colour = mix(rgb(120, 200, 255), rgb(255, 140, 230), streaks.uniform());
        float strength = streaks.range(0.25f, 0.8f);
        for (int step = 0; step < 24; ++step) {
            float f0 = float(step) / 24.0f, f1 = float(step + 1) / 24.0f;
            Color piece = colour;
            piece.a = strength * (1.0f - f0) * (1.0f - f0);
            drawLine(image, head - length * f0, y, head - length * f1, y, 0.9f + 0.8f * (1.0f - f0), piece);
        }
        Color spark = rgb(255, 255, 255);
        spark.a = strength;
        fillDisc(image, head, y, 1.2f, spark);
    }
    Rng rng(0x5eed01);
    for (int i = 0; i < 260; ++i) {
        float x = rng.range(0.0f, float(image.width)), y = rng.range(0.0f, float(image.height));
        float brightness = std::pow(rng.uniform(), 2.5f);
        Color star = mix(rgb(170, 180, 255), rgb(255, 240, 230), rng.uniform());
        star.a = 0.35f + 0.65f * brightness;
        fillDisc(image, x, y, 0.45f + 0.6f * brightness, star);
        if (brightness > 0.7f) { // the brightest few get a small cross of light
            Color flare = star;
            flare.a = 0.35f;
            drawLine(image, x - 5.0f, y, x + 5.0f, y, 0.7f, flare);
            drawLine(image, x, y - 3.0f, x, y + 3.0f, 0.7f, flare);
        }
    }
    return image;
}

Image makeChaseSky() {
    Image image(512, 256);
    const GradientStop sky[] = {{0.0f, rgb(206, 122, 58)},   {0.12f, rgb(232, 160, 82)},
                                {0.28f, rgb(240, 196, 130)}, {0.45f, rgb(204, 190, 170)},
                                {0.66f, rgb(122, 146, 186)}, {1.0f, rgb(40, 66, 130)}};
    const float sunX = 0.70f, sunS = 0.24f;
    for (int y = 0; y < image.height; ++y) {
        float s = screenFractionOfRow(y, image.height);
        for (int x = 0; x < image.width; ++x) {
            float u = (x + 0.5f) / float(image.width);
            Color c = gradient(sky, s);

            float wisp = fractalNoise2(u, s, 2, 12, 5, 41, 0.6f);
            float band = smoothstep(0.3f, 0.42f, s) * (1.0f - smoothstep(0.62f, 0.8f, s));
            float cloud = smoothstep(0.1f, 0.5f, wisp) * band;
            Color lit = mix(rgb(250, 196, 150), rgb(200, 150, 160), smoothstep(0.35f, 0.7f, s));
            c = mix(c, lit, cloud * 0.7f);

            float r = std::hypot((u - sunX) * kScreenWidth, (s - sunS) * kScreenHeight);
            c = add(c, rgb(255, 170, 80), 0.55f * std::exp(-r / 45.0f));
            c = add(c, rgb(255, 230, 170), 0.6f * std::exp(-r / 12.0f));
            c = mix(c, rgb(255, 246, 214), smoothstep(8.5f, 7.0f, r));
            image.at(x, y) = c;
        }
    }
    return image;
}

Image makeSunGlow() {
    Image image(256, 256);
    const float outerRadius = 88.0f; // screen pixels; nearest screen edge is 91 pixels from the sun
    for (int y = 0; y < image.height; ++y) {
        float s = screenFractionOfRow(y, image.height);
        for (int x = 0; x < image.width; ++x) {
            float u = (x + 0.5f) / float(image.width);
            float r = std::hypot((u - kSunGlowScreenX) * kScreenWidth, (s - kSunGlowScreenY) * kScreenHeight);
            if (r >= outerRadius) {
                image.at(x, y) = {0, 0, 0, 1};
                continue;
            }
            // The glow lies over the whole frame, the land included: it fades out toward the horizon (half the
            // screen's height) so that the trees and the valley below the sun stay dark.
            float sky = smoothstep(0.5f, 0.6f, s);
            float halo = std::pow(1.0f - r / outerRadius, 3.0f) * sky;
            float core = std::exp(-(r * r) / (12.0f * 12.0f)) * sky;
            Color c{};
            c = add(c, rgb(235, 120, 40), halo * 0.9f);
            c = add(c, rgb(255, 215, 140), core * 0.55f);
            c.a = 1;
            image.at(x, y) = c;
        }
    }
    return image;
}
