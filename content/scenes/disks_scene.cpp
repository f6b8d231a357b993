// Title scene: the group's sign, a dark board in a frame ringed with marquee bulbs, its back carrying an
// emblem in relief (a tipper truck heaped with grain between sprays of wheat), and the camera that rides
// round with the sign's spin so that, once the title text is up, the board stands still behind the text as its
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
// right, y up) and set so that, seen face-on from 74 to 92 units off, the panel's inside frames the two text
// lines.
constexpr float kPanelHalfWidth = 18.5f, kPanelHalfHeight = 9.7f;
constexpr float kFrameWidth = 2.4f;
constexpr float kPlateThickness = 0.6f;
constexpr float kFrameProud = 2.3f; // the frame stands this far off each face of the plate
constexpr double kFieldOfView = 0.6;
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
// glowing halo on the lacquer, a short brass socket and a white-hot bulb that reads lit from any side. The
// chase round the frame is caught in mid-run: every third lamp burns whitest.
// The halo is a steep cone, not a flat ring lying on the face: its rim, in the lacquer's own colour, plunges
// through the face, and its glowing part stands clear of it (and of the corner posts' tops), so the
// two never lie within a step of the depth buffer of each other and nothing shimmers round the bulbs.
constexpr float kBulbRadius = 0.95f, kHaloRadius = 1.13f, kSocketRadius = 0.78f;
constexpr float kHaloRim = -0.2f, kHaloTop = 0.45f, kSocketTop = 0.55f;
kit::Mesh lamp(int phase) {
    const float centre = 0.95f;
    std::vector<kit::Vec2> profile{
        {kHaloRadius, kHaloRim}, {kSocketRadius, kHaloTop}, {kSocketRadius, kSocketTop}};
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
        if (p.z < kHaloTop + 0.01f && n.z > 0.1f) { // the halo: hot at the socket, fading into the lacquer
            m.colors[v] = r < kSocketRadius + 0.01f ? kit::rgb8(255, 196, 96) : kit::rgb8(250, 62, 36);
        } else if (p.z < kSocketTop + 0.01f) { // the socket, lit by its bulb
            m.colors[v] = kit::rgb8(236, 160, 64);
        } else { // the bulb: white-hot at its crown, warm toward its base
            float up = std::clamp(n.z, 0.0f, 1.0f);
            m.colors[v] = kit::mix(kit::rgb8(255, 176, 70), hot[phase], std::pow(up, 0.6f));
        }
    }
    return m;
}

// Where the rows and columns of the board's face fall, from -half to half: close together over the outer
// `band`, where the lamps' wash changes fast, and wider across the middle.
std::vector<float> faceLines(float half, float band, float fine, float coarse) {
    std::vector<float> lines;
    auto run = [&](float from, float to, float step) {
        int n = std::max(1, int(std::ceil((to - from) / step)));
        for (int i = 0; i < n; ++i)
            lines.push_back(from + (to - from) * float(i) / float(n));
    };
    run(-half, -half + band, fine);
    run(-half + band, half - band, coarse);
    run(half - band, half, fine);
    lines.push_back(half);
    return lines;
}

// The board's front face: one smooth sheet, in cells fine enough that its colour runs evenly right to the
// frame (no bands, no steps along the edges).
kit::Mesh boardFace(float halfWidth, float halfHeight, const std::function<kit::Color(float, float)>& color) {
    kit::Mesh m;
    const std::vector<float> xs = faceLines(halfWidth, 3.5f, 0.5f, 1.6f),
                             ys = faceLines(halfHeight, 3.5f, 0.5f, 0.8f);
    const float z = kPlateThickness / 2;
    std::vector<uint32_t> index;
    for (float y : ys)
        for (float x : xs)
            index.push_back(m.addVertex({x, y, z}, {0, 0, 1}, {}, color(x, y)));
    const size_t w = xs.size();
    for (size_t j = 0; j + 1 < ys.size(); ++j)
        for (size_t i = 0; i + 1 < w; ++i)
            m.addQuad(index[j * w + i], index[j * w + i + 1], index[(j + 1) * w + i + 1], index[(j + 1) * w + i]);
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
    // The front face is a finer sheet instead, backlit behind the two lines of letters. Its edge hides under
    // the frame, which covers what the plate's own front face would show beyond it.
    std::erase_if(plate.triangles, [&](const std::array<uint32_t, 3>& t) {
        return plate.normals[t[0]].z > 0.9f && plate.normals[t[1]].z > 0.9f && plate.normals[t[2]].z > 0.9f;
    });
    // A glow behind each of the two lines of letters, fading out toward the board's ends.
    auto glowAt = [](float x, float y) {
        float glow = 0;
        for (float row : {4.77f, -4.7f})
            glow += std::exp(-(y - row) * (y - row) / 7.0f);
        return glow * (1.0f - std::fmin(1.0f, std::pow(std::fabs(x / kPanelHalfWidth), 4.0f)));
    };
    const float edge = 0.6f;
    kit::Mesh sheet = boardFace(kPanelHalfWidth + edge, kPanelHalfHeight + edge, [&](float x, float y) {
        // One broad glow behind both lines, so that no dark band runs between them.
        float fill = 0.75f * std::exp(-y * y / 60.0f) *
                     (1.0f - std::fmin(1.0f, std::pow(std::fabs(x / kPanelHalfWidth), 4.0f)));
        // The lamps wash the board's margins warm, each side on its own, so the corners blend round.
        float toSide = std::fmax(kPanelHalfWidth - std::fabs(x), 0.0f),
              toEnd = std::fmax(kPanelHalfHeight - std::fabs(y), 0.0f);
        float washed = std::fmin(1.0f, std::exp(-toSide / 2.0f) + std::exp(-toEnd / 2.0f));
        kit::Color base = board(y), light = kit::rgb8(84, 34, 96) * std::fmax(glowAt(x, y), fill),
                   wash = kit::rgb8(170, 64, 72) * washed;
        return kit::Color{std::fmin(1.0f, base.r + light.r + wash.r), std::fmin(1.0f, base.g + light.g + wash.g),
                          std::fmin(1.0f, base.b + light.b + wash.b), base.a};
    });
    kit::merge(plate, sheet);

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
            const float face = kPlateThickness / 2 + kFrameProud;
            kit::Mesh front = lamp(n % 3), back = lamp((n + 1) % 3);
            kit::merge(bulbs, kit::translate(front, {at.u, at.v, face}));
            kit::rotate(back, {0, kit::kPi, 0});
            kit::merge(bulbs, kit::translate(back, {at.u, at.v, -face}));
            ++n;
            next += step;
        }
        walked += length;
    }

    standUp(plate);
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
// then on the board stands still behind the text as its marquee, square to the camera, until the cut.
constexpr Pose kPoses[] = {
    {-2.0, 300, -22, 200, 0.12, 0.38}, // (before the cut: sets the camera's swing on the first frame)
    {0.0, 215, -22, 170, 0.12, 0.38},  // on the hit: far off, the back turned aside
    {2.0, 180, -30, 112, 0.0, 0.32},   // rushed in: the emblem face-on, looking up at it
    {3.6, 166, -26, 100, 0.0, 0.22},   // drifting round it
    {5.5, 0, kLean, 92, kTextCentreX, kTextCentreY},  // turned over to the front on the text's hit
    {22.0, 0, kLean, 92, kTextCentreX, kTextCentreY},  // (to the cut)
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

// Behind the text the camera creeps in on the board at a steady pace, so that it grows slowly and evenly
// round the letters (by this much a second, of its size when the text comes up) and is still growing as the
// cut comes on the downbeat. The creep sets off over the first one and a half seconds after the hit.
constexpr double kCreepFrom = 5.5, kCreepEased = 1.5, kCreep = 0.0155;
double creep(double t) {
    if (t <= kCreepFrom) return 0;
    double s = std::fmin((t - kCreepFrom) / kCreepEased, 1.0);
    // The time the creep has run at full pace: the integral of a smoothstep over the easing, then the rest.
    double run = kCreepEased * (s * s * s - s * s * s * s / 2) + std::fmax(t - kCreepFrom - kCreepEased, 0.0);
    return kCreep * run;
}

Pose poseAt(double t) {
    return {t,
            interpolate(&Pose::turn, t),
            interpolate(&Pose::elevation, t),
            interpolate(&Pose::distance, t) / (1 + creep(t)),
            interpolate(&Pose::screenX, t),
            interpolate(&Pose::screenY, t)};
}

kit::Vec3 signCentre(double t) {
    return {float(logoX(t)), 0, 0};
}

// The camera looks along the pose's direction straight at the sign and stands off to the side of that line,
// so that the sign's centre lands at the pose's place on screen seen square-on: no keystone, and the board's
// edges stay level wherever on screen it stands.
struct View {
    kit::Vec3 eye, target;
};
View viewAt(double t) {
    const Pose p = poseAt(t);
    // The front face looks along -Y turned by the spin: azimuth t radians from -Y toward +X.
    double az = t + p.turn * kit::kPi / 180, el = p.elevation * kit::kPi / 180;
    kit::Vec3 out{float(std::sin(az) * std::cos(el)), float(-std::cos(az) * std::cos(el)), float(std::sin(el))};
    kit::Vec3 forward = -out, right = kit::normalize(kit::cross(forward, {0, 0, 1})),
              up = kit::cross(right, forward);
    double halfHeight = p.distance * std::tan(kFieldOfView / 2), halfWidth = halfHeight * 4 / 3;
    kit::Vec3 eye = signCentre(t) + out * float(p.distance) - right * float(p.screenX * halfWidth) -
                    up * float(p.screenY * halfHeight);
    return {eye, eye + forward * float(p.distance)};
}

kit::Model camera() {
    kit::CameraKeys keys = kit::rigCamera(
        kFrames, [&](double t) { return viewAt(t).eye; }, [&](double t) { return viewAt(t).target; });
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
