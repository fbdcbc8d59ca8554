#include "dock/TextWarmUp.h"

#include <system_error>

#include "platform/DetachedThread.h"

void WarmLabelTextOnWorker(Microsoft::WRL::ComPtr<IDWriteFactory> factory) {
    if (!factory) return;
    try {
        platform::StartDetachedThread([factory] {
            // The same font, weight and locale as the label; Latin and CJK text
            // so both the font and its fallback are loaded.
            Microsoft::WRL::ComPtr<IDWriteTextFormat> format;
            Microsoft::WRL::ComPtr<IDWriteTextLayout> layout;
            const wchar_t sample[] = L"Ag \u8BBE\u7F6E \u5F00\u59CB";
            if (SUCCEEDED(factory->CreateTextFormat(L"Microsoft YaHei UI", nullptr, DWRITE_FONT_WEIGHT_SEMI_BOLD,
                                                    DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL, 12.5f,
                                                    L"zh-CN", &format)) &&
                SUCCEEDED(factory->CreateTextLayout(sample, static_cast<UINT32>(wcslen(sample)), format.Get(), 400.0f,
                                                    40.0f, &layout))) {
                DWRITE_TEXT_METRICS metrics = {};
                layout->GetMetrics(&metrics);
            }
        });
    } catch (const std::system_error&) {
        // Without a thread the first label loads the font itself.
    }
}
