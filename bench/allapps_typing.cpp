// Typing a search into the launcher on the real device and compositor, 2000
// entries: from each WM_CHAR sent to the panel to the committed frame (the
// field's new pixels on the screen), median, 95th percentile and max, split
// into the filter (ApplyFilterAndLayout run again on the same text), the
// painting (the rest of the message) and the compose (Commit).
// What the user feels first is a text the launcher has never shown, so every
// round types a string no round typed before: texts that match nothing (the
// grid stays empty, only the field changes), then texts whose every key
// changes the grid. Erasing a string shows texts typed before: that is the
// known-text figure.
// Each keystroke is followed by the baseline: the bare commit and present of a
// frame of a window the panel's size in which one pixel changed (nothing
// painted, next to nothing composed); both and their ratios are printed, so
// the figures can be judged on a loaded machine. Targets for a new text:
// median at most 1.3 times the baseline's, 95th percentile at most twice its.

#include <windows.h>

#include <cstdio>
#include <vector>

#include "BenchLauncher.h"
#include "BenchTiming.h"

namespace {

struct Samples {
    std::vector<double> total, filter, paint, compose, baseline;
};

void Report(const char* what, const std::vector<double>& values) {
    std::printf("  %-9s median %7.3f ms, p95 %7.3f ms, max %7.3f ms\n", what, bench::Percentile(values, 0.5),
                bench::Percentile(values, 0.95), bench::Percentile(values, 1.0));
}

// A layered window the launcher's size on its own target, whose one-pixel
// sprite changes colour at every Present.
class BareFrame {
public:
    BareFrame(CompositionHost& host, const RECT& rect) : host_(host) {
        window_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        target_ = host.compositor.CreateDesktopWindowTarget(window_, true);
        comp::ContainerVisual root = host.compositor.CreateContainerVisual();
        root.RelativeSizeAdjustment({1.0f, 1.0f});
        target_.Root(root);
        pixel_ = host.compositor.CreateSpriteVisual();
        pixel_.Size({1.0f, 1.0f});
        brush_ = host.compositor.CreateColorBrush({255, 255, 255, 255});
        pixel_.Brush(brush_);
        root.Children().InsertAtTop(pixel_);
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        host.compositor.Commit();
    }
    BareFrame(const BareFrame&) = delete;
    BareFrame& operator=(const BareFrame&) = delete;
    ~BareFrame() {
        target_ = nullptr;
        if (window_) DestroyWindow(window_);
    }

    // Milliseconds from the change to the presented frame.
    double Present() {
        flip_ = !flip_;
        const double start = bench::NowMs();
        brush_.Color({255, flip_ ? uint8_t{0} : uint8_t{255}, 255, 255});
        host_.compositor.Commit();
        return bench::NowMs() - start;
    }

private:
    CompositionHost& host_;
    HWND window_ = nullptr;
    comp::DesktopWindowTarget target_{nullptr};
    comp::SpriteVisual pixel_{nullptr};
    comp::CompositionColorBrush brush_{nullptr};
    bool flip_ = false;
};

}  // namespace

int main() {
    bench::Device device;
    if (!device.Start("allapps_typing")) return 1;
    CompositionHost& host = device.host;
    {
        bench::Launcher launcher{device};
        AllAppsWindow& apps = launcher.apps;
        apps.PrebuildHiddenVisuals();
        launcher.Toggle();
        host.compositor.Commit();
        bench::Pump();
        RECT rect = {};
        GetWindowRect(apps.Window(), &rect);
        BareFrame bare(host, rect);

        // Each string starts with a letter of its own, so no prefix of one is a
        // prefix of another. The first set's letters occur in no name or path
        // of the catalog.
        const wchar_t* const unmatched[] = {L"qxzzy plugh", L"jwkz bxqv", L"xkcd bjwq", L"zqwx kbjz",
                                            L"kbjw zqxq",   L"wzqk xjbb", L"bqjx wkzz", L"Qzxw jkbq",
                                            L"Jkqz wbxx",   L"Xwbq zjkk", L"Zkxj qwbb", L"Kqbw xzjj"};
        const wchar_t* const matching[] = {L"visual studio 4", L"photo editor 2", L"music player 1",
                                           L"office mail 3",   L"chat notes 5",   L"game code 6"};
        Samples fresh, known, grid;
        auto key = [&](wchar_t unit, Samples* into) {
            const double start = bench::NowMs();
            SendMessageW(apps.Window(), WM_CHAR, unit, 0);
            const double handled = bench::NowMs();
            host.compositor.Commit();
            const double committed = bench::NowMs();
            apps.ApplyFilterAndLayout();
            const double filter = bench::NowMs() - committed;
            bench::Pump();
            const double baseline = bare.Present();
            bench::Pump();
            if (!into) return;
            into->total.push_back(committed - start);
            into->filter.push_back(filter);
            into->paint.push_back(handled - start - filter);
            into->compose.push_back(committed - handled);
            into->baseline.push_back(baseline);
        };
        auto typeAndErase = [&](const std::wstring& text, Samples* first, Samples* rest) {
            for (size_t i = 0; i < text.size(); ++i) key(text[i], i == 0 ? first : rest);
            // The last backspace brings the whole catalog back: not a text of its own.
            for (size_t i = 0; i < text.size(); ++i) key(L'\b', i + 1 < text.size() ? &known : nullptr);
        };
        // The first key of an unmatched string empties the grid: counted with
        // the grid changes.
        for (const wchar_t* text : unmatched) typeAndErase(text, &grid, &fresh);
        for (const wchar_t* text : matching) typeAndErase(text, &grid, &grid);

        auto section = [](const char* title, const Samples& samples) {
            std::printf("%s, %llu keystrokes:\n", title, static_cast<unsigned long long>(samples.total.size()));
            Report("total", samples.total);
            Report("filter", samples.filter);
            Report("paint", samples.paint);
            Report("compose", samples.compose);
            Report("baseline", samples.baseline);
            const double base = bench::Percentile(samples.baseline, 0.5);
            const double base95 = bench::Percentile(samples.baseline, 0.95);
            std::printf("  keystroke / baseline: median %.1f / %.1f ms = %.2f, p95 %.1f / %.1f ms = %.2f\n",
                        bench::Percentile(samples.total, 0.5), base,
                        base > 0.0 ? bench::Percentile(samples.total, 0.5) / base : 0.0,
                        bench::Percentile(samples.total, 0.95), base95,
                        base95 > 0.0 ? bench::Percentile(samples.total, 0.95) / base95 : 0.0);
        };
        std::printf(
            "WM_CHAR to committed frame, 2000 entries (target for a new text: median <= 1.3 x baseline, "
            "p95 <= 2 x baseline p95)\n");
        section("new text, grid unchanged", fresh);
        section("new text changing the grid", grid);
        section("known text (erasing)", known);
    }
    return 0;
}
