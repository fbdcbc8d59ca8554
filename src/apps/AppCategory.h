#pragma once
// The launcher's category of an application.

#include <cstdint>

enum class AppCategory : int32_t {
    All = 0,  // filter value only; never given to an application
    Office = 1,
    Social = 2,
    Media = 3,
    Development = 4,
    Games = 5,
    Other = 6,
};

// The tab label of a category ("全部", "办公", ...); "其他" for unknown values.
const wchar_t* AppCategoryLabel(AppCategory category);
