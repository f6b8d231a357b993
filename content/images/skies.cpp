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

// The weight of a pattern whose repeats lie `period` screen pixels apart: full from 7 pixels, nothing below
// 3.5, so that nothing finer than the screen can show reaches the picture and beats against its pixels.
float resolvable(float period) {
    return smoothstep(3.5f, 7.0f, period);
}

// Dusk over the plains, seen down the road the truck takes from the farm to the desert: fields to the left,
// sand and mesas to the right, the last light of the sun where the road meets the horizon, and lights
// streaking past toward that point as if seen at speed. The title text stands over the band just above the
// horizon, so that band is kept calm and a little darker. Each pixel is the mean over one screen pixel's
// footprint: the picture is shrunk to 320 pixels across on screen, and its stripes must not alias there.
Image makeTitleBackdrop() {
    Image image(512, 256);
    const float vanishX = 160.0f, horizon = 60.0f; // screen pixels, from the lower-left corner
    const GradientStop sky[] = {{0.25f, rgb(255, 150, 70)}, {0.29f, rgb(220, 80, 74)},  {0.36f, rgb(140, 40, 88)},
                                {0.55f, rgb(74, 28, 92)},   {0.75f, rgb(32, 20, 74)},   {1.0f, rgb(8, 8, 34)}};
    auto shade = [&](float u, float s) {
        float px = u * kScreenWidth, py = s * kScreenHeight;
        float dx = px - vanishX, dy = py - horizon;
        float r = std::hypot(dx, dy);
        float angle = std::atan2(dy, dx) / (2.0f * kPi) + 0.5f; // 0 to 1 round the vanishing point
        // Behind the two text lines: fewer streaks and a slightly darker sky.
        float textBand = smoothstep(0.26f, 0.34f, u) * (1.0f - smoothstep(0.68f, 0.76f, u)) *
                         smoothstep(0.31f, 0.36f, s) * (1.0f - smoothstep(0.6f, 0.66f, s));
        Color c;
        if (dy >= 0) {
            c = gradient(sky, s);
            // High thin clouds lit from below, drawn out sideways.
            float wisp = fractalNoise2(u, s, 3, 24, 4, 61, 0.6f);
            float band = smoothstep(0.42f, 0.5f, s) * (1.0f - smoothstep(0.7f, 0.85f, s));
            c = mix(c, rgb(190, 70, 110), smoothstep(0.1f, 0.55f, wisp) * band * 0.5f);
            // The sun just gone down behind the road's end: a wide, flat glow.
            float glow = std::exp(-(dx * dx) / (2 * 70.0f * 70.0f) - (dy * dy) / (2 * 11.0f * 11.0f));
            c = add(c, rgb(255, 170, 80), glow * 0.8f);
            c = add(c, rgb(255, 90, 60), std::exp(-(dx * dx) / (2 * 150.0f * 150.0f) - dy / 40.0f) * 0.25f);
            // Far mesas to the right and low rolling hills to the left, hazy against the glow.
            float mesa = horizon + 4.0f + 16.0f * smoothstep(0.55f, 0.58f, u) * (1.0f - smoothstep(0.7f, 0.71f, u)) +
                         9.0f * smoothstep(0.78f, 0.8f, u) * (1.0f - smoothstep(0.9f, 0.92f, u)) +
                         2.5f * fractalNoise2(u, 0.3f, 16, 1, 3, 62);
            float hills = horizon + 5.0f + 4.0f * fractalNoise2(u, 0.7f, 4, 1, 3, 63);
            float ridge = u > 0.5f ? mesa : hills;
            if (py < ridge) c = mix(c, u > 0.5f ? rgb(92, 40, 78) : rgb(70, 44, 70), 0.85f);
        } else {
            // The ground: depth grows toward the horizon; lines of constant slope run to the vanishing point.
            float depth = -dy / horizon;             // 1 at the bottom edge, 0 at the horizon
            float slope = dx / std::fmax(-dy, 0.5f); // constant along each line to the vanishing point
            float haze = std::exp(-depth * 5.0f);
            float road = 1.0f - smoothstep(1.7f, 1.8f, std::fabs(slope));
            // Screen pixels across the lines per unit of slope, measured square to the lines.
            float across = -dy / std::sqrt(1.0f + slope * slope);
            if (slope < 0) { // the wheat: a few broad rows running away from us in dusk light
                const float rows = 2.2f;
                float wave = 0.5f + 0.5f * std::cos(2.0f * kPi * slope * rows);
                float row = mixf(0.45f, wave, resolvable(across / rows));
                c = mix(rgb(58, 32, 30), rgb(170, 110, 58), row * (0.4f + 0.6f * depth));
            } else { // sand, with a few broad tyre ruts
                float rut = gradientNoise(std::fmod(slope * 0.125f + 10.0f, 1.0f), 0.5f, 8, 64) *
                                resolvable(across / 1.0f) +
                            0.5f * gradientNoise(std::fmod(slope * 0.125f + 10.0f, 1.0f), 0.5f, 16, 68) *
                                resolvable(across / 2.0f);
                c = mix(rgb(80, 42, 50), rgb(150, 90, 74), 0.5f + 0.8f * rut);
            }
            // The road: dark tarmac, pale edges, the centre line smeared into a streak by speed.
            Color tarmac = mix(rgb(28, 22, 36), rgb(58, 40, 54), haze);
            float edgeWidth = std::fmax(0.1f, 1.2f / std::fmax(-dy, 0.5f)); // never thinner than a pixel
            float edge = smoothstep(edgeWidth, 0.0f, std::fabs(std::fabs(slope) - 1.6f)) * 0.1f / edgeWidth;
            float dash = mixf(0.8f, 0.6f + 0.4f * std::sin(depth * 40.0f), smoothstep(0.15f, 0.4f, depth));
            float centre = smoothstep(0.07f, 0.0f, std::fabs(slope)) * dash;
            tarmac = add(tarmac, rgb(230, 200, 170), edge * 0.6f);
            tarmac = add(tarmac, rgb(255, 200, 60), centre * 0.9f);
            c = mix(c, tarmac, road);
            // The glow's reflection along the road and the haze toward the horizon.
            c = add(c, rgb(255, 140, 70), std::exp(-(dx * dx) / (2 * 40.0f * 40.0f)) * haze * 0.6f * road);
            c = mix(c, rgb(170, 70, 80), haze * 0.7f);
        }
        // Lights streaking past toward the vanishing point: soft rays, brighter and longer near the edges
        // of the frame, where things go by fastest; they start only where they are a few pixels apart.
        const int rayCells = 128;
        float rays = 0.5f + 0.5f * fractalNoise2(angle, 0.5f, rayCells, 1, 1, 65);
        float dash = 0.5f + 0.5f * fractalNoise2(angle, std::log(r + 1.0f) * 0.2f, rayCells, 8, 1, 66);
        float spacing = 2.0f * kPi * r / float(rayCells);
        float streak = std::pow(rays, 4.0f) * smoothstep(0.4f, 0.75f, dash) * resolvable(spacing) *
                       smoothstep(40.0f, 150.0f, r);
        Color tint = mix(rgb(120, 200, 255), rgb(255, 130, 210), 0.5f + 0.5f * gradientNoise(angle, 0.5f, 16, 67));
        c = add(c, tint, streak * (dy >= 0 ? 2.2f : 1.4f) * (1.0f - 0.85f * textBand));
        c = scaled(c, 1.0f - 0.18f * textBand);
        // A soft vignette holds the eye on the middle.
        float edgeDistance = std::hypot((u - 0.5f) * 1.3f, s - 0.5f);
        return scaled(c, 1.0f - 0.45f * smoothstep(0.35f, 0.8f, edgeDistance));
    };
    // One screen pixel is 1.6 columns by about 1.03 rows of the picture: 4 by 3 samples over it.
    constexpr int kAcross = 4, kUp = 3;
    const float footprintU = 1.0f / kScreenWidth, footprintS = 1.0f / kScreenHeight;
    for (int y = 0; y < image.height; ++y) {
        float s0 = screenFractionOfRow(y, image.height);
        for (int x = 0; x < image.width; ++x) {
            float u0 = (x + 0.5f) / float(image.width);
            Color sum{0, 0, 0, 0};
            for (int j = 0; j < kUp; ++j)
                for (int i = 0; i < kAcross; ++i) {
                    Color c = shade(u0 + ((i + 0.5f) / kAcross - 0.5f) * footprintU,
                                    s0 + ((j + 0.5f) / kUp - 0.5f) * footprintS);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b, 1};
                }
            image.at(x, y) = scaled(sum, 1.0f / (kAcross * kUp));
        }
    }
    // A few stars in the darkest sky, away from the text.
    Rng rng(0x5eed01);
    for (int i = 0; i < 120; ++i) {
        float x = rng.range(0.0f, float(image.width)), y = rng.range(0.66f, 1.0f) * float(image.height);
        float brightness = std::pow(rng.uniform(), 2.5f);
        Color star = mix(rgb(170, 180, 255), rgb(255, 240, 230), rng.uniform());
        star.a = (0.25f + 0.6f * brightness) * smoothstep(0.66f, 0.8f, y / float(image.height));
        fillDisc(image, x, y, 0.45f + 0.5f * brightness, star);
    }
    return image;
}

Image makeChaseSky() {
    Image image(512, 256);
    const GradientStop sky[] = {{0.0f, rgb(206, 122, 58)},   {0.12f, rgb(232, 160, 82)},
                                {0.28f, rgb(240, 196, 130)}, {0.45f, rgb(204, 190, 170)},
                                {0.66f, rgb(132, 166, 208)}, {1.0f, rgb(76, 118, 190)}};
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
    const float outerRadius = 64.0f; // screen pixels: the truck keeps further than this from the sun
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
