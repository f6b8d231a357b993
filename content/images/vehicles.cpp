// Vehicle atlases: the dump truck's body, the combine harvester's livery, the tyres and the aircraft skin.
#include <cmath>

#include "noise.h"
#include "paint.h"

namespace {

const Color kTruckYellow = rgb(232, 176, 22);
const Color kHarvesterRed = rgb(178, 32, 26);
const Color kAircraftGreen = rgb(96, 106, 90);
const Color kRust = rgb(120, 62, 24);
const Color kMud = rgb(104, 82, 54);

// Raised, blocky pseudo-lettering for tyre sidewalls: strokes a little lighter than the rubber.
void drawSidewallLettering(Image& image, const AtlasRegion& region, int baseline, int seed) {
    Rng rng{uint32_t(seed)};
    int x = region.x + 8;
    while (x < region.x + region.width - 12) {
        int letterWidth = 8 + rng.below(3);
        for (int stroke = 0; stroke < 3; ++stroke) {
            bool vertical = stroke == 0 || rng.below(2) == 0;
            int sx = x + (vertical ? (stroke == 0 ? 0 : rng.below(letterWidth - 2)) : 0);
            int sy = baseline - (vertical ? 15 : 3 * rng.below(5));
            int w = vertical ? 3 : letterWidth, h = vertical ? 16 : 3;
            fillRect(image, sx, sy, w, h, rgb(70, 70, 72));
            fillRect(image, sx, sy + h, w, 1, rgb(14, 14, 15)); // shadow under the raised stroke
        }
        x += letterWidth + 4 + (rng.below(5) == 0 ? 12 : 0);
    }
}

// Seven-segment stencil digit, h texels tall, top-left at (x, y).
void drawStencilDigit(Image& image, int digit, int x, int y, int h, const Color& c) {
    static const unsigned char kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    int w = h / 2 + 4, t = h / 5, half = h / 2;
    unsigned char s = kSegments[digit];
    if (s & 0x01) fillRect(image, x + t, y, w - 2 * t, t, c);                   // top
    if (s & 0x02) fillRect(image, x + w - t, y + t, t, half - t - 1, c);        // upper right
    if (s & 0x04) fillRect(image, x + w - t, y + half + 1, t, half - t - 1, c); // lower right
    if (s & 0x08) fillRect(image, x + t, y + h - t, w - 2 * t, t, c);           // bottom
    if (s & 0x10) fillRect(image, x, y + half + 1, t, half - t - 1, c);         // lower left
    if (s & 0x20) fillRect(image, x, y + t, t, half - t - 1, c);                // upper left
    if (s & 0x40) fillRect(image, x + t, y + half - t / 2, w - 2 * t, t, c);    // middle
}

} // namespace

Image makeTerexBody() {
    using namespace terexAtlas;
    Image image(kWidth, kHeight);
    fillPaint(image, paint, kTruckYellow, 101, 0.05f);
    addGrime(image, paint, rgb(90, 70, 40), 0.12f, 102);

    fillPaint(image, panel, kTruckYellow, 103);
    drawSeams(image, panel, 43, 32, 6);
    addStreaks(image, panel, kRust, 14, 104);
    addGrime(image, panel, rgb(80, 62, 36), 0.3f, 105);

    fillDiagonalStripes(image, stripes, kTruckYellow, rgb(22, 22, 22), 32);
    fillGlass(image, window, rgb(30, 42, 54), rgb(20, 20, 20), 4);
    fillGrille(image, grille, rgb(96, 96, 94), 6);
    fillMetal(image, darkMetal, rgb(46, 46, 49), 106);
    addGrime(image, darkMetal, rgb(30, 24, 18), 0.4f, 107);
    fillMetal(image, greyMetal, rgb(128, 128, 124), 108);
    drawSeams(image, greyMetal, 0, 21, 0);
    fillLamp(image, headlight, rgb(255, 248, 214));
    fillLamp(image, taillight, rgb(210, 32, 20));

    fillPaint(image, mudPaint, kTruckYellow, 109);
    paintRegion(image, mudPaint, [&](int lx, int ly, float fu, float fv) {
        Color c = image.at(mudPaint.x + lx, mudPaint.y + ly);
        float edge = fv + 0.35f * fractalNoise2(fu, fv, 8, 2, 4, 110);
        float caked = smoothstep(0.35f, 0.55f, edge);
        return mix(c, noisyPaint(kMud, fu, fv, 111, 0.15f, 0.1f), caked);
    });
    Rng splatter(112);
    for (int i = 0; i < 40; ++i)
        fillDisc(image, mudPaint.x + splatter.range(0, float(mudPaint.width)),
                 mudPaint.y + splatter.range(4, mudPaint.height * 0.6f), splatter.range(0.6f, 1.8f), kMud);
    return image;
}

Image makeHarvesterLivery() {
    using namespace harvesterAtlas;
    Image image(kWidth, kHeight);
    fillPaint(image, paint, kHarvesterRed, 201, 0.05f);
    addGrime(image, paint, rgb(70, 50, 30), 0.12f, 202);

    paintRegion(image, stripe, [&](int, int ly, float fu, float fv) {
        if (ly >= 11 && ly < 21) return noisyPaint(rgb(236, 234, 226), fu, fv, 203);
        if (ly == 10 || ly == 21) return rgb(40, 20, 18);
        return noisyPaint(kHarvesterRed, fu, fv, 204);
    });

    fillPaint(image, panel, kHarvesterRed, 205);
    drawSeams(image, panel, 64, 48, 8);
    // Engine-bay louvres in the panel's right half.
    for (int i = 0; i < 7; ++i) {
        int y = panel.y + 12 + i * 10;
        fillRect(image, panel.x + 72, y, 48, 4, rgb(24, 10, 9));
        fillRect(image, panel.x + 72, y + 4, 48, 1, scaled(kHarvesterRed, 1.35f));
    }
    addStreaks(image, panel, rgb(60, 40, 28), 8, 206);
    addGrime(image, panel, rgb(80, 60, 36), 0.3f, 207);

    fillGlass(image, glass, rgb(44, 62, 70), rgb(30, 30, 30), 2);
    fillGrille(image, grille, rgb(80, 80, 78), 4);

    paintRegion(image, reel, [&](int lx, int, float fu, float fv) {
        int phase = lx % 32;
        if (phase < 10) {
            float lit = 1.15f - 0.05f * phase;
            return noisyPaint(scaled(rgb(226, 184, 40), lit), fu, fv, 208);
        }
        if (phase == 10) return rgb(70, 56, 16);
        return phase % 6 == 3 ? rgb(120, 120, 116) : rgb(26, 26, 28); // tines between the bats
    });

    fillMetal(image, darkMetal, rgb(42, 42, 44), 209);
    fillMetal(image, steel, rgb(160, 160, 156), 210);
    addGrime(image, steel, rgb(90, 80, 60), 0.25f, 211);

    fillMetal(image, cutterBar, rgb(30, 30, 32), 212);
    for (int i = 0; i < cutterBar.width / 16; ++i) {
        float x = cutterBar.x + i * 16 + 8.0f, base = cutterBar.y + 26.0f, tip = cutterBar.y + 3.0f;
        for (float y = tip; y < base; y += 0.5f) {
            float half = 6.0f * (y - tip) / (base - tip);
            float shade = 0.8f + 0.4f * (y - tip) / (base - tip);
            drawLine(image, x - half, y, x + half, y, 0.8f, scaled(rgb(180, 180, 174), shade));
        }
    }
    fillRect(image, cutterBar.x, cutterBar.y + 26, cutterBar.width, 6, rgb(96, 96, 92));

    fillLamp(image, headlight, rgb(255, 248, 214));
    fillDiagonalStripes(image, warning, rgb(200, 30, 24), rgb(236, 236, 230), 24);
    fillTread(image, tyre, 16);
    return image;
}

Image makeTireAtlas() {
    using namespace tireAtlas;
    Image image(kWidth, kHeight);
    fillTread(image, tread, 32);

    paintRegion(image, sidewall, [&](int, int, float fu, float fv) {
        Color c = noisyPaint(rgb(36, 36, 38), fu, fv, 301, 0.1f, 0.06f);
        return scaled(c, 0.8f + 0.3f * (1.0f - fv)); // bulges toward the tread, in shade at the rim
    });
    fillRect(image, sidewall.x, sidewall.y + 52, sidewall.width, 2, rgb(58, 58, 60)); // bead ring
    fillRect(image, sidewall.x, sidewall.y + 54, sidewall.width, 1, rgb(14, 14, 15));
    drawSidewallLettering(image, sidewall, sidewall.y + 38, 302);

    fillPaint(image, rubber, rgb(32, 32, 34), 303, 0.1f);
    fillMetal(image, hubMetal, rgb(52, 52, 54), 304);
    fillPaint(image, rimBarrel, rgb(214, 164, 24), 305);
    drawSeams(image, rimBarrel, 0, 22, 0);
    addGrime(image, rimBarrel, rgb(70, 56, 36), 0.45f, 306);

    const float cx = rim.x + rim.width * 0.5f, cy = rim.y + rim.height * 0.5f, r = rim.width * 0.5f;
    paintRegion(image, rim, [&](int lx, int ly, float fu, float fv) {
        float d = std::hypot(rim.x + lx + 0.5f - cx, rim.y + ly + 0.5f - cy) / r;
        if (d > 0.98f) return rgb(24, 24, 26);
        Color c = noisyPaint(rgb(222, 170, 26), fu, fv, 307, 0.08f, 0.05f);
        if (d > 0.9f) return scaled(c, 0.7f);                           // outer lip
        if (d > 0.84f) return scaled(c, 1.15f);                         // lit flange
        if (d < 0.24f) return noisyPaint(rgb(70, 70, 72), fu, fv, 308); // hub cap
        return scaled(c, 0.8f + 0.3f * smoothstep(0.84f, 0.3f, d));     // dish
    });
    for (int i = 0; i < 6; ++i) { // ventilation holes
        float a = i * 3.14159265f / 3.0f + 0.5f;
        fillDisc(image, cx + std::cos(a) * r * 0.62f, cy + std::sin(a) * r * 0.62f, r * 0.11f,
                 rgb(12, 12, 12));
    }
    for (int i = 0; i < 10; ++i) { // wheel nuts
        float a = i * 3.14159265f / 5.0f;
        float nx = cx + std::cos(a) * r * 0.34f, ny = cy + std::sin(a) * r * 0.34f;
        fillDisc(image, nx + 0.8f, ny + 0.8f, r * 0.065f, rgb(40, 30, 10));
        fillDisc(image, nx, ny, r * 0.06f, rgb(150, 150, 146));
    }
    fillDisc(image, cx, cy, r * 0.09f, rgb(36, 36, 38));
    addGrime(image, rim, rgb(80, 64, 40), 0.25f, 309);
    return image;
}

Image makeOspreySkin() {
    using namespace ospreyAtlas;
    Image image(kWidth, kHeight);
    auto panelled = [&](const AtlasRegion& region, int cellW, int cellH, int seed) {
        paintRegion(image, region, [&](int lx, int ly, float fu, float fv) {
            int row = ly / cellH, column = (lx + (row % 2) * cellW / 2) / cellW;
            float tone =
                0.94f + 0.12f * gradientNoise((column + 0.5f) / 16.0f, (row + 0.5f) / 16.0f, 16, seed);
            float streak = fractalNoise2(fu, fv, 1, 16, 3, seed + 1); // airflow grime along u
            return noisyPaint(scaled(kAircraftGreen, tone + 0.05f * streak), fu, fv, seed + 2, 0.04f, 0.03f);
        });
        for (int ly = 0; ly < region.height; ++ly)
            for (int lx = 0; lx < region.width; ++lx) {
                int row = ly / cellH;
                int inX = (lx + (row % 2) * cellW / 2) % cellW, inY = ly % cellH;
                Color& c = image.at(region.x + lx, region.y + ly);
                if (inX == 0 || inY == 0)
                    c = scaled(c, 0.6f);
                else if ((inY == 2 && lx % 4 == 0) || (inX == 2 && ly % 4 == 0))
                    c = scaled(c, 1.18f); // rivets
            }
    };
    panelled(skin, 32, 24, 401);
    panelled(wing, 64, 16, 402);
    fillRect(image, wing.x, wing.y + 56, wing.width, 14, {0.15f, 0.16f, 0.14f, 0.35f}); // walkway

    fillGlass(image, canopy, rgb(34, 48, 58), kAircraftGreen, 3);
    fillRect(image, canopy.x + 21, canopy.y, 3, canopy.height, kAircraftGreen);
    fillRect(image, canopy.x + 42, canopy.y, 3, canopy.height, kAircraftGreen);

    panelled(marking, 64, 64, 403);
    const Color stencil = rgb(44, 48, 44);
    drawStencilDigit(image, 0, marking.x + 12, marking.y + 12, 30, stencil);
    drawStencilDigit(image, 7, marking.x + 33, marking.y + 12, 30, stencil);
    fillRect(image, marking.x + 12, marking.y + 48, 40, 3, stencil);

    fillMetal(image, darkMetal, rgb(50, 52, 50), 404);
    fillPaint(image, belly, rgb(138, 144, 138), 405);
    drawSeams(image, belly, 32, 24, 4);

    panelled(nacelle, 128, 64, 406);
    for (int x : {6, 40, 76, 110}) {
        fillRect(image, nacelle.x + x, nacelle.y, 3, nacelle.height, rgb(40, 44, 40));
        fillRect(image, nacelle.x + x + 3, nacelle.y, 1, nacelle.height, scaled(kAircraftGreen, 1.25f));
    }

    panelled(soot, 32, 32, 407);
    paintRegion(image, soot, [&](int lx, int ly, float fu, float fv) {
        Color c = image.at(soot.x + lx, soot.y + ly);
        float smoke = smoothstep(0.2f, 1.0f, fv + 0.3f * fractalNoise2(fu, fv, 1, 8, 3, 408));
        return mix(c, rgb(22, 22, 20), smoke * 0.85f);
    });
    return image;
}
