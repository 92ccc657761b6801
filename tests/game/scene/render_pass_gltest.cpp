// The render pass on the real device, read from the device's own record of the calls it got: the
// order of the objects, the states each is drawn with, the state-dependent snow, title and HUD
// draws, a failing brick draw, the moving light and the frame count.
#include "tests/game/scene/scene_harness.h"

#include <map>

namespace
{
using harness::Call;

// What was in force when something was drawn.
struct Draw
{
    std::string what; // "floor", "floormesh", "ball", "arena", "brick", "bat", "snow", "title",
                      // "hud"
    DWORD start = 0, count = 0;
    const void* texture = nullptr;
    std::map<DWORD, DWORD> states;      // render states set so far in this pass
    std::map<DWORD, DWORD> stageStates; // stage 0 states set so far in this pass
    DWORD vertexShader = 0;
    HRESULT result = 0;
    size_t index = 0; // position in the record
    DWORD State(DWORD state) const
    {
        auto found = states.find(state);
        return found == states.end() ? 0xFFFFFFFF : found->second;
    }
    DWORD Stage(DWORD type) const
    {
        auto found = stageStates.find(type);
        return found == stageStates.end() ? 0xFFFFFFFF : found->second;
    }
};

std::string Kind(const void* texture)
{
    const TextureSetRecord& t = TextureSet;
    if (texture == t.Floor2)
        return "floor";
    if (texture == t.Floor1)
        return "floormesh"; // the mesh's own draw and the utility library's note of it
    if (texture == t.Ball)
        return "ball";
    for (IDirect3DTexture8* arena : t.Arena)
        if (texture == arena)
            return "arena";
    for (IDirect3DTexture8* block : t.Block)
        if (texture == block)
            return "brick";
    if (texture == t.Bat)
        return "bat";
    if (texture == t.Snow)
        return "snow";
    if (texture == t.Title)
        return "title";
    if (texture == t.Digits || texture == t.Cameras || texture == t.Life || texture == t.Paused)
        return "hud";
    return "?";
}

// Replays the record, noting the states in force at every draw.
std::vector<Draw> Draws(const std::vector<Call>& calls)
{
    std::vector<Draw> draws;
    std::map<DWORD, DWORD> states, stageStates;
    const void* texture = nullptr;
    DWORD vertexShader = 0;
    for (size_t i = 0; i < calls.size(); ++i)
    {
        const Call& c = calls[i];
        if (c.name == "SetRenderState")
            states[c.arg[0]] = c.arg[1];
        else if (c.name == "SetTextureStageState" && c.arg[0] == 0)
            stageStates[c.arg[1]] = c.arg[2];
        else if (c.name == "SetTexture" && c.arg[0] == 0)
            texture = c.object;
        else if (c.name == "SetVertexShader")
            vertexShader = c.arg[0];
        else if (c.name == "DrawPrimitive" || c.name == "DrawSubset")
        {
            Draw d;
            const bool mesh = c.name == "DrawSubset";
            d.what = Kind(texture);
            if (!mesh)
            {
                d.start = c.arg[1];
                d.count = c.arg[2];
            }
            d.texture = texture;
            d.states = states;
            d.stageStates = stageStates;
            d.vertexShader = vertexShader;
            d.result = c.result;
            d.index = i;
            draws.push_back(d);
        }
    }
    return draws;
}

// The kinds in order, with runs of one kind collapsed ("brick" x 90 becomes one "brick").
std::vector<std::string> Sequence(const std::vector<Draw>& draws)
{
    std::vector<std::string> kinds;
    for (const Draw& d : draws)
        if (kinds.empty() || kinds.back() != d.what)
            kinds.push_back(d.what);
    return kinds;
}

std::vector<Draw> OfKind(const std::vector<Draw>& draws, const std::string& what)
{
    std::vector<Draw> found;
    for (const Draw& d : draws)
        if (d.what == what)
            found.push_back(d);
    return found;
}

size_t IndexOf(const std::vector<Call>& calls, const std::string& name)
{
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].name == name)
            return i;
    return calls.size();
}

size_t CountOf(const std::vector<Call>& calls, const std::string& name, DWORD arg0)
{
    size_t n = 0;
    for (const Call& c : calls)
        if (c.name == name && c.arg[0] == arg0)
            ++n;
    return n;
}

class RenderPassTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_FALSE(harness::EnterRunFolder().empty());
        harness::Options options;
        options.snowLayers = 8;
        const char* text = harness::StartGame(options);
        ASSERT_EQ(text, nullptr) << text;
    }
    void TearDown() override { harness::StopGame(); }

    // One pass, recorded.
    std::vector<Call> TracedFrame(const char** result = nullptr)
    {
        D3D8TraceStart(Device);
        const char* text = RenderFrame();
        if (result != nullptr)
            *result = text;
        else
            EXPECT_EQ(text, nullptr) << text;
        return harness::TakeTrace();
    }
};

TEST_F(RenderPassTest, PlayingFrameDrawsEveryObjectInOrderWithItsStates)
{
    GameState = Playing;
    ASSERT_EQ(RenderFrame(), nullptr); // the first pass inherits start-up state; look at the next
    const std::vector<Call> calls = TracedFrame();
    const std::vector<Draw> draws = Draws(calls);

    const std::vector<std::string> expected = {"floor", "floormesh", "ball", "arena",
                                               "brick", "bat",       "snow", "hud"};
    EXPECT_EQ(Sequence(draws), expected);
    EXPECT_EQ(OfKind(draws, "brick").size(), 90u);
    EXPECT_EQ(OfKind(draws, "snow").size(), 8u);
    for (const Draw& d : draws)
        EXPECT_EQ(d.result, D3D_OK) << d.what;

    // View and projection go to the device before the sky-blue clear; the scene then begins.
    const size_t clear = IndexOf(calls, "Clear");
    ASSERT_LT(clear, calls.size());
    EXPECT_EQ(calls[clear].arg[2], 0xFF9B9BFFu);
    EXPECT_EQ(CountOf(calls, "SetTransform", D3DTS_VIEW), 1u);
    EXPECT_EQ(CountOf(calls, "SetTransform", D3DTS_PROJECTION), 1u);
    EXPECT_LT(IndexOf(calls, "SetTransform"), clear);
    EXPECT_LT(clear, IndexOf(calls, "BeginScene"));
    EXPECT_LT(IndexOf(calls, "BeginScene"), draws.front().index);

    for (const Draw& d : draws)
    {
        if (d.what == "floor" || d.what == "floormesh" || d.what == "ball")
        {
            EXPECT_EQ(d.State(D3DRS_CULLMODE), DWORD(D3DCULL_CCW)) << d.what;
            EXPECT_EQ(d.vertexShader, SceneVertexFormat) << d.what;
        }
        else if (d.what == "arena")
        {
            EXPECT_EQ(d.State(D3DRS_LIGHTING), DWORD(FALSE));
            EXPECT_EQ(d.State(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
            EXPECT_EQ(d.State(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
            EXPECT_EQ(d.State(D3DRS_DESTBLEND), DWORD(D3DBLEND_SRCCOLOR));
        }
        else if (d.what == "brick")
        {
            EXPECT_EQ(d.State(D3DRS_LIGHTING), DWORD(TRUE)); // lit again after the arena
            EXPECT_EQ(d.State(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
            EXPECT_EQ(d.State(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
            EXPECT_EQ(d.State(D3DRS_DESTBLEND), DWORD(D3DBLEND_DESTCOLOR));
            EXPECT_EQ(d.start, 0u);
            EXPECT_EQ(d.count, 10u);
        }
        else if (d.what == "bat")
        {
            EXPECT_EQ(d.State(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
            EXPECT_EQ(d.State(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
            EXPECT_EQ(d.State(D3DRS_DESTBLEND), DWORD(D3DBLEND_SRCCOLOR));
        }
        else if (d.what == "snow")
        {
            EXPECT_EQ(d.State(D3DRS_CULLMODE), DWORD(D3DCULL_CW));
            EXPECT_EQ(d.State(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
            EXPECT_EQ(d.State(D3DRS_ALPHATESTENABLE), DWORD(TRUE));
            EXPECT_EQ(d.Stage(D3DTSS_MAGFILTER), DWORD(D3DTEXF_POINT));
            EXPECT_EQ(d.Stage(D3DTSS_MINFILTER), DWORD(D3DTEXF_POINT));
            EXPECT_EQ(d.Stage(D3DTSS_MIPFILTER), DWORD(D3DTEXF_POINT));
            EXPECT_EQ(d.count, 400u);
        }
        else if (d.what == "hud")
        {
            EXPECT_EQ(d.vertexShader, ScreenVertexFormat);
            EXPECT_EQ(d.State(D3DRS_CULLMODE), DWORD(D3DCULL_CW));
            EXPECT_EQ(d.State(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
            EXPECT_EQ(d.State(D3DRS_ALPHATESTENABLE), DWORD(FALSE));
            EXPECT_EQ(d.Stage(D3DTSS_MAGFILTER), DWORD(D3DTEXF_LINEAR)); // restored
            EXPECT_EQ(d.Stage(D3DTSS_MIPFILTER), DWORD(D3DTEXF_LINEAR));
        }
    }
    // The arena's four groups, each with its texture.
    const std::vector<Draw> arena = OfKind(draws, "arena");
    ASSERT_EQ(arena.size(), 4u);
    const DWORD groups[4][2] = {{0, 8}, {24, 10}, {54, 6}, {72, 2}};
    const int textures[4] = {3, 1, 2, 0};
    for (int g = 0; g < 4; ++g)
    {
        EXPECT_EQ(arena[g].start, groups[g][0]);
        EXPECT_EQ(arena[g].count, groups[g][1]);
        EXPECT_EQ(arena[g].texture, TextureSet.Arena[textures[g]]);
    }
    // Bricks in array order, each with its type's picture.
    const std::vector<Draw> bricks = OfKind(draws, "brick");
    for (int i = 0; i < BrickCount; ++i)
        EXPECT_EQ(bricks[i].texture, TextureSet.Block[BrickField[i].BrickType]) << i;

    // The HUD last: score, camera, five lives; then the scene ends and is presented, and only
    // then does the light move.
    const std::vector<Draw> hud = OfKind(draws, "hud");
    ASSERT_EQ(hud.size(), 3u);
    EXPECT_EQ(hud[0].texture, TextureSet.Digits);
    EXPECT_EQ(std::make_pair(hud[0].start, hud[0].count), std::make_pair(DWORD(24), DWORD(8)));
    EXPECT_EQ(hud[1].texture, TextureSet.Cameras);
    EXPECT_EQ(std::make_pair(hud[1].start, hud[1].count), std::make_pair(DWORD(48), DWORD(2)));
    EXPECT_EQ(hud[2].texture, TextureSet.Life);
    EXPECT_EQ(std::make_pair(hud[2].start, hud[2].count), std::make_pair(DWORD(54), DWORD(10)));
    const size_t end = IndexOf(calls, "EndScene");
    EXPECT_LT(draws.back().index, end);
    EXPECT_LT(end, IndexOf(calls, "Present"));
    EXPECT_LT(IndexOf(calls, "Present"), IndexOf(calls, "SetLight"));
    // The pass leaves the scene format selected for the next one.
    EXPECT_EQ(calls[end - 1].name, "SetVertexShader");
    EXPECT_EQ(calls[end - 1].arg[0], SceneVertexFormat);
}

TEST_F(RenderPassTest, DestinationBlendIsOnlySetWhereTheAdapterOffersIt)
{
    GameState = Playing;
    DisplaySettings.DestBlendSrcColor = false;
    DisplaySettings.DestBlendDestColor = false;
    std::vector<Call> calls = TracedFrame();
    for (const Call& c : calls)
        EXPECT_FALSE(c.name == "SetRenderState" && c.arg[0] == D3DRS_DESTBLEND);

    DisplaySettings.DestBlendDestColor = true; // only DESTCOLOR available
    calls = TracedFrame();
    for (const Call& c : calls)
        if (c.name == "SetRenderState" && c.arg[0] == D3DRS_DESTBLEND)
        {
            EXPECT_EQ(c.arg[1], DWORD(D3DBLEND_DESTCOLOR));
        }
    // The source factor is the start-up's business, never the pass's.
    for (const Call& c : calls)
        EXPECT_FALSE(c.name == "SetRenderState" && c.arg[0] == D3DRS_SRCBLEND);
}

TEST_F(RenderPassTest, SnowFallsWhilePlayingStandsWhilePausedAndHidesOnTheTitle)
{
    const float start = SnowLayers[0].height;
    // Title: no snow drawn, moved, or switched to point filtering.
    std::vector<Call> calls = TracedFrame();
    EXPECT_TRUE(OfKind(Draws(calls), "snow").empty());
    EXPECT_EQ(CountOf(calls, "SetTextureStageState", 0), 0u);
    EXPECT_EQ(SnowLayers[0].height, start);

    GameState = Playing;
    SpeedFactor = 2.0f;
    calls = TracedFrame();
    EXPECT_EQ(OfKind(Draws(calls), "snow").size(), 8u);
    EXPECT_EQ(SnowLayers[0].height, start - 1.0f);

    GameState = Paused;
    calls = TracedFrame();
    EXPECT_EQ(OfKind(Draws(calls), "snow").size(), 8u);
    EXPECT_EQ(SnowLayers[0].height, start - 1.0f);
    // Each layer is drawn where it stands.
    const std::vector<Draw> snow = OfKind(Draws(calls), "snow");
    EXPECT_EQ(snow.size(), 8u);
}

TEST_F(RenderPassTest, WithoutSnowTheAlphaTestIsNeverSwitched)
{
    DisplaySettings.SnowLayerCount = 0;
    GameState = Playing;
    const std::vector<Call> calls = TracedFrame();
    for (const Call& c : calls)
    {
        EXPECT_FALSE(c.name == "SetRenderState" && c.arg[0] == D3DRS_ALPHATESTENABLE);
        EXPECT_NE(c.name, "SetTextureStageState");
    }
    EXPECT_TRUE(OfKind(Draws(calls), "snow").empty());
}

TEST_F(RenderPassTest, OverlayDrawsFollowTheGameState)
{
    // Title with the picture shown: the title card, blended, over the scene and under the HUD;
    // no HUD quads unless the frame rate is on. A game played with snow before leaves the alpha
    // test off; the title's black background must still be cut out.
    GameState = Playing;
    ASSERT_EQ(RenderFrame(), nullptr);
    GameState = Title;
    std::vector<Draw> draws = Draws(TracedFrame());
    std::vector<Draw> title = OfKind(draws, "title");
    ASSERT_EQ(title.size(), 1u);
    EXPECT_EQ(title[0].vertexShader, ScreenVertexFormat);
    EXPECT_EQ(title[0].State(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
    EXPECT_EQ(title[0].State(D3DRS_DESTBLEND), DWORD(D3DBLEND_SRCCOLOR));
    EXPECT_EQ(title[0].State(D3DRS_CULLMODE), DWORD(D3DCULL_CW));
    EXPECT_EQ(title[0].State(D3DRS_ALPHATESTENABLE), DWORD(TRUE));
    EXPECT_EQ(draws.back().what, "title");
    EXPECT_TRUE(OfKind(draws, "hud").empty());

    ShowFrameRate = true;
    TitleShown = false;
    draws = Draws(TracedFrame());
    EXPECT_TRUE(OfKind(draws, "title").empty());
    std::vector<Draw> hud = OfKind(draws, "hud");
    ASSERT_EQ(hud.size(), 1u);
    EXPECT_EQ(hud[0].start, 0u);
    EXPECT_EQ(hud[0].count, 8u);
    EXPECT_EQ(hud[0].State(D3DRS_DESTBLEND), DWORD(D3DBLEND_DESTCOLOR));

    // Paused: the frame rate and the PAUSED picture, no score, camera or lives, no title.
    TitleShown = true;
    GameState = Paused;
    hud = OfKind(Draws(TracedFrame()), "hud");
    ASSERT_EQ(hud.size(), 2u);
    EXPECT_EQ(hud[1].texture, TextureSet.Paused);
    EXPECT_EQ(hud[1].start, 84u);
    EXPECT_EQ(hud[1].count, 2u);

    // Playing with three spare balls left: three icons; with none, no icon draw at all.
    ShowFrameRate = false;
    GameState = Playing;
    Lives = 3;
    hud = OfKind(Draws(TracedFrame()), "hud");
    ASSERT_EQ(hud.size(), 3u);
    EXPECT_EQ(hud[2].count, 6u);
    Lives = 0;
    hud = OfKind(Draws(TracedFrame()), "hud");
    EXPECT_EQ(hud.size(), 2u);
    EXPECT_TRUE(OfKind(Draws(TracedFrame()), "title").empty());
}

TEST_F(RenderPassTest, FailingBrickStopsTheBricksEndsTheSceneAndPresentsNothing)
{
    GameState = Playing;
    BrickField[9].Release(); // the tenth brick now draws with no stream
    const DWORD framesBefore = RenderedFrames;
    const char* text = nullptr;
    const std::vector<Call> calls = TracedFrame(&text);
    const std::vector<Draw> bricks = OfKind(Draws(calls), "brick");

    EXPECT_STREQ(text, "Draw Primitive Failed.");
    EXPECT_EQ(ErrorText, text);
    ASSERT_EQ(bricks.size(), 10u); // bricks 11 to 90 are not drawn
    EXPECT_NE(bricks.back().result, D3D_OK);
    EXPECT_LT(IndexOf(calls, "EndScene"), calls.size()); // the scene is still ended
    EXPECT_EQ(IndexOf(calls, "Present"), calls.size());  // and nothing is presented
    EXPECT_EQ(RenderedFrames, framesBefore);
    ErrorText = nullptr;
}

TEST_F(RenderPassTest, DestroyedBricksAreNotDrawn)
{
    GameState = Playing;
    for (Brick& brick : BrickField)
        brick.alive = 0;
    std::vector<Call> calls = TracedFrame();
    EXPECT_TRUE(OfKind(Draws(calls), "brick").empty());
    EXPECT_LT(IndexOf(calls, "Present"), calls.size());
    BrickField[44].alive = 1;
    EXPECT_EQ(OfKind(Draws(TracedFrame()), "brick").size(), 1u);
}

TEST_F(RenderPassTest, LightFollowsTheBallAfterThePresentAndFramesAreCounted)
{
    GameState = Playing;
    GameBall.x = 123.0f;
    GameBall.z = 222.0f;
    const DWORD framesBefore = RenderedFrames;
    ASSERT_EQ(RenderFrame(), nullptr);
    EXPECT_EQ(RenderedFrames, framesBefore + 1);
    D3DLIGHT8 light = {};
    ASSERT_EQ(Device->GetLight(0, &light), D3D_OK);
    EXPECT_EQ(light.Position.x, 123.0f);
    EXPECT_EQ(light.Position.y, 0.0f);
    EXPECT_EQ(light.Position.z, 222.0f);
    EXPECT_EQ(light.Range, 80.0f);

    // Without the light capability the pass never touches light 0.
    DisplaySettings.Lighting = false;
    const std::vector<Call> calls = TracedFrame();
    EXPECT_EQ(IndexOf(calls, "SetLight"), calls.size());
    EXPECT_EQ(RenderedFrames, framesBefore + 2);
}
} // namespace
