// The fixed-function pipeline as one small GLSL program: Direct3D's vertex lighting (point,
// spot and directional lights, range, three attenuation terms, global ambient, material and its
// colour sources), pre-transformed XYZRHW vertices in pixels, texture stage 0's colour and alpha
// operations, specular add, the alpha test, and W-buffering as linear depth. Variants differ
// only in flat shading and in writing the W depth.
#include "d3d8_internal.h"

#include <string>

namespace d3d8
{
namespace
{
const char* const kVertexShader = R"(
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aDiffuse;
layout(location = 3) in vec4 aSpecular;
layout(location = 4) in vec4 aTexCoord;

uniform bool uPretransformed;
uniform mat4 uWorldView;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform vec4 uViewport;     // the viewport in GL window pixels: x, y, width, height
uniform vec2 uDepthRange;   // MinZ, MaxZ
uniform float uTargetHeight;
uniform bool uClipZeroToOne;
uniform bool uHalfPixel;

uniform bool uLighting;
uniform bool uNormalizeNormals;
uniform bool uLocalViewer;
uniform bool uSpecularEnable;
uniform vec3 uGlobalAmbient;
uniform vec4 uMaterial[4];     // diffuse, ambient, specular, emissive
uniform float uMaterialPower;
uniform ivec4 uMaterialSource; // same order: 0 material, 1 vertex diffuse, 2 vertex specular
uniform int uLightCount;
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightSpecular[8];
uniform vec4 uLightAmbient[8];
uniform vec4 uLightPosition[8];    // view space; w is the light type
uniform vec4 uLightDirection[8];   // view space, unit length
uniform vec4 uLightAttenuation[8]; // a0, a1, a2, range
uniform vec4 uLightSpot[8];        // cos(theta / 2), cos(phi / 2), falloff

// An edge through pixel centres belongs to the pixels right of and below it (Direct3D's
// top-left rule); GL leaves such ties to the driver, and Mesa decides them differently for
// framebuffer objects. Moving everything up and left by a fraction of a pixel, more than the
// rasteriser's snapping, settles every tie Direct3D's way.
const float kTieShift = 1.0 / 128.0;

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
    for (int i = 0; i < uLightCount; ++i)
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
        if (uSpecularEnable && facing > 0.0)
        {
            vec3 toViewer = uLocalViewer ? normalize(-position) : vec3(0.0, 0.0, -1.0);
            vec3 halfway = normalize(toLight + toViewer);
            specular += uLightSpecular[i].rgb * attenuation *
                        pow(max(dot(normal, halfway), 0.0), uMaterialPower);
        }
    }
    vec4 materialDiffuse = MaterialColor(uMaterialSource.x, uMaterial[0]);
    vec4 materialAmbient = MaterialColor(uMaterialSource.y, uMaterial[1]);
    vec4 materialSpecular = MaterialColor(uMaterialSource.z, uMaterial[2]);
    vec4 materialEmissive = MaterialColor(uMaterialSource.w, uMaterial[3]);
    vec3 color = materialEmissive.rgb + materialAmbient.rgb * ambient +
                 materialDiffuse.rgb * diffuse;
    vDiffuse = clamp(vec4(color, materialDiffuse.a), 0.0, 1.0);
    vSpecular = clamp(vec4(materialSpecular.rgb * specular, 0.0), 0.0, 1.0);
}

void main()
{
    vTexCoord = aTexCoord.xy;
    if (uPretransformed)
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
        if (uHalfPixel)
        {
            // Direct3D maps the viewport's edge onto the first pixel's centre.
            clip.x += (1.0 - 2.0 * kTieShift) * clip.w / uViewport.z;
            clip.y -= (1.0 - 2.0 * kTieShift) * clip.w / uViewport.w;
        }
        gl_Position = clip;
        vEyeW = clip.w;
        if (uLighting)
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
uniform bool uHasTexture;
uniform ivec3 uColorOp; // operation, argument 1, argument 2
uniform ivec3 uAlphaOp;
uniform vec4 uTextureFactor;
uniform bool uAddSpecular;
uniform bool uAlphaTest;
uniform int uAlphaFunc;
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

void main()
{
    // A stage without a texture reads opaque white, so untextured geometry shows its colour.
    vec4 texel = uHasTexture ? texture(uTexture, vTexCoord) : vec4(1.0);
    vec3 color = clamp(Operate(uColorOp, texel).rgb, 0.0, 1.0);
    float alpha = uColorOp.x == 1 ? vDiffuse.a : clamp(Operate(uAlphaOp, texel).a, 0.0, 1.0);
    if (uAddSpecular)
        color = clamp(color + vSpecular.rgb, 0.0, 1.0);
    if (uAlphaTest && !Passes(int(floor(alpha * 255.0 + 0.5)), uAlphaRef, uAlphaFunc))
        discard;
    fragColor = vec4(color, alpha);
#ifdef WBUFFER
    gl_FragDepth = clamp((vEyeW - uWRange.x) * uWRange.y, 0.0, 1.0);
#endif
}
)";

GLuint Compile(GLenum kind, const char* body, int variant)
{
    std::string source = "#version 330 core\n";
    source += (variant & ProgramFlat) ? "#define SHADE_QUALIFIER flat\n"
                                      : "#define SHADE_QUALIFIER smooth\n";
    if (variant & ProgramWBuffer)
        source += "#define WBUFFER 1\n";
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

bool BuildProgram(ShaderProgram* program, int variant)
{
    GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexShader, variant);
    GLuint fragment = Compile(GL_FRAGMENT_SHADER, kFragmentShader, variant);
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
    p.Pretransformed = at("uPretransformed");
    p.WorldView = at("uWorldView");
    p.Projection = at("uProjection");
    p.NormalMatrix = at("uNormalMatrix");
    p.ViewportRect = at("uViewport");
    p.DepthRange = at("uDepthRange");
    p.TargetHeight = at("uTargetHeight");
    p.ClipZeroToOne = at("uClipZeroToOne");
    p.HalfPixel = at("uHalfPixel");
    p.Lighting = at("uLighting");
    p.NormalizeNormals = at("uNormalizeNormals");
    p.LocalViewer = at("uLocalViewer");
    p.SpecularEnable = at("uSpecularEnable");
    p.GlobalAmbient = at("uGlobalAmbient");
    p.Material = at("uMaterial");
    p.MaterialPower = at("uMaterialPower");
    p.MaterialSource = at("uMaterialSource");
    p.LightCount = at("uLightCount");
    p.LightDiffuse = at("uLightDiffuse");
    p.LightSpecular = at("uLightSpecular");
    p.LightAmbient = at("uLightAmbient");
    p.LightPosition = at("uLightPosition");
    p.LightDirection = at("uLightDirection");
    p.LightAttenuation = at("uLightAttenuation");
    p.LightSpot = at("uLightSpot");
    p.Texture = at("uTexture");
    p.HasTexture = at("uHasTexture");
    p.ColorOp = at("uColorOp");
    p.AlphaOp = at("uAlphaOp");
    p.TextureFactor = at("uTextureFactor");
    p.AddSpecular = at("uAddSpecular");
    p.AlphaTest = at("uAlphaTest");
    p.AlphaFunc = at("uAlphaFunc");
    p.AlphaRef = at("uAlphaRef");
    p.WRange = at("uWRange");
    glUseProgram(id);
    glUniform1i(p.Texture, 0);
    return true;
}
} // namespace d3d8
