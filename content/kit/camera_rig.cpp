// Camera rig: aiming, angle decomposition with unwrapping, and the projection used to check framing.
#include "kit/camera_rig.h"

#include <cmath>

namespace kit {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPiD = 3.141592653589793;

struct M3 {
    double m[3][3];
};

M3 rotX(double a) { return {{{1, 0, 0}, {0, std::cos(a), -std::sin(a)}, {0, std::sin(a), std::cos(a)}}}; }
M3 rotY(double a) { return {{{std::cos(a), 0, std::sin(a)}, {0, 1, 0}, {-std::sin(a), 0, std::cos(a)}}}; }
M3 rotZ(double a) { return {{{std::cos(a), -std::sin(a), 0}, {std::sin(a), std::cos(a), 0}, {0, 0, 1}}}; }

M3 mul(const M3& a, const M3& b) {
    M3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}

// The value of `angle` plus whole turns that lies nearest `reference`.
double nearestTurn(double angle, double reference) {
    return angle + kTwoPi * std::round((reference - angle) / kTwoPi);
}

double tan2(float fieldOfView) { return std::tan(double(fieldOfView) * 0.5); }

} // namespace

CameraBasis cameraBasis(const CameraAngles& a) {
    M3 r = mul(rotZ(a.ry - 0.1), mul(rotY(a.rz), rotX(a.rx)));
    // Rows of R * F: the third column changes sign.
    auto row = [&](int i) { return Vec3{float(r.m[i][0]), float(r.m[i][1]), float(-r.m[i][2])}; };
    return {row(0), row(1), row(2)};
}

CameraAngles aimCamera(Vec3 eye, Vec3 target, const CameraAngles& near) {
    Vec3 f = normalize(target - eye);
    Vec3 r = normalize(cross(f, {0, 0, 1}));
    Vec3 u = cross(r, f);
    // R = B * F with B = rows (r, u, f): R20 = f.x, R21 = f.y, R22 = -f.z, R00 = r.x, R10 = u.x.
    double beta = std::asin(std::fmax(-1.0, std::fmin(1.0, -double(f.x))));
    double alpha = std::atan2(double(f.y), -double(f.z));
    double gamma = std::atan2(double(u.x), double(r.x));
    CameraAngles first{alpha, gamma + 0.1, beta};
    CameraAngles second{alpha + kPiD, gamma + kPiD + 0.1, kPiD - beta};
    auto settle = [&](CameraAngles c) {
        return CameraAngles{nearestTurn(c.rx, near.rx), nearestTurn(c.ry, near.ry), nearestTurn(c.rz, near.rz)};
    };
    first = settle(first);
    second = settle(second);
    auto distance = [&](const CameraAngles& c) {
        return std::fabs(c.rx - near.rx) + std::fabs(c.ry - near.ry) + std::fabs(c.rz - near.rz);
    };
    return distance(first) <= distance(second) ? first : second;
}

CameraKeys rigCamera(int frameCount, const std::function<Vec3(double)>& eye,
                     const std::function<Vec3(double)>& target) {
    CameraKeys keys;
    CameraAngles previous;
    for (int i = 0; i < frameCount; ++i) {
        double t = i / 20.0;
        Vec3 e = eye(t);
        CameraAngles a = aimCamera(e, target(t), previous);
        if (i == 0) {
            // Start from the smallest angles of the pair rather than from zero's neighbourhood.
            a = aimCamera(e, target(t), {});
        }
        previous = a;
        keys.positions.push_back(e);
        keys.rotations.push_back({float(a.rx), float(a.ry), float(a.rz)});
    }
    return keys;
}

bool projectPoint(Vec3 eye, const CameraAngles& angles, float fieldOfView, Vec3 point, float& ndcX, float& ndcY,
                  float& depth) {
    CameraBasis b = cameraBasis(angles);
    Vec3 d = point - eye;
    float x = dot(b.right, d), y = dot(b.up, d), z = dot(b.forward, d);
    depth = z;
    if (z <= 0) return false;
    double scaleY = 1.0 / tan2(fieldOfView), scaleX = scaleY * 240.0 / 320.0;
    ndcX = float(scaleX * x / z);
    ndcY = float(scaleY * y / z);
    return true;
}

Vec3 viewRay(const CameraAngles& angles, float fieldOfView, float ndcX, float ndcY) {
    CameraBasis b = cameraBasis(angles);
    double t = tan2(fieldOfView);
    float x = float(ndcX * t * 320.0 / 240.0), y = float(ndcY * t);
    return normalize(b.forward + b.right * x + b.up * y);
}

} // namespace kit
