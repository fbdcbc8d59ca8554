// The panel's shared drawing routines, drawn by Direct2D and read back.

#include <gtest/gtest.h>

#include "PopoverCanvas.h"
#include "topbar/PopoverDrawing.h"

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<ID2D1SolidColorBrush> Solid(ID2D1DeviceContext* context, float r, float g, float b, float a = 1.0f) {
    ComPtr<ID2D1SolidColorBrush> brush;
    context->CreateSolidColorBrush(D2D1::ColorF(r, g, b, a), &brush);
    return brush;
}

}  // namespace

TEST(PopoverDrawing, ArcsStrokeAndFillTheirClockwiseSide) {
    PopoverCanvas canvas;
    ASSERT_TRUE(canvas.Ready());
    ID2D1Factory* factory = canvas.Device().d2dFactory.Get();
    CanvasImage image = canvas.Render(64, 64, [&](ID2D1DeviceContext* context) {
        auto white = Solid(context, 1, 1, 1);
        // Left to right turns over the top: the arc's highest point is 10 px above the chord.
        DrawPopoverArc(context, factory, {12, 20}, {32, 20}, 10, white.Get(), 2);
        // Top to bottom through the right, filled.
        ComPtr<ID2D1PathGeometry> path;
        ComPtr<ID2D1GeometrySink> sink;
        factory->CreatePathGeometry(&path);
        path->Open(&sink);
        sink->BeginFigure({40, 36}, D2D1_FIGURE_BEGIN_FILLED);
        AddPopoverArcLines(sink.Get(), {40, 36}, {40, 60}, 12);
        sink->EndFigure(D2D1_FIGURE_END_CLOSED);
        sink->Close();
        context->FillGeometry(path.Get(), white.Get());
    });
    ASSERT_EQ(image.width, 64);
    EXPECT_GE(image.At(22, 10).a, 200) << "the top of the stroked arc";
    EXPECT_EQ(image.At(22, 20).a, 0) << "inside the arc";
    EXPECT_EQ(image.At(22, 30).a, 0) << "below the chord";
    EXPECT_GE(image.At(50, 48).a, 250) << "the filled half disc";
    EXPECT_EQ(image.At(30, 48).a, 0) << "left of the half disc";
}
