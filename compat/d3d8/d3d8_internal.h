// What the files of the Direct3D 8 stand-in share: the records behind the public interfaces'
// `impl` pointers, the format tables, the cached OpenGL probe, and the log line (common/log) every
// file writes with. Nothing outside compat/d3d8 includes this.
#pragma once

#include "gl_dialect.h"

#include "common/log/log.h"

#include <chrono>
#include <cstdarg>
#include <map>
#include <tuple>
#include <vector>

#include "d3d8.h"
#include "standin.h"
#include "standin_window.h"

namespace d3d8
{

// ---- Formats (formats.cpp) ------------------------------------------------------------------
// A colour format usable for textures and back buffers: its texel size and the GL upload triple.
struct ColorFormat
{
    D3DFORMAT Format;
    UINT BytesPerPixel;
    GLenum Internal; // GL internal format, as narrow as the Direct3D format
    GLenum Layout;   // GL pixel format of the client memory
    GLenum Type;     // GL pixel type of the client memory
    bool HasAlpha;
    const char* Name;
};
// The six display formats: A8R8G8B8, X8R8G8B8, R5G6B5, X1R5G5B5, A1R5G5B5, A4R4G4B4; null
// otherwise.
const ColorFormat* FindColorFormat(D3DFORMAT format);
// All of them, in the order above, for the probe.
const ColorFormat* ColorFormats(UINT* count);

struct DepthFormat
{
    D3DFORMAT Format;
    GLenum Internal; // 0 when GL has no renderbuffer format with these exact bits
    bool HasStencil;
    const char* Name;
};
// The seven depth formats; null when `format` is not a depth format at all.
const DepthFormat* FindDepthFormat(D3DFORMAT format);
const DepthFormat* DepthFormats(UINT* count);

// ---- The window system (window_system_sdl.cpp on the desktop, window_system_web.cpp in a
// browser): displays and their modes, windows' sizes, GL contexts and presenting ----------------
using GlContext = void*;
// Starts the window system's video for a Direct3D object; false (reason logged) when there is
// none. Every successful start is matched by one StopVideo.
bool StartVideo();
void StopVideo();
// The displays, each an adapter; a name and the driver's name for the adapter identifier.
int DisplayCount();
const char* DisplayName(int display);
const char* VideoDriverName();
// The display's current desktop mode (refresh 0 when unknown); false when it cannot be read.
bool DesktopMode(int display, D3DDISPLAYMODE* mode);
// The modes the display lists, unsorted and possibly repeated.
std::vector<D3DDISPLAYMODE> ListedModes(int display);
// The refresh rate Present paces to: the window's display's, or 60 when unknown.
UINT WindowRefreshRate(StandinNativeWindow* window, UINT adapter);
// A window's client size in window-system units, and its drawable in real pixels.
void WindowSize(StandinNativeWindow* window, int* width, int* height);
void DrawableSize(StandinNativeWindow* window, int* width, int* height);
// Whether a GL context can draw into the window.
bool WindowCanRender(StandinNativeWindow* window);
// A new context of the version the translation needs (kGlRequiredVersion) for the window, made
// current; null (reason logged) when the driver offers none.
GlContext CreateGlContext(StandinNativeWindow* window);
void DeleteGlContext(StandinNativeWindow* window, GlContext context);
bool MakeGlCurrent(StandinNativeWindow* window, GlContext context);
GlContext CurrentGlContext();
// Shows what was drawn into the window's default framebuffer.
void SwapWindow(StandinNativeWindow* window);
// Asks for swaps to wait for the refresh (1) or not (0); false when the driver cannot.
bool SetSwapInterval(int interval);
// A context on a hidden surface for the probe, made current, and its end (which makes the
// previous context current again); false when there is none.
bool OpenProbeContext();
void CloseProbeContext();
// The window system's last error text, for logged lines.
const char* WindowSystemError();

// ---- The OpenGL probe (gl_probe.cpp) ----------------------------------------------------------
// What the GL driver can do, learnt once per run on a hidden window and kept for the whole run.
struct GlProbe
{
    char Renderer[256];
    char Vendor[256];
    char Version[256];
    int VersionMajor;
    int VersionMinor;
    bool Software;    // llvmpipe, softpipe or swrast
    bool ClipControl; // glClipControl: Direct3D's depth range without shader arithmetic
    bool Anisotropic; // GL_EXT_texture_filter_anisotropic or GL 4.6
    float MaxAnisotropy;
    GLint MaxTextureSize;
    GLint MaxRenderbufferSize;
    bool ColorRenderable[6];   // by the index of ColorFormats()
    bool DepthRenderable[7];   // by the index of DepthFormats()
    bool DepthWithColor[6][7]; // framebuffer complete with both attached
};
// Null when no GL context of the needed version can be made (no display, the dummy video
// driver).
const GlProbe* Probe();
int ColorFormatIndex(D3DFORMAT format); // -1 when not one of ColorFormats()
int DepthFormatIndex(D3DFORMAT format); // -1 when not one of DepthFormats()

// ---- Capabilities (caps.cpp) -----------------------------------------------------------------
void FillCaps(const GlProbe& probe, UINT adapter, D3DCAPS8* caps);

// ---- Adapters and modes (direct3d.cpp) --------------------------------------------------------
// The device types the stand-in has: one hardware-style device over GL, no reference rasteriser
// and no pluggable software device. D3D_OK for HAL, D3DERR_NOTAVAILABLE for the other two, and
// D3DERR_INVALIDCALL for a value that is not a device type.
HRESULT DeviceTypeResult(D3DDEVTYPE type);
// The modes offered on an adapter, in the order EnumAdapterModes gives them.
const std::vector<D3DDISPLAYMODE>& AdapterModes(IDirect3D8* d3d, UINT adapter);
// D3D_OK, D3DERR_INVALIDCALL or D3DERR_NOTAVAILABLE for a set of present parameters on an adapter;
// fills the back-buffer size and format that windowed devices take from their window.
HRESULT ValidatePresentParameters(IDirect3D8* d3d, UINT adapter, StandinNativeWindow* window,
                                  D3DPRESENT_PARAMETERS* params);

// ---- The GL state the translation last set (gl_state.cpp) ---------------------------------------
// A shadow of the context's state as the translation left it, so that a draw sends GL only what
// differs from the draw before: WebGL checks and forwards every call, and a call that re-sends
// a value costs as much as one that changes it. Everything that sets a shadowed state goes
// through the functions below; deleting an object a binding may name goes through Forget*, and
// code that changes shadowed state behind their back calls ForgetGlState. A forgotten field holds
// all one bits: no binding, enum, size or flag has that value, and as a float it is a NaN, which
// equals nothing, so the next call sends it whatever it is.
constexpr GLuint kAttributeCount = 5; // the fixed-function shader's inputs (ShaderAttribute)

// One input's array in the bound vertex array object: its switch, and its pointer, which it
// keeps while switched off.
struct GlAttributeShadow
{
    GLint Enabled;
    GLuint Buffer;
    GLint Size;
    GLenum Type;
    GLint Normalized;
    GLsizei Stride;
    uintptr_t Offset;
};

struct GlSamplerShadow
{
    GLint MinFilter, MagFilter, WrapS, WrapT;
    float Anisotropy, LodBias, MinLod;
    float Border[4];
};

struct GlState
{
    GLuint Program, VertexArray, ArrayBuffer, ReadFramebuffer, DrawFramebuffer;
    GLuint Texture; // unit 0's 2D texture; unit 0 is the active one outside texture uploads
    GLint DepthTest, CullFace, Blend, Dither, Scissor;
    GLenum DepthFunc, FrontFace, BlendSource, BlendDestination, BlendEquation, FillMode;
    GLint DepthMask, ColorMask; // ColorMask: red, green, blue, alpha as bits 0 to 3
    GLint Viewport[4];
    float DepthRange[2];
    GlSamplerShadow Sampler;
    GlAttributeShadow Attributes[kAttributeCount]; // the bound vertex array object's
    // The constant value each input reads while its array is off (the context's, not the
    // vertex array object's).
    float Constants[kAttributeCount][4];
};

// Reads every error the GL holds (it keeps one of each kind until read): the first read, or
// GL_NO_ERROR. Each read waits for the driver in a browser, so a creation reads its errors once,
// after its calls, and leaves none behind for the next.
GLenum TakeGlErrors(bool* outOfMemory = nullptr);

void ForgetGlState(GlState* gl);
// Before deleting a buffer, texture, framebuffer, program or vertex array: GL drops the current
// context's bindings of it, and a later object may get its name.
void ForgetBuffer(GlState* gl, GLuint buffer);
void ForgetTexture(GlState* gl, GLuint texture);
void ForgetFramebuffers(GlState* gl);
void ForgetProgram(GlState* gl);
void ForgetVertexArray(GlState* gl);

void GlUseProgram(GlState* gl, GLuint program);
// `arrays`: what the object's arrays are known to hold; null when that is not known.
void GlBindVertexArray(GlState* gl, GLuint vertexArray, const GlAttributeShadow* arrays);
void GlBindArrayBuffer(GlState* gl, GLuint buffer);
// GL_FRAMEBUFFER binds both, GL_READ_FRAMEBUFFER or GL_DRAW_FRAMEBUFFER one.
void GlBindFramebuffer(GlState* gl, GLenum target, GLuint framebuffer);
void GlBindTexture(GlState* gl, GLuint texture);
// GL_DEPTH_TEST, GL_CULL_FACE, GL_BLEND, GL_DITHER or GL_SCISSOR_TEST.
void GlEnable(GlState* gl, GLenum capability, bool on);
void GlDepthFunc(GlState* gl, GLenum function);
void GlDepthMask(GlState* gl, bool on);
void GlFrontFace(GlState* gl, GLenum face);
void GlBlendFunc(GlState* gl, GLenum source, GLenum destination);
void GlBlendEquation(GlState* gl, GLenum equation);
void GlColorMask(GlState* gl, bool red, bool green, bool blue, bool alpha);
void GlFillMode(GlState* gl, GLenum mode);
void GlViewport(GlState* gl, GLint x, GLint y, GLsizei width, GLsizei height);
void GlDepthRange(GlState* gl, float nearZ, float farZ);
// The device's one sampler; the anisotropy only where the driver has the extension.
void GlSampler(GlState* gl, GLuint sampler, const GlSamplerShadow& wanted, bool anisotropic);
// Points an input at `buffer`'s elements `offset` bytes into each vertex (binding the buffer when
// the pointer must be set), or gives every vertex the constant `value`.
void GlAttributeArray(GlState* gl, GLuint location, GLuint buffer, GLint size, GLenum type,
                      GLboolean normalized, GLsizei stride, uintptr_t offset);
void GlAttributeConstant(GlState* gl, GLuint location, const float value[4]);

// A vertex array object for each buffer and vertex setup the device draws from
// (vertex_layout.cpp): its arrays are set on its first draw, and a later draw with the same
// setup binds it again instead of setting them once more. By buffer, vertex format, stride and
// texture coordinate set.
using VertexSetup = std::tuple<GLuint, DWORD, UINT, DWORD>;
struct VertexArrayObject
{
    GLuint Object = 0;
    GlAttributeShadow Arrays[kAttributeCount];
};

// ---- The GL context a device and its resources share (device.cpp) -----------------------------
// Resources keep it alive: a texture released after its device still finds a context to delete
// its GL objects in, and the context goes when the last of them does.
struct SharedContext
{
    GlContext Context = nullptr;
    StandinNativeWindow* Window =
        nullptr; // the window the context draws into while the device lives
    bool DeviceAlive = true;
    int References = 1; // the device plus every live resource
    int DefaultPoolResources = 0;
    size_t ResourceBytes = 0;
    GLint MaxTextureSize = 0;
    GlState Gl; // forgotten until the device's draw objects exist (CreateDrawObjects)
    std::map<VertexSetup, VertexArrayObject> VertexArrays;

    // Makes the context current; false once the device is gone.
    bool MakeCurrent();
    void Retain() { ++References; }
    void Release();
};

// ---- Direct3D values in GL's terms (translate.cpp) ----------------------------------------------
// The vertex count and GL mode of `count` primitives; false for a type that is not one.
bool PrimitiveVertices(D3DPRIMITIVETYPE type, UINT count, uint64_t* vertices, GLenum* mode);
// A compare function, ALWAYS (logged once) for a value that is not one.
D3DCMPFUNC ValidCompare(DWORD function);
GLenum CompareToGl(DWORD function);
// The source and destination blend states as GL's factor pair.
void BlendFactorsToGl(DWORD source, DWORD destination, GLenum* glSource, GLenum* glDestination);
GLenum BlendOpToGl(DWORD op);
GLenum FillToGl(DWORD fill);
GLint AddressToGl(DWORD mode);
GLint MinFilterToGl(DWORD min, DWORD mip);
GLint MagFilterToGl(DWORD mag);
// A D3DCOLOR as red, green, blue and alpha from 0 to 1.
void ColorToFloats(D3DCOLOR color, float out[4]);
// The DWORD form of float render and stage states, both ways.
DWORD FloatBits(float value);
float BitsToFloat(DWORD bits);

// ---- Vertex layout (vertex_layout.cpp) ---------------------------------------------------------
struct VertexLayout
{
    bool Valid = false;
    bool Pretransformed = false;
    UINT Size = 0;
    int NormalOffset = -1;
    int DiffuseOffset = -1;
    int SpecularOffset = -1;
    UINT TexCoordCount = 0;
    int TexCoordOffset[8] = {};
    int TexCoordSize[8] = {};
};
// The layout of a flexible vertex format; Valid false when the stand-in cannot draw it.
VertexLayout LayoutOfFvf(DWORD fvf);

// ---- The fixed-function shader set and its cache (shaders.cpp) ----------------------------------
// The shader's vertex inputs; the shader source uses the same names.
enum ShaderAttribute : GLuint
{
    kPositionAttribute = 0,
    kNormalAttribute = 1,
    kDiffuseAttribute = 2,
    kSpecularAttribute = 3,
    kTexCoordAttribute = 4,
};

// The uniforms whose last values a program keeps, and the most floats one of them takes.
enum UniformSlot : unsigned
{
    kWorldViewSlot,
    kProjectionSlot,
    kNormalMatrixSlot,
    kViewportRectSlot,
    kDepthRangeSlot,
    kTargetHeightSlot,
    kClipZeroToOneSlot,
    kNormalizeNormalsSlot,
    kLocalViewerSlot,
    kGlobalAmbientSlot,
    kMaterialSlot,
    kMaterialPowerSlot,
    kLightDiffuseSlot,
    kLightSpecularSlot,
    kLightAmbientSlot,
    kLightPositionSlot,
    kLightDirectionSlot,
    kLightAttenuationSlot,
    kLightSpotSlot,
    kTextureFactorSlot,
    kAlphaRefSlot,
    kWRangeSlot,
    kUniformSlotCount
};
constexpr size_t kUniformSlotFloats = 32; // eight lights' vec4

struct ShaderProgram
{
    GLuint Program = 0;
    GLint WorldView, Projection, NormalMatrix, ViewportRect, DepthRange, TargetHeight,
        ClipZeroToOne;
    GLint NormalizeNormals, LocalViewer, GlobalAmbient, Material, MaterialPower, LightDiffuse,
        LightSpecular, LightAmbient, LightPosition, LightDirection, LightAttenuation, LightSpot;
    GLint Texture, TextureFactor, AlphaRef, WRange;
    // What each uniform was last given in this program, by UniformSlot: a bit of Known for
    // each slot that holds a value (state_upload.cpp sends only what differs).
    uint32_t Known = 0;
    float Sent[kUniformSlotCount][kUniformSlotFloats];
};

// The switches a program is compiled with; everything else is a uniform. The fields fill one
// 64-bit word with nothing left over, and the cache compares the whole word, so two keys share
// a program only when every field is equal; a new field has to take its bits from Unused.
// Start from `ProgramKey key = {};`.
struct ProgramKey
{
    uint64_t Flat : 1;
    uint64_t WBuffer : 1;
    uint64_t Pretransformed : 1;
    uint64_t Lighting : 1;
    uint64_t LightCount : 4; // up to kMaxActiveLights
    uint64_t Specular : 1;
    // Where lighting takes each material colour from: D3DMCS_MATERIAL, _COLOR1 or _COLOR2.
    uint64_t DiffuseSource : 2;
    uint64_t AmbientSource : 2;
    uint64_t SpecularSource : 2;
    uint64_t EmissiveSource : 2;
    uint64_t HasTexture : 1;
    // Texture reads placed exactly at the pixel centres as the caller placed the geometry: for
    // pictures placed in pixels and for point filtering, where a texel's edge may pass within a
    // hair of a pixel centre.
    uint64_t ExactReads : 1;
    // Texture stage 0: a D3DTOP_ operation and two D3DTA_ arguments with their modifier bits.
    uint64_t ColorOp : 5;
    uint64_t ColorArg1 : 6;
    uint64_t ColorArg2 : 6;
    uint64_t AlphaOp : 5;
    uint64_t AlphaArg1 : 6;
    uint64_t AlphaArg2 : 6;
    uint64_t AlphaTest : 1;
    uint64_t AlphaFunc : 4; // D3DCMP_
    uint64_t Unused : 6;

    uint64_t Bits() const; // the whole key, as the cache compares it
};
static_assert(sizeof(ProgramKey) == sizeof(uint64_t), "a program key is one 64-bit word");

// Makes the program for `key` current, compiling it on its first use; null when the driver
// refused to compile it (logged once; a failed key is not compiled again).
ShaderProgram* UseProgram(IDirect3DDevice8::Impl* device, const ProgramKey& key);
// Compiles the program of the default state into the cache; false when the driver refuses it.
bool CreatePrograms(IDirect3DDevice8::Impl* device);
void DestroyPrograms(IDirect3DDevice8::Impl* device);

// ---- Light slots (device_state.cpp) ----------------------------------------------------------
struct LightSlot
{
    bool Set = false;
    bool Enabled = false;
    D3DLIGHT8 Light{};
};

constexpr DWORD kStageCount = 8;
constexpr DWORD kStageStateCount = 32;
constexpr DWORD kRenderStateCount = 256;
constexpr DWORD kWorldMatrixCount = 256;
constexpr DWORD kMaxActiveLights = 8;

// Which groups of device state the GL side no longer matches: the Set* calls mark what they
// change, Present, Clear, a lost device's return and a new shader program mark what they disturb,
// and the next draw uploads every marked group and clears the marks (state_upload.cpp).
enum DirtyBits : unsigned
{
    DirtyRender = 1u << 0,
    DirtyTransform = 1u << 1,
    DirtyLights = 1u << 2,
    DirtyMaterial = 1u << 3,
    DirtyStage = 1u << 4,
    DirtyViewport = 1u << 5,
    DirtyTexture = 1u << 6,
    DirtyAll = 0xffffffffu
};

// Present pacing switch shared by every device (standin.h, StandinSetPresentPacing).
bool PresentPacingEnabled();

} // namespace d3d8

// ---- The records behind the interfaces --------------------------------------------------------

struct IDirect3D8::Impl
{
    ULONG References = 1;
    bool VideoInitialised = false;
    std::vector<std::vector<D3DDISPLAYMODE>> Modes; // per adapter, built on first use
    std::vector<bool> ModesBuilt;
};

struct IDirect3DDevice8::Impl
{
    // Lifetime of the device: set at creation, rebuilt by Reset where noted.
    ULONG References = 1;
    IDirect3D8* Direct3D = nullptr; // holds a reference
    UINT Adapter = 0;
    DWORD Behavior = 0;
    StandinNativeWindow* FocusWindow = nullptr;
    StandinNativeWindow* DeviceWindow = nullptr; // where Present shows the picture
    d3d8::SharedContext* Shared = nullptr;
    bool ClipControl = false;
    bool Anisotropic = false;
    float MaxAnisotropy = 1.0f;

    // The back buffer (back_buffer.cpp); rebuilt by Reset.
    D3DPRESENT_PARAMETERS Params{};
    const d3d8::ColorFormat* BackFormat = nullptr;
    const d3d8::DepthFormat* DepthFormat = nullptr; // null without an automatic depth buffer
    GLuint Framebuffer = 0;
    GLuint ColorBuffer = 0;
    GLuint DepthBuffer = 0;
    UINT RefreshRate = 60;

    // GL objects for drawing (draw.cpp, shaders.cpp); live as long as the device. Programs are
    // compiled on first use of their switches and kept (a failed one as program 0), by the
    // bits of their ProgramKey.
    std::map<uint64_t, d3d8::ShaderProgram> Programs;
    d3d8::ShaderProgram* CurrentProgram = nullptr;
    GLuint UserBuffer = 0; // DrawPrimitiveUP's vertices
    GLuint Sampler = 0;

    // Device state (device_state.cpp); Reset restores all of it to the defaults.
    DWORD RenderStates[d3d8::kRenderStateCount];
    DWORD StageStates[d3d8::kStageCount][d3d8::kStageStateCount];
    D3DMATRIX World[d3d8::kWorldMatrixCount];
    D3DMATRIX View;
    D3DMATRIX Projection;
    D3DMATRIX TextureTransform[d3d8::kStageCount];
    std::vector<d3d8::LightSlot> Lights;
    D3DMATERIAL8 Material{};
    D3DVIEWPORT8 Viewport{};
    IDirect3DBaseTexture8* Textures[d3d8::kStageCount] = {}; // each holds a reference
    IDirect3DVertexBuffer8* Stream = nullptr;                // holds a reference
    UINT StreamStride = 0;
    DWORD VertexShader = 0;
    bool InScene = false;
    unsigned Dirty = d3d8::DirtyAll;

    // Device loss and the full-screen window (device_loss_sdl.cpp, device_loss_web.cpp).
    bool Lost = false;
    bool HadFocus = false;
    bool WindowSaved = false; // the window's own place, given back when the device goes
    struct
    {
        int x, y, w, h;
    } SavedWindow{};

    // Present pacing (back_buffer.cpp).
    bool VsyncActive = false;
    int AppliedPacing = -1; // the pacing switch the swap interval was set for; -1 none yet
    std::chrono::steady_clock::time_point LastPresent{};

    // The call trace (trace.cpp).
    bool Tracing = false;
    std::vector<D3D8TraceEntry> Trace;

    // Draw costs (draw_cost.cpp): the switches of the program the last draw ran, and while
    // measuring, one record per draw.
    d3d8::ProgramKey AppliedKey{};
    bool MeasuringCosts = false;
    GLuint CostQueries[2] = {};
    std::vector<D3D8DrawCost> Costs;
};

struct IDirect3DBaseTexture8::Impl
{
    struct Level
    {
        UINT Width = 0;
        UINT Height = 0;
        UINT Pitch = 0;
        std::vector<BYTE> Bits;
        bool Locked = false;
        bool ReadOnly = false;
        RECT LockedRect{};
    };
    ULONG References = 1;
    IDirect3DTexture8* Self = nullptr;
    d3d8::SharedContext* Shared = nullptr;
    const d3d8::ColorFormat* Format = nullptr;
    D3DPOOL Pool = D3DPOOL_MANAGED;
    DWORD Usage = 0;
    GLuint Texture = 0;
    std::vector<Level> Levels;
};

struct IDirect3DVertexBuffer8::Impl
{
    ULONG References = 1;
    d3d8::SharedContext* Shared = nullptr;
    UINT Length = 0;
    DWORD Usage = 0;
    DWORD Fvf = 0;
    D3DPOOL Pool = D3DPOOL_MANAGED;
    std::vector<BYTE> Data;
    GLuint Buffer = 0;
    UINT LockCount = 0;
    UINT DirtyBegin = 0; // the byte range written since the last upload
    UINT DirtyEnd = 0;
};

namespace d3d8
{
// Shared between the device files.
void ResetDeviceState(IDirect3DDevice8::Impl* device); // every default; drops bindings
void ReleaseBindings(IDirect3DDevice8::Impl* device);  // textures and stream
HRESULT CreateBackBuffer(IDirect3DDevice8::Impl* device);
void DestroyBackBuffer(IDirect3DDevice8::Impl* device);
bool CreateDrawObjects(IDirect3DDevice8::Impl* device);
void DestroyDrawObjects(IDirect3DDevice8::Impl* device);
// Brings GL up to date with the device's state before a draw, only what changed since the last
// one (state_upload.cpp); false when the driver cannot compile the program this state needs.
// The counting pass of a measured draw (draw_cost.cpp) draws the same pixels with no test and
// no writes: every covered pixel passes, and nothing on the screen changes.
enum class DrawPass
{
    Picture,
    Counting
};
bool ApplyState(IDirect3DDevice8::Impl* device, const VertexLayout& layout,
                DrawPass pass = DrawPass::Picture);
// glDrawArrays, or while the device measures costs, the same draw finished, timed and counted.
void DrawArrays(IDirect3DDevice8::Impl* device, const VertexLayout& layout, GLenum mode,
                GLint first, GLsizei count);
void DestroyCostQueries(IDirect3DDevice8::Impl* device);
// Points the shader's inputs at `buffer`'s vertices (vertex_layout.cpp).
void BindAttributes(IDirect3DDevice8::Impl* device, GLuint buffer, const VertexLayout& layout,
                    UINT stride);
// Deletes the vertex array objects that read `buffer` (before the buffer goes), or every one.
void DeleteVertexArrays(SharedContext* shared, GLuint buffer);
void DeleteAllVertexArrays(SharedContext* shared);
void EnterFullscreen(IDirect3DDevice8::Impl* device);
void LeaveFullscreen(IDirect3DDevice8::Impl* device);
void UpdateLoss(IDirect3DDevice8::Impl* device);
// Starts watching for focus losses from the window's present state (after creation or Reset).
void SettleFocus(IDirect3DDevice8::Impl* device);
bool WindowInFront(StandinNativeWindow* window);
bool EnsureCurrent(IDirect3DDevice8::Impl* device);
void TraceCall(IDirect3DDevice8::Impl* device, const char* call, DWORD a0, DWORD a1, DWORD a2,
               DWORD a3, const void* object, HRESULT result);
} // namespace d3d8
