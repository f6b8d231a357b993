// Title scene: the group's sign, a dark board in a frame ringed with marquee bulbs, its back carrying an
// emblem in relief (a tipper truck heaped with grain between sprays of wheat), and the camera that rides
// round with the sign's spin so that, once the title text is up, the board stands behind the text as its
// marquee.
#include "models.h"
#include "scene_list.h"

#include "kit/camera_rig.h"
#include "kit/shapes.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace scenes {
namespace {

constexpr int kFrames = 441; // 0-22 s
// The sign: a dark panel in a raised frame, in the XZ plane, its faces toward -Y (the front, which the
// title's two lines of text stand on) and +Y (the back, which carries the emblem). Sizes are in sign space (x
// right, y up) and set so that, seen face-on from kHoldDistance, the panel's inside frames the two text
// lines.
constexpr float kPanelHalfWidth = 18.5f, kPanelHalfHeight = 9.7f;
constexpr float kFrameWidth = 2.4f;
constexpr float kPlateThickness = 0.6f;
constexpr float kFrameProud = 2.3f; // the frame stands this far off each face of the plate, over the slats
constexpr double kFieldOfView = 0.6;
constexpr double kHoldDistance = 88;
// The sign leans back this far (degrees), so that the camera looks down on it from as high to see it face-on.
// Seen level, a camera riding round the sign would pass through looking straight along X, where its key
// angles swing wildly and in-between frames would wobble; from this high they stay calm.
constexpr double kLean = 28;
// Where the text lines sit on screen (NDC): both start at x -0.353; the group name's letters cover y 0.05 to
// 0.167, the title's -0.30 to -0.179, and the longer line ends at x 0.397.
constexpr double kTextCentreX = 0.022, kTextCentreY = -0.067;

kit::LightRig titleLight(float facing) {
    kit::LightRig rig;
    rig.toSun = {-0.3f, -0.6f * facing, 0.75f};
    rig.sun = {0.55f, 0.45f, 0.35f};
    rig.sky = {0.75f, 0.65f, 0.75f};
    rig.ground = {0.35f, 0.2f, 0.3f};
    rig.creviceHeight = 0;
    return rig;
}

// The logo spins, so each face is lit as if it were the one turned toward the viewer.
kit::Mesh& bakeBothFaces(kit::Mesh& mesh) {
    kit::Mesh front = mesh, back = mesh;
    kit::bakeLight(front, titleLight(1));
    kit::bakeLight(back, titleLight(-1));
    for (size_t i = 0; i < mesh.colors.size(); ++i) {
        mesh.colors[i] = mesh.normals[i].y > 0 ? back.colors[i] : front.colors[i];
    }
    return mesh;
}

// A rectangle with rounded corners, counter-clockwise, in sign space.
std::vector<kit::Vec2> roundedRect(float halfWidth, float halfHeight, float radius, int segmentsPerCorner) {
    std::vector<kit::Vec2> outline;
    const float cx[4] = {halfWidth - radius, -halfWidth + radius, -halfWidth + radius, halfWidth - radius};
    const float cy[4] = {halfHeight - radius, halfHeight - radius, -halfHeight + radius,
                         -halfHeight + radius};
    for (int corner = 0; corner < 4; ++corner) {
        for (int i = 0; i <= segmentsPerCorner; ++i) {
            float a = kit::kPi / 2 * (float(corner) + float(i) / float(segmentsPerCorner));
            outline.push_back({cx[corner] + radius * std::cos(a), cy[corner] + radius * std::sin(a)});
        }
    }
    return outline;
}

// Sign space (x right, y up, z out of the front face) to the world: the front face looks along -Y.
kit::Mesh& standUp(kit::Mesh& mesh) {
    for (kit::Vec3& p : mesh.positions)
        p = {p.x, -p.z, p.y};
    for (kit::Vec3& n : mesh.normals)
        n = {n.x, -n.z, n.y};
    return mesh;
}

// Raised relief on the plate's front face, in sign space: from just under the face up to `top`.
constexpr float kReliefBase = kPlateThickness / 2 - 0.1f;
kit::Mesh relief(const std::vector<kit::Vec2>& outline, float top, kit::Color color, float bevel = 0.2f) {
    kit::Mesh m = kit::extrude(outline, top - kReliefBase, bevel);
    kit::translate(m, {0, 0, kReliefBase});
    return kit::paint(m, color);
}

// One ear of wheat lying along `direction` from `base`: a short stalk, then pairs of plump grains set at
// an angle to it, a grain at the tip and a few awns beyond it.
kit::Mesh wheatEar(kit::Vec2 base, float direction, float length) {
    kit::Mesh ear;
    float c = std::cos(direction), s = std::sin(direction);
    auto at = [&](float along, float across) {
        return kit::Vec2{base.u + c * along - s * across, base.v + s * along + c * across};
    };
    kit::Vec2 a = at(0, -0.22f), b = at(2.2f, -0.22f), d = at(2.2f, 0.22f), e = at(0, 0.22f);
    kit::merge(ear, relief({a, b, d, e}, 1.6f, kit::rgb8(196, 120, 30), 0));
    const int pairs = 5;
    float step = (length - 3.4f) / float(pairs);
    for (int i = 0; i <= pairs; ++i) {
        float along = 2.6f + step * float(i) + step * 0.5f;
        for (int side = -1; side <= 1; side += 2) {
            if (i == pairs && side > 0) break; // the tip: one grain on the stalk's line
            float across = i == pairs ? 0.0f : 0.5f * float(side);
            float tilt = i == pairs ? 0.0f : 0.45f * float(side);
            kit::Mesh grain = kit::sphere(1.0f, 6, 3);
            kit::scale(grain, {0.95f, 0.5f, 0.45f});
            kit::rotate(grain, {0, 0, direction + tilt});
            kit::Vec2 p = at(along, across);
            kit::translate(grain, {p.u, p.v, 1.9f});
            float warm = float(i) / float(pairs);
            kit::merge(ear,
                       kit::paint(grain, kit::mix(kit::rgb8(255, 196, 60), kit::rgb8(255, 232, 130), warm)));
        }
    }
    for (int k = -1; k <= 1; ++k) { // awns fanning past the tip
        float spread = 0.28f * float(k);
        float cs = std::cos(direction + spread), sn = std::sin(direction + spread);
        kit::Vec2 root = at(length - 0.4f, 0.0f);
        kit::Vec2 tip{root.u + cs * 3.2f, root.v + sn * 3.2f};
        kit::Vec2 side{-sn * 0.14f, cs * 0.14f};
        kit::merge(ear, relief({{root.u - side.u, root.v - side.v}, tip, {root.u + side.u, root.v + side.v}},
                               1.6f, kit::rgb8(250, 210, 110), 0));
    }
    return ear;
}

// The emblem for the back face: a tipper truck heaped with grain, in side view, between two sprays of wheat.
kit::Mesh emblem() {
    kit::Mesh m;
    const kit::Color yellow = kit::rgb8(255, 200, 36), deep = kit::rgb8(230, 130, 20);
    // Chassis, tipper body with its canopy over the cab, and the cab. Nothing overlaps: the ribs of the body
    // and the cab's window are gaps onto the plate, so that no two faces lie close enough to fight in the
    // depth buffer when the sign is far off.
    kit::merge(m, relief({{-10.6f, -2.9f}, {10.6f, -2.9f}, {10.6f, -1.6f}, {-10.6f, -1.6f}}, 1.7f, deep));
    kit::merge(m, relief({{-10.0f, -1.6f}, {-7.6f, -1.6f}, {-7.6f, 3.3f}, {-11.8f, 3.3f}}, 2.3f, yellow));
    kit::merge(m, relief({{-6.9f, -1.6f}, {-3.6f, -1.6f}, {-3.6f, 3.3f}, {-6.9f, 3.3f}}, 2.3f, yellow));
    kit::merge(m, relief({{-2.9f, -1.6f}, {0.2f, -1.6f}, {0.2f, 3.3f}, {-2.9f, 3.3f}}, 2.3f, yellow));
    kit::merge(m,
               relief({{0.9f, -1.6f}, {2.6f, -1.6f}, {2.6f, 1.9f}, {8.6f, 2.5f}, {8.6f, 3.3f}, {0.9f, 3.3f}},
                      2.3f, yellow));
    kit::merge(m, relief({{3.3f, -1.6f}, {10.9f, -1.6f}, {10.9f, 0.1f}, {3.3f, 0.1f}}, 2.3f, yellow));
    kit::merge(m, relief({{3.3f, 0.1f}, {6.9f, 0.1f}, {6.9f, 1.8f}, {3.3f, 1.8f}}, 2.3f, yellow));
    kit::merge(m, relief({{9.4f, 0.1f},
                          {10.9f, 0.1f},
                          {10.9f, 0.2f},
                          {9.9f, 1.8f},
                          {6.9f, 1.8f},
                          {6.9f, 1.25f},
                          {8.8f, 1.25f}},
                         2.3f, yellow, 0.1f));
    // The heap of grain over the body.
    std::vector<kit::Vec2> heap;
    for (int i = 0; i <= 12; ++i) {
        float f = float(i) / 12.0f;
        heap.push_back(
            {2.4f - 14.0f * f, 3.3f + 1.9f * std::pow(std::fmax(std::sin(kit::kPi * f), 0.0f), 0.6f)});
    }
    kit::merge(m, relief(heap, 2.1f, kit::rgb8(255, 236, 150)));
    // Wheels over the chassis, standing out from it: dark tyres glowing to a bright hub.
    for (float x : {-7.4f, -3.4f, 7.6f}) {
        kit::Mesh tyre = kit::cylinder(1.9f, kReliefBase, 2.45f, 12);
        for (size_t v = 0; v < tyre.positions.size(); ++v) {
            bool hub =
                std::hypot(tyre.positions[v].x, tyre.positions[v].y) < 0.01f && tyre.positions[v].z > 2;
            tyre.colors[v] = hub ? kit::rgb8(255, 220, 110) : kit::rgb8(34, 14, 40);
        }
        kit::merge(m, kit::translate(tyre, {x, -3.3f, 0}));
    }
    // Two sprays of wheat, three ears each, fanning out from under the truck's ends.
    for (int side = -1; side <= 1; side += 2) {
        for (int k = -1; k <= 1; ++k) {
            float direction = (side > 0 ? 0.0f : kit::kPi) + float(side) * 0.36f * float(k);
            kit::merge(m, wheatEar({float(side) * 11.6f, -0.8f + 0.6f * float(k)}, direction, 7.5f));
        }
    }
    return m;
}

// One marquee lamp standing on the frame, in sign space with its axis along +z from the frame's face: a
// glowing halo ring on the lacquer, a short brass socket and a white-hot bulb that reads lit from any side.
// The chase round the frame is caught in mid-run: every third lamp burns whitest.
constexpr float kBulbRadius = 0.95f, kHaloRadius = 1.13f, kSocketRadius = 0.78f;
kit::Mesh lamp(int phase, float lift) {
    const float centre = 0.95f;
    std::vector<kit::Vec2> profile{{kHaloRadius, lift}, {kSocketRadius, lift}, {kSocketRadius, 0.5f}};
    for (float degrees : {-12.0f, 32.0f, 68.0f}) {
        float a = degrees * kit::kPi / 180;
        profile.push_back({kBulbRadius * std::cos(a), centre + kBulbRadius * std::sin(a)});
    }
    profile.push_back({0, centre + kBulbRadius});
    kit::Mesh m = kit::lathe(profile, 8);
    const kit::Color hot[3] = {kit::rgb8(255, 255, 244), kit::rgb8(255, 246, 200), kit::rgb8(255, 238, 176)};
    for (size_t v = 0; v < m.colors.size(); ++v) {
        const kit::Vec3 &p = m.positions[v], &n = m.normals[v];
        float r = std::hypot(p.x, p.y);
        if (p.z < lift + 0.01f && n.z > 0.9f) { // the halo: hot at the socket, fading into the lacquer
            m.colors[v] = r < kSocketRadius + 0.01f ? kit::rgb8(255, 196, 96) : kit::rgb8(214, 70, 34);
        } else if (p.z < 0.51f) { // the socket, lit by its bulb
            m.colors[v] = kit::rgb8(236, 160, 64);
        } else { // the bulb: white-hot at its crown, warm toward its base
            float up = std::clamp(n.z, 0.0f, 1.0f);
            m.colors[v] = kit::mix(kit::rgb8(255, 176, 70), hot[phase], std::pow(up, 0.6f));
        }
    }
    return m;
}

// The board behind the letters is a louvre: slats leaning up and out over a gold-lit back. From in front
// the slats close into a dark board; as the camera climbs above the board, the view runs down between the
// slats and the gold shows, until, looking past them onto their gilt backs, the whole board blazes. The slats
// are broad, sixteen up the board, so that half open they read as blinds and never as scanlines.
constexpr float kSlatPitch = 1.25f, kSlatLength = 2.65f, kSlatLean = 0.61f; // 35 degrees off the board's normal
kit::Mesh louvre(const std::function<kit::Color(float, float)>& front) {
    kit::Mesh m;
    const float z0 = kPlateThickness / 2, rise = kSlatLength * std::sin(kSlatLean),
                out = kSlatLength * std::cos(kSlatLean);
    const kit::Vec3 n{0, -std::cos(kSlatLean), std::sin(kSlatLean)};
    const kit::Color inside = kit::rgb8(255, 214, 120);
    const int pieces = 12;
    // From under the frame's bottom bar to into its top one, so that no gold shows past the end slats.
    for (float y = -kPanelHalfHeight - 0.5f; y < kPanelHalfHeight; y += kSlatPitch) {
        for (int i = 0; i < pieces; ++i) {
            float x0 = -kPanelHalfWidth + 2 * kPanelHalfWidth * float(i) / float(pieces);
            float x1 = -kPanelHalfWidth + 2 * kPanelHalfWidth * float(i + 1) / float(pieces);
            kit::Vec3 a{x0, y, z0}, b{x1, y, z0}, c{x1, y + rise, z0 + out}, d{x0, y + rise, z0 + out};
            uint32_t fa = m.addVertex(a, n, {}, front(x0, y)), fb = m.addVertex(b, n, {}, front(x1, y)),
                     fc = m.addVertex(c, n, {}, front(x1, y + rise)),
                     fd = m.addVertex(d, n, {}, front(x0, y + rise));
            m.addQuad(fa, fb, fc, fd);
            uint32_t ba = m.addVertex(a, n * -1.0f, {}, inside * 0.8f),
                     bb = m.addVertex(b, n * -1.0f, {}, inside * 0.8f),
                     bc = m.addVertex(c, n * -1.0f, {}, inside), bd = m.addVertex(d, n * -1.0f, {}, inside);
            m.addQuad(ba, bd, bc, bb);
        }
    }
    return m;
}

// The frame round the panel, through the plate so that it stands off both faces: four bars and a round post
// at each corner, a little taller than the bars so that no two tops lie in one plane.
kit::Mesh frame() {
    kit::Mesh m;
    const float z = kPlateThickness / 2 + kFrameProud, w = kPanelHalfWidth, h = kPanelHalfHeight,
                f = kFrameWidth;
    const kit::Color lacquer = kit::rgb8(176, 40, 28);
    const kit::Vec3 bars[4][2] = {{{-w, h, -z}, {w, h + f, z}},
                                  {{-w, -h - f, -z}, {w, -h, z}},
                                  {{w, -h, -z}, {w + f, h, z}},
                                  {{-w - f, -h, -z}, {-w, h, z}}};
    for (const auto& bar : bars) {
        kit::Mesh b = kit::box(bar[0], bar[1], {}, 0.35f);
        kit::merge(m, kit::paint(b, lacquer));
    }
    for (int corner = 0; corner < 4; ++corner) {
        kit::Mesh post = kit::cylinder(f, -z - 0.3f, z + 0.3f, 14);
        kit::paint(post, kit::rgb8(200, 64, 30));
        kit::merge(m, kit::translate(post, {corner % 3 ? -w : w, corner < 2 ? h : -h, 0}));
    }
    return m;
}

kit::Mesh logo() {
    const float outerW = kPanelHalfWidth + kFrameWidth, outerH = kPanelHalfHeight + kFrameWidth;
    // Well inside the frame's outer faces, so that its edge cannot fight them through the depth buffer
    // edge-on.
    kit::Mesh plate =
        kit::extrude(roundedRect(outerW - 0.5f, outerH - 0.5f, kFrameWidth - 0.5f, 4), kPlateThickness, 0.2f);
    kit::translate(plate, {0, 0, -kPlateThickness / 2});
    // A deep night-blue board, lighter toward its top as if the bulbs washed it.
    auto board = [&](float y) {
        return kit::mix(kit::rgb8(22, 12, 46), kit::rgb8(52, 30, 92), (y + outerH) / (2 * outerH));
    };
    for (size_t v = 0; v < plate.colors.size(); ++v)
        plate.colors[v] = board(plate.positions[v].y);
    // The front face is a finer grid instead, backlit behind the two lines of letters. Its edge hides under
    // the frame, which covers what the plate's own front face would show beyond it.
    std::erase_if(plate.triangles, [&](const std::array<uint32_t, 3>& t) {
        return plate.normals[t[0]].z > 0.9f && plate.normals[t[1]].z > 0.9f && plate.normals[t[2]].z > 0.9f;
    });
    const float edge = 0.6f;
    kit::Mesh face =
        kit::grid({-kPanelHalfWidth - edge, -kPanelHalfHeight - edge, kPlateThickness / 2},
                  {kPanelHalfWidth + edge, kPanelHalfHeight + edge, kPlateThickness / 2}, 24, 14);
    // The back of the louvre: gold, hottest behind the two lines of letters.
    auto glowAt = [](float x, float y) {
        float glow = 0;
        for (float row : {4.77f, -4.7f})
            glow += std::exp(-(y - row) * (y - row) / 7.0f);
        return glow * (1.0f - std::fmin(1.0f, std::pow(std::fabs(x / kPanelHalfWidth), 4.0f)));
    };
    for (size_t v = 0; v < face.colors.size(); ++v) {
        float g = glowAt(face.positions[v].x, face.positions[v].y);
        // Ember-dark toward the bottom edge, where the camera, a little above the board, sees the lowest
        // slits open first: there they stay dark until the whole louvre opens.
        float y = face.positions[v].y;
        float ember = std::clamp((y + kPanelHalfHeight) / 5.0f, 0.0f, 1.0f);
        face.colors[v] = kit::mix(kit::rgb8(70, 24, 44),
                                  kit::mix(kit::rgb8(236, 150, 50), kit::rgb8(255, 246, 200), std::fmin(1.0f, g)),
                                  0.35f + 0.65f * ember);
    }
    kit::merge(plate, face);
    // The slats' fronts: the night-blue board, backlit behind the letters.
    // The lamps wash the board's margins warm.
    kit::Mesh rails = louvre([&](float x, float y) {
        float margin = std::fmin(kPanelHalfWidth - std::fabs(x), kPanelHalfHeight - std::fabs(y));
        // One broad glow behind both lines, so that no dark band runs between them.
        float fill = 0.75f * std::exp(-y * y / 60.0f) *
                     (1.0f - std::fmin(1.0f, std::pow(std::fabs(x / kPanelHalfWidth), 4.0f)));
        kit::Color base = board(y), light = kit::rgb8(84, 34, 96) * std::fmax(glowAt(x, y), fill),
                   wash = kit::rgb8(170, 64, 72) * std::exp(-std::fmax(margin, 0.0f) / 2.0f);
        return kit::Color{base.r + light.r + wash.r, base.g + light.g + wash.g, base.b + light.b + wash.b,
                          base.a};
    });

    // The emblem in relief on the back face: turned half a turn about the vertical, so that the truck drives
    // to the right seen from the back.
    kit::Mesh art = emblem();
    kit::scale(art, {0.8f, 0.8f, 1.0f});
    kit::rotate(art, {0, kit::kPi, 0});

    kit::Mesh bars = frame();
    kit::Mesh bulbs;
    std::vector<kit::Vec2> ring = roundedRect(kPanelHalfWidth + kFrameWidth / 2,
                                              kPanelHalfHeight + kFrameWidth / 2, kFrameWidth / 2, 6);
    float perimeter = 0;
    for (size_t i = 0; i < ring.size(); ++i) {
        kit::Vec2 a = ring[i], b = ring[(i + 1) % ring.size()];
        perimeter += std::hypot(b.u - a.u, b.v - a.v);
    }
    const int count = 54;
    float step = perimeter / float(count), next = step / 2, walked = 0;
    int n = 0;
    for (size_t i = 0; i < ring.size(); ++i) {
        kit::Vec2 a = ring[i], b = ring[(i + 1) % ring.size()];
        float length = std::hypot(b.u - a.u, b.v - a.v);
        while (next < walked + length && n < count) {
            float f = (next - walked) / length;
            kit::Vec2 at{a.u + (b.u - a.u) * f, a.v + (b.v - a.v) * f};
            // Neighbours' halos overlap at the corners: every other one stands a little prouder.
            const float face = kPlateThickness / 2 + kFrameProud, lift = n % 2 ? 0.1f : 0.03f;
            kit::Mesh front = lamp(n % 3, lift), back = lamp((n + 1) % 3, lift);
            kit::merge(bulbs, kit::translate(front, {at.u, at.v, face}));
            kit::rotate(back, {0, kit::kPi, 0});
            kit::merge(bulbs, kit::translate(back, {at.u, at.v, -face}));
            ++n;
            next += step;
        }
        walked += length;
    }

    standUp(plate);
    standUp(rails);
    standUp(art);
    standUp(bars);
    standUp(bulbs);
    // The frame and the emblem take the light; the board keeps its own colour.
    kit::Mesh lit = bars;
    const size_t artFrom = lit.colors.size();
    kit::merge(lit, art);
    bakeBothFaces(lit);
    // The emblem is lit from within, like the bulbs: the light only models its relief.
    for (size_t i = artFrom; i < lit.colors.size(); ++i) {
        const kit::Color &shade = lit.colors[i], &own = art.colors[i - artFrom];
        lit.colors[i] = {std::fmin(1.0f, 0.45f * shade.r + 0.75f * own.r),
                         std::fmin(1.0f, 0.45f * shade.g + 0.75f * own.g),
                         std::fmin(1.0f, 0.45f * shade.b + 0.75f * own.b), own.a};
    }
    // Rim light on the frame's edges and bevels: cool from the dusk sky above, hot from the sunset below.
    for (size_t i = 0; i < artFrom; ++i) {
        const kit::Vec3& nrm = lit.normals[i];
        float edge = 1.0f - std::fabs(nrm.y);
        kit::Color rim = nrm.z > 0 ? kit::rgb8(150, 120, 255) * (0.55f * nrm.z)
                                   : kit::rgb8(255, 120, 50) * (-0.6f * nrm.z);
        // and the lamps' own glow on the lacquer they stand in
        const kit::Color glow = kit::rgb8(96, 30, 12);
        kit::Color& c = lit.colors[i];
        c = {std::fmin(1.0f, c.r + rim.r * edge + glow.r), std::fmin(1.0f, c.g + rim.g * edge + glow.g),
             std::fmin(1.0f, c.b + rim.b * edge + glow.b), c.a};
    }
    kit::merge(plate, rails);
    kit::merge(plate, lit);
    kit::merge(plate, bulbs);
    return kit::rotate(plate, {float(-kLean * kit::kPi / 180), 0, 0});
}

double logoX(double t) {
    return 120.0 - 10.0 * t;
}

// Where the camera stands relative to the sign, and where the sign's centre sits on screen.
struct Pose {
    double time;      // seconds into the title
    double turn;      // degrees round the sign from its front face, on top of the sign's own spin
    double elevation; // degrees above the sign's centre
    double distance;
    double screenX, screenY; // NDC of the sign's centre
};

// The camera rides round with the sign's spin, so that the sign holds its face to the viewer and turns only
// on the beats chosen here. The turns run one way (the turn falling), against the spin, which keeps the
// camera's own swing through the scene the smaller. The sign flips its front round onto the text's hit; from
// then on the board stands behind the text as its marquee, and the camera only pushes in and pulls back and
// drifts a little round and up and down on the bars, never so far that the board stops facing it.
constexpr Pose kPoses[] = {
    {-2.0, 300, -22, 200, 0.12, 0.38}, // (before the cut: sets the camera's swing on the first frame)
    {0.0, 215, -22, 170, 0.12, 0.38},  // on the hit: far off, the back turned aside
    {2.0, 180, -30, 112, 0.0, 0.32},   // rushed in: the emblem face-on, looking up at it
    {3.6, 166, -26, 100, 0.0, 0.22},   // drifting round it
    {5.5, 0, kLean, 100, kTextCentreX, kTextCentreY},            // turned over to the front on the text's hit
    {8.0, 10, kLean, 94, kTextCentreX, kTextCentreY},        // drifting to its left
    {10.0, 0, kLean, kHoldDistance, kTextCentreX, kTextCentreY}, // on the bar
    {12.0, -12, kLean - 6, 78, kTextCentreX, kTextCentreY},      // pushed in: the lamps big at the edges
    {13.0, 10, kLean - 3, 76, kTextCentreX, kTextCentreY},       // sliding across them, never above the slats
    {14.0, 0, kLean, 98, kTextCentreX, kTextCentreY},            // pulled back on the bar
    {16.0, -12, kLean - 9, 80, kTextCentreX, kTextCentreY},      // in again, from a little below
    {18.0, 0, kLean, kHoldDistance, kTextCentreX, kTextCentreY}, // on the bar
    {22.0, 0, kLean, kHoldDistance, kTextCentreX, kTextCentreY}, // (to the cut)
};
constexpr int kPoseCount = int(sizeof(kPoses) / sizeof(kPoses[0]));

// Monotone cubic through the keys: no overshoot, and a key that is a peak or a dip is passed at rest.
double interpolate(double Pose::*field, double t) {
    auto v = [&](int k) { return kPoses[k].*field; };
    auto slope = [&](int k) { return (v(k + 1) - v(k)) / (kPoses[k + 1].time - kPoses[k].time); };
    auto tangent = [&](int k) {
        if (k == 0 || k == kPoseCount - 1) return 0.0;
        double a = slope(k - 1), b = slope(k);
        if (a * b <= 0) return 0.0;
        return 2 * a * b / (a + b); // the harmonic mean keeps the curve from overshooting
    };
    if (t <= kPoses[0].time) return v(0);
    int k = 0;
    while (k < kPoseCount - 2 && t > kPoses[k + 1].time)
        ++k;
    double h = kPoses[k + 1].time - kPoses[k].time, f = std::fmin((t - kPoses[k].time) / h, 1.0);
    double f2 = f * f, f3 = f2 * f;
    return (2 * f3 - 3 * f2 + 1) * v(k) + (f3 - 2 * f2 + f) * h * tangent(k) + (-2 * f3 + 3 * f2) * v(k + 1) +
           (f3 - f2) * h * tangent(k + 1);
}

double smoothstep(double from, double to, double t) {
    double f = std::clamp((t - from) / (to - from), 0.0, 1.0);
    return f * f * (3 - 2 * f);
}

// Over the last bars the camera circles the board, then climbs until the louvre opens on its gold.
constexpr double kDanceFrom = 18.0;

// Where the camera stands off the board's normal (degrees: toward the board's right, toward its top).
struct Offset {
    double right, up;
};
Offset lightsPath(double t) {
    if (t <= kDanceFrom) return {0, 0};
    Offset o{0, 0};
    // The circle is squashed and kept below the board's normal: a few degrees above it the slats part.
    auto circle = [&](double size, double angle) {
        o.right += size * std::cos(angle);
        o.up += 0.5 * size * (std::sin(angle) - 1);
    };
    // From 48 s the circle dies; from 48.8 s the camera rises until the louvre blazes.
    circle(12 * smoothstep(18.0, 18.4, t) * (1 - smoothstep(20.2, 21.2, t)),
           kit::kPi / 2 + 2 * kit::kPi * (t - 18.0));
    o.up += 38.5 * smoothstep(21.2, 21.75, t); // late and quick, so the louvre passes its half-open stripes fast
    return o;
}

// A jump toward the board peaking on each beat, snapping in over the last tenth of a second before it and
// falling back after it; the bars hit hardest, their third beats next.
double beatPush(double t) {
    constexpr double kSizes[4] = {18.0, 10.0, 13.5, 10.0}; // the bar's first beat, then its second, ...
    constexpr double kRise = 0.1, kFall = 0.16;
    double push = 0;
    for (int k = 11; k <= 44; ++k) { // the beats from the text's hit at 5.5 s to the cut at 22 s
        double beat = k * 0.5, size = kSizes[k % 4];
        if (t > beat - kRise && t <= beat) push += size * std::pow((t - beat + kRise) / kRise, 2);
        if (t > beat) push += size * std::exp(-(t - beat) / kFall);
    }
    return push;
}

Pose poseAt(double t) {
    Offset o = lightsPath(t);
    double elevation = interpolate(&Pose::elevation, t) + o.up, distance = interpolate(&Pose::distance, t);
    return {t, interpolate(&Pose::turn, t) + o.right / std::cos(elevation * kit::kPi / 180), elevation,
            // Into the blaze: the camera plunges at the lit board over the last beat.
            distance - beatPush(t) * std::fmin(1.0, std::pow(distance / kHoldDistance, 2)) -
                45 * smoothstep(21.4, 22.0, t),
            interpolate(&Pose::screenX, t), interpolate(&Pose::screenY, t)};
}

kit::Vec3 signCentre(double t) {
    return {float(logoX(t)), 0, 0};
}

kit::Vec3 eyeOf(double t, const Pose& p) {
    // The front face looks along -Y turned by the spin: azimuth t radians from -Y toward +X.
    double az = t + p.turn * kit::kPi / 180, el = p.elevation * kit::kPi / 180;
    kit::Vec3 offset{float(std::sin(az) * std::cos(el)), float(-std::cos(az) * std::cos(el)),
                     float(std::sin(el))};
    return signCentre(t) + offset * float(p.distance);
}

// The point to look at that puts the sign's centre at the pose's place on screen.
kit::Vec3 targetOf(double t, const Pose& p) {
    kit::Vec3 centre = signCentre(t), forward = kit::normalize(centre - eyeOf(t, p));
    kit::Vec3 right = kit::normalize(kit::cross(forward, {0, 0, 1})), up = kit::cross(right, forward);
    double halfHeight = p.distance * std::tan(kFieldOfView / 2), halfWidth = halfHeight * 4 / 3;
    return centre - right * float(p.screenX * halfWidth) - up * float(p.screenY * halfHeight);
}

kit::Model camera() {
    kit::CameraKeys keys = kit::rigCamera(
        kFrames, [&](double t) { return eyeOf(t, poseAt(t)); },
        [&](double t) { return targetOf(t, poseAt(t)); });
    kit::Model cam{"Camera_disks", keys.positions[0], {}, {}, kit::positionCurves(keys.positions), {}};
    for (kit::Curve& c : kit::rotationCurves(keys.rotations))
        cam.curves.push_back(c);
    return cam;
}

} // namespace

SceneSource buildDisks() {
    SceneSource scene{"disks.xsi", {}, kFrames};
    kit::Mesh mesh = logo();
    kit::Model cam = camera();
    scene.models.push_back({"Kestrova", {120, 0, 0}, {}, std::move(mesh), {}, {}});
    scene.models.push_back(std::move(cam));
    return scene;
}

} // namespace scenes
