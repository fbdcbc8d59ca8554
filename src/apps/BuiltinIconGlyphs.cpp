#include "apps/BuiltinIcons.h"

#include "apps/IconDrawingHelpers.h"

#include <algorithm>
#include <cmath>
#include <iterator>

using namespace icon_drawing;

namespace {

constexpr float kPi = 3.14159265358979f;

// The plate's own square and corner radius, for shapes that must stay inside it.
constexpr float kPlateNear = 0.08f;
constexpr float kPlateFar = 0.92f;
constexpr float kPlateRadius = 0.225f;

// Horizontal extent of the plate's rounded square at height y, so strokes and
// fills can be cut to the plate without a layer mask.
void PlateSpanAt(float y, float* left, float* right) {
    const float upper = kPlateNear + kPlateRadius;
    const float lower = kPlateFar - kPlateRadius;
    float inset = 0;
    if (y < upper || y > lower) {
        const float dy = y < upper ? upper - y : y - lower;
        inset = kPlateRadius - std::sqrt(std::max(0.0f, kPlateRadius * kPlateRadius - dy * dy));
    }
    *left = kPlateNear + inset;
    *right = kPlateFar - inset;
}

// ---- launchpad ----------------------------------------------------------

constexpr D2D1_COLOR_F kLaunchpadCells[9] = {
    Rgba(1, 0.38f, 0.36f),    Rgba(1, 0.72f, 0.2f),      Rgba(0.32f, 0.85f, 0.45f),
    Rgba(0.24f, 0.72f, 1),    Rgba(0.65f, 0.45f, 1),     Rgba(1, 0.45f, 0.76f),
    Rgba(0.25f, 0.82f, 0.8f), Rgba(0.95f, 0.96f, 0.99f), Rgba(0.35f, 0.62f, 1),
};

// ---- file explorer ----------------------------------------------------------

constexpr D2D1_COLOR_F kExplorerFace = Rgba(0.07f, 0.16f, 0.32f, 0.9f);

// The face's profile from the top edge to the bottom edge of the plate.
void AddExplorerProfile(PathBuilder& path) {
    path.BezierTo({0.45f, 0.34f}, {0.43f, 0.5f}, {0.44f, 0.59f})
        .LineTo({0.54f, 0.59f})
        .BezierTo({0.49f, 0.72f}, {0.48f, 0.84f}, {0.53f, 0.92f});
}

// ---- calculator -------------------------------------------------------------

constexpr float kCalcCell = 0.135f;
constexpr float kCalcPitch = 0.167f;
constexpr float kCalcLeft = 0.182f;
constexpr float kCalcTop = 0.4f;

// ---- applications drawn by PaintAppGlyph -----------------------------------

struct PlateColors {
    D2D1_COLOR_F top;
    D2D1_COLOR_F bottom;
};

PlateColors AppPlate(BuiltinIconKind kind) {
    switch (kind) {
        case BuiltinIconTaskManager:
            return {Rgba(0.18f, 0.2f, 0.24f), Rgba(0.08f, 0.09f, 0.12f)};
        case BuiltinIconPaint:
        case BuiltinIconPhotos:
            return {Rgba(0.99f, 0.99f, 1), Rgba(0.91f, 0.93f, 0.97f)};
        case BuiltinIconStore:
        case BuiltinIconMail:
            return {Rgba(0.26f, 0.62f, 0.98f), Rgba(0.11f, 0.4f, 0.88f)};
        case BuiltinIconSnippingTool:
            return {Rgba(0.35f, 0.38f, 0.44f), Rgba(0.2f, 0.22f, 0.27f)};
        default:  // camera, clock
            return {Rgba(0.24f, 0.26f, 0.3f), Rgba(0.11f, 0.12f, 0.15f)};
    }
}

constexpr UnitPoint kPulse[] = {{0.18f, 0.5f}, {0.34f, 0.5f}, {0.43f, 0.3f},
                                {0.54f, 0.7f}, {0.63f, 0.5f}, {0.82f, 0.5f}};

struct Blob {
    UnitPoint centre;
    D2D1_COLOR_F color;
};
constexpr Blob kPaintBlobs[] = {
    {{0.38f, 0.42f}, Rgba(0.98f, 0.36f, 0.34f, 0.92f)},
    {{0.62f, 0.42f}, Rgba(0.22f, 0.68f, 0.98f, 0.92f)},
    {{0.5f, 0.62f}, Rgba(1, 0.76f, 0.16f, 0.92f)},
};

constexpr D2D1_COLOR_F kPetals[6] = {
    Rgba(1, 0.35f, 0.32f, 0.85f),    Rgba(1, 0.7f, 0.18f, 0.85f),      Rgba(0.32f, 0.84f, 0.44f, 0.85f),
    Rgba(0.2f, 0.72f, 0.98f, 0.85f), Rgba(0.58f, 0.42f, 0.98f, 0.85f), Rgba(1, 0.4f, 0.72f, 0.85f),
};

struct Segment {
    UnitPoint from;
    UnitPoint to;
};
constexpr Segment kLetterA[] = {
    {{0.5f, 0.25f}, {0.3f, 0.72f}}, {{0.5f, 0.25f}, {0.7f, 0.72f}}, {{0.25f, 0.6f}, {0.75f, 0.6f}}};
constexpr Segment kEnvelopeFlap[] = {{{0.22f, 0.32f}, {0.5f, 0.54f}}, {{0.78f, 0.32f}, {0.5f, 0.54f}}};
constexpr Segment kClockHands[] = {{{0.5f, 0.5f}, {0.5f, 0.31f}}, {{0.5f, 0.5f}, {0.64f, 0.58f}}};
constexpr Segment kTerminalPrompt[] = {
    {{0.25f, 0.34f}, {0.4f, 0.46f}}, {{0.4f, 0.46f}, {0.25f, 0.58f}}, {{0.45f, 0.6f}, {0.63f, 0.6f}}};
constexpr Segment kDownloadArrow[] = {
    {{0.5f, 0.44f}, {0.5f, 0.66f}}, {{0.4f, 0.57f}, {0.5f, 0.67f}}, {{0.6f, 0.57f}, {0.5f, 0.67f}}};

template <size_t N>
void DrawRoundSegments(ID2D1DeviceContext* context, const Segment (&segments)[N], D2D1_COLOR_F color, float width,
                       float s) {
    auto brush = SolidBrush(context, color);
    for (const Segment& segment : segments) {
        DrawRoundLine(context, brush.Get(), segment.from, segment.to, width, s);
    }
}

// Draws `draw` once per step, rotated by step × degrees about the icon centre
// on top of the transform that was current on entry.
template <typename Draw>
void DrawRotated(ID2D1DeviceContext* context, float s, int steps, float degrees, Draw draw) {
    D2D1_MATRIX_3X2_F entry;
    context->GetTransform(&entry);
    for (int n = 0; n < steps; ++n) {
        context->SetTransform(D2D1::Matrix3x2F::Rotation(n * degrees, D2D1::Point2F(0.5f * s, 0.5f * s)) *
                              D2D1::Matrix3x2F(entry._11, entry._12, entry._21, entry._22, entry._31, entry._32));
        draw(n);
    }
    context->SetTransform(entry);
}

// ---- recycle bin -------------------------------------------------------------

struct PaperBall {
    UnitPoint centre;
    float rx;
    float ry;
    D2D1_COLOR_F color;
};
constexpr PaperBall kPaper[] = {
    {{0.4f, 0.19f}, 0.11f, 0.08f, Rgba(0.88f, 0.91f, 0.96f, 0.96f)},
    {{0.58f, 0.18f}, 0.12f, 0.09f, Rgba(0.97f, 0.98f, 1, 0.96f)},
    {{0.5f, 0.21f}, 0.1f, 0.07f, Rgba(0.97f, 0.98f, 1, 0.96f)},
};

}  // namespace

void PaintLaunchpadGlyph(ID2D1DeviceContext* context, float s) {
    if (!context) return;
    DrawGradientPlate(context, s, Rgba(0.24f, 0.26f, 0.31f), Rgba(0.11f, 0.12f, 0.16f));
    constexpr float cell = 0.145f;
    constexpr float pitch = 0.2075f;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            auto brush = SolidBrush(context, kLaunchpadCells[row * 3 + column]);
            const float x = 0.22f + column * pitch;
            const float y = 0.22f + row * pitch;
            FillRoundRect(context, brush.Get(), {x, y, x + cell, y + cell}, 0.28f * cell, s);
        }
    }
}

void PaintFileExplorerGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float s) {
    if (!context) return;
    DrawGradientPlate(context, s, Rgba(0.85f, 0.94f, 1), Rgba(0.68f, 0.84f, 0.99f));

    // The left half, already cut to the plate: its left corners follow the
    // plate's radius instead of being masked by a layer.
    const float bend = kPlateNear + kPlateRadius;
    PathBuilder half(factory, s, {bend, kPlateNear}, true);
    half.LineTo({0.54f, kPlateNear});
    AddExplorerProfile(half);
    half.LineTo({bend, kPlateFar})
        .QuarterArcTo({kPlateNear, kPlateFar}, {kPlateNear, kPlateFar - kPlateRadius})
        .LineTo({kPlateNear, bend})
        .QuarterArcTo({kPlateNear, kPlateNear}, {bend, kPlateNear});
    auto halfGeometry = half.Finish(true);
    auto blue =
        UnitGradient(context, s, {0.08f, 0.08f}, {0.54f, 0.92f}, Rgba(0.24f, 0.65f, 1), Rgba(0.06f, 0.4f, 0.92f));
    if (halfGeometry && blue) context->FillGeometry(halfGeometry.Get(), blue.Get());

    // The profile ends on the plate's edges, where the clip would cut its round
    // caps away: flat ends are the same picture.
    PathBuilder profile(factory, s, {0.54f, kPlateNear}, false);
    AddExplorerProfile(profile);
    auto profileGeometry = profile.Finish(false);
    auto line = SolidBrush(context, Rgba(0.03f, 0.19f, 0.46f, 0.32f));
    auto joins = RoundJoinStrokeStyle(factory);
    if (profileGeometry && line) {
        context->DrawGeometry(profileGeometry.Get(), line.Get(), std::max(0.015f * s, 1.2f), joins.Get());
    }

    auto face = SolidBrush(context, kExplorerFace);
    for (float x : {0.3f, 0.7f}) {
        FillRoundRect(context, face.Get(), {x - 0.021f, 0.33f, x + 0.021f, 0.435f}, 0.021f, s);
    }
    const UnitPoint smileStart = {0.28f, 0.67f};
    const UnitPoint smileEnd = {0.72f, 0.67f};
    PathBuilder smile(factory, s, smileStart, false);
    smile.BezierTo({0.39f, 0.79f}, {0.61f, 0.79f}, smileEnd);
    auto smileGeometry = smile.Finish(false);
    const float smileWidth = std::max(0.036f * s, 2.0f);
    if (smileGeometry && face) {
        context->DrawGeometry(smileGeometry.Get(), face.Get(), smileWidth, joins.Get());
        // The caps continue the curve's end tangents.
        DrawRoundCap(context, face.Get(), {0.39f, 0.79f}, smileStart, smileWidth, s);
        DrawRoundCap(context, face.Get(), {0.61f, 0.79f}, smileEnd, smileWidth, s);
    }
}

void PaintBrowserGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float s) {
    if (!context) return;
    DrawGradientPlate(context, s, Rgba(0.98f, 0.99f, 1), Rgba(0.89f, 0.91f, 0.95f));
    constexpr float R = 0.335f;
    const UnitPoint centre = {0.5f, 0.5f};
    auto dial =
        UnitGradient(context, s, {0.5f, 0.5f - R}, {0.5f, 0.5f + R}, Rgba(0.18f, 0.72f, 1), Rgba(0.06f, 0.42f, 0.94f));
    FillCircle(context, dial.Get(), centre, R, s);

    auto tick = SolidBrush(context, Rgba(1, 1, 1, 0.85f));
    if (tick) {
        for (int n = 0; n < 24; ++n) {
            const float theta = n * 15.0f * kPi / 180.0f;
            const float inner = (n % 2 == 0 ? 0.78f : 0.85f) * R;
            const float outer = 0.93f * R;
            const float c = std::cos(theta);
            const float sn = std::sin(theta);
            context->DrawLine(Px(UnitPoint{0.5f + inner * c, 0.5f + inner * sn}, s),
                              Px(UnitPoint{0.5f + outer * c, 0.5f + outer * sn}, s), tick.Get(),
                              std::max(0.012f * s, 1.0f));
        }
    }

    // The needle: two triangles on one base across the centre.
    const float along = 0.78f * R;
    const float side = 0.16f * R;
    const float c = std::cos(-kPi / 4);
    const float sn = std::sin(-kPi / 4);
    const UnitPoint base1 = {0.5f - side * sn, 0.5f + side * c};
    const UnitPoint base2 = {0.5f + side * sn, 0.5f - side * c};
    struct Half {
        float direction;
        D2D1_COLOR_F color;
    };
    for (const Half& half : {Half{1, Rgba(0.98f, 0.25f, 0.22f)}, Half{-1, Rgba(0.98f, 0.98f, 1)}}) {
        const UnitPoint tip = {0.5f + half.direction * along * c, 0.5f + half.direction * along * sn};
        PathBuilder triangle(factory, s, tip, true);
        triangle.LineTo(base1).LineTo(base2);
        auto geometry = triangle.Finish(true);
        auto brush = SolidBrush(context, half.color);
        if (geometry && brush) context->FillGeometry(geometry.Get(), brush.Get());
    }
    auto pivot = SolidBrush(context, Rgba(0.85f, 0.88f, 0.92f));
    FillCircle(context, pivot.Get(), centre, 0.025f, s);
}

void PaintNotepadGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float s) {
    if (!context) return;
    DrawGradientPlate(context, s, Rgba(1, 1, 0.99f), Rgba(0.95f, 0.95f, 0.94f));

    // The header band cut to the plate: its top corners take the plate's radius.
    const float bend = kPlateNear + kPlateRadius;
    PathBuilder band(factory, s, {kPlateNear, 0.31f}, true);
    band.LineTo({kPlateNear, bend})
        .QuarterArcTo({kPlateNear, kPlateNear}, {bend, kPlateNear})
        .LineTo({kPlateFar - kPlateRadius, kPlateNear})
        .QuarterArcTo({kPlateFar, kPlateNear}, {kPlateFar, bend})
        .LineTo({kPlateFar, 0.31f});
    auto bandGeometry = band.Finish(true);
    auto yellow = UnitGradient(context, s, {0, 0.08f}, {0, 0.32f}, Rgba(1, 0.84f, 0.18f), Rgba(0.96f, 0.72f, 0.05f));
    if (bandGeometry && yellow) context->FillGeometry(bandGeometry.Get(), yellow.Get());

    auto rule = SolidBrush(context, Rgba(0.8f, 0.82f, 0.86f, 0.8f));
    if (rule) {
        for (int n = 0; n < 4; ++n) {
            const float y = 0.44f + 0.12f * n;
            float left = 0;
            float right = 0;
            PlateSpanAt(y, &left, &right);
            context->DrawLine(Px(UnitPoint{left, y}, s), Px(UnitPoint{right, y}, s), rule.Get(),
                              std::max(0.015f * s, 1.0f));
        }
    }
}

void PaintTerminalGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float s) {
    (void)factory;
    if (!context) return;
    DrawGradientPlate(context, s, Rgba(0.84f, 0.86f, 0.9f), Rgba(0.6f, 0.63f, 0.69f));
    auto screen = UnitGradient(context, s, {0, 0.14f}, {0, 0.86f}, Rgba(0.14f, 0.15f, 0.18f), Rgba(0.07f, 0.08f, 0.1f));
    FillRoundRect(context, screen.Get(), {0.14f, 0.14f, 0.86f, 0.86f}, 0.16f, s);
    DrawRoundSegments(context, kTerminalPrompt, Rgba(0.96f, 0.97f, 1, 0.96f), std::max(0.045f * s, 2.0f), s);
}

void PaintCalculatorGlyph(ID2D1DeviceContext* context, float s) {
    if (!context) return;
    DrawGradientPlate(context, s, Rgba(0.24f, 0.25f, 0.28f), Rgba(0.12f, 0.13f, 0.15f));
    auto display = SolidBrush(context, Rgba(0.07f, 0.08f, 0.09f, 0.9f));
    FillRoundRect(context, display.Get(), {0.18f, 0.18f, 0.82f, 0.34f}, 0.05f, s);
    auto orange = SolidBrush(context, Rgba(1, 0.58f, 0.08f));
    auto grey = SolidBrush(context, Rgba(0.42f, 0.44f, 0.48f));
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column) {
            const float x = kCalcLeft + column * kCalcPitch;
            const float y = kCalcTop + row * kCalcPitch;
            FillRoundRect(context, column == 3 ? orange.Get() : grey.Get(), {x, y, x + kCalcCell, y + kCalcCell},
                          0.35f * kCalcCell, s);
        }
    }
}

void PaintSettingsGlyph(ID2D1DeviceContext* context, float s) {
    if (!context) return;
    DrawGradientPlate(context, s, Rgba(0.78f, 0.81f, 0.86f), Rgba(0.46f, 0.49f, 0.55f));
    const UnitPoint centre = {0.5f, 0.5f};
    auto backing = SolidBrush(context, Rgba(0.22f, 0.24f, 0.28f, 0.9f));
    FillCircle(context, backing.Get(), centre, 0.29f, s);
    auto gear =
        UnitGradient(context, s, {0.5f, 0.2f}, {0.5f, 0.8f}, Rgba(0.96f, 0.97f, 0.99f), Rgba(0.72f, 0.75f, 0.8f));
    if (gear) {
        DrawRotated(context, s, 8, 45.0f, [&](int) {
            FillRoundRect(context, gear.Get(), {0.4575f, 0.19f, 0.5425f, 0.34f}, 0.0255f, s);
        });
        context->DrawEllipse(D2D1::Ellipse(Px(centre, s), 0.17f * s, 0.17f * s), gear.Get(), 0.08f * s);
    }
    auto hub = SolidBrush(context, Rgba(0.3f, 0.33f, 0.38f));
    FillCircle(context, hub.Get(), centre, 0.08f, s);
}

void PaintAppGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, BuiltinIconKind kind, float s) {
    if (!context || kind < BuiltinIconTaskManager || kind > BuiltinIconClock) return;
    const PlateColors plate = AppPlate(kind);
    DrawGradientPlate(context, s, plate.top, plate.bottom);
    const UnitPoint centre = {0.5f, 0.5f};
    switch (kind) {
        case BuiltinIconTaskManager: {
            auto brush = SolidBrush(context, Rgba(0.25f, 0.92f, 0.45f));
            for (size_t n = 0; n + 1 < std::size(kPulse); ++n) {
                DrawRoundLine(context, brush.Get(), kPulse[n], kPulse[n + 1], std::max(0.032f * s, 1.8f), s);
            }
            break;
        }
        case BuiltinIconPaint:
            for (const Blob& blob : kPaintBlobs) {
                auto brush = SolidBrush(context, blob.color);
                FillCircle(context, brush.Get(), blob.centre, 0.12f, s);
            }
            break;
        case BuiltinIconPhotos:
            DrawRotated(context, s, 6, 60.0f, [&](int n) {
                auto brush = SolidBrush(context, kPetals[n]);
                FillRoundRect(context, brush.Get(), {0.42f, 0.2f, 0.58f, 0.46f}, 0.08f, s);
            });
            break;
        case BuiltinIconStore:
            DrawRoundSegments(context, kLetterA, Rgba(1, 1, 1, 0.96f), std::max(0.048f * s, 2.2f), s);
            break;
        case BuiltinIconMail: {
            auto body = SolidBrush(context, Rgba(1, 1, 1, 0.96f));
            FillRoundRect(context, body.Get(), {0.2f, 0.3f, 0.8f, 0.7f}, 0.05f, s);
            DrawRoundSegments(context, kEnvelopeFlap, Rgba(0.16f, 0.48f, 0.9f, 0.9f), std::max(0.025f * s, 1.6f), s);
            break;
        }
        case BuiltinIconCamera: {
            auto outer = SolidBrush(context, Rgba(0.78f, 0.82f, 0.88f, 0.95f));
            FillCircle(context, outer.Get(), centre, 0.24f, s);
            auto inner = SolidBrush(context, Rgba(0.1f, 0.38f, 0.72f));
            FillCircle(context, inner.Get(), centre, 0.16f, s);
            break;
        }
        case BuiltinIconSnippingTool: {
            auto frame = SolidBrush(context, Rgba(0.96f, 0.97f, 1, 0.94f));
            if (frame) {
                context->DrawRoundedRectangle(
                    D2D1::RoundedRect(Px(UnitRect{0.25f, 0.28f, 0.75f, 0.72f}, s), 0.04f * s, 0.04f * s), frame.Get(),
                    std::max(0.03f * s, 1.8f));
            }
            break;
        }
        case BuiltinIconClock: {
            auto face = SolidBrush(context, Rgba(0.98f, 0.98f, 1, 0.96f));
            FillCircle(context, face.Get(), centre, 0.31f, s);
            DrawRoundSegments(context, kClockHands, Rgba(0.12f, 0.13f, 0.16f), std::max(0.03f * s, 1.8f), s);
            break;
        }
        default:
            break;
    }
    (void)factory;
}

void PaintFolderGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float s, bool downloads) {
    (void)factory;
    if (!context) return;
    auto tab = SolidBrush(context, Rgba(0.25f, 0.62f, 0.94f));
    FillRoundRect(context, tab.Get(), {0.1f, 0.18f, 0.46f, 0.36f}, 0.06f, s);
    auto body = UnitGradient(context, s, {0, 0.3f}, {0, 0.84f}, Rgba(0.45f, 0.8f, 1), Rgba(0.2f, 0.58f, 0.94f));
    FillRoundRect(context, body.Get(), {0.1f, 0.3f, 0.9f, 0.84f}, 0.08f, s);
    if (downloads) {
        DrawRoundSegments(context, kDownloadArrow, Rgba(0.08f, 0.32f, 0.62f, 0.72f), std::max(0.045f * s, 2.0f), s);
    }
}

void PaintRecycleBinGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float s, bool full) {
    if (!context) return;
    auto shadow = SolidBrush(context, Rgba(0, 0, 0, 0.22f));
    FillEllipse(context, shadow.Get(), {0.5f, 0.91f}, 0.56f * 0.42f, 0.045f, s);
    if (full) {
        for (const PaperBall& ball : kPaper) {
            auto brush = SolidBrush(context, ball.color);
            FillEllipse(context, brush.Get(), ball.centre, ball.rx, ball.ry, s);
        }
    }
    PathBuilder body(factory, s, {0.22f, 0.22f}, true);
    body.LineTo({0.78f, 0.22f}).LineTo({0.71f, 0.89f}).BezierTo({0.605f, 0.93f}, {0.395f, 0.93f}, {0.29f, 0.89f});
    auto bodyGeometry = body.Finish(true);
    auto metal = UnitGradient(context, s, {0.22f, 0.22f}, {0.78f, 0.22f}, Rgba(0.76f, 0.8f, 0.86f, 0.88f),
                              Rgba(0.54f, 0.58f, 0.65f, 0.9f));
    if (bodyGeometry && metal) context->FillGeometry(bodyGeometry.Get(), metal.Get());

    auto rib = SolidBrush(context, Rgba(1, 1, 1, 0.35f));
    if (rib) {
        for (int n = -2; n <= 2; ++n) {
            context->DrawLine(Px(UnitPoint{0.5f + n * 0.18f * 0.56f, 0.26f}, s),
                              Px(UnitPoint{0.5f + n * 0.18f * 0.42f, 0.88f}, s), rib.Get(), std::max(0.015f * s, 1.0f));
        }
    }
    auto rim =
        UnitGradient(context, s, {0.22f, 0.22f}, {0.78f, 0.22f}, Rgba(0.92f, 0.94f, 0.97f), Rgba(0.7f, 0.74f, 0.8f));
    FillEllipse(context, rim.Get(), {0.5f, 0.22f}, 0.28f, 0.06f, s);
    auto opening = SolidBrush(context, Rgba(0.34f, 0.38f, 0.44f, 0.8f));
    FillEllipse(context, opening.Get(), {0.5f, 0.22f}, 0.56f * 0.42f, 0.04f, s);
}

void PaintBuiltinGlyph(ID2D1DeviceContext* context, BuiltinIconKind kind, float s) {
    if (!context || kind == BuiltinIconNone) return;
    ComPtr<ID2D1Factory> factory;
    context->GetFactory(&factory);
    ID2D1Factory* f = factory.Get();
    switch (kind) {
        case BuiltinIconLaunchpad:
            PaintLaunchpadGlyph(context, s);
            break;
        case BuiltinIconFileExplorer:
            PaintFileExplorerGlyph(context, f, s);
            break;
        case BuiltinIconBrowser:
            PaintBrowserGlyph(context, f, s);
            break;
        case BuiltinIconNotepad:
            PaintNotepadGlyph(context, f, s);
            break;
        case BuiltinIconTerminal:
            PaintTerminalGlyph(context, f, s);
            break;
        case BuiltinIconCalculator:
            PaintCalculatorGlyph(context, s);
            break;
        case BuiltinIconSettings:
            PaintSettingsGlyph(context, s);
            break;
        case BuiltinIconFolder:
            PaintFolderGlyph(context, f, s, false);
            break;
        case BuiltinIconDownloadsFolder:
            PaintFolderGlyph(context, f, s, true);
            break;
        case BuiltinIconRecycleBinEmpty:
            PaintRecycleBinGlyph(context, f, s, false);
            break;
        case BuiltinIconRecycleBinFull:
            PaintRecycleBinGlyph(context, f, s, true);
            break;
        default:
            PaintAppGlyph(context, f, kind, s);
            break;
    }
}
