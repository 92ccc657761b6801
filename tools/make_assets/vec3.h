// The small vector helpers the asset tool shades and builds meshes with.
#pragma once

#include <cmath>

struct Vec3
{
    float x, y, z;
};

inline Vec3 Sub(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

inline Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline float Dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// `v` scaled to length 1; a zero vector gives up (+y), so a degenerate face still has a normal.
inline Vec3 Normalised(Vec3 v)
{
    float len = std::sqrt(Dot(v, v));
    return len > 0.0f ? Vec3{v.x / len, v.y / len, v.z / len} : Vec3{0.0f, 1.0f, 0.0f};
}
