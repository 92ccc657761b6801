// Builds the ball and floor meshes and writes them as text .x files. The coordinates are the
// scene's own: left-handed, y up, so the game draws them unchanged.
#include "meshes.h"

#include "canvas.h"
#include "vec3.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <utility>

namespace
{
const float Pi = 3.14159265f;
const float GroundY = -500.0f; // the ground plane the floor quad lies in

Vec3 Position(const MeshVertex& v)
{
    return {v.x, v.y, v.z};
}

// Appends a triangle, turning it so its clockwise side faces `outward`.
void AddTriangle(MeshData& mesh, unsigned a, unsigned b, unsigned c, Vec3 outward)
{
    Vec3 pa = Position(mesh.vertices[a]);
    Vec3 n = Cross(Sub(Position(mesh.vertices[b]), pa), Sub(Position(mesh.vertices[c]), pa));
    if (Dot(n, outward) < 0.0f)
        std::swap(b, c);
    mesh.indices.insert(mesh.indices.end(), {a, b, c});
}

// A flat quad with its own four vertices; corners in order around the edge.
void AddQuad(MeshData& mesh, const Vec3 (&corner)[4], Vec3 normal, float uvScale, int uAxis,
             int vAxis)
{
    unsigned first = unsigned(mesh.vertices.size());
    for (const Vec3& p : corner)
    {
        const float coords[3] = {p.x, p.y, p.z};
        mesh.vertices.push_back({p.x, p.y, p.z, normal.x, normal.y, normal.z,
                                 coords[uAxis] * uvScale, -coords[vAxis] * uvScale});
    }
    AddTriangle(mesh, first, first + 1, first + 2, normal);
    AddTriangle(mesh, first, first + 2, first + 3, normal);
}

// A box without its bottom face, one tier of the plinth.
void AddTier(MeshData& mesh, float x0, float x1, float y0, float y1, float z0, float z1)
{
    const float uv = 1.0f / 128.0f;
    AddQuad(mesh, {{x0, y1, z0}, {x1, y1, z0}, {x1, y1, z1}, {x0, y1, z1}}, {0, 1, 0}, uv, 0, 2);
    AddQuad(mesh, {{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0}}, {0, 0, -1}, uv, 0, 1);
    AddQuad(mesh, {{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}, {0, 0, 1}, uv, 0, 1);
    AddQuad(mesh, {{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}}, {-1, 0, 0}, uv, 2, 1);
    AddQuad(mesh, {{x1, y0, z0}, {x1, y0, z1}, {x1, y1, z1}, {x1, y1, z0}}, {1, 0, 0}, uv, 2, 1);
}

// A boulder: a twice-subdivided icosahedron, roughened, flattened and sunk into the sand.
void AddBoulder(MeshData& mesh, Vec3 centre, float radius, uint32_t seed)
{
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    std::vector<Vec3> points = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    std::vector<unsigned> faces = {0, 11, 5, 0, 5,  1,  0,  1,  7,  0,  7, 10, 0, 10, 11,
                                   1, 5,  9, 5, 11, 4,  11, 10, 2,  10, 7, 6,  7, 1,  8,
                                   3, 9,  4, 3, 4,  2,  3,  2,  6,  3,  6, 8,  3, 8,  9,
                                   4, 9,  5, 2, 4,  11, 6,  2,  10, 8,  6, 7,  9, 8,  1};
    for (Vec3& p : points)
        p = Normalised(p);
    for (int level = 0; level < 2; ++level)
    {
        std::map<std::pair<unsigned, unsigned>, unsigned> middles;
        auto middle = [&](unsigned a, unsigned b)
        {
            auto key = std::make_pair(std::min(a, b), std::max(a, b));
            auto found = middles.find(key);
            if (found != middles.end())
                return found->second;
            Vec3 m = Normalised({(points[a].x + points[b].x) / 2, (points[a].y + points[b].y) / 2,
                                 (points[a].z + points[b].z) / 2});
            points.push_back(m);
            middles[key] = unsigned(points.size() - 1);
            return unsigned(points.size() - 1);
        };
        std::vector<unsigned> finer;
        for (size_t f = 0; f < faces.size(); f += 3)
        {
            unsigned a = faces[f], b = faces[f + 1], c = faces[f + 2];
            unsigned ab = middle(a, b), bc = middle(b, c), ca = middle(c, a);
            finer.insert(finer.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        faces = finer;
    }

    unsigned first = unsigned(mesh.vertices.size());
    std::vector<Vec3> placed;
    for (size_t i = 0; i < points.size(); ++i)
    {
        const Vec3& p = points[i];
        float bump =
            0.8f + 0.35f * ValueNoise(p.x * 2.2f + 5.0f, p.z * 2.2f + p.y * 1.7f + 5.0f, 0, seed);
        Vec3 q{centre.x + p.x * radius * bump, centre.y + p.y * radius * bump * 0.7f,
               centre.z + p.z * radius * bump};
        // The part under the sand is cut off flat at the ground plane.
        q.y = std::fmax(q.y, GroundY);
        placed.push_back(q);
        mesh.vertices.push_back({q.x, q.y, q.z, 0, 0, 0, (q.x + q.z) / 160.0f, -q.y / 160.0f});
    }
    // Smooth normals: each vertex takes the area-weighted sum of its faces' normals.
    // Faces lying wholly on the ground plane are never seen (the ground covers them): dropped.
    std::vector<unsigned> kept;
    for (size_t f = 0; f < faces.size(); f += 3)
        if (placed[faces[f]].y > GroundY || placed[faces[f + 1]].y > GroundY ||
            placed[faces[f + 2]].y > GroundY)
            kept.insert(kept.end(), {faces[f], faces[f + 1], faces[f + 2]});
    faces = kept;
    std::vector<Vec3> sums(points.size(), Vec3{0, 0, 0});
    for (size_t f = 0; f < faces.size(); f += 3)
    {
        Vec3 a = placed[faces[f]], b = placed[faces[f + 1]], c = placed[faces[f + 2]];
        Vec3 n = Cross(Sub(b, a), Sub(c, a));
        Vec3 middle{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3};
        if (Dot(n, Sub(middle, centre)) < 0.0f)
            n = {-n.x, -n.y, -n.z};
        for (int k = 0; k < 3; ++k)
        {
            Vec3& s = sums[faces[f + k]];
            s = {s.x + n.x, s.y + n.y, s.z + n.z};
        }
    }
    for (size_t i = 0; i < points.size(); ++i)
    {
        Vec3 n = Normalised(sums[i]);
        MeshVertex& v = mesh.vertices[first + i];
        v.nx = n.x;
        v.ny = n.y;
        v.nz = n.z;
    }
    for (size_t f = 0; f < faces.size(); f += 3)
    {
        Vec3 a = placed[faces[f]], b = placed[faces[f + 1]], c = placed[faces[f + 2]];
        Vec3 middle{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3};
        AddTriangle(mesh, first + faces[f], first + faces[f + 1], first + faces[f + 2],
                    Sub(middle, centre));
    }
}

// Formats a float with six decimals and no negative zero, so output is stable byte for byte.
void PrintFloat(FILE* f, float v)
{
    if (v == 0.0f)
        v = 0.0f;
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", double(v));
    if (std::string(text) == "-0.000000")
        std::snprintf(text, sizeof text, "0.000000");
    std::fputs(text, f);
}
} // namespace

MeshData BuildBallMesh(int rings, int segments)
{
    MeshData mesh;
    for (int i = 0; i <= rings; ++i)
        for (int j = 0; j <= segments; ++j)
        {
            float theta = Pi * float(i) / rings;
            float phi = 2.0f * Pi * float(j % segments) / segments;
            Vec3 n{std::sin(theta) * std::cos(phi), std::cos(theta),
                   std::sin(theta) * std::sin(phi)};
            if (i == 0 || i == rings)
                n = {0.0f, i == 0 ? 1.0f : -1.0f, 0.0f};
            mesh.vertices.push_back({n.x * BallRadius, BallRadius + n.y * BallRadius,
                                     n.z * BallRadius, n.x, n.y, n.z, float(j) / segments,
                                     float(i) / rings});
        }
    auto index = [&](int i, int j) { return unsigned(i * (segments + 1) + j); };
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < segments; ++j)
        {
            unsigned a = index(i, j), b = index(i, j + 1), c = index(i + 1, j),
                     d = index(i + 1, j + 1);
            // (a, b, c) and (b, d, c) run clockwise seen from outside; at the poles one of the
            // two collapses to a line and is left out.
            if (i != 0)
                mesh.indices.insert(mesh.indices.end(), {a, b, c});
            if (i != rings - 1)
                mesh.indices.insert(mesh.indices.end(), {b, d, c});
        }
    return mesh;
}

MeshData BuildFloorMesh()
{
    MeshData mesh;
    // The arena stands on three tiers of stone, 0..640 by 0..480 widened by 160, 100 and 40.
    AddTier(mesh, -160.0f, 800.0f, -500.0f, -468.0f, -160.0f, 640.0f);
    AddTier(mesh, -100.0f, 740.0f, -468.0f, -436.0f, -100.0f, 580.0f);
    AddTier(mesh, -40.0f, 680.0f, -436.0f, -404.0f, -40.0f, 520.0f);
    // Boulders scattered on the raked sand, clear of the plinth; the tallest stays below
    // y = -350 so no camera's view of the arena passes through one.
    for (uint32_t i = 0; i < 14; ++i)
    {
        float angle = 2.0f * Pi * (float(i) + 0.6f * Hash01(i, 1u, 91u)) / 14.0f;
        float distance = 800.0f + 1400.0f * Hash01(i, 2u, 91u);
        float radius = 45.0f + 105.0f * Hash01(i, 3u, 91u);
        Vec3 centre{320.0f + std::cos(angle) * distance, -500.0f + 0.2f * radius,
                    240.0f + std::sin(angle) * distance};
        AddBoulder(mesh, centre, radius, 92u + i);
    }
    return mesh;
}

MeshData BuildPlinthTier()
{
    MeshData mesh;
    AddTier(mesh, -40.0f, 680.0f, -436.0f, -404.0f, -40.0f, 520.0f);
    return mesh;
}

const char* WriteXFile(const std::string& path, const char* meshName, const MeshData& mesh)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return "cannot open the file for writing";
    size_t vertexCount = mesh.vertices.size();
    size_t faceCount = mesh.indices.size() / 3;
    auto listEnd = [&](size_t i, size_t n) { return i + 1 == n ? ";\n" : ",\n"; };
    // Vertex i's values as one row of a per-vertex list: "x;y;z;" and the list's separator.
    auto writeVertexRow = [&](const char* indent, std::initializer_list<float> values, size_t i)
    {
        std::fputs(indent, f);
        for (float value : values)
        {
            PrintFloat(f, value);
            std::fputs(";", f);
        }
        std::fputs(listEnd(i, vertexCount), f);
    };

    std::fprintf(f, "xof 0302txt 0032\n\n");
    std::fprintf(f, "Mesh %s {\n %zu;\n", meshName, vertexCount);
    for (size_t i = 0; i < vertexCount; ++i)
        writeVertexRow(" ", {mesh.vertices[i].x, mesh.vertices[i].y, mesh.vertices[i].z}, i);
    auto writeFaces = [&](const char* indent)
    {
        std::fprintf(f, "%s%zu;\n", indent, faceCount);
        for (size_t i = 0; i < faceCount; ++i)
            std::fprintf(f, "%s3;%u,%u,%u;%s", indent, mesh.indices[3 * i], mesh.indices[3 * i + 1],
                         mesh.indices[3 * i + 2], listEnd(i, faceCount));
    };
    writeFaces(" ");

    std::fprintf(f, "\n MeshNormals {\n  %zu;\n", vertexCount);
    for (size_t i = 0; i < vertexCount; ++i)
        writeVertexRow("  ", {mesh.vertices[i].nx, mesh.vertices[i].ny, mesh.vertices[i].nz}, i);
    writeFaces("  ");
    std::fprintf(f, " }\n");

    std::fprintf(f, "\n MeshTextureCoords {\n  %zu;\n", vertexCount);
    for (size_t i = 0; i < vertexCount; ++i)
        writeVertexRow("  ", {mesh.vertices[i].u, mesh.vertices[i].v}, i);
    std::fprintf(f, " }\n}\n");
    bool failed = std::ferror(f) != 0;
    failed = std::fclose(f) != 0 || failed;
    return failed ? "cannot write the file" : nullptr;
}
