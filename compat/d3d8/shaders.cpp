// The fixed-function pipeline as one small GLSL source: Direct3D's vertex lighting (point, spot
// and directional lights, range, three attenuation terms, global ambient, material and its
// colour sources), pre-transformed XYZRHW vertices in pixels, texture stage 0's colour and alpha
// operations, specular add, the alpha test, and W-buffering as linear depth. Each combination of
// switches the device uses is compiled with the switches as constants: a software rasteriser
// runs every branch of a shader, so branching on uniforms would cost every pixel all of them.
#include "d3d8_internal.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace d3d8
{
namespace
{
// Shared by both stages.
const char* const kCommon = R"(
// An edge through pixel centres belongs to the pixels right of and below it (Direct3D's
// top-left rule); GL leaves such ties to the driver, and Mesa decides them differently for
// framebuffer objects. Moving everything up and left by one step of the rasteriser's grid
// (llvmpipe snaps vertices to 1/256 pixel) settles every tie Direct3D's way. The step is the
// smallest that does: an edge that passes less than a step below or right of a pixel centre
// covers it too, so a larger shift would widen that band.
const float kTieShift = 1.0 / 256.0;
)";

const char* const kVertexShader = R"(
layout(location = kPositionAttribute) in vec4 aPosition;
layout(location = kNormalAttribute) in vec3 aNormal;
layout(location = kDiffuseAttribute) in vec4 aDiffuseBytes;
layout(location = kSpecularAttribute) in vec4 aSpecularBytes;
// The D3DCOLOR attributes in red, green, blue, alpha order, whichever order the dialect reads.
#define aDiffuse aDiffuseBytes.COLOR_BYTE_ORDER
#define aSpecular aSpecularBytes.COLOR_BYTE_ORDER
layout(location = kTexCoordAttribute) in vec4 aTexCoord;

uniform mat4 uWorldView;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform vec4 uViewport;     // the viewport in GL window pixels: x, y, width, height
uniform vec2 uDepthRange;   // MinZ, MaxZ
uniform float uTargetHeight;
uniform bool uClipZeroToOne;

uniform bool uNormalizeNormals;
uniform bool uLocalViewer;
uniform vec3 uGlobalAmbient;
uniform vec4 uMaterial[4]; // diffuse, ambient, specular, emissive
uniform float uMaterialPower;
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightSpecular[8];
uniform vec4 uLightAmbient[8];
uniform vec4 uLightPosition[8];    // view space; w is the light type
uniform vec4 uLightDirection[8];   // view space, unit length
uniform vec4 uLightAttenuation[8]; // a0, a1, a2, range
uniform vec4 uLightSpot[8];        // cos(theta / 2), cos(phi / 2), falloff

SHADE_QUALIFIER out vec4 vDiffuse;
SHADE_QUALIFIER out vec4 vSpecular;
out vec2 vTexCoord;
out float vEyeW;

vec4 MaterialColor(int source, vec4 material)
{
    if (source == D3DMCS_COLOR1)
        return aDiffuse;
    if (source == D3DMCS_COLOR2)
        return aSpecular;
    return material;
}

void Light(vec3 position)
{
    vec3 normal = uNormalMatrix * aNormal;
    if (uNormalizeNormals && dot(normal, normal) > 0.0)
        normal = normalize(normal);
    vec3 ambient = uGlobalAmbient;
    vec3 diffuse = vec3(0.0);
    vec3 specular = vec3(0.0);
    for (int i = 0; i < kLightCount; ++i)
    {
        int type = int(uLightPosition[i].w);
        vec3 toLight;
        float attenuation = 1.0;
        if (type == D3DLIGHT_DIRECTIONAL)
        {
            toLight = -uLightDirection[i].xyz;
        }
        else
        {
            vec3 offset = uLightPosition[i].xyz - position;
            float distance = length(offset);
            if (distance > uLightAttenuation[i].w)
                continue;
            toLight = distance > 0.0 ? offset / distance : vec3(0.0, 0.0, -1.0);
            float denominator = uLightAttenuation[i].x + uLightAttenuation[i].y * distance +
                                uLightAttenuation[i].z * distance * distance;
            attenuation = denominator > 0.0 ? 1.0 / denominator : 0.0;
            if (type == D3DLIGHT_SPOT)
            {
                float rho = dot(-toLight, uLightDirection[i].xyz);
                float inner = uLightSpot[i].x;
                float outer = uLightSpot[i].y;
                float spot = rho > inner ? 1.0 : (rho <= outer ? 0.0 :
                             pow((rho - outer) / max(inner - outer, 1e-6), uLightSpot[i].z));
                attenuation *= spot;
            }
        }
        float facing = max(dot(normal, toLight), 0.0);
        ambient += uLightAmbient[i].rgb * attenuation;
        diffuse += uLightDiffuse[i].rgb * facing * attenuation;
        if (kSpecular && facing > 0.0)
        {
            vec3 toViewer = uLocalViewer ? normalize(-position) : vec3(0.0, 0.0, -1.0);
            vec3 halfway = normalize(toLight + toViewer);
            specular += uLightSpecular[i].rgb * attenuation *
                        pow(max(dot(normal, halfway), 0.0), uMaterialPower);
        }
    }
    vec4 materialDiffuse = MaterialColor(kMaterialSource.x, uMaterial[0]);
    vec4 materialAmbient = MaterialColor(kMaterialSource.y, uMaterial[1]);
    vec4 materialSpecular = MaterialColor(kMaterialSource.z, uMaterial[2]);
    vec4 materialEmissive = MaterialColor(kMaterialSource.w, uMaterial[3]);
    vec3 color = materialEmissive.rgb + materialAmbient.rgb * ambient +
                 materialDiffuse.rgb * diffuse;
    vDiffuse = clamp(vec4(color, materialDiffuse.a), 0.0, 1.0);
    vSpecular = clamp(vec4(materialSpecular.rgb * specular, 0.0), 0.0, 1.0);
}

void main()
{
    vTexCoord = aTexCoord.xy;
    if (kPretransformed)
    {
        // x, y are pixels of the render target with Direct3D's pixel centres on integers and y
        // downwards; GL's centres sit on halves and its y grows upwards.
        float w = aPosition.w > 0.0 ? 1.0 / aPosition.w : 1.0;
        vec2 window = vec2(aPosition.x + 0.5 - kTieShift,
                           uTargetHeight - 0.5 - aPosition.y + kTieShift);
        vec2 ndc = (window - uViewport.xy) / uViewport.zw * 2.0 - 1.0;
        float range = uDepthRange.y - uDepthRange.x;
        float z = range > 0.0 ? (aPosition.z - uDepthRange.x) / range : 0.0;
        gl_Position = vec4(ndc * w, z * w, w);
        vEyeW = w;
        vDiffuse = clamp(aDiffuse, 0.0, 1.0);
        vSpecular = clamp(aSpecular, 0.0, 1.0);
    }
    else
    {
        vec4 position = uWorldView * vec4(aPosition.xyz, 1.0);
        vec4 clip = uProjection * position;
        // Direct3D maps the viewport's edge onto the first pixel's centre.
        clip.x += (1.0 - 2.0 * kTieShift) * clip.w / uViewport.z;
        clip.y -= (1.0 - 2.0 * kTieShift) * clip.w / uViewport.w;
        gl_Position = clip;
        vEyeW = clip.w;
        if (kLighting)
            Light(position.xyz);
        else
        {
            vDiffuse = clamp(aDiffuse, 0.0, 1.0);
            vSpecular = clamp(aSpecular, 0.0, 1.0);
        }
    }
    if (!uClipZeroToOne)
        gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;
}
)";

const char* const kFragmentShader = R"(
SHADE_QUALIFIER in vec4 vDiffuse;
SHADE_QUALIFIER in vec4 vSpecular;
in vec2 vTexCoord;
in float vEyeW;
out vec4 fragColor;

uniform sampler2D uTexture;
uniform vec4 uTextureFactor;
uniform int uAlphaRef;
uniform vec2 uWRange; // near w, 1 / (far w - near w)

vec4 Argument(int argument, vec4 texel)
{
    int select = argument & D3DTA_SELECTMASK;
    vec4 value = vDiffuse; // D3DTA_DIFFUSE, and D3DTA_CURRENT on stage 0
    if (select == D3DTA_TEXTURE)
        value = texel;
    else if (select == D3DTA_TFACTOR)
        value = uTextureFactor;
    else if (select == D3DTA_SPECULAR)
        value = vSpecular;
    if ((argument & D3DTA_COMPLEMENT) != 0)
        value = 1.0 - value;
    if ((argument & D3DTA_ALPHAREPLICATE) != 0)
        value = vec4(value.a);
    return value;
}

vec4 Operate(ivec3 op, vec4 texel)
{
    vec4 a = Argument(op.y, texel);
    vec4 b = Argument(op.z, texel);
    switch (op.x)
    {
    case D3DTOP_DISABLE: return vDiffuse; // the current colour passes through
    case D3DTOP_SELECTARG1: return a;
    case D3DTOP_SELECTARG2: return b;
    case D3DTOP_MODULATE: return a * b;
    case D3DTOP_MODULATE2X: return 2.0 * a * b;
    case D3DTOP_MODULATE4X: return 4.0 * a * b;
    case D3DTOP_ADD: return a + b;
    case D3DTOP_ADDSIGNED: return a + b - 0.5;
    case D3DTOP_ADDSIGNED2X: return 2.0 * (a + b - 0.5);
    case D3DTOP_SUBTRACT: return a - b;
    case D3DTOP_ADDSMOOTH: return a + b - a * b;
    case D3DTOP_BLENDDIFFUSEALPHA: return mix(b, a, vDiffuse.a);
    case D3DTOP_BLENDTEXTUREALPHA: return mix(b, a, texel.a);
    case D3DTOP_BLENDFACTORALPHA: return mix(b, a, uTextureFactor.a);
    case D3DTOP_BLENDTEXTUREALPHAPM: return a + b * (1.0 - texel.a);
    case D3DTOP_BLENDCURRENTALPHA: return mix(b, a, vDiffuse.a); // current: diffuse on stage 0
    default: return a * b;
    }
}

bool Passes(int value, int reference, int function)
{
    switch (function)
    {
    case D3DCMP_NEVER: return false;
    case D3DCMP_LESS: return value < reference;
    case D3DCMP_EQUAL: return value == reference;
    case D3DCMP_LESSEQUAL: return value <= reference;
    case D3DCMP_GREATER: return value > reference;
    case D3DCMP_NOTEQUAL: return value != reference;
    case D3DCMP_GREATEREQUAL: return value >= reference;
    default: return true; // D3DCMP_ALWAYS
    }
}

// The vertex stage moved the geometry up and left by kTieShift to settle edge ties. Textures
// are read where the pixel's centre lies on the geometry as the caller placed it, so a texel
// centre that meets a pixel centre exactly is read alone, as Direct3D reads it. Where that
// cannot matter (kExactReads off: projected geometry filtered linearly, whose texel centres meet
// pixel centres only by chance) a read a 256th of a pixel off changes a pixel by little more than
// rounding (a few steps of 255 at a sharp texel edge), and spares it two derivatives: a tenth of
// a textured pixel's cost in llvmpipe.
vec2 PixelCentreTexCoord()
{
    if (!kExactReads)
        return vTexCoord;
    return vTexCoord - kTieShift * dFdx(vTexCoord) + kTieShift * dFdy(vTexCoord);
}

void main()
{
    // A stage without a texture reads opaque white, so untextured geometry shows its colour.
    vec4 texel = kHasTexture ? texture(uTexture, PixelCentreTexCoord()) : vec4(1.0);
    vec3 color = clamp(Operate(kColorOp, texel).rgb, 0.0, 1.0);
    float alpha = kColorOp.x == D3DTOP_DISABLE ? vDiffuse.a : clamp(Operate(kAlphaOp, texel).a, 0.0, 1.0);
    if (kSpecular)
        color = clamp(color + vSpecular.rgb, 0.0, 1.0);
    if (kAlphaTest && !Passes(int(floor(alpha * 255.0 + 0.5)), uAlphaRef, kAlphaFunc))
        discard;
    fragColor = vec4(color, alpha);
#ifdef WBUFFER
    gl_FragDepth = clamp((vEyeW - uWRange.x) * uWRange.y, 0.0, 1.0);
#endif
}
)";

// The values the shader source names, defined for it from the headers' own constants.
struct ShaderName
{
    const char* Name;
    long Value;
};
#define SHADER_NAME(name)                                                                          \
    {                                                                                              \
#name, static_cast < long>(name)                                                           \
    }
const ShaderName kShaderNames[] = {
    SHADER_NAME(kPositionAttribute),
    SHADER_NAME(kNormalAttribute),
    SHADER_NAME(kDiffuseAttribute),
    SHADER_NAME(kSpecularAttribute),
    SHADER_NAME(kTexCoordAttribute),
    SHADER_NAME(D3DLIGHT_SPOT),
    SHADER_NAME(D3DLIGHT_DIRECTIONAL),
    SHADER_NAME(D3DMCS_COLOR1),
    SHADER_NAME(D3DMCS_COLOR2),
    SHADER_NAME(D3DTA_SELECTMASK),
    SHADER_NAME(D3DTA_TEXTURE),
    SHADER_NAME(D3DTA_TFACTOR),
    SHADER_NAME(D3DTA_SPECULAR),
    SHADER_NAME(D3DTA_COMPLEMENT),
    SHADER_NAME(D3DTA_ALPHAREPLICATE),
    SHADER_NAME(D3DTOP_DISABLE),
    SHADER_NAME(D3DTOP_SELECTARG1),
    SHADER_NAME(D3DTOP_SELECTARG2),
    SHADER_NAME(D3DTOP_MODULATE),
    SHADER_NAME(D3DTOP_MODULATE2X),
    SHADER_NAME(D3DTOP_MODULATE4X),
    SHADER_NAME(D3DTOP_ADD),
    SHADER_NAME(D3DTOP_ADDSIGNED),
    SHADER_NAME(D3DTOP_ADDSIGNED2X),
    SHADER_NAME(D3DTOP_SUBTRACT),
    SHADER_NAME(D3DTOP_ADDSMOOTH),
    SHADER_NAME(D3DTOP_BLENDDIFFUSEALPHA),
    SHADER_NAME(D3DTOP_BLENDTEXTUREALPHA),
    SHADER_NAME(D3DTOP_BLENDFACTORALPHA),
    SHADER_NAME(D3DTOP_BLENDTEXTUREALPHAPM),
    SHADER_NAME(D3DTOP_BLENDCURRENTALPHA),
    SHADER_NAME(D3DCMP_NEVER),
    SHADER_NAME(D3DCMP_LESS),
    SHADER_NAME(D3DCMP_EQUAL),
    SHADER_NAME(D3DCMP_LESSEQUAL),
    SHADER_NAME(D3DCMP_GREATER),
    SHADER_NAME(D3DCMP_NOTEQUAL),
    SHADER_NAME(D3DCMP_GREATEREQUAL),
};
#undef SHADER_NAME

const std::string& NameDefinitions()
{
    static const std::string text = []
    {
        std::string lines;
        for (const ShaderName& name : kShaderNames)
            lines += "#define " + std::string(name.Name) + " " + std::to_string(name.Value) + "\n";
        return lines;
    }();
    return text;
}

// The switches of one program as GLSL constants.
std::string Switches(const ProgramKey& key)
{
    auto flag = [](bool on) { return on ? "true" : "false"; };
    char text[1024];
    std::snprintf(text, sizeof text,
                  "#define SHADE_QUALIFIER %s\n"
                  "%s"
                  "const bool kPretransformed = %s;\n"
                  "const bool kLighting = %s;\n"
                  "const int kLightCount = %d;\n"
                  "const bool kSpecular = %s;\n"
                  "const ivec4 kMaterialSource = ivec4(%d, %d, %d, %d);\n"
                  "const bool kHasTexture = %s;\n"
                  "const bool kExactReads = %s;\n"
                  "const ivec3 kColorOp = ivec3(%d, %d, %d);\n"
                  "const ivec3 kAlphaOp = ivec3(%d, %d, %d);\n"
                  "const bool kAlphaTest = %s;\n"
                  "const int kAlphaFunc = %d;\n",
                  key.Flat ? "flat" : "smooth", key.WBuffer ? "#define WBUFFER 1\n" : "",
                  flag(key.Pretransformed), flag(key.Lighting), int(key.LightCount),
                  flag(key.Specular), int(key.DiffuseSource), int(key.AmbientSource),
                  int(key.SpecularSource), int(key.EmissiveSource), flag(key.HasTexture),
                  flag(key.ExactReads), int(key.ColorOp), int(key.ColorArg1), int(key.ColorArg2),
                  int(key.AlphaOp), int(key.AlphaArg1), int(key.AlphaArg2), flag(key.AlphaTest),
                  int(key.AlphaFunc));
    return text;
}

GLuint Compile(GLenum kind, const char* body, const ProgramKey& key)
{
    std::string source = kShaderPrelude;
    source += NameDefinitions();
    source += Switches(key);
    source += kCommon;
    source += body;
    const char* text = source.c_str();
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok)
    {
        char log[2048];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        Log("d3d8", "the GL driver rejected the fixed-function %s shader: %s",
            kind == GL_VERTEX_SHADER ? "vertex" : "fragment", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// Compiles one program; false and a logged line when the driver refuses it.
bool BuildProgram(ShaderProgram* program, const ProgramKey& key)
{
    GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexShader, key);
    GLuint fragment = Compile(GL_FRAGMENT_SHADER, kFragmentShader, key);
    if (!vertex || !fragment)
    {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return false;
    }
    GLuint id = glCreateProgram();
    glAttachShader(id, vertex);
    glAttachShader(id, fragment);
    glLinkProgram(id);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(id, GL_LINK_STATUS, &ok);
    if (!ok)
    {
        char log[2048];
        glGetProgramInfoLog(id, sizeof log, nullptr, log);
        Log("d3d8", "the GL driver did not link the fixed-function program: %s", log);
        glDeleteProgram(id);
        return false;
    }
    ShaderProgram& p = *program;
    p.Program = id;
    auto at = [id](const char* name) { return glGetUniformLocation(id, name); };
    p.WorldView = at("uWorldView");
    p.Projection = at("uProjection");
    p.NormalMatrix = at("uNormalMatrix");
    p.ViewportRect = at("uViewport");
    p.DepthRange = at("uDepthRange");
    p.TargetHeight = at("uTargetHeight");
    p.ClipZeroToOne = at("uClipZeroToOne");
    p.NormalizeNormals = at("uNormalizeNormals");
    p.LocalViewer = at("uLocalViewer");
    p.GlobalAmbient = at("uGlobalAmbient");
    p.Material = at("uMaterial");
    p.MaterialPower = at("uMaterialPower");
    p.LightDiffuse = at("uLightDiffuse");
    p.LightSpecular = at("uLightSpecular");
    p.LightAmbient = at("uLightAmbient");
    p.LightPosition = at("uLightPosition");
    p.LightDirection = at("uLightDirection");
    p.LightAttenuation = at("uLightAttenuation");
    p.LightSpot = at("uLightSpot");
    p.Texture = at("uTexture");
    p.TextureFactor = at("uTextureFactor");
    p.AlphaRef = at("uAlphaRef");
    p.WRange = at("uWRange");
    glUseProgram(id);
    glUniform1i(p.Texture, 0);
    return true;
}
} // namespace

uint64_t ProgramKey::Bits() const
{
    uint64_t bits;
    std::memcpy(&bits, this, sizeof bits);
    return bits;
}

ShaderProgram* UseProgram(IDirect3DDevice8::Impl* device, const ProgramKey& key)
{
    GlState* gl = &device->Shared->Gl;
    auto found = device->Programs.find(key.Bits());
    if (found == device->Programs.end())
    {
        ShaderProgram program;
        if (!BuildProgram(&program, key))
            program.Program = 0;
        found = device->Programs.emplace(key.Bits(), program).first;
        ForgetProgram(gl); // BuildProgram made the new one current
    }
    ShaderProgram* program = &found->second;
    if (!program->Program)
        return nullptr;
    GlUseProgram(gl, program->Program);
    if (device->CurrentProgram != program)
    {
        device->CurrentProgram = program;
        // The device's state goes over to this program again; the program's own record of its
        // uniforms keeps what it already has from being sent twice.
        device->Dirty = DirtyAll;
    }
    return program;
}

bool CreatePrograms(IDirect3DDevice8::Impl* device)
{
    // The program of the default state, built now so a driver that cannot compile the
    // fixed-function shader fails device creation instead of the first draw.
    ProgramKey key = {};
    key.Lighting = true;
    key.ColorOp = D3DTOP_MODULATE;
    key.ColorArg1 = D3DTA_TEXTURE;
    key.ColorArg2 = D3DTA_CURRENT;
    key.AlphaOp = D3DTOP_SELECTARG1;
    key.AlphaArg1 = D3DTA_TEXTURE;
    key.AlphaArg2 = D3DTA_CURRENT;
    ShaderProgram program;
    if (!BuildProgram(&program, key))
        return false;
    device->Programs.emplace(key.Bits(), program);
    device->CurrentProgram = nullptr;
    return true;
}

void DestroyPrograms(IDirect3DDevice8::Impl* device)
{
    for (auto& entry : device->Programs)
        if (entry.second.Program)
            glDeleteProgram(entry.second.Program);
    device->Programs.clear();
    device->CurrentProgram = nullptr;
}
} // namespace d3d8
