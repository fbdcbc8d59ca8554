// The composition host on the real Direct3D/Direct2D device: surfaces painted
// through BeginDraw, failures reported, commits presenting what changed.
#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>

#include "CompTestWindow.h"
#include "platform/Log.h"
#include "render/CompositionHost.h"
#include "render/GradientPixels.h"
#include "render/GraphicsDeviceStart.h"
#include "render/TextCoverage.h"
#include "render/raster/PixelCount.h"
#include "support/TestSupport.h"

using namespace comp;

namespace {

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(CreateGraphicsFactories(graphics));
        // As the dock does: the window's buffer is made before the device.
        ASSERT_TRUE(host.PrepareWindow(window.hwnd));
        ASSERT_TRUE(graphics.Create());
        ASSERT_TRUE(host.Initialize(window.hwnd, graphics));
        host.compositor.Backdrop().SetCreationFails(false);
    }
    void TearDown() override { CoUninitialize(); }

    SpriteVisual SurfaceSprite(const CompositionDrawingSurface& surface, Vector3 offset) {
        auto sprite = host.compositor.CreateSpriteVisual();
        sprite.Brush(host.compositor.CreateSurfaceBrush(surface));
        sprite.Size(surface.Size());
        sprite.Offset(offset);
        return sprite;
    }

    CompTestWindow window{300, 300, 120, 90};
    GraphicsDevice graphics;
    CompositionHost host;
};

std::string ReadLog() {
    auto bytes = testing_support::ReadFileBytes(testing_support::BinDir() + L"\\vantreel.log");
    return std::string(bytes.begin(), bytes.end());
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// The debug log switched on and emptied for one test, off again afterwards.
struct FreshLog {
    FreshLog() {
        InitializeLog(true);
        DeleteFileW((testing_support::BinDir() + L"\\vantreel.log").c_str());
    }
    ~FreshLog() { InitializeLog(false); }
};

// Runs the commits that changes scheduled, as the message loop would.
void RunScheduledCommits(const Compositor& compositor) {
    MSG msg;
    for (int i = 0; i < 20 && compositor.CommitPending(); ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

}  // namespace

TEST_F(HostTest, TheWindowBecomesLayeredAndKeepsItsPlace) {
    EXPECT_TRUE(GetWindowLongPtrW(window.hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    host.compositor.Commit();
    RECT rect;
    GetWindowRect(window.hwnd, &rect);
    EXPECT_EQ(rect.left, 300);
    EXPECT_EQ(rect.top, 300);
    EXPECT_EQ(rect.right - rect.left, 120);
    EXPECT_EQ(rect.bottom - rect.top, 90);
}

TEST_F(HostTest, ARectangleDrawnIntoASurfaceAppearsAtTheSpriteOffset) {
    auto surface = host.CreateDrawingSurface(20, 10);
    ASSERT_TRUE(surface);
    EXPECT_TRUE(host.Paint(surface, [](ID2D1DeviceContext* context) {
        Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> green;
        context->CreateSolidColorBrush(D2D1::ColorF(0, 1, 0, 1), &green);
        context->FillRectangle(D2D1::RectF(5, 2, 15, 8), green.Get());
    }));
    host.mainRoot.Children().InsertAtTop(SurfaceSprite(surface, {30, 40, 0}));
    host.compositor.Commit();
    raster::Image frame = host.mainTarget.PresentedPixels();
    EXPECT_EQ(PixelAt(frame, 30 + 10, 40 + 5), (Px{0, 255, 0, 255}));
    EXPECT_EQ(PixelAt(frame, 30 + 2, 40 + 5).a, 0);
    EXPECT_EQ(PixelAt(frame, 10, 10).a, 0);
}

TEST_F(HostTest, SurfaceSizesAndOneDrawAtATime) {
    auto tiny = host.CreateDrawingSurface(0, 0);
    ASSERT_TRUE(tiny);
    EXPECT_EQ(tiny.SizeInt().cx, 1);
    EXPECT_EQ(tiny.SizeInt().cy, 1);

    Microsoft::WRL::ComPtr<ID2D1DeviceContext> context, second;
    POINT offset;
    ASSERT_EQ(tiny.BeginDraw(nullptr, &context, &offset), S_OK);
    EXPECT_TRUE(FAILED(tiny.BeginDraw(nullptr, &second, &offset)));
    EXPECT_EQ(tiny.EndDraw(), S_OK);
    EXPECT_TRUE(FAILED(tiny.EndDraw())) << "no draw is open";

    CompositionHost empty;
    EXPECT_FALSE(empty.CreateDrawingSurface(10, 10)) << "no graphics device, no surface";
}

TEST_F(HostTest, DeviceLossIsFlaggedOtherFailuresOnlyLogged) {
    InitializeLog(true);
    DeleteFileW((testing_support::BinDir() + L"\\vantreel.log").c_str());
    host.graphicsDevice.InjectFailure(E_OUTOFMEMORY);
    EXPECT_FALSE(host.CreateDrawingSurface(8, 8));
    EXPECT_FALSE(host.TakeDeviceLost());
    EXPECT_NE(ReadLog().find("Surface draw failed: 0x8007000E"), std::string::npos);

    auto surface = host.CreateDrawingSurface(8, 8);
    ASSERT_TRUE(surface);
    host.graphicsDevice.InjectFailure(static_cast<HRESULT>(0x887A0005));
    EXPECT_FALSE(host.Paint(surface, [](ID2D1DeviceContext*) {}));
    EXPECT_NE(ReadLog().find("Surface draw failed: 0x887A0005"), std::string::npos);
    EXPECT_TRUE(host.TakeDeviceLost());
    EXPECT_FALSE(host.TakeDeviceLost()) << "one loss is handled once";
    // Ready-made pixels go in without a draw, but fail and report like one.
    host.graphicsDevice.InjectFailure(static_cast<HRESULT>(0x887A0005));
    EXPECT_FALSE(host.PaintPixels(surface, raster::Image(8, 8, 0xFF102030u)));
    EXPECT_TRUE(host.TakeDeviceLost());

    host.ReportDrawFailure(static_cast<HRESULT>(0x8899000C));
    EXPECT_TRUE(host.TakeDeviceLost());
    InitializeLog(false);
}

TEST_F(HostTest, CommitsPresentOnlyWhatChanged) {
    CompTestWindow otherWindow(500, 300, 60, 60);
    auto otherTarget = host.CreateWindowTarget(otherWindow.hwnd);
    ASSERT_TRUE(otherTarget);
    auto otherRoot = host.compositor.CreateContainerVisual();
    otherTarget.Root(otherRoot);

    auto surface = host.CreateDrawingSurface(10, 10);
    auto sprite = SurfaceSprite(surface, {0, 0, 0});
    host.mainRoot.Children().InsertAtTop(sprite);
    otherRoot.Children().InsertAtTop(SurfaceSprite(surface, {5, 5, 0}));
    host.compositor.Commit();
    int mainCount = host.mainTarget.PresentCount();
    int otherCount = otherTarget.PresentCount();

    host.compositor.Commit();
    EXPECT_EQ(host.mainTarget.PresentCount(), mainCount) << "no change presents nothing";
    EXPECT_EQ(otherTarget.PresentCount(), otherCount);

    sprite.Offset({50, 20, 0});
    EXPECT_TRUE(host.compositor.CommitPending()) << "a change schedules a commit";
    host.compositor.Commit();
    EXPECT_EQ(host.mainTarget.PresentCount(), mainCount + 1);
    EXPECT_EQ(otherTarget.PresentCount(), otherCount) << "the other window did not change";
    RECT damage = host.mainTarget.LastDamage();
    EXPECT_LE(damage.right - damage.left, 62) << "only the old and new places are redrawn";

    EXPECT_TRUE(host.Paint(surface, [](ID2D1DeviceContext* context) { context->Clear(D2D1::ColorF(1, 0, 0, 1)); }));
    host.compositor.Commit();
    EXPECT_EQ(host.mainTarget.PresentCount(), mainCount + 2) << "a shared surface presents both windows";
    EXPECT_EQ(otherTarget.PresentCount(), otherCount + 1);
    EXPECT_EQ(PixelAt(otherTarget.PresentedPixels(), 7, 7), (Px{0, 0, 255, 255}));
}

TEST_F(HostTest, ScheduledCommitRunsFromTheMessageQueue) {
    auto sprite = host.compositor.CreateSpriteVisual();
    sprite.Brush(host.compositor.CreateColorBrush({255, 0, 0, 255}));
    sprite.Size({10, 10});
    host.mainRoot.Children().InsertAtTop(sprite);
    int before = host.mainTarget.PresentCount();
    MSG msg;
    for (int i = 0; i < 20 && host.compositor.CommitPending(); ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    EXPECT_FALSE(host.compositor.CommitPending());
    EXPECT_EQ(host.mainTarget.PresentCount(), before + 1);
}

// A warm-up stopped for the end: nothing of it holds the device any more.
TEST_F(HostTest, AStoppedWarmUpLeavesTheWorkerHoldingNothingOfTheDevice) {
    auto references = [&] { return graphics.d2dDevice->AddRef(), graphics.d2dDevice->Release(); };
    const ULONG before = references();
    host.graphicsDevice.WarmUp(nullptr);
    host.graphicsDevice.StopWarmUp();
    EXPECT_FALSE(host.graphicsDevice.Warming());
    EXPECT_EQ(references(), before);
}

TEST_F(HostTest, TexturePaintersFillTheirGradients) {
    auto fade = host.CreateDrawingSurface(16, 128);
    ASSERT_TRUE(host.PaintFadeTexture(fade));
    const raster::Image& pixels = fade.Pixels();
    EXPECT_NEAR(PixelAt(pixels, 8, 0).a, 230, 4) << "0.90 at the top";
    EXPECT_LE(PixelAt(pixels, 8, 127).a, 4) << "fades out at the bottom";
    EXPECT_GT(PixelAt(pixels, 8, 40).a, PixelAt(pixels, 8, 100).a);

    auto rings = host.CreateDrawingSurface(64, 64);
    float size = 64, stroke = 10, radius = 18;
    EXPECT_TRUE(host.PaintRoundedMaskTexture(rings, 64, 64, size, stroke, radius));
    EXPECT_GT(PixelAt(rings.Pixels(), 32, 2).a, 0) << "rings at the edge";
    EXPECT_EQ(PixelAt(rings.Pixels(), 32, 32).a, 0) << "nothing in the middle";
    EXPECT_FALSE(host.PaintRoundedMaskTexture(rings, 0, 64, size, stroke, radius));
}

// Shapes the dock needs before its first frame are built as pixels; they must
// look as the device's own drawing of the same shapes does.
TEST_F(HostTest, ShapesBuiltAsPixelsMatchTheirDrawing) {
    auto compare = [&](int width, int height, const std::function<void(ID2D1DeviceContext*)>& draw,
                       const std::function<void(const CompositionDrawingSurface&)>& build) {
        auto drawn = host.CreateDrawingSurface(width, height);
        auto built = host.CreateDrawingSurface(width, height);
        ASSERT_TRUE(host.Paint(drawn, draw));
        build(built);
        // Drawings may or may not smooth their edges (some implementations draw
        // them hard), so the two may differ only on an edge of either; the total
        // coverage must still match.
        const raster::Image& d = drawn.Pixels();
        const raster::Image& p = built.Pixels();
        auto onEdge = [&](const raster::Image& image, int x, int y) {
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = std::clamp(x + dx, 0, width - 1), ny = std::clamp(y + dy, 0, height - 1);
                    if (std::abs(PixelAt(image, nx, ny).a - PixelAt(image, x, y).a) > 8) return true;
                }
            }
            return false;
        };
        long long drawnSum = 0, builtSum = 0;
        int offEdge = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const Px a = PixelAt(d, x, y), b = PixelAt(p, x, y);
                drawnSum += a.a;
                builtSum += b.a;
                const int worst = std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b),
                                            std::abs(a.a - b.a)});
                if (worst > 10 && !onEdge(p, x, y) && !onEdge(d, x, y)) ++offEdge;
            }
        }
        EXPECT_EQ(offEdge, 0) << width << "x" << height;
        EXPECT_NEAR(static_cast<double>(builtSum), static_cast<double>(drawnSum), 0.02 * drawnSum);
    };
    // The lens mask: five fading rings.
    const float side = 66, stroke = 15, radius = 21;
    compare(66, 66,
            [&](ID2D1DeviceContext* context) {
                for (int i = 0; i <= 4; ++i) {
                    const float d = 0.25f * i, e = stroke * (1.0f - 0.78f * d), m = std::max(e / 2.0f, 0.5f);
                    const float r = std::max(radius - 0.45f * m, 2.0f);
                    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> brush;
                    context->CreateSolidColorBrush(D2D1::ColorF(1, 1, 1, 0.24f * (1.0f - 0.72f * d)), &brush);
                    context->DrawRoundedRectangle(D2D1::RoundedRect(D2D1::RectF(m, m, side - m, side - m), r, r),
                                                  brush.Get(), e);
                }
            },
            [&](const CompositionDrawingSurface& surface) {
                EXPECT_TRUE(host.PaintRoundedMaskTexture(surface, side, side, side, stroke, radius));
            });
    // An indicator pill: elliptical corners, a halo under the pill.
    compare(38, 19,
            [&](ID2D1DeviceContext* context) {
                Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> brush;
                context->CreateSolidColorBrush(D2D1::ColorF(0.42f, 0.78f, 1.0f, 0.48f), &brush);
                context->FillRoundedRectangle(D2D1::RoundedRect(D2D1::RectF(1, 1, 37, 18), 5.2f, 7.0f), brush.Get());
                brush->SetColor(D2D1::ColorF(1, 1, 1, 0.99f));
                context->FillRoundedRectangle(D2D1::RoundedRect(D2D1::RectF(3, 4, 35, 15), 4.0f, 5.5f), brush.Get());
            },
            [&](const CompositionDrawingSurface& surface) {
                raster::Image pixels(38, 19);
                FillRoundedRect(pixels, {1, 1, 36, 17}, 5.2f, 7.0f, PremultipliedPixel(0.42f, 0.78f, 1.0f, 0.48f));
                FillRoundedRect(pixels, {3, 4, 32, 11}, 4.0f, 5.5f, PremultipliedPixel(1, 1, 1, 0.99f));
                EXPECT_TRUE(host.PaintPixels(surface, pixels));
            });
}

TEST_F(HostTest, PaintersThatFailOrThrowReturnFalseAndReport) {
    FreshLog log;
    auto surface = host.CreateDrawingSurface(8, 8);
    ASSERT_TRUE(surface);
    EXPECT_FALSE(host.Paint(surface, [](ID2D1DeviceContext*) { ThrowHResult(E_ACCESSDENIED); }));
    EXPECT_NE(ReadLog().find("Surface draw failed: 0x80070005"), std::string::npos) << ReadLog();
    EXPECT_FALSE(host.Paint(surface, [](ID2D1DeviceContext*) { throw std::runtime_error("painter bug"); }));
    EXPECT_NE(ReadLog().find("Surface draw failed: 0x80004005"), std::string::npos) << "E_FAIL: " << ReadLog();
    EXPECT_FALSE(host.TakeDeviceLost()) << "neither is a device loss";

    // No pixels at all.
    EXPECT_FALSE(host.PaintPixels(surface, raster::Image()));
    EXPECT_EQ(Occurrences(ReadLog(), "Surface draw failed: 0x"), 3u) << ReadLog();

    // Every failed draw was closed: the surface paints again.
    EXPECT_TRUE(host.Paint(surface, [](ID2D1DeviceContext* context) { context->Clear(D2D1::ColorF(1, 0, 0, 1)); }));
    EXPECT_EQ(PixelAt(surface.Pixels(), 4, 4), (Px{0, 0, 255, 255}));
}

TEST_F(HostTest, DroppedSurfacesAreForgotten) {
    auto kept = host.CreateDrawingSurface(4, 4);
    ASSERT_TRUE(host.Paint(kept, [](ID2D1DeviceContext*) {}));
    for (int i = 0; i < 10000; ++i) ASSERT_TRUE(host.CreateDrawingSurface(4, 4));
    EXPECT_LE(host.graphicsDevice.Node()->surfaces.size(), 64u);

    // The surface still in use is still known: a new device takes it along.
    ASSERT_TRUE(kept.Node()->target);
    ASSERT_TRUE(graphics.Create());
    host.SetRenderingDevice(graphics);
    EXPECT_FALSE(kept.Node()->target) << "the old device's bitmap is dropped";
    EXPECT_TRUE(host.Paint(kept, [](ID2D1DeviceContext* context) { context->Clear(D2D1::ColorF(0, 1, 0, 1)); }));
    EXPECT_EQ(PixelAt(kept.Pixels(), 1, 1), (Px{0, 255, 0, 255}));
}

TEST_F(HostTest, AWindowThatRefusesPresentsIsLoggedOnce) {
    FreshLog log;
    CompTestWindow refusing(500, 300, 40, 40);
    auto target = host.CreateWindowTarget(refusing.hwnd);
    ASSERT_TRUE(target);
    auto fill = host.compositor.CreateSpriteVisual();
    fill.Brush(host.compositor.CreateColorBrush({255, 0, 255, 0}));
    fill.RelativeSizeAdjustment({1, 1});
    target.Root(fill);
    // Without its layered style the window takes no per-pixel-alpha present.
    LONG_PTR style = GetWindowLongPtrW(refusing.hwnd, GWL_EXSTYLE);
    SetWindowLongPtrW(refusing.hwnd, GWL_EXSTYLE, style & ~WS_EX_LAYERED);
    for (float opacity : {1.0f, 0.5f, 0.25f}) {
        fill.Opacity(opacity);
        host.compositor.Commit();
    }
    EXPECT_EQ(target.PresentCount(), 0);
    std::string text = ReadLog();
    EXPECT_EQ(Occurrences(text, "UpdateLayeredWindowIndirect failed"), 1u) << text;
    EXPECT_NE(text.find("): 87"), std::string::npos) << "with the system's error code: " << text;

    // Once the window takes presents again, the next commit shows the whole frame.
    SetWindowLongPtrW(refusing.hwnd, GWL_EXSTYLE, style);
    host.compositor.Commit();
    EXPECT_EQ(target.PresentCount(), 1);
    EXPECT_NEAR(PixelAt(target.PresentedPixels(), 20, 20).g, 64, 1) << "green at a quarter";
}

TEST_F(HostTest, AFailingCommitIsLoggedOncePerKindAndLaterCommitsRun) {
    FreshLog log;
    auto glass = host.compositor.CreateSpriteVisual();
    glass.Brush(host.compositor.CreateHostBackdropBrush());
    glass.Size({20, 20});
    host.mainRoot.Children().InsertAtTop(glass);
    RunScheduledCommits(host.compositor);

    auto failWith = [&](std::function<void()> fault) {
        for (int i = 0; i < 2; ++i) {
            host.compositor.Backdrop().SetLoader([fault](BackdropPicture&) -> bool {
                fault();
                return false;
            });
            glass.Offset({static_cast<float>(i + 1), 0, 0});
            RunScheduledCommits(host.compositor);
        }
    };
    failWith([] { ThrowHResult(E_OUTOFMEMORY); });
    failWith([] { throw std::runtime_error("no wallpaper"); });
    failWith([] { throw 7; });
    std::string text = ReadLog();
    EXPECT_EQ(Occurrences(text, "Compositor::Commit winrt error: 0x8007000E"), 1u) << text;
    EXPECT_EQ(Occurrences(text, "Compositor::Commit std::exception: no wallpaper"), 1u) << text;
    EXPECT_EQ(Occurrences(text, "Compositor::Commit unknown exception"), 1u) << text;

    int before = host.mainTarget.PresentCount();
    host.compositor.Backdrop().SetLoader(nullptr);
    glass.Offset({5, 5, 0});
    RunScheduledCommits(host.compositor);
    EXPECT_EQ(host.mainTarget.PresentCount(), before + 1) << "a failed commit does not stop the next";
}

TEST(GraphicsDeviceCreate, FallsBackToWarpQuietly) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    InitializeLog(true);
    std::wstring logPath = testing_support::BinDir() + L"\\vantreel.log";
    DeleteFileW(logPath.c_str());
    GraphicsDevice graphics;
    ASSERT_TRUE(CreateGraphicsFactories(graphics));
    auto real = graphics.createD3DDevice;
    std::vector<D3D_DRIVER_TYPE> asked;
    graphics.createD3DDevice = [&](D3D_DRIVER_TYPE type, ID3D11Device** device, ID3D11DeviceContext** context) {
        asked.push_back(type);
        if (type == D3D_DRIVER_TYPE_HARDWARE) return static_cast<HRESULT>(0x887A0004);  // unsupported
        return real(D3D_DRIVER_TYPE_HARDWARE, device, context);
    };
    EXPECT_TRUE(graphics.Create());
    EXPECT_EQ(asked, (std::vector<D3D_DRIVER_TYPE>{D3D_DRIVER_TYPE_HARDWARE, D3D_DRIVER_TYPE_WARP}));
    EXPECT_TRUE(graphics.d2dDevice);
    EXPECT_FALSE(testing_support::FileExists(logPath)) << "the hardware failure is not logged";

    graphics.createD3DDevice = [](D3D_DRIVER_TYPE type, ID3D11Device**, ID3D11DeviceContext**) {
        return type == D3D_DRIVER_TYPE_WARP ? E_OUTOFMEMORY : static_cast<HRESULT>(0x887A0004);
    };
    EXPECT_FALSE(graphics.Create());
    EXPECT_FALSE(graphics.device);
    EXPECT_NE(ReadLog().find("D3D11CreateDevice failed: 0x8007000E"), std::string::npos);
    EXPECT_EQ(ReadLog().find("0x887A0004"), std::string::npos);
    InitializeLog(false);
    CoUninitialize();
}

// The device is made on a worker while the starting thread goes on.
TEST(GraphicsDeviceCreate, OnAWorkerWhileTheCallerGoesOn) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    GraphicsDevice graphics;
    ASSERT_TRUE(CreateGraphicsFactories(graphics));
    auto real = graphics.createD3DDevice;
    HANDLE callerWentOn = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD creator = 0;
    bool released = false;
    graphics.createD3DDevice = [&](D3D_DRIVER_TYPE type, ID3D11Device** device, ID3D11DeviceContext** context) {
        creator = GetCurrentThreadId();
        released = WaitForSingleObject(callerWentOn, 5000) == WAIT_OBJECT_0;
        return real(type, device, context);
    };
    {
        GraphicsDeviceStart start(graphics);
        SetEvent(callerWentOn);
        EXPECT_TRUE(start.Wait());
        EXPECT_TRUE(start.Wait()) << "a second wait gives the same";
    }
    EXPECT_TRUE(released) << "the caller was not held while the device was made";
    EXPECT_NE(creator, GetCurrentThreadId());
    EXPECT_TRUE(graphics.d2dDevice);
    CloseHandle(callerWentOn);

    graphics.createD3DDevice = [](D3D_DRIVER_TYPE, ID3D11Device**, ID3D11DeviceContext**) { return E_OUTOFMEMORY; };
    GraphicsDeviceStart failing(graphics);
    EXPECT_FALSE(failing.Wait());
    EXPECT_FALSE(graphics.device);
    CoUninitialize();
}

#include "apps/CompositionIconHost.h"
#include "apps/IconLoader.h"
#include "apps/IconRendering.h"

TEST_F(HostTest, IconsAreCompositionSurfacesPaintedByTheHost) {
    CompositionIconHost icons(host);
    IconSurfaceRef surface = icons.CreateDrawingSurface(48, 48);
    ASSERT_TRUE(surface);
    comp::CompositionDrawingSurface drawing = CompositionSurfaceOf(surface);
    ASSERT_TRUE(drawing);
    EXPECT_EQ(drawing.SizeInt().cx, 48);
    icons.DrawSurface(*surface, [](ID2D1DeviceContext* context) {
        Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> white;
        context->CreateSolidColorBrush(D2D1::ColorF(1, 1, 1, 1), &white);
        context->FillEllipse(D2D1::Ellipse(D2D1::Point2F(24, 24), 20, 20), white.Get());
    });
    EXPECT_EQ(PixelAt(drawing.Pixels(), 24, 24), (Px{255, 255, 255, 255}));
    EXPECT_EQ(PixelAt(drawing.Pixels(), 1, 1).a, 0);
    EXPECT_FALSE(CompositionSurfaceOf(nullptr));

    // The loader's built-in glyph lands in a real composition surface.
    IconGraphics graphicsFactories{graphics.dwriteFactory.Get(), graphics.wicFactory.Get()};
    struct CountingHost : IconSurfaceHost {
        explicit CountingHost(IconSurfaceHost& host) : inner(host) {}
        IconSurfaceRef CreateDrawingSurface(int width, int height) override {
            return inner.CreateDrawingSurface(width, height);
        }
        void DrawSurface(IconSurface& surface, const std::function<void(ID2D1DeviceContext*)>& paint) override {
            ++drawn;
            inner.DrawSurface(surface, paint);
        }
        bool PutPixels(IconSurface& surface, const IconBitmap& pixels) override {
            return inner.PutPixels(surface, pixels);
        }
        bool ReadPixels(const IconSurface& surface, IconBitmap& pixels) override {
            return inner.ReadPixels(surface, pixels);
        }
        IconSurfaceHost& inner;
        int drawn = 0;
    } counting(icons);
    const std::wstring glyphFile = IconLoader::BuiltinGlyphCacheFile(BuiltinIconLaunchpad, 64, true, 0);
    const std::wstring largerFile = IconLoader::BuiltinGlyphCacheFile(BuiltinIconLaunchpad, 72, true, 0);
    DeleteFileW(glyphFile.c_str());
    DeleteFileW(largerFile.c_str());
    IconLoader loader;
    loader.graphics = &graphicsFactories;
    loader.host = &counting;
    comp::CompositionDrawingSurface launchpad = CompositionSurfaceOf(loader.GetLaunchpadSurface(64, true));
    ASSERT_TRUE(launchpad);
    EXPECT_EQ(PixelAt(launchpad.Pixels(), 32, 32).a, 255) << "the tile plate's centre is opaque";
    EXPECT_EQ(PixelAt(launchpad.Pixels(), 0, 0).a, 0) << "its corners are round";
    EXPECT_EQ(counting.drawn, 1);
    EXPECT_TRUE(testing_support::FileExists(glyphFile)) << "the first drawing is kept on disk";

    // Another start (a loader with nothing in memory) takes the tile from the
    // disk cache as pixels, without a drawing pass; another size is drawn.
    IconLoader later;
    later.graphics = &graphicsFactories;
    later.host = &counting;
    comp::CompositionDrawingSurface cached = CompositionSurfaceOf(later.GetLaunchpadSurface(64, true));
    ASSERT_TRUE(cached);
    EXPECT_EQ(counting.drawn, 1);
    ASSERT_EQ(cached.Pixels().Width(), 64);
    EXPECT_TRUE(std::equal(cached.Pixels().Data(), cached.Pixels().Data() + 64 * 64, launchpad.Pixels().Data()));
    EXPECT_TRUE(CompositionSurfaceOf(later.GetLaunchpadSurface(72, true)));
    EXPECT_EQ(counting.drawn, 2);
    DeleteFileW(glyphFile.c_str());
    DeleteFileW(largerFile.c_str());

    // Extracted icons without a count are put together on the plate the
    // placeholder drew once, and look as a drawn one does but at its edges.
    IconBitmap red;
    red.width = red.height = 32;
    for (int i = 0; i < 32 * 32; ++i) red.pixels.insert(red.pixels.end(), {0, 0, 255, 255});
    const int drawnBefore = counting.drawn;
    later.SurfaceFromBitmap(red, 48, true, 0);
    comp::CompositionDrawingSurface composed = CompositionSurfaceOf(later.SurfaceFromBitmap(red, 48, true, 0));
    ASSERT_TRUE(composed);
    EXPECT_EQ(counting.drawn, drawnBefore + 1) << "the plate only";
    comp::CompositionDrawingSurface painted = host.CreateDrawingSurface(48, 48);
    ASSERT_TRUE(host.Paint(painted, [&](ID2D1DeviceContext* c) { PaintIconPixels(c, nullptr, red, true, 48, 0); }));
    int differing = 0;
    for (int i = 0; i < 48 * 48; ++i) {
        const uint32_t a = composed.Pixels().Data()[i], b = painted.Pixels().Data()[i];
        for (int shift = 0; shift < 32; shift += 8) {
            if (std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)) > 8) {
                ++differing;
                break;
            }
        }
    }
    EXPECT_LT(differing, 4 * 32) << "only the icon's edge pixels";
}

// Text painted once and copied from then on equals the same text painted
// fresh; the kept pieces stay within their budget, the least used going first.
TEST_F(HostTest, KeptTextEqualsTextPaintedFreshAndStaysWithinItsBudget) {
    Microsoft::WRL::ComPtr<IDWriteTextFormat> format;
    ASSERT_TRUE(SUCCEEDED(graphics.dwriteFactory->CreateTextFormat(L"Microsoft YaHei UI", nullptr,
                                                                   DWRITE_FONT_WEIGHT_SEMI_BOLD,
                                                                   DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL,
                                                                   13.0f, L"zh-CN", &format)));
    int paints = 0;
    auto paintClock = [&](ID2D1DeviceContext* context) {
        ++paints;
        Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> brush;
        context->CreateSolidColorBrush(D2D1::ColorF(0.95f, 0.95f, 0.95f, 0.9f), &brush);
        const wchar_t text[] = L"12月9日 周三  21:05";
        context->DrawText(text, static_cast<UINT32>(wcslen(text)), format.Get(), D2D1::RectF(2, 0, 160, 32),
                          brush.Get());
    };
    PaintedPixelCache& cache = host.paintedPixels;
    const raster::Image* kept = cache.Get(host, L"clock", 160, 32, paintClock);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(cache.Get(host, L"clock", 160, 32, paintClock), kept);
    EXPECT_EQ(paints, 1) << "the second ask copies";

    comp::CompositionDrawingSurface fresh = host.CreateDrawingSurface(160, 32);
    ASSERT_TRUE(host.Paint(fresh, paintClock));
    ASSERT_TRUE(std::equal(kept->Data(), kept->Data() + 160 * 32, fresh.Pixels().Data()));
    EXPECT_TRUE(std::any_of(kept->Data(), kept->Data() + 160 * 32, [](uint32_t p) { return (p >> 24) > 128; }));

    for (int i = 0; i < 40; ++i) cache.Get(host, L"piece " + std::to_wstring(i), 512, 256, paintClock);
    EXPECT_LE(cache.Bytes(), PaintedPixelCache::kMostBytes);
    EXPECT_NE(cache.Get(host, L"piece 39", 512, 256, nullptr), nullptr) << "the newest stays";
    const int before = paints;
    cache.Get(host, L"clock", 160, 32, paintClock);
    EXPECT_EQ(paints, before + 1) << "the least used went";
}

// A piece asked for after a far larger one is painted on a surface of its own
// size, not cleared, drawn and read back across the larger one's.
TEST_F(HostTest, APieceAfterALargerOneIsPaintedAtItsOwnSize) {
    const long long start = raster::PixelBytesHeld();
    const auto none = [](ID2D1DeviceContext*) {};
    ASSERT_NE(host.paintedPixels.Get(host, L"empty state", 1920, 600, none), nullptr);
    ASSERT_NE(host.paintedPixels.Get(host, L"field", 404, 40, none), nullptr);
    EXPECT_LE(raster::PixelBytesHeld() - start - static_cast<long long>(host.paintedPixels.Bytes()), 404 * 40 * 4);
}

// Text rasterized on the processor covers the pixels Direct2D covers with the
// same layout, at the same place and scale, ellipsis included.
TEST_F(HostTest, TextRasterizedOnTheProcessorLandsWhereDirect2DDrawsIt) {
    Microsoft::WRL::ComPtr<IDWriteTextFormat> format;
    ASSERT_TRUE(SUCCEEDED(graphics.dwriteFactory->CreateTextFormat(
        L"Microsoft YaHei UI", nullptr, DWRITE_FONT_WEIGHT_NORMAL, DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL,
        13.5f, L"zh-CN", &format)));
    Microsoft::WRL::ComPtr<IDWriteInlineObject> ellipsis;
    graphics.dwriteFactory->CreateEllipsisTrimmingSign(format.Get(), &ellipsis);
    const DWRITE_TRIMMING trimming{DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
    format->SetTrimming(&trimming, ellipsis.Get());
    const std::wstring text = L"微信 Visual Studio Code Insiders";
    Microsoft::WRL::ComPtr<IDWriteTextLayout> layout;
    ASSERT_TRUE(SUCCEEDED(graphics.dwriteFactory->CreateTextLayout(text.c_str(), static_cast<UINT32>(text.size()),
                                                                   format.Get(), 150.0f, 24.0f, &layout)));
    for (const float scale : {1.0f, 1.5f}) {
        comp::CompositionDrawingSurface drawn = host.CreateDrawingSurface(260, 48);
        ASSERT_TRUE(host.Paint(drawn, [&](ID2D1DeviceContext* context) {
            Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> white;
            context->CreateSolidColorBrush(D2D1::ColorF(1, 1, 1, 1), &white);
            context->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
            context->SetTransform(D2D1::Matrix3x2F::Scale(scale, scale) * D2D1::Matrix3x2F::Translation(5.25f, 3));
            context->DrawTextLayout({0, 0}, layout.Get(), white.Get());
        }));
        raster::Image ours(260, 48);
        FillCoverage(ours.View(), TextLayoutCoverage(graphics.dwriteFactory.Get(), layout.Get(), 5.25f, 3, scale),
                     0xFFFFFFFFu);
        const auto ink = [](const raster::Image& image, long long* alpha) {
            raster::Rect box{image.Width(), image.Height(), 0, 0};
            int right = 0, bottom = 0;
            for (int y = 0; y < image.Height(); ++y) {
                for (int x = 0; x < image.Width(); ++x) {
                    const uint32_t a = image.Data()[y * image.Width() + x] >> 24;
                    *alpha += a;
                    if (a < 64) continue;
                    box.x = std::min(box.x, x), box.y = std::min(box.y, y);
                    right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
                }
            }
            return raster::Rect{box.x, box.y, right - box.x, bottom - box.y};
        };
        long long theirAlpha = 0, ourAlpha = 0;
        const raster::Rect theirs = ink(drawn.Pixels(), &theirAlpha), mine = ink(ours, &ourAlpha);
        EXPECT_GT(mine.width, 100 * scale) << "the ellipsis ends the cut text";
        EXPECT_NEAR(mine.x, theirs.x, 1) << scale;
        EXPECT_NEAR(mine.y, theirs.y, 1) << scale;
        EXPECT_NEAR(mine.Right(), theirs.Right(), 1) << scale;
        EXPECT_NEAR(mine.Bottom(), theirs.Bottom(), 1) << scale;
        EXPECT_NEAR(static_cast<double>(ourAlpha), static_cast<double>(theirAlpha), 0.25 * theirAlpha) << scale;
    }
}

// The index bar's letters grow by fractions of a pixel every frame while a
// pointer sweeps over it; the glyphs of the labels drawn before stay kept.
TEST_F(HostTest, LabelGlyphsOutlastThreeHundredFramesOfGrowingLetters) {
    auto draw = [&, factory = graphics.dwriteFactory.Get()](DWRITE_FONT_WEIGHT weight, float size, const std::wstring& text, float x, float y, float scale) {
        Microsoft::WRL::ComPtr<IDWriteTextFormat> format;
        Microsoft::WRL::ComPtr<IDWriteTextLayout> layout;
        factory->CreateTextFormat(L"Microsoft YaHei UI", nullptr, weight, DWRITE_FONT_STYLE_NORMAL,
                                  DWRITE_FONT_STRETCH_NORMAL, size, L"zh-CN", &format);
        factory->CreateTextLayout(text.c_str(), static_cast<UINT32>(text.size()), format.Get(), 120, 28, &layout);
        ASSERT_FALSE(TextLayoutCoverage(factory, layout.Get(), x, y, scale).Bounds().IsEmpty());
    };
    auto labels = [&] {
        for (int i = 0; i < 24; ++i) draw(DWRITE_FONT_WEIGHT_MEDIUM, 12, L"应用 " + std::to_wstring(i) + L" Studio", 3, 2, 1.5f);
    };
    labels();
    for (int step = 0; step < 300 * 27; ++step) {  // 300 frames of 27 letters; the pointer sweeps the bar once
        const int i = step % 27;
        const float from = i - static_cast<float>(step / 27) * 27.0f / 300.0f;
        const float k = 1.0f + 0.78f / (1.0f + from * from / 4.0f), shrink = 11.0f * k / 18.0f;
        draw(DWRITE_FONT_WEIGHT_BOLD, 18, std::wstring(1, static_cast<wchar_t>(L'A' + i)),
             40.0f + 24.0f * i - 16.0f * shrink, 41.0f - 10.5f * (k - 1.0f) - 14.0f * shrink, shrink);
    }
    const size_t afterFrames = TextGlyphsRasterized();
    labels();
    EXPECT_EQ(TextGlyphsRasterized(), afterFrames) << "the labels' glyphs were dropped";
}
