// The device-free half of mesh loading around the platform's .x decoder (decoders.h): the checks
// of a file's counts and faces before the decoder sees it, smooth normals, adjacency.
#include "mesh_import.h"

#include "decoders.h"
#include "file_read.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

namespace d3dx
{

namespace
{
bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
}

// Skips white space and comments (from // or # to the end of the line), and the separators
// between elements (; and ,) when `separators` is set.
void SkipFiller(const char* text, size_t size, size_t* p, bool separators)
{
    while (*p < size)
    {
        const char c = text[*p];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' ||
            (separators && (c == ';' || c == ',')))
            ++*p;
        else if (c == '#' || (c == '/' && *p + 1 < size && text[*p + 1] == '/'))
            while (*p < size && text[*p] != '\n')
                ++*p;
        else
            return;
    }
}

// Moves past the string that starts at *p and its closing quote. A string (a file name, in the
// objects this reads) closes on its own line; one that does not is a stray quote, and reading
// on to the next quote would hide from these checks what Assimp's reader, which does not pair
// quotes outside a value, goes on to parse: false then.
bool SkipString(const char* text, size_t size, size_t* p)
{
    ++*p;
    while (*p < size && text[*p] != '"' && text[*p] != '\n')
        ++*p;
    if (*p >= size || text[*p] != '"')
        return false;
    ++*p;
    return true;
}

// Reads the next number of an element list, skipping the separators and comments between
// elements. Returns false at anything else (a brace, a name, the end of the text).
bool NextNumber(const char* text, size_t size, size_t* p, double* value)
{
    SkipFiller(text, size, p, true);
    size_t start = *p;
    char buffer[64];
    size_t length = 0;
    while (*p < size && length + 1 < sizeof buffer &&
           ((text[*p] >= '0' && text[*p] <= '9') || text[*p] == '-' || text[*p] == '+' ||
            text[*p] == '.' || text[*p] == 'e' || text[*p] == 'E'))
        buffer[length++] = text[(*p)++];
    if (length == 0 || length + 1 >= sizeof buffer)
        return false;
    buffer[length] = '\0';
    char* end = nullptr;
    *value = std::strtod(buffer, &end);
    if (end != buffer + length)
    {
        *p = start;
        return false;
    }
    return true;
}

// After a Mesh's or MeshNormals' count: that many three-number vectors, then the face count and
// the faces, each an index count and that many indices. Assimp indexes its arrays with these
// without looking, so an index past the vectors (one damaged digit) would read outside them; the
// shared check keeps every decoder safe from them.
bool FaceIndicesInRange(const char* text, size_t size, size_t p, uint64_t count,
                        uint64_t* faceCount)
{
    double value = 0;
    if (!NextNumber(text, size, &p, &value)) // the count itself
        return false;
    for (uint64_t i = 0; i < count * 3; ++i)
        if (!NextNumber(text, size, &p, &value))
            return false;
    if (!NextNumber(text, size, &p, &value) || value < 0 || value > double(size))
        return false;
    uint64_t faces = uint64_t(value);
    *faceCount = faces;
    for (uint64_t f = 0; f < faces; ++f)
    {
        if (!NextNumber(text, size, &p, &value) || value < 0 || value > double(size))
            return false;
        uint64_t indices = uint64_t(value);
        for (uint64_t i = 0; i < indices; ++i)
            if (!NextNumber(text, size, &p, &value) || value < 0 || value >= double(count) ||
                value != double(uint64_t(value)))
                return false;
    }
    return true;
}

// Moves past the braces that open at *p and everything in them, comments and strings aside.
bool SkipBraces(const char* text, size_t size, size_t* p)
{
    size_t depth = 0;
    while (*p < size)
    {
        SkipFiller(text, size, p, false);
        if (*p >= size)
            break;
        const char c = text[*p];
        if (c == '"')
        {
            if (!SkipString(text, size, p))
                return false;
            continue;
        }
        ++*p;
        if (c == '{')
            ++depth;
        else if (c == '}' && --depth == 0)
            return true;
    }
    return false;
}

// After a MeshMaterialList's opening brace: the material count, the index count (one for all
// of the mesh's `faces`, or one per face), that many material indices, each a whole number below
// the material count, then exactly that many materials, each a Material object or a reference in
// braces, nothing but semicolons between them, and the list's closing brace. Assimp reads outside
// its arrays on lists that break these rules (found by the mesh fuzz target: a stray sign after
// the indices, more indices than faces, faces wearing materials of a list that gives fewer,
// "Material" run on into other bytes, a stray comma, which Assimp takes for an unknown object and
// skips, material and all); the other platforms' shared reader refuses such lists as well.
bool MaterialIndicesInRange(const char* text, size_t size, size_t p, uint64_t faces)
{
    double materials = 0, indices = 0, value = 0;
    if (!NextNumber(text, size, &p, &materials) || materials < 0 || materials > double(size) ||
        !NextNumber(text, size, &p, &indices) ||
        !(indices == double(faces) || (indices == 1 && faces > 0)))
        return false;
    for (uint64_t i = 0; i < uint64_t(indices); ++i)
        if (!NextNumber(text, size, &p, &value) || value < 0 || value >= materials ||
            value != double(uint64_t(value)))
            return false;
    if (indices == 0)
        return true;
    for (double given = 0;; ++given)
    {
        SkipFiller(text, size, &p, false);
        while (p < size && text[p] == ';')
        {
            ++p;
            SkipFiller(text, size, &p, false);
        }
        if (p >= size)
            return false;
        if (text[p] == '}')
            return given == materials;
        if (text[p] != '{')
        {
            // A Material object: the keyword ends where Assimp's reader ends a word (a space or
            // a brace), then maybe a name, then its braces.
            if (size - p <= 8 || std::memcmp(text + p, "Material", 8) != 0 ||
                !(std::isspace(static_cast<unsigned char>(text[p + 8])) || text[p + 8] == '{'))
                return false;
            p += 8;
            SkipFiller(text, size, &p, false);
            while (p < size && IsNameChar(text[p]))
                ++p;
            SkipFiller(text, size, &p, false);
            if (p >= size || text[p] != '{')
                return false;
        }
        if (!SkipBraces(text, size, &p))
            return false;
    }
}

// Whether every brace of a text file closes one opened before it and all are closed at the end,
// comments and strings aside. Assimp's reader was seen to crash on files whose braces do not
// pair (a declaration or an object cut short, found by the mesh fuzz target).
bool BracesPair(const char* text, size_t size)
{
    size_t p = 16; // after the header
    for (;;)
    {
        SkipFiller(text, size, &p, false);
        if (p >= size)
            return true;
        if (text[p] == '}')
            return false;
        if (text[p] == '{')
        {
            if (!SkipBraces(text, size, &p))
                return false;
        }
        else if (text[p] == '"')
        {
            if (!SkipString(text, size, &p))
                return false;
        }
        else
            ++p;
    }
}

// Moves past a name (letters, digits, underscores; not starting with a digit) at *p, after any
// filler before it. Returns false when there is none.
bool SkipName(const char* text, size_t size, size_t* p)
{
    SkipFiller(text, size, p, false);
    if (*p >= size || !IsNameChar(text[*p]) || text[*p] == '-' ||
        (text[*p] >= '0' && text[*p] <= '9'))
        return false;
    while (*p < size && IsNameChar(text[*p]) && text[*p] != '-')
        ++*p;
    return true;
}

// Moves past the character `c` at *p, after any filler before it.
bool SkipChar(const char* text, size_t size, size_t* p, char c)
{
    SkipFiller(text, size, p, false);
    if (*p >= size || text[*p] != c)
        return false;
    ++*p;
    return true;
}

// Moves past an identifier in angle brackets, <3D82AB44-62DA-11cf-AB39-0020AF71E433>: groups of
// 8, 4, 4, 4 and 12 hex digits.
bool SkipGuid(const char* text, size_t size, size_t* p)
{
    if (!SkipChar(text, size, p, '<'))
        return false;
    static const int groups[] = {8, 4, 4, 4, 12};
    for (int g = 0; g < 5; ++g)
    {
        if (g > 0 && (*p >= size || text[(*p)++] != '-'))
            return false;
        for (int i = 0; i < groups[g]; ++i, ++*p)
            if (*p >= size || !std::isxdigit(static_cast<unsigned char>(text[*p])))
                return false;
    }
    return *p < size && text[(*p)++] == '>';
}

// Moves past a template declaration from just after its keyword to just after its closing brace:
//   template Name { <guid> members [restrictions] }
// where a member is `Type name;` (or `Type;`) or `array Type name[dimension]...;` (a dimension is a
// number or a member's name) and the restrictions are `[...]` (open) or a list of template names,
// each maybe with its identifier. Anything else is damage: Assimp's reader skips a declaration
// token by token without looking, and was seen to crash on damaged ones (a short identifier, a
// keyword run into a string, a second brace, stray bytes), found by the mesh fuzz target.
bool TemplateWellFormed(const char* text, size_t size, size_t* p)
{
    if (!SkipName(text, size, p) || !SkipChar(text, size, p, '{') || !SkipGuid(text, size, p))
        return false;
    for (;;)
    {
        SkipFiller(text, size, p, false);
        if (*p >= size)
            return false;
        if (text[*p] == '}')
        {
            ++*p;
            return true;
        }
        if (text[*p] == '[')
        {
            ++*p;
            SkipFiller(text, size, p, false);
            if (size - *p >= 3 && std::memcmp(text + *p, "...", 3) == 0)
                *p += 3;
            else
                do
                {
                    if (!SkipName(text, size, p))
                        return false;
                    SkipFiller(text, size, p, false);
                    if (*p < size && text[*p] == '<' && !SkipGuid(text, size, p))
                        return false;
                } while (SkipChar(text, size, p, ','));
            if (!SkipChar(text, size, p, ']') || !SkipChar(text, size, p, '}'))
                return false;
            return true;
        }
        const size_t start = *p;
        if (!SkipName(text, size, p))
            return false;
        const bool array = *p - start == 5 && std::memcmp(text + start, "array", 5) == 0;
        // The member's type, then its name (which a plain member may leave out).
        if (array && !SkipName(text, size, p))
            return false;
        SkipFiller(text, size, p, false);
        if ((array || (*p < size && text[*p] != ';')) && !SkipName(text, size, p))
            return false;
        while (array && SkipChar(text, size, p, '['))
        {
            SkipFiller(text, size, p, false);
            const size_t dimension = *p;
            while (*p < size && text[*p] >= '0' && text[*p] <= '9')
                ++*p;
            if ((*p == dimension && !SkipName(text, size, p)) || !SkipChar(text, size, p, ']'))
                return false;
        }
        if (!SkipChar(text, size, p, ';'))
            return false;
    }
}

// Decoders size their arrays from the first count of a Mesh, MeshNormals or SkinWeights object
// before they read a single element, so a damaged digit there can ask for gigabytes. In a text
// file every element takes bytes, so a count beyond the file's size is damage: such files are
// refused before a decoder sees them, and so are Mesh and MeshNormals faces whose indices point
// past their vectors and material lists whose indices point past their materials. This looks only
// at data objects' heads (a type, maybe a name, a brace) and at those objects' counts and faces;
// the decoder parses. Template declarations describe the format, not data: each must be whole and
// well formed, and is then skipped like comments and strings.
bool TextCountsPlausible(const char* text, size_t size)
{
    static const char* const objects[] = {"Mesh", "MeshNormals", "SkinWeights"};
    size_t p = 16;           // after the header
    uint64_t meshFaces = 0;  // the last Mesh's, for its material list
    bool meshListed = false; // whether the last Mesh had its material list already
    while (p < size)
    {
        SkipFiller(text, size, &p, false);
        if (p >= size)
            break;
        if (text[p] == '"')
        {
            if (!SkipString(text, size, &p))
                return false;
            continue;
        }
        if (!IsNameChar(text[p]))
        {
            ++p;
            continue;
        }
        const size_t word = p;
        while (p < size && IsNameChar(text[p]))
            ++p;
        const size_t wordLength = p - word;
        const size_t afterWord = p;
        if (wordLength == 8 && std::memcmp(text + word, "template", 8) == 0)
        {
            if (!TemplateWellFormed(text, size, &p))
                return false;
            continue;
        }
        // An object's head: its type, maybe its name, then the opening brace.
        SkipFiller(text, size, &p, false);
        const size_t name = p;
        while (p < size && IsNameChar(text[p]))
            ++p;
        const size_t nameLength = p - name;
        SkipFiller(text, size, &p, false);
        if (p >= size || text[p] != '{')
        {
            // A guarded type whose head does not open (a comment or stray text where its brace
            // should be) is refused: a decoder may still take the counts after it. A reference
            // to an object of that name ({ Mesh }) closes instead.
            for (const char* guarded : {"Mesh", "MeshNormals", "SkinWeights", "MeshMaterialList"})
                if (wordLength == std::strlen(guarded) &&
                    std::memcmp(text + word, guarded, wordLength) == 0 &&
                    (p >= size || text[p] != '}'))
                    return false;
            p = afterWord;
            continue;
        }
        ++p;
        // Which guarded object the head names. Decoders disagree on damaged heads (Assimp may take
        // the second word of one for the type), so a guarded name in either place is checked.
        auto names = [&](const char* object)
        {
            const size_t length = std::strlen(object);
            return (wordLength == length && std::memcmp(text + word, object, length) == 0) ||
                   (nameLength == length && std::memcmp(text + name, object, length) == 0);
        };
        // One material list a mesh: Assimp crashed on a mesh with two (the mesh fuzz target).
        if (names("MeshMaterialList") &&
            (meshListed || !MaterialIndicesInRange(text, size, p, meshFaces)))
            return false;
        meshListed = meshListed || names("MeshMaterialList");
        const char* object = nullptr;
        for (const char* candidate : objects)
            if (names(candidate))
                object = candidate;
        if (!object)
            continue;
        size_t at = p;
        SkipFiller(text, size, &at, false);
        if (at < size && text[at] == '<') // the object's own identifier
        {
            while (at < size && text[at] != '>')
                ++at;
            at += at < size ? 1 : 0;
            SkipFiller(text, size, &at, false);
        }
        if (at < size && text[at] == '"') // SkinWeights' frame name
        {
            ++at;
            while (at < size && text[at] != '"')
                ++at;
            at += at < size ? 1 : 0;
            SkipFiller(text, size, &at, false);
            at += at < size && text[at] == ';' ? 1 : 0;
            SkipFiller(text, size, &at, false);
        }
        const size_t countAt = at;
        uint64_t count = 0;
        while (at < size && text[at] >= '0' && text[at] <= '9' && count <= size)
            count = count * 10 + uint64_t(text[at++] - '0');
        if (count > size)
            return false;
        uint64_t faces = 0;
        if (object != objects[2] && !FaceIndicesInRange(text, size, countAt, count, &faces))
            return false;
        if (object == objects[0])
        {
            meshFaces = faces;
            meshListed = false;
        }
    }
    return true;
}

// A vertex's position as a map key: the bit patterns of its coordinates, with -0 folded into +0.
// Bits rather than floats, because a file may hold NaNs, which ordinary float ordering cannot
// sort.
using PositionKey = std::array<uint32_t, 3>;
PositionKey KeyOf(const MeshVertex& vertex)
{
    PositionKey bits;
    for (int k = 0; k < 3; ++k)
    {
        float value = vertex.Position[k] + 0.0f;
        std::memcpy(&bits[size_t(k)], &value, sizeof value);
    }
    return bits;
}

HRESULT ImportScene(const void* data, size_t size, MeshGeometry* mesh)
{
    // Only .x files go to the decoder: Assimp's other readers would otherwise get a try at
    // arbitrary bytes.
    if (size < 16 || std::memcmp(data, "xof ", 4) != 0)
        return D3DXERR_INVALIDDATA;
    const char* text = static_cast<const char*>(data);
    if (std::memcmp(text + 8, "txt ", 4) == 0 &&
        (!BracesPair(text, size) || !TextCountsPlausible(text, size)))
        return D3DXERR_INVALIDDATA;
    HRESULT hr = DecodeXMeshes(data, size, mesh);
    if (FAILED(hr))
        return hr;
    if (mesh->Subsets.empty())
        return D3DXERR_INVALIDMESH;
    return D3D_OK;
}
} // namespace

HRESULT ImportXMesh(const void* data, size_t size, MeshGeometry* mesh)
{
    if (!data || !mesh)
        return D3DXERR_INVALIDDATA;
    *mesh = MeshGeometry();
    HRESULT hr = ImportScene(data, size, mesh);
    if (FAILED(hr)) // a failed import hands back nothing
        *mesh = MeshGeometry();
    return hr;
}

HRESULT ReadXMeshFile(const char* path, MeshGeometry* mesh)
{
    if (!path || !mesh)
        return D3DXERR_INVALIDDATA;
    std::vector<BYTE> bytes;
    // Far beyond any mesh the limit on triangles lets through, in text form.
    if (!ReadWholeFile(path, size_t(256) << 20, &bytes))
        return D3DXERR_INVALIDDATA;
    return ImportXMesh(bytes.data(), bytes.size(), mesh);
}

void MakeSmoothNormals(MeshGeometry* mesh, size_t first)
{
    using Sum = std::array<float, 3>;
    std::map<PositionKey, Sum> sums;
    for (size_t t = first; t + 2 < mesh->Vertices.size(); t += 3)
    {
        const float* a = mesh->Vertices[t].Position;
        const float* b = mesh->Vertices[t + 1].Position;
        const float* c = mesh->Vertices[t + 2].Position;
        float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        float w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        Sum normal = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                      u[0] * w[1] - u[1] * w[0]};
        for (size_t k = 0; k < 3; ++k)
        {
            Sum& sum =
                sums.try_emplace(KeyOf(mesh->Vertices[t + k]), Sum{0.0f, 0.0f, 0.0f}).first->second;
            for (int i = 0; i < 3; ++i)
                sum[size_t(i)] += normal[size_t(i)];
        }
    }
    for (size_t v = first; v < mesh->Vertices.size(); ++v)
    {
        Sum n = sums.try_emplace(KeyOf(mesh->Vertices[v]), Sum{0.0f, 0.0f, 0.0f}).first->second;
        float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        // A point only degenerate triangles meet at has no direction: it faces up.
        if (!(length > 0.0f) || !std::isfinite(length))
            n = {0.0f, 1.0f, 0.0f};
        else
        {
            float inverse = 1.0f / length;
            for (float& value : n)
                value *= inverse;
        }
        for (int k = 0; k < 3; ++k)
            mesh->Vertices[v].Normal[k] = n[size_t(k)];
    }
}

std::vector<DWORD> ComputeAdjacency(const MeshGeometry& mesh)
{
    using Edge = std::pair<PositionKey, PositionKey>;
    auto edge = [&](size_t a, size_t b)
    {
        PositionKey pa = KeyOf(mesh.Vertices[a]), pb = KeyOf(mesh.Vertices[b]);
        return pa < pb ? Edge{pa, pb} : Edge{pb, pa};
    };
    size_t faces = mesh.Vertices.size() / 3;
    std::map<Edge, std::vector<DWORD>> owners;
    for (size_t f = 0; f < faces; ++f)
        for (size_t e = 0; e < 3; ++e)
            owners[edge(3 * f + e, 3 * f + (e + 1) % 3)].push_back(DWORD(f));

    std::vector<DWORD> adjacency(faces * 3, 0xFFFFFFFFu);
    for (size_t f = 0; f < faces; ++f)
        for (size_t e = 0; e < 3; ++e)
            for (DWORD other : owners[edge(3 * f + e, 3 * f + (e + 1) % 3)])
                if (other != DWORD(f))
                {
                    adjacency[3 * f + e] = other;
                    break;
                }
    return adjacency;
}

} // namespace d3dx
