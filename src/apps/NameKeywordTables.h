#pragma once
// The keyword tables behind the name classifiers. Every list is matched against
// path keys (lower-case), in the order given; the sizes are fixed so an edit that
// drops or adds a word by accident fails to compile.

#include <iterator>
#include <string_view>
#include <utility>

namespace name_tables {

// The words are laid out by hand, several to a line.
// clang-format off

// Target extensions of documentation shortcuts.
inline constexpr std::wstring_view kDocumentationExtensions[] = {
    L".chm", L".hlp", L".html", L".htm", L".url", L".txt", L".pdf", L".doc", L".docx", L".msi",
};
static_assert(std::size(kDocumentationExtensions) == 10);

// Words in a shortcut name that mark documentation, tried in this order.
inline constexpr std::wstring_view kDocumentationNameWords[] = {
    L"卸载", L"uninstall", L"帮助", L"help", L"使用说明", L"手册", L"文档", L"readme", L"manual",
    L"documentation", L"release notes", L"changelog", L"license", L"website", L"主页", L"官网",
    L"官方网站", L"意见反馈", L"打字入门", L"皮肤下载", L"细胞词库", L"what is new", L"localization reference",
    L"skin format reference", L"samples",
};
static_assert(std::size(kDocumentationNameWords) == 25);

// Category keywords: media.
inline constexpr std::wstring_view kMediaKeywords[] = {
    L"music", L"音乐", L"网易云", L"qqmusic", L"酷狗", L"kugou", L"酷我", L"spotify", L"foobar",
    L"potplayer", L"vlc", L"mpv", L"video", L"视频", L"爱奇艺", L"iqiyi", L"腾讯视频", L"优酷",
    L"bilibili", L"哔哩哔哩", L"剪映", L"capcut", L"jianying", L"premiere", L"after effects",
    L"davinci", L"obs", L"照片", L"photos", L"相机", L"camera", L"photoshop", L"lightroom",
    L"illustrator", L"画图", L"mspaint", L"gimp", L"blender", L"audacity", L"媒体播放器",
    L"mediaplayer", L"电影", L"movies", L"douyin", L"抖音", L"快手",
};
static_assert(std::size(kMediaKeywords) == 46);

// Category keywords: browsers, chat and mail.
inline constexpr std::wstring_view kSocialKeywords[] = {
    L"edge", L"chrome", L"firefox", L"brave", L"opera", L"safari", L"浏览器", L"wechat", L"weixin",
    L"微信", L"qq", L"tim", L"钉钉", L"dingtalk", L"飞书", L"feishu", L"lark", L"telegram",
    L"discord", L"slack", L"zoom", L"teams", L"腾讯会议", L"wemeet", L"mail", L"邮件", L"outlook",
    L"thunderbird", L"迅雷", L"clash", L"v2ray",
};
static_assert(std::size(kSocialKeywords) == 31);

// Category keywords: office.
inline constexpr std::wstring_view kOfficeKeywords[] = {
    L"word", L"excel", L"powerpoint", L"wps", L"office", L"onenote", L"notion", L"obsidian",
    L"typora", L"notepad", L"记事本", L"acrobat", L"pdf", L"xmind", L"mindmaster", L"visio", L"日历",
    L"calendar", L"todo", L"待办", L"便签", L"sticky", L"翻译", L"youdao", L"deepl",
};
static_assert(std::size(kOfficeKeywords) == 25);

// Category keywords: development and tools.
inline constexpr std::wstring_view kDevelopmentKeywords[] = {
    L"code", L"visual studio", L"devenv", L"pycharm", L"idea", L"clion", L"webstorm", L"goland",
    L"rider", L"android studio", L"antigravity", L"cursor", L"sublime", L"git", L"terminal",
    L"终端", L"docker", L"postman", L"wireshark", L"fiddler", L"python", L"node", L"7-zip",
    L"winrar", L"bandizip", L"everything", L"截图", L"snipping", L"计算器", L"calc", L"任务管理器",
    L"taskmgr", L"bambu", L"prusaslicer", L"cura", L"fusion", L"autocad", L"vmware",
    L"virtualbox", L"putty", L"xshell", L"mobaxterm", L"navicat", L"dbeaver",
};
static_assert(std::size(kDevelopmentKeywords) == 44);

// Category keywords: games.
inline constexpr std::wstring_view kGamesKeywords[] = {
    L"steam", L"epic", L"wegame", L"battle.net", L"blizzard", L"riot", L"valorant", L"league",
    L"英雄联盟", L"ea app", L"ubisoft", L"uplay", L"xbox", L"minecraft", L"genshin", L"原神",
    L"starrail", L"星穹铁道", L"mihoyo", L"米哈游", L"playnite", L"gog", L"nvidia app", L"geforce",
};
static_assert(std::size(kGamesKeywords) == 24);

// Target extensions that are never a main application.
inline constexpr std::wstring_view kAuxiliaryExtensions[] = {
    L".chm", L".hlp", L".html", L".htm", L".url", L".txt", L".pdf", L".doc", L".docx", L".msc",
    L".cpl", L".bat", L".vbs", L".ps1", L".msi",
};
static_assert(std::size(kAuxiliaryExtensions) == 15);

// Words in a name that mark an auxiliary entry, tried in this order.
inline constexpr std::wstring_view kAuxiliaryNameWords[] = {
    L"卸载", L"uninstall", L"帮助", L"使用说明", L"手册", L"文档", L"readme", L"manual", L"documentation",
    L"release notes", L"changelog", L"license", L"website", L"主页", L"官网", L"native tools",
    L"command prompt", L"developer powershell", L"odbc", L"iscsi", L"步骤记录器", L"字符映射表", L"内存诊断",
    L"恢复驱动器", L"组件服务", L"事件查看器", L"性能监视器", L"资源监视器", L"本地安全策略", L"打印管理", L"传真和扫描", L"讲述人",
    L"放大镜", L"屏幕键盘", L"快速助手", L"获取帮助", L"反馈中心", L"入门", L"提示", L"module docs", L"python manuals",
    L"idle (", L"git bash", L"git cmd", L"git faqs", L"git release", L"node.js command",
    L"实时字幕", L"语音访问", L"注册表编辑器", L"碎片整理", L"磁盘清理", L"系统信息", L"系统配置", L"计划任务", L"计算机管理", L"远程桌面",
    L"写字板", L"power automate", L"cortana", L"microsoft family", L"mixed reality", L"3d viewer",
    L"dev home", L"windows powershell ise", L"powershell ise", L"windows 备份", L"windows backup",
    L"windows 安全中心", L"快速启动", L"修复",
};
static_assert(std::size(kAuxiliaryNameWords) == 71);

// Executables that are main applications whatever else their name says.
inline constexpr std::wstring_view kMainProgramFiles[] = {
    L"explorer.exe", L"msedge.exe", L"chrome.exe", L"firefox.exe", L"code.exe", L"wt.exe",
    L"notepad.exe", L"calc.exe", L"calculatorapp.exe", L"mspaint.exe", L"taskmgr.exe",
    L"systemsettings.exe", L"devenv.exe", L"wechat.exe", L"weixin.exe", L"qq.exe", L"tim.exe",
    L"dingtalk.exe", L"feishu.exe", L"wps.exe",
};
static_assert(std::size(kMainProgramFiles) == 20);

// System tools that are never listed as main applications.
inline constexpr std::wstring_view kSystemToolFiles[] = {
    L"msiexec.exe", L"rundll32.exe", L"hh.exe", L"mmc.exe", L"regedit.exe", L"cmd.exe",
    L"powershell.exe", L"powershell_ise.exe", L"conhost.exe", L"cscript.exe", L"wscript.exe",
    L"narrator.exe", L"magnify.exe", L"osk.exe", L"psr.exe", L"charmap.exe", L"mdsched.exe",
    L"rstrui.exe", L"recoverydrive.exe", L"dfrgui.exe", L"cleanmgr.exe", L"msinfo32.exe",
    L"perfmon.exe", L"resmon.exe", L"eventvwr.exe", L"odbcad32.exe", L"iscsicpl.exe",
    L"wfs.exe", L"wordpad.exe", L"quickassist.exe", L"mstsc.exe", L"msconfig.exe",
    L"control.exe", L"dxdiag.exe", L"winver.exe", L"taskschd.msc", L"werfault.exe",
    L"wermgr.exe", L"migwiz.exe", L"sethc.exe",
};
static_assert(std::size(kSystemToolFiles) == 40);

// Executable name fragments of installers, updaters and background parts.
inline constexpr std::wstring_view kAuxiliaryFileFragments[] = {
    L"unins", L"setup", L"update", L"updater", L"crash", L"helper", L"daemon", L"agent",
    L"broker", L"elevat", L"dump", L"repair", L"reset", L"diag", L"service", L"console",
    L"cli.exe",
};
static_assert(std::size(kAuxiliaryFileFragments) == 17);

// Packaged system apps that are auxiliary.
inline constexpr std::wstring_view kAuxiliaryPackageIds[] = {
    L"microsoft.gethelp", L"microsoft.getstarted", L"microsoft.windowsfeedbackhub",
    L"microsoft.windows.parentalcontrols", L"microsoft.mixedreality",
    L"microsoft.powerautomatedesktop", L"microsoft.windows.devhome",
    L"microsoftwindows.client.cbs", L"windows.immersivecontrolpanel",
    L"microsoft.xboxgamingoverlay", L"microsoft.xboxgamecallableui",
};
static_assert(std::size(kAuxiliaryPackageIds) == 11);

// Words that make a folder member a better representative of its folder.
inline constexpr std::wstring_view kRepresentativeBonusWords[] = {
    L"管理器", L"manager", L"设置", L"settings", L"主程序", L"file manager",
};
static_assert(std::size(kRepresentativeBonusWords) == 6);

// Words that make a folder member a worse representative of its folder.
inline constexpr std::wstring_view kRepresentativePenaltyWords[] = {
    L"修复", L"向导", L"x86", L"wow", L"debug", L"samples", L"ise", L"cross tools",
};
static_assert(std::size(kRepresentativePenaltyWords) == 8);

// Hanzi whose first pinyin letter the code-page table cannot give (level-2
// characters common in application names).
inline constexpr std::pair<wchar_t, wchar_t> kInitialOverrides[] = {
    {L'哔', L'B'},
    {L'哩', L'L'},
    {L'喵', L'M'},
    {L'嘀', L'D'},
    {L'哒', L'D'},
    {L'嗨', L'H'},
    {L'炫', L'X'},
    {L'咪', L'M'},
    {L'咕', L'G'},
    {L'咚', L'D'},
    {L'咔', L'K'},
    {L'喔', L'W'},
    {L'咦', L'Y'},
    {L'鑫', L'X'},
    {L'麒', L'Q'},
    {L'麟', L'L'},
    {L'鲲', L'K'},
    {L'岚', L'L'},
    {L'昇', L'S'},
    {L'茗', L'M'},
    {L'瑄', L'X'},
    {L'睿', L'R'},
    {L'魅', L'M'},
    {L'讯', L'X'},
};
static_assert(std::size(kInitialOverrides) == 24);

// First codes of each pinyin initial among the level-1 hanzi of code page 936,
// which are ordered by pinyin. No hanzi reading starts with I, U or V.
inline constexpr std::pair<unsigned, wchar_t> kGb2312InitialBoundaries[] = {
    {0xB0A1, L'A'}, {0xB0C5, L'B'}, {0xB2C1, L'C'}, {0xB4EE, L'D'}, {0xB6EA, L'E'},
    {0xB7A2, L'F'}, {0xB8C1, L'G'}, {0xB9FE, L'H'}, {0xBBF7, L'J'}, {0xBFA6, L'K'},
    {0xC0AC, L'L'}, {0xC2E8, L'M'}, {0xC4C3, L'N'}, {0xC5B6, L'O'}, {0xC5BE, L'P'},
    {0xC6DA, L'Q'}, {0xC8BB, L'R'}, {0xC8F6, L'S'}, {0xCBFA, L'T'}, {0xCDDA, L'W'},
    {0xCEF4, L'X'}, {0xD1B9, L'Y'}, {0xD4D1, L'Z'},
};
static_assert(std::size(kGb2312InitialBoundaries) == 23);

// clang-format on

}  // namespace name_tables
