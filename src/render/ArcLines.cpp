#include "render/ArcLines.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kFullTurn = 6.28318530718f;
}  // namespace

void AddArcLines(ID2D1GeometrySink* sink, D2D1_POINT_2F centre, float radius, float startAngle, float sweep,
                 D2D1_POINT_2F to) {
    if (!sink) return;
    const float maxStep = 2.0f * std::acos(std::max(1.0f - 0.25f / std::max(radius, 0.5f), -1.0f));
    const int steps = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / std::max(maxStep, 0.01f))));
    for (int i = 1; i < steps; ++i) {
        const float a = startAngle + sweep * static_cast<float>(i) / static_cast<float>(steps);
        sink->AddLine(D2D1::Point2F(centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)));
    }
    sink->AddLine(to);
}

void AddSmallClockwiseArcLines(ID2D1GeometrySink* sink, D2D1_POINT_2F from, D2D1_POINT_2F to, float radius) {
    const float dx = to.x - from.x, dy = to.y - from.y;
    const float half = 0.5f * std::sqrt(dx * dx + dy * dy);
    if (!sink || half <= 0.0f) return;
    const float r = std::max(radius, half);
    const float h = std::sqrt(std::max(r * r - half * half, 0.0f));
    const float ux = dx / (2 * half), uy = dy / (2 * half);
    // Turning clockwise along the smaller arc puts the centre on the right of
    // the chord's direction.
    const D2D1_POINT_2F centre = {from.x + dx / 2 - h * uy, from.y + dy / 2 + h * ux};
    const float start = std::atan2(from.y - centre.y, from.x - centre.x);
    float sweep = std::atan2(to.y - centre.y, to.x - centre.x) - start;
    while (sweep < 0) sweep += kFullTurn;
    while (sweep >= kFullTurn) sweep -= kFullTurn;
    AddArcLines(sink, centre, r, start, sweep, to);
}
