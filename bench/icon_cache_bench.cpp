// Icon cache figures: reading and writing one 160 x 160 cache file, the name
// computation of a drive-path key, and the classification of an item that
// matches no name.

#include "apps/BuiltinIcons.h"
#include "apps/IconDiskCache.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

template <typename Work>
double MicrosecondsPer(int rounds, Work work) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) work(i);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::micro>(elapsed).count() / rounds;
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"vantreel_icon_bench";
    const std::wstring file = folder + L"\\iconcache\\bench.vti";

    IconBitmap bitmap;
    bitmap.width = bitmap.height = 160;
    bitmap.pixels.assign(160 * 160 * 4, 0x80);
    constexpr int rounds = 500;

    const double write = MicrosecondsPer(rounds, [&](int) { WriteIconCacheFileAt(file, bitmap); });
    IconBitmap out;
    const double read = MicrosecondsPer(rounds, [&](int) { ReadIconCacheFileAt(file, out); });
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const double name =
        MicrosecondsPer(rounds * 10, [&](int) { IconCacheFilePathIn(folder, L"c:\\tools\\app.exe@48#mac", self); });
    const double classify = MicrosecondsPer(
        rounds * 10, [&](int) { BuiltinIconKindFor(L"C:\\Program Files\\Some Vendor\\Tool.exe", L"Some Tool"); });

    printf("icon cache file write (160x160): %.1f us\n", write);
    printf("icon cache file read (160x160):  %.1f us\n", read);
    printf("cache file name of a drive path: %.2f us\n", name);
    printf("classification without a match:  %.2f us\n", classify);

    DeleteFileW(file.c_str());
    RemoveDirectoryW((folder + L"\\iconcache").c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
