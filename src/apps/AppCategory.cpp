#include "apps/AppCategory.h"

const wchar_t* AppCategoryLabel(AppCategory category) {
    switch (category) {
        case AppCategory::All:
            return L"全部";
        case AppCategory::Office:
            return L"办公";
        case AppCategory::Social:
            return L"社交";
        case AppCategory::Media:
            return L"媒体";
        case AppCategory::Development:
            return L"开发";
        case AppCategory::Games:
            return L"游戏";
        case AppCategory::Other:
            break;
    }
    return L"其他";
}
