// The fixed-function pipeline as one small GLSL source: Direct3D's vertex lighting (point, spot
// and directional lights, range, three attenuation terms, global ambient, material and its
// colour sources), pre-transformed XYZRHW vertices in pixels, texture stage 0's colour and alpha
// operations, specular add, the alpha test, and W-buffering as linear depth. Each combination of
// switches the device uses is compiled with the switches as constants: a software rasteriser
// runs every branch of a shader, so branching on uniforms would cost every pixel all of them.
#include "d3d8_internal.h"

#include <cstdio>
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
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aDiffuse;
layout(location = 3) in vec4 aSpecular;
layout(location = 4) in vec4 aTexCoord;

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
    if (source == 1)
        return aDiffuse;
    if (source == 2)
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
        if (type == 3)
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
            if (type == 2)
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
    int select = argument & 15;
    vec4 value = vDiffuse; // D3DTA_DIFFUSE, and D3DTA_CURRENT on stage 0
    if (select == 2)
        value = texel;
    else if (select == 3)
        value = uTextureFactor;
    else if (select == 4)
        value = vSpecular;
    if ((argument & 16) != 0)
        value = 1.0 - value;
    if ((argument & 32) != 0)
        value = vec4(value.a);
    return value;
}

vec4 Operate(ivec3 op, vec4 texel)
{
    vec4 a = Argument(op.y, texel);
    vec4 b = Argument(op.z, texel);
    switch (op.x)
    {
    case 1: return vDiffuse; // disabled: the current colour passes through
    case 2: return a;
    case 3: return b;
    case 4: return a * b;
    case 5: return 2.0 * a * b;
    case 6: return 4.0 * a * b;
    case 7: return a + b;
    case 8: return a + b - 0.5;
    case 9: return 2.0 * (a + b - 0.5);
    case 10: return a - b;
    case 11: return a + b - a * b;
    case 12: return mix(b, a, vDiffuse.a);
    case 13: return mix(b, a, texel.a);
    case 14: return mix(b, a, uTextureFactor.a);
    case 15: return a + b * (1.0 - texel.a);
    case 16: return mix(b, a, vDiffuse.a);
    default: return a * b;
    }
}

bool Passes(int value, int reference, int function)
{
    switch (function)
    {
    case 1: return false;
    case 2: return value < reference;
    case 3: return value == reference;
    case 4: return value <= reference;
    case 5: return value > reference;
    case 6: return value != reference;
    case 7: return value >= reference;
    default: return true;
    }
}

// The vertex stage moved the geometry up and left by kTieShift to settle edge ties. Textures
// are read where the pixel's centre lies on the geometry as the caller placed it, so a texel
// centre that meets a pixel centre exactly is read alone, as Direct3D reads it.
vec2 PixelCentreTexCoord()
{
    return vTexCoord - kTieShift * dFdx(vTexCoord) + kTieShift * dFdy(vTexCoord);
}

void main()
{
    // A stage without a texture reads opaque white, so untextured geometry shows its colour.
    vec4 texel = kHasTexture ? texture(uTexture, PixelCentreTexCoord()) : vec4(1.0);
    vec3 color = clamp(Operate(kColorOp, texel).rgb, 0.0, 1.0);
    float alpha = kColorOp.x == 1 ? vDiffuse.a : clamp(Operate(kAlphaOp, texel).a, 0.0, 1.0);
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

// The switches of one program as GLSL constants.
std::string Switches(const ProgramKey& key)
{
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
                  "const ivec3 kColorOp = ivec3(%d, %d, %d);\n"
                  "const ivec3 kAlphaOp = ivec3(%d, %d, %d);\n"
                  "const bool kAlphaTest = %s;\n"
                  "const int kAlphaFunc = %d;\n",
                  key.Flat ? "flat" : "smooth", key.WBuffer ? "#define WBUFFER 1\n" : "",
                  key.Pretransformed ? "true" : "false", key.Lighting ? "true" : "false",
                  key.LightCount, key.Specular ? "true" : "false", key.MaterialSource[0],
                  key.MaterialSource[1], key.MaterialSource[2], key.MaterialSource[3],
                  key.HasTexture ? "true" : "false", key.ColorOp[0], key.ColorOp[1], key.ColorOp[2],
                  key.AlphaOp[0], key.AlphaOp[1], key.AlphaOp[2], key.AlphaTest ? "true" : "false",
                  key.AlphaFunc);
    return text;
}

GLuint Compile(GLenum kind, const char* body, const ProgramKey& key)
{
    std::string source = "#version 330 core\n";
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
        Log("the GL driver rejected the fixed-function %s shader: %s",
            kind == GL_VERTEX_SHADER ? "vertex" : "fragment", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}
} // namespace

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
        Log("the GL driver did not link the fixed-function program: %s", log);
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
} // namespace d3d8
