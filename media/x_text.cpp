// The text .x reader (x_text.h): a tokenizer, a tree of data objects with their values and
// children, named objects for references, and the walk over frames and meshes that the Windows
// decoder makes over DirectX File's objects.
#include "x_text.h"

#include "x_data.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/math/matrix4.h"

namespace d3dx
{

namespace
{
enum class TokenKind
{
    End,
    Name,
    Number,
    String,
    Open,
    Close,
    Bad,
};

struct Token
{
    TokenKind Kind = TokenKind::End;
    std::string Text;
};

class Tokenizer
{
  public:
    Tokenizer(const char* text, size_t size) : text_(text), size_(size), at_(0) {}

    Token Next()
    {
        SkipSeparators();
        Token token;
        if (at_ >= size_)
            return token;
        const char c = text_[at_];
        if (c == '{' || c == '}')
        {
            ++at_;
            token.Kind = c == '{' ? TokenKind::Open : TokenKind::Close;
            return token;
        }
        if (c == '"')
        {
            const size_t start = ++at_;
            while (at_ < size_ && text_[at_] != '"')
                ++at_;
            if (at_ >= size_)
            {
                token.Kind = TokenKind::Bad;
                return token;
            }
            token.Kind = TokenKind::String;
            token.Text.assign(text_ + start, at_ - start);
            ++at_;
            return token;
        }
        const size_t start = at_;
        if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.')
        {
            while (at_ < size_ && IsNumberChar(text_[at_]))
                ++at_;
            token.Kind = TokenKind::Number;
        }
        else if (IsNameChar(c))
        {
            while (at_ < size_ && IsNameChar(text_[at_]))
                ++at_;
            token.Kind = TokenKind::Name;
        }
        else
        {
            token.Kind = TokenKind::Bad;
            return token;
        }
        token.Text.assign(text_ + start, at_ - start);
        return token;
    }

    // Skips a template's body: everything up to the brace that closes the one just opened.
    bool SkipBlock()
    {
        int depth = 1;
        while (at_ < size_ && depth > 0)
        {
            if (text_[at_] == '{')
                ++depth;
            else if (text_[at_] == '}')
                --depth;
            ++at_;
        }
        return depth == 0;
    }

  private:
    static bool IsNameChar(char c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-' || c == '.';
    }
    static bool IsNumberChar(char c)
    {
        return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
    }
    void SkipSeparators()
    {
        while (at_ < size_)
        {
            const char c = text_[at_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ';' || c == ',')
                ++at_;
            else if (c == '#' || (c == '/' && at_ + 1 < size_ && text_[at_ + 1] == '/'))
                while (at_ < size_ && text_[at_] != '\n')
                    ++at_;
            else
                return;
        }
    }

    const char* text_;
    size_t size_;
    size_t at_;
};

// One data object: its template's name, its own name (maybe empty), its values in file order
// (numbers as text until their template says what they are; strings kept apart), and its
// children, each an object or a reference by name.
struct XObject
{
    std::string Type;
    std::string Name;
    std::vector<std::string> Numbers;
    std::vector<std::string> Strings;
    std::vector<std::unique_ptr<XObject>> Children;
    std::vector<std::string> ChildReferences; // parallel to Children: non-empty for a reference
};

struct Document
{
    std::vector<std::unique_ptr<XObject>> Objects;
    std::map<std::string, const XObject*> Named;
};

// Reads the body of an object whose opening brace has been read.
bool ReadBody(Tokenizer& tokens, XObject* object, Document* document, int depth)
{
    if (depth >= MaxXTextDepth)
        return false;
    Token pending;
    bool havePending = false;
    for (;;)
    {
        Token token = havePending ? pending : tokens.Next();
        havePending = false;
        switch (token.Kind)
        {
        case TokenKind::Close:
            return true;
        case TokenKind::Number:
            object->Numbers.push_back(token.Text);
            break;
        case TokenKind::String:
            object->Strings.push_back(token.Text);
            break;
        case TokenKind::Open:
        {
            // A reference: { name } (a GUID-only reference is not followed).
            Token name = tokens.Next();
            if (name.Kind != TokenKind::Name)
                return false;
            Token close = tokens.Next();
            if (close.Kind == TokenKind::Name) // { name <guid-ish> } is not text .x
                return false;
            if (close.Kind != TokenKind::Close)
                return false;
            object->Children.push_back(nullptr);
            object->ChildReferences.push_back(name.Text);
            break;
        }
        case TokenKind::Name:
        {
            auto child = std::make_unique<XObject>();
            child->Type = token.Text;
            Token next = tokens.Next();
            if (next.Kind == TokenKind::Name)
            {
                child->Name = next.Text;
                next = tokens.Next();
            }
            if (next.Kind != TokenKind::Open)
                return false;
            if (!ReadBody(tokens, child.get(), document, depth + 1))
                return false;
            if (!child->Name.empty())
                document->Named[child->Name] = child.get();
            object->Children.push_back(std::move(child));
            object->ChildReferences.push_back(std::string());
            break;
        }
        default:
            return false;
        }
    }
}

bool ReadDocument(const char* text, size_t size, Document* document)
{
    Tokenizer tokens(text + 16, size - 16);
    for (;;)
    {
        Token token = tokens.Next();
        if (token.Kind == TokenKind::End)
            return true;
        if (token.Kind != TokenKind::Name)
            return false;
        auto object = std::make_unique<XObject>();
        object->Type = token.Text;
        Token next = tokens.Next();
        if (next.Kind == TokenKind::Name)
        {
            object->Name = next.Text;
            next = tokens.Next();
        }
        if (next.Kind != TokenKind::Open)
            return false;
        if (object->Type == "template")
        {
            if (!tokens.SkipBlock())
                return false;
            continue;
        }
        if (!ReadBody(tokens, object.get(), document, 1))
            return false;
        if (!object->Name.empty())
            document->Named[object->Name] = object.get();
        document->Objects.push_back(std::move(object));
    }
}

// An object's values laid out as its template's 4-byte members: `isDword(i)` says which of them
// are DWORDs (the rest FLOATs). False for a value that is not a number of that kind.
template <typename IsDword>
bool Layout(const XObject& object, IsDword isDword, std::vector<uint32_t>* words)
{
    words->clear();
    words->reserve(object.Numbers.size());
    for (size_t i = 0; i < object.Numbers.size(); ++i)
    {
        const char* text = object.Numbers[i].c_str();
        char* end = nullptr;
        if (isDword(i))
        {
            const unsigned long long value = std::strtoull(text, &end, 10);
            if (*end || text[0] == '-' || value > 0xFFFFFFFFull)
                return false;
            words->push_back(uint32_t(value));
        }
        else
        {
            const float value = std::strtof(text, &end);
            if (*end)
                return false;
            uint32_t bits;
            std::memcpy(&bits, &value, sizeof bits);
            words->push_back(bits);
        }
    }
    return true;
}

// The Mesh and MeshNormals layout: a count, that many three-float vectors, then faces (DWORDs).
bool LayoutVectorsAndFaces(const XObject& object, std::vector<uint32_t>* words)
{
    if (object.Numbers.empty())
        return false;
    char* end = nullptr;
    const unsigned long long count = std::strtoull(object.Numbers[0].c_str(), &end, 10);
    if (*end || count > object.Numbers.size())
        return false;
    const size_t lastFloat = size_t(count) * 3;
    return Layout(
        object, [lastFloat](size_t i) { return i == 0 || i > lastFloat; }, words);
}

XBlock BlockOf(const std::vector<uint32_t>& words)
{
    return XBlock{words.data(), words.size() * sizeof(uint32_t)};
}

// Follows a child to its object: itself, or the named object a reference names (null when the
// name is unknown).
const XObject* ChildAt(const XObject& parent, size_t i, const Document& document)
{
    if (parent.Children[i])
        return parent.Children[i].get();
    auto found = document.Named.find(parent.ChildReferences[i]);
    return found == document.Named.end() ? nullptr : found->second;
}

bool ReadMaterial(const XObject& object, const Document& document, MeshMaterial* material)
{
    std::vector<uint32_t> words;
    if (!Layout(
            object, [](size_t) { return false; }, &words) ||
        !ReadXMaterial(BlockOf(words), material))
        return false;
    for (size_t i = 0; i < object.Children.size(); ++i)
    {
        const XObject* child = ChildAt(object, i, document);
        if (!child)
            return false;
        if (child->Type == "TextureFilename" && !child->Strings.empty())
            material->TextureFile = child->Strings[0];
    }
    return true;
}

HRESULT ReadMesh(const XObject& object, const Document& document, const float transform[16],
                 MeshGeometry* mesh)
{
    std::vector<uint32_t> meshWords, normalWords, texWords, listWords;
    XMeshData data;
    if (!LayoutVectorsAndFaces(object, &meshWords))
        return D3DXERR_INVALIDDATA;
    data.Mesh = BlockOf(meshWords);
    bool haveNormals = false, haveTex = false, haveList = false;
    for (size_t i = 0; i < object.Children.size(); ++i)
    {
        const XObject* child = ChildAt(object, i, document);
        if (!child)
            return D3DXERR_INVALIDDATA;
        if (child->Type == "MeshNormals" && !haveNormals)
        {
            if (!LayoutVectorsAndFaces(*child, &normalWords))
                return D3DXERR_INVALIDDATA;
            data.Normals = BlockOf(normalWords);
            haveNormals = true;
        }
        else if (child->Type == "MeshTextureCoords" && !haveTex)
        {
            if (!Layout(
                    *child, [](size_t i) { return i == 0; }, &texWords))
                return D3DXERR_INVALIDDATA;
            data.TexCoords = BlockOf(texWords);
            haveTex = true;
        }
        else if (child->Type == "MeshMaterialList" && !haveList)
        {
            if (!Layout(
                    *child, [](size_t) { return true; }, &listWords))
                return D3DXERR_INVALIDDATA;
            data.MaterialList = BlockOf(listWords);
            haveList = true;
            for (size_t m = 0; m < child->Children.size(); ++m)
            {
                const XObject* entry = ChildAt(*child, m, document);
                if (!entry)
                    return D3DXERR_INVALIDDATA;
                if (entry->Type != "Material")
                    continue;
                MeshMaterial material;
                if (!ReadMaterial(*entry, document, &material))
                    return D3DXERR_INVALIDDATA;
                data.Materials.push_back(material);
            }
        }
    }
    return AppendXMesh(data, transform, mesh);
}

HRESULT ReadObject(const XObject& object, const Document& document, const float parent[16],
                   int depth, MeshGeometry* mesh);

// A frame: its transform (row vectors: the frame's own, then its parent's) applies to the meshes
// and frames inside it, in the order the file lists them.
HRESULT ReadFrame(const XObject& frame, const Document& document, const float parent[16], int depth,
                  MeshGeometry* mesh)
{
    if (depth >= MaxXTextDepth)
        return D3DXERR_INVALIDDATA;
    float transform[16];
    std::memcpy(transform, parent, sizeof transform);
    for (size_t i = 0; i < frame.Children.size(); ++i)
    {
        const XObject* child = ChildAt(frame, i, document);
        if (!child)
            return D3DXERR_INVALIDDATA;
        if (child->Type == "FrameTransformMatrix")
        {
            std::vector<uint32_t> words;
            float local[16];
            if (!Layout(
                    *child, [](size_t) { return false; }, &words) ||
                words.size() < 16)
                return D3DXERR_INVALIDDATA;
            std::memcpy(local, words.data(), sizeof local);
            MultiplyMatrix4(local, parent, transform);
            continue;
        }
        const HRESULT hr = ReadObject(*child, document, transform, depth + 1, mesh);
        if (FAILED(hr))
            return hr;
    }
    return D3D_OK;
}

HRESULT ReadObject(const XObject& object, const Document& document, const float parent[16],
                   int depth, MeshGeometry* mesh)
{
    if (object.Type == "Mesh")
        return ReadMesh(object, document, parent, mesh);
    if (object.Type == "Frame")
        return ReadFrame(object, document, parent, depth, mesh);
    return D3D_OK; // other objects hold nothing the loader reads
}
} // namespace

HRESULT ReadXText(const void* data, size_t size, MeshGeometry* mesh)
{
    const char* text = static_cast<const char*>(data);
    if (!data || size < 16 || std::memcmp(text, "xof ", 4) != 0 ||
        std::memcmp(text + 8, "txt ", 4) != 0)
        return D3DXERR_INVALIDDATA;
    Document document;
    if (!ReadDocument(text, size, &document))
        return D3DXERR_INVALIDDATA;
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (const auto& object : document.Objects)
    {
        const HRESULT hr = ReadObject(*object, document, identity, 0, mesh);
        if (FAILED(hr))
            return hr;
    }
    return D3D_OK;
}

} // namespace d3dx
