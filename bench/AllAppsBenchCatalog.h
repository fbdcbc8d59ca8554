#pragma once
// A 2000-entry catalog with 150 folders of three, for the launcher's benchmarks.

#include <string>
#include <vector>

#include "apps/InstalledApp.h"
#include "config/PathText.h"

inline std::vector<InstalledApp> BenchCatalog() {
    static const wchar_t* const words[] = {L"Visual", L"Studio", L"Code", L"Photo", L"Editor", L"Music",
                                           L"Player", L"Office", L"Mail", L"Chat",  L"Game",   L"Notes"};
    auto make = [](const std::wstring& name, int i) {
        InstalledApp app;
        app.name = name;
        app.nameKey = NormalizePathKey(name);
        app.launchId = L"C:\\Bench\\" + std::to_wstring(i) + L".lnk";
        app.targetPath = L"C:\\Bench\\app" + std::to_wstring(i) + L".exe";
        app.category = static_cast<AppCategory>(1 + i % 6);
        app.initial = static_cast<wchar_t>(L'A' + i % 26);
        app.isPrimary = i % 9 != 0;
        return app;
    };
    std::vector<InstalledApp> catalog;
    int n = 0;
    for (int i = 0; catalog.size() < 2000; ++i) {
        const std::wstring name = std::wstring(words[i % 12]) + L" " + words[(i / 12) % 12] + L" " + std::to_wstring(i);
        if (i < 150) {
            InstalledApp folder = make(name + L" Suite", n++);
            folder.isFolder = true;
            for (int c = 0; c < 3; ++c) folder.children.push_back(make(name + L" Tool " + std::to_wstring(c), n++));
            folder.launchId = folder.children.front().launchId;
            catalog.push_back(folder);
        } else {
            catalog.push_back(make(name, n++));
        }
    }
    return catalog;
}
