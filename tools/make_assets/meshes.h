// The game's two meshes, built procedurally and written as text .x files: the ball (a UV sphere in
// its own frame) and the floor scenery (world coordinates, below the arena). Only WriteXFile can
// fail.
#pragma once

#include <string>
#include <vector>

struct MeshVertex
{
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};

// Triangles as vertex index triples, clockwise seen from the outside (the front-face rule of a
// left-handed scene drawn with counter-clockwise culling).
struct MeshData
{
    std::vector<MeshVertex> vertices;
    std::vector<unsigned> indices;
};

// Ball radius: it rests against the bat's face when placed 3 units in front of it.
constexpr float BallRadius = 3.0f;

// A sphere of BallRadius centred at (0, BallRadius, 0), so it sits on the play field;
// smooth normals; u once round, v from the top pole down. The game's ball has 16 rings of 24
// segments; coarser ones make small fuzzing seeds.
MeshData BuildBallMesh(int rings = 16, int segments = 24);
// A stepped stone plinth under the arena and boulders on the ground around it, all between
// y = -500 and y = -350, never over the arena's top.
MeshData BuildFloorMesh();
// One tier of the plinth alone (flat faces, per-face normals), a small fuzzing seed.
MeshData BuildPlinthTier();
// Writes a text .x file with Mesh, MeshNormals and MeshTextureCoords. Returns null or a message.
const char* WriteXFile(const std::string& path, const char* meshName, const MeshData& mesh);
