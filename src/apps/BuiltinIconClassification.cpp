#include "apps/BuiltinIcons.h"

#include "config/PathText.h"

namespace {

// One row of the classification; the first row whose test holds decides.
// Each list ends with a null pointer.
struct KindRule {
    BuiltinIconKind kind;
    const wchar_t* const* fileNames;
    const wchar_t* const* pathParts;
    const wchar_t* const* displayNames;
};

const wchar_t* const kNone[] = {nullptr};

const wchar_t* const kRecyclePath[] = {L"recyclebinfolder", nullptr};
const wchar_t* const kExplorerFiles[] = {L"explorer.exe", nullptr};
const wchar_t* const kExplorerPath[] = {L"\\explorer.exe", L"microsoft.windows.explorer", nullptr};
const wchar_t* const kExplorerNames[] = {L"文件资源管理器", L"资源管理器", nullptr};
const wchar_t* const kEdgeFiles[] = {L"msedge.exe", nullptr};
const wchar_t* const kEdgePath[] = {L"\\msedge.exe", L"microsoft.microsoftedge", nullptr};
const wchar_t* const kEdgeNames[] = {L"microsoft edge", nullptr};
const wchar_t* const kNotepadFiles[] = {L"notepad.exe", nullptr};
const wchar_t* const kNotepadPath[] = {L"\\notepad.exe", L"windowsnotepad", nullptr};
const wchar_t* const kNotepadNames[] = {L"记事本", nullptr};
const wchar_t* const kTerminalFiles[] = {L"wt.exe", L"cmd.exe", L"powershell.exe", L"pwsh.exe", L"windowsterminal.exe",
                                         nullptr};
const wchar_t* const kTerminalPath[] = {L"\\wt.exe",   L"windowsterminal", L"\\powershell.exe",
                                        L"\\pwsh.exe", L"\\cmd.exe",       nullptr};
const wchar_t* const kTerminalNames[] = {L"终端", L"windows 终端", L"命令提示符", nullptr};
const wchar_t* const kCalcFiles[] = {L"calc.exe", L"calculatorapp.exe", nullptr};
const wchar_t* const kCalcPath[] = {L"\\calc.exe", L"windowscalculator", L"calculatorapp", nullptr};
const wchar_t* const kCalcNames[] = {L"计算器", nullptr};
const wchar_t* const kSettingsFiles[] = {L"systemsettings.exe", L"control.exe", nullptr};
const wchar_t* const kSettingsPath[] = {L"immersivecontrolpanel", L"systemsettings.exe", L"\\control.exe", nullptr};
const wchar_t* const kSettingsNames[] = {L"设置", L"控制面板", nullptr};
const wchar_t* const kTaskFiles[] = {L"taskmgr.exe", nullptr};
const wchar_t* const kTaskPath[] = {L"\\taskmgr.exe", L"\\resmon.exe", nullptr};
const wchar_t* const kTaskNames[] = {L"任务管理器", nullptr};
const wchar_t* const kPaintFiles[] = {L"mspaint.exe", nullptr};
const wchar_t* const kPaintPath[] = {L"\\mspaint.exe", L"microsoft.paint", nullptr};
const wchar_t* const kPaintNames[] = {L"画图", nullptr};
const wchar_t* const kPhotosPath[] = {L"microsoft.windows.photos", L"microsoft.photos", nullptr};
const wchar_t* const kPhotosNames[] = {L"照片", nullptr};
const wchar_t* const kStorePath[] = {L"microsoft.windowsstore", L"winstore.app", nullptr};
const wchar_t* const kStoreNames[] = {L"microsoft store", nullptr};
const wchar_t* const kMailPath[] = {L"windowscommunicationsapps", L"outlookforwindows", nullptr};
const wchar_t* const kMailNames[] = {L"邮件", nullptr};
const wchar_t* const kCameraPath[] = {L"microsoft.windowscamera", nullptr};
const wchar_t* const kCameraNames[] = {L"相机", nullptr};
const wchar_t* const kSnipPath[] = {L"screenclippinghost", L"snippingtool", L"screensketch", nullptr};
const wchar_t* const kSnipNames[] = {L"截图工具", nullptr};
const wchar_t* const kClockPath[] = {L"windowsalarms", nullptr};
const wchar_t* const kClockNames[] = {L"时钟", nullptr};

const KindRule kRules[] = {
    {BuiltinIconRecycleBinEmpty, kNone, kRecyclePath, kNone},
    {BuiltinIconFileExplorer, kExplorerFiles, kExplorerPath, kExplorerNames},
    {BuiltinIconBrowser, kEdgeFiles, kEdgePath, kEdgeNames},
    {BuiltinIconNotepad, kNotepadFiles, kNotepadPath, kNotepadNames},
    {BuiltinIconTerminal, kTerminalFiles, kTerminalPath, kTerminalNames},
    {BuiltinIconCalculator, kCalcFiles, kCalcPath, kCalcNames},
    {BuiltinIconSettings, kSettingsFiles, kSettingsPath, kSettingsNames},
    {BuiltinIconTaskManager, kTaskFiles, kTaskPath, kTaskNames},
    {BuiltinIconPaint, kPaintFiles, kPaintPath, kPaintNames},
    {BuiltinIconPhotos, kNone, kPhotosPath, kPhotosNames},
    {BuiltinIconStore, kNone, kStorePath, kStoreNames},
    {BuiltinIconMail, kNone, kMailPath, kMailNames},
    {BuiltinIconCamera, kNone, kCameraPath, kCameraNames},
    {BuiltinIconSnippingTool, kNone, kSnipPath, kSnipNames},
    {BuiltinIconClock, kNone, kClockPath, kClockNames},
};

bool EqualsAnyOf(std::wstring_view text, const wchar_t* const* names) {
    for (; *names; ++names) {
        if (text == *names) return true;
    }
    return false;
}

bool RuleHolds(const KindRule& rule, const std::wstring& path, const std::wstring& file, const std::wstring& name) {
    if (rule.kind == BuiltinIconSettings && path.rfind(L"ms-settings:", 0) == 0) return true;
    // An empty list must not match: ContainsAnyOf treats an empty needle as a hit,
    // but a list without needles has none.
    return EqualsAnyOf(file, rule.fileNames) || (*rule.pathParts && ContainsAnyOf(path, rule.pathParts)) ||
           EqualsAnyOf(name, rule.displayNames);
}

}  // namespace

bool ContainsAnyOf(std::wstring_view text, const wchar_t* const* needles) {
    if (!needles) return false;
    for (; *needles; ++needles) {
        std::wstring_view needle(*needles);
        if (needle.empty() || text.find(needle) != std::wstring_view::npos) return true;
    }
    return false;
}

BuiltinIconKind BuiltinIconKindByName(const std::wstring& path, const std::wstring& displayName) {
    const std::wstring normalPath = NormalizePathKey(path);
    const std::wstring name = NormalizePathKey(displayName);
    const std::wstring file = FileNameOf(normalPath);
    for (const KindRule& rule : kRules) {
        if (RuleHolds(rule, normalPath, file, name)) return rule.kind;
    }
    return BuiltinIconNone;
}

BuiltinIconKind BuiltinIconKindFor(const std::wstring& path, const std::wstring& displayName) {
    if (const BuiltinIconKind byName = BuiltinIconKindByName(path, displayName); byName != BuiltinIconNone) {
        return byName;
    }
    const std::wstring normalPath = NormalizePathKey(path);
    if (normalPath.size() > 2 && normalPath[1] == L':') {
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return normalPath.find(L"\\downloads") != std::wstring::npos ? BuiltinIconDownloadsFolder
                                                                         : BuiltinIconFolder;
        }
    }
    return BuiltinIconNone;
}
