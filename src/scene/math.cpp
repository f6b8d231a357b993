// Matrix, quaternion and projection routines in single precision, OpenGL storage order.
#include "scene/scene.h"

#include <cmath>

namespace {

// Every half-angle goes through the double-precision library and is stored as float, as the rotations and
// the projection of the data were computed.
float sineOf(float angle) {
    return static_cast<float>(std::sin(static_cast<double>(angle)));
}
float cosineOf(float angle) {
    return static_cast<float>(std::cos(static_cast<double>(angle)));
}

} // namespace

Matrix4& Matrix4::multiply(Matrix4& out, const Matrix4& b) const {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            out.m[4 * r + c] = m[4 * r] * b.m[c] + m[4 * r + 1] * b.m[4 + c] + m[4 * r + 2] * b.m[8 + c] +
                               m[4 * r + 3] * b.m[12 + c];
        }
    }
    return out;
}

Matrix4& makeIdentity(Matrix4& m) {
    for (float& element : m.m) {
        element = 0.0f;
    }
    m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1.0f;
    return m;
}

Matrix4& makeTranslation(Matrix4& m, const Vec3& v) {
    makeIdentity(m);
    m.m[12] = v.x;
    m.m[13] = v.y;
    m.m[14] = v.z;
    return m;
}

Matrix4& translate(Matrix4& m, const Vec3& v) {
    Matrix4 shift;
    Matrix4 product;
    makeTranslation(shift, v);
    shift.multiply(product, m);
    m = product;
    return m;
}

Matrix4& invert(Matrix4& m) {
    Matrix4 result;
    makeIdentity(result);
    float* a = m.m;
    float* r = result.m;
    for (int i = 0; i < 4; ++i) {
        const float pivot = a[4 * i + i];
        if (pivot == 0.0f) {
            return m;
        }
        if (pivot != 1.0f) {
            const float f = 1.0f / pivot;
            for (int k = 0; k < 4; ++k) {
                a[4 * i + k] *= f;
                r[4 * i + k] *= f;
            }
        }
        for (int j = 0; j < 4; ++j) {
            if (j == i || a[4 * j + i] == 0.0f) {
                continue;
            }
            const float g = -a[4 * j + i];
            for (int k = 0; k < 4; ++k) {
                a[4 * j + k] += g * a[4 * i + k];
                r[4 * j + k] += g * r[4 * i + k];
            }
        }
    }
    m = result;
    return m;
}

Matrix4& makePerspective(Matrix4& m, float width, float height, float fovY, float nearZ, float farZ) {
    const float half = fovY * 0.5f;
    const float s = sineOf(half);
    const float c = cosineOf(half);
    const float depth = farZ - nearZ;
    for (float& element : m.m) {
        element = 0.0f;
    }
    m.m[0] = c * height / (s * width);
    m.m[5] = c / s;
    m.m[10] = farZ / depth;
    m.m[11] = 1.0f;
    m.m[14] = -(farZ * nearZ) / depth;
    return m;
}

Quaternion& quaternionFromEuler(Quaternion& q, float ax, float ay, float az) {
    const float hx = ax * 0.5f;
    const float hy = ay * 0.5f;
    const float hz = az * 0.5f;
    const float sx = sineOf(hx), sy = sineOf(hy), sz = sineOf(hz);
    const float cx = cosineOf(hx), cy = cosineOf(hy), cz = cosineOf(hz);
    q.x = sx * cy * cz - cx * sy * sz;
    q.y = cx * sy * cz + sx * cy * sz;
    q.z = cx * cy * sz - sx * sy * cz;
    q.w = cx * cy * cz + sx * sy * sz;
    return q;
}

Matrix4& quaternionToMatrix(Matrix4& m, const Quaternion& q) {
    const float n = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
    const float s = static_cast<float>(2.0 / static_cast<double>(n));
    m.m[0] = 1.0f - s * (q.y * q.y + q.z * q.z);
    m.m[1] = s * (q.x * q.y + q.z * q.w);
    m.m[2] = s * (q.x * q.z - q.y * q.w);
    m.m[3] = 0.0f;
    m.m[4] = s * (q.x * q.y - q.z * q.w);
    m.m[5] = 1.0f - s * (q.x * q.x + q.z * q.z);
    m.m[6] = s * (q.y * q.z + q.x * q.w);
    m.m[7] = 0.0f;
    m.m[8] = s * (q.x * q.z + q.y * q.w);
    m.m[9] = s * (q.y * q.z - q.x * q.w);
    m.m[10] = 1.0f - s * (q.x * q.x + q.y * q.y);
    m.m[11] = 0.0f;
    m.m[12] = m.m[13] = m.m[14] = 0.0f;
    m.m[15] = 1.0f;
    return m;
}
