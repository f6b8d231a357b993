// The dump truck: yellow body with cab, dump bed and lamps, and its big wheels.
#include "models.h"

#include "images/atlas.h"
#include "kit/occlusion.h"
#include "kit/shapes.h"

#include <cmath>

namespace scenes {
namespace {

using kit::BoxUv;
using kit::Mesh;
using kit::Vec3;

// Boxes are given in heights above the ground and moved to the pivot at the end.
Mesh boxPart(Vec3 lo, Vec3 hi, const BoxUv& uv, float bevel) {
    return kit::box({lo.x, lo.y, lo.z - kPivotAboveGround}, {hi.x, hi.y, hi.z - kPivotAboveGround}, uv,
                    bevel);
}

kit::UvRect rect(const AtlasRegion& r) {
    return kit::uvRect(r);
}

} // namespace

Mesh truckBody(const kit::LightRig& light, const kit::Placement& at, bool bevelled) {
    using namespace terexAtlas;
    auto part = [bevelled](Vec3 lo, Vec3 hi, const BoxUv& uv, float bevel = 0) {
        return boxPart(lo, hi, uv, bevelled ? bevel : 0);
    };
    Mesh body;
    BoxUv dark(rect(darkMetal)), grey(rect(greyMetal)), yellow(rect(paint)), panels(rect(panel));
    BoxUv mud(rect(mudPaint));
    mud.pz = rect(paint);
    // Frame, axles and fuel tank.
    kit::merge(body, part({-3.2f, -11.2f, 2.6f}, {3.2f, 11.6f, 4.6f}, dark));
    for (float y : {kFrontAxleY, kRearAxleY}) {
        Mesh axle = kit::cylinder(0.8f, -3.7f, 3.7f, 10, rect(darkMetal), rect(darkMetal));
        kit::rotate(axle, {0, kit::kPi / 2, 0});
        kit::translate(axle, {0, y, kWheelRadius - kPivotAboveGround});
        kit::merge(body, axle);
    }
    kit::merge(body, part({-6.2f, -1.8f, 4.0f}, {-3.3f, 2.6f, 6.4f}, grey, 0.3f));
    // Engine hood with grille and lamps.
    BoxUv hood(rect(paint));
    hood.py = rect(grille);
    kit::merge(body, part({-3.3f, 7.8f, 4.6f}, {3.3f, 12.3f, 8.5f}, hood, 0.25f));
    float lampZ = kPivotAboveGround - kLampBelowBody;
    for (float s : {-1.0f, 1.0f}) {
        kit::merge(body, part({s * kLampX - 0.55f, 12.2f, lampZ - 0.55f},
                              {s * kLampX + 0.55f, 12.6f, lampZ + 0.55f}, BoxUv(rect(headlight))));
    }
    BoxUv bumper(rect(greyMetal));
    bumper.py = rect(stripes);
    kit::merge(body, part({-5.6f, 12.0f, 2.8f}, {5.6f, 13.0f, 4.2f}, bumper, 0.15f));
    // Fenders over the front wheels and the deck.
    for (float s : {-1.0f, 1.0f}) {
        float x0 = s < 0 ? -6.7f : 3.3f, x1 = s < 0 ? -3.3f : 6.7f;
        kit::merge(body, part({x0, 2.6f, 7.5f}, {x1, 10.4f, 8.0f}, mud, 0.1f));
    }
    kit::merge(body, part({-6.7f, 2.8f, 8.6f}, {6.7f, 10.2f, 9.0f}, yellow, 0.1f));
    // Cab on the left: panels below, glass, roof.
    kit::merge(body, part({-6.2f, 4.0f, 9.0f}, {-1.6f, 9.6f, 11.0f}, panels, 0.15f));
    BoxUv glass(rect(window));
    kit::merge(body, part({-6.05f, 4.15f, 11.0f}, {-1.75f, 9.45f, 13.6f}, glass));
    kit::merge(body, part({-6.4f, 3.8f, 13.6f}, {-1.4f, 9.8f, 14.1f}, yellow, 0.15f));
    kit::merge(body, part({1.6f, 5.5f, 9.0f}, {6.0f, 9.5f, 10.6f}, panels, 0.2f));
    Mesh stack = kit::cylinder(0.35f, 9.0f - kPivotAboveGround, 14.6f - kPivotAboveGround, 8, rect(darkMetal),
                               rect(darkMetal));
    kit::merge(body, kit::translate(stack, {0.9f, 4.3f, 0}));
    // Dump bed with ribs and the canopy reaching over the cab.
    BoxUv bed(rect(panel));
    bed.pz = rect(darkMetal);
    bed.nz = rect(darkMetal);
    kit::merge(body, part({-6.6f, -12.2f, 7.8f}, {6.6f, 2.8f, 14.0f}, bed, 0.3f));
    kit::merge(body, part({-6.8f, 2.4f, 14.2f}, {6.8f, 10.4f, 14.8f}, yellow, 0.15f));
    // Set back from the canopy's rear face, so that the two never share a plane.
    kit::merge(body, part({-6.0f, 2.55f, 13.9f}, {6.0f, 3.2f, 14.3f}, yellow));
    for (float y : {-9.0f, -4.0f, 1.0f}) {
        for (float s : {-1.0f, 1.0f}) {
            float x0 = s < 0 ? -6.95f : 6.55f;
            kit::merge(body, part({x0, y - 0.4f, 8.0f}, {x0 + 0.4f, y + 0.4f, 13.8f}, yellow, 0.08f));
        }
    }
    BoxUv rear(rect(stripes));
    kit::merge(body, part({-6.4f, -12.6f, 7.6f}, {6.4f, -12.1f, 8.6f}, rear));
    for (float s : {-1.0f, 1.0f}) {
        kit::merge(body, part({s * 2.8f - 0.6f, -11.6f, 4.0f}, {s * 2.8f + 0.6f, -11.1f, 5.0f},
                              BoxUv(rect(taillight))));
    }
    kit::LightRig rig = light;
    rig.groundZ = at.position.z - kPivotAboveGround;
    return kit::bakeLight(body, rig, at);
}

namespace {

// Sides round a wheel close up; scenes that only show the truck from afar pass fewer.
constexpr int kWheelSegments = 20;

// Tyre cross-section, counter-clockwise in (radius, z): sidewall, shoulder, tread, shoulder, sidewall.
Mesh tyreRing(int segments = kWheelSegments) {
    const float r = kWheelRadius;
    Mesh tyre = kit::lathe({{2.3f, -1.2f}, {r - 0.4f, -1.4f}}, segments, kit::uvRect(tireAtlas::sidewall));
    // The tread's pattern repeats twice round a full wheel; fewer segments keep its texel size.
    kit::merge(tyre, kit::lathe({{r - 0.4f, -1.4f}, {r, -1.0f}, {r, 1.0f}, {r - 0.4f, 1.4f}}, segments,
                                kit::uvRect(tireAtlas::tread), 2));
    kit::merge(tyre, kit::lathe({{r - 0.4f, 1.4f}, {2.3f, 1.2f}, {2.3f, -1.2f}}, segments,
                                kit::uvRect(tireAtlas::sidewall)));
    return tyre;
}

// Rim disc and hub, a closed solid just inside the tyre.
Mesh rimDisc(kit::UvRect face, kit::UvRect barrel, int segments = kWheelSegments) {
    Mesh rim = kit::lathe({{0, -0.9f}, {0.8f, -0.9f}, {0.8f, -0.7f}, {2.25f, -0.7f}}, segments, face);
    kit::merge(rim, kit::lathe({{2.25f, -0.7f}, {2.25f, 0.7f}}, segments, barrel));
    Mesh front = kit::lathe({{2.25f, 0.7f}, {0.8f, 0.7f}, {0.8f, 0.9f}, {0, 0.9f}}, segments, face);
    kit::mapPlanar(front, 2, face);
    kit::merge(rim, front);
    return rim;
}

Mesh turnAxleToX(Mesh m, bool left) {
    // The lathe's +Z side is the outer face.
    kit::rotate(m, {0, left ? -kit::kPi / 2 : kit::kPi / 2, 0});
    return m;
}

Mesh lit(Mesh m, const kit::LightRig& light, const kit::Placement& at) {
    kit::LightRig rig = light;
    rig.groundZ = at.position.z - kWheelRadius;
    rig.creviceHeight = 2 * kWheelRadius;
    return kit::bakeLight(m, rig, at);
}

} // namespace

Mesh truckTyre(bool left, const kit::LightRig& light, const kit::Placement& at) {
    return lit(turnAxleToX(tyreRing(), left), light, at);
}

Mesh truckWheel(bool left, const kit::LightRig& light, const kit::Placement& at, int segments) {
    Mesh wheel = tyreRing(segments);
    kit::merge(wheel, rimDisc(kit::uvRect(tireAtlas::rim), kit::uvRect(tireAtlas::rimBarrel), segments));
    return lit(turnAxleToX(wheel, left), light, at);
}

Mesh truckHub(bool left, const kit::LightRig& light, const kit::Placement& at) {
    Mesh hub = rimDisc({}, {});
    // Yellow disc with three wide dark spoke sectors (few, so that the turn reads without strobing) and a
    // dark hub, so that its turning shows without a texture. Sectors need their own vertices for hard edges:
    // recolour per triangle from its centroid.
    Mesh flat;
    for (const auto& t : hub.triangles) {
        kit::Vec3 c = (hub.positions[t[0]] + hub.positions[t[1]] + hub.positions[t[2]]) * (1.0f / 3.0f);
        float radius = std::sqrt(c.x * c.x + c.y * c.y);
        float sector = std::fmod(std::atan2(c.y, c.x) + 4 * kit::kPi, 2 * kit::kPi / 3);
        bool spoke = sector < kit::kPi / 4 && radius > 0.85f && radius < 2.1f;
        kit::Color colour = radius < 0.85f ? kit::rgb8(70, 64, 56)
                            : spoke        ? kit::rgb8(70, 55, 20)
                                           : kit::rgb8(240, 190, 35);
        uint32_t a = flat.addVertex(hub.positions[t[0]], hub.normals[t[0]], {0.5f, 0.5f}, colour);
        uint32_t b = flat.addVertex(hub.positions[t[1]], hub.normals[t[1]], {0.5f, 0.5f}, colour);
        uint32_t c2 = flat.addVertex(hub.positions[t[2]], hub.normals[t[2]], {0.5f, 0.5f}, colour);
        flat.addTriangle(a, b, c2);
    }
    return lit(turnAxleToX(flat, left), light, at);
}

const std::vector<WheelSlot>& truckWheelSlots() {
    float z = -kBodyAboveWheel;
    static const std::vector<WheelSlot> slots{
        {"Terex_FL_Wheel", {-kWheelX, kFrontAxleY, z}, true},
        {"Terex_RL_Wheel", {-kWheelX, kRearAxleY, z}, true},
        {"Terex_RL_Wheel01", {kWheelX, kRearAxleY, z}, false},
        {"Terex_FL_Wheel01", {kWheelX, kFrontAxleY, z}, false},
    };
    return slots;
}

float truckHeapHeight(float x, float y) {
    auto clamp01 = [](float v) { return std::fmin(1.0f, std::fmax(0.0f, v)); };
    float u = x / kBedX, v = (y - (kBedBack + kBedFront) / 2) / ((kBedFront - kBedBack) / 2);
    float mound = std::pow(clamp01(1 - u * u), 0.55f) * std::pow(clamp01(1 - v * v), 0.5f);
    float ripple = 0.35f * valueNoise(x / 2.2f + 7, y / 2.6f, 211);
    return kBedTop + 0.25f + 3.0f * mound + ripple * mound;
}

kit::Mesh truckGrainLoad() {
    constexpr int nx = 5, ny = 6;
    kit::Mesh m;
    auto vertex = [&m](float x, float y, kit::Color c) {
        float e = 0.3f;
        kit::Vec3 n = kit::normalize({truckHeapHeight(x - e, y) - truckHeapHeight(x + e, y),
                                      truckHeapHeight(x, y - e) - truckHeapHeight(x, y + e), 2 * e});
        return m.addVertex({x, y, truckHeapHeight(x, y)}, n, {0.5f, 0.5f}, c);
    };
    for (int j = 0; j <= ny; ++j) {
        for (int i = 0; i <= nx; ++i) {
            float x = -kBedX + 2 * kBedX * float(i) / nx,
                  y = kBedBack + (kBedFront - kBedBack) * float(j) / ny;
            float grain = valueNoise(x / 1.3f, y / 1.1f, 223);
            vertex(x, y, kit::mix(kit::rgb8(206, 150, 50), kit::rgb8(246, 204, 96), grain));
        }
    }
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) {
            uint32_t a = uint32_t(j * (nx + 1) + i);
            m.addQuad(a, a + 1, a + uint32_t(nx) + 2, a + uint32_t(nx) + 1);
        }
    }
    // Two straps across the heap, a little above it.
    for (float y : {-8.2f, -0.6f}) {
        kit::Color strap = kit::rgb8(150, 40, 30);
        uint32_t prev[2] = {};
        for (int i = 0; i <= nx; ++i) {
            float x = -kBedX + 2 * kBedX * float(i) / nx;
            uint32_t now[2];
            for (int k = 0; k < 2; ++k) {
                float yy = y + (k ? 0.45f : -0.45f);
                now[k] = m.addVertex({x, yy, truckHeapHeight(x, yy) + 0.3f}, {0, 0, 1}, {0.5f, 0.5f}, strap);
            }
            if (i > 0) m.addQuad(prev[0], now[0], now[1], prev[1]);
            prev[0] = now[0];
            prev[1] = now[1];
        }
    }
    return m;
}

kit::Mesh truckNameBoards() {
    constexpr float kLetterDepth = 0.4f;
    // A board across the bed (facing the rear and the front) and one along each side of the bed (facing out),
    // so the name reads from behind, from ahead and from either side.
    kit::Mesh sign;
    // Letters set one by one, so that the open V and A tuck into each other as a sign painter spaces them.
    kit::Mesh text;
    float width = 0;
    const std::string name = "KESTROVA";
    for (size_t i = 0; i < name.size(); ++i) {
        float letterWidth = 0;
        // Raised letters, of which the chase cameras see the faces and the upper edges, which catch the sun
        // and outline the name from afar. The other edges are a pixel or less from those cameras, and cost
        // more triangles than the faces.
        kit::Mesh letter = blockText(name.substr(i, 1), kLetterDepth, 0, letterWidth);
        std::vector<bool> face(letter.triangles.size());
        for (size_t t = 0; t < face.size(); ++t) {
            bool front = true, upper = true;
            for (uint32_t corner : letter.triangles[t]) {
                front = front && letter.positions[corner].z == kLetterDepth;
                upper = upper && letter.normals[corner].y > 0.3f;
            }
            face[t] = front || upper;
        }
        letter = kit::keepTriangles(letter, face);
        if (i > 0) width += name[i - 1] == 'V' && name[i] == 'A' ? -0.3f : 1.2f;
        kit::merge(text, kit::translate(letter, {width, 0, 0}));
        width += letterWidth;
    }
    kit::translate(text, {-width / 2, 0, 0});
    kit::tintByHeight(text, 0, 7, kit::rgb8(255, 120, 10), kit::rgb8(255, 230, 60));
    // One board of `length` along local x, facing local -y and +y, turned by `turn` about Z and moved to
    // `at`. `faces`: -1 lettered on the -y face only, 1 on the +y face only, 0 on both.
    auto board = [&](float length, float turn, kit::Vec3 at, int faces) {
        kit::Mesh b = kit::box({-length / 2, -0.25f, 0}, {length / 2, 0.25f, 2.5f}, {}, 0.12f);
        kit::paint(b, kit::rgb8(30, 24, 24));
        float s = (length - 0.8f) / width;
        for (float face : {-1.0f, 1.0f}) {
            if (faces != 0 && float(faces) != face) continue;
            kit::Mesh side = text;
            // Letters read correctly from the side they face: x runs right as seen from there.
            for (kit::Vec3& p : side.positions)
                p = {face < 0 ? p.x * s : -p.x * s, face * (0.2f + p.z), p.y * s + 0.45f};
            for (kit::Vec3& n : side.normals)
                n = {face < 0 ? n.x : -n.x, face * n.z, n.y};
            kit::merge(b, side);
        }
        kit::rotate(b, {0, 0, turn});
        return kit::translate(b, at);
    };
    // The side boards stop well short of the rear one and are lettered outside only: seen from a corner or
    // across the bed, the names never run into one another.
    kit::merge(sign, board(12.2f, 0, {0, -7.2f, 0}, 0));
    for (float x : {-6.3f, 6.3f})
        kit::merge(sign, board(9.5f, kit::kPi / 2, {x, 1.6f, 0}, x < 0 ? 1 : -1));
    return sign;
}

} // namespace scenes
