#pragma once
// A shortcut whose target is another shortcut is followed here before any
// shortcut reaches the shell: the shell follows such chains by recursing, so a
// loop (A -> B -> A) would take the calling thread's stack with it.

#include <string>

// The most shortcuts one chain may hold, the one started included.
inline constexpr int kMaxShortcutChainLinks = 8;

enum class ShortcutChainEnd {
    Program,    // ends at something that is no shortcut (or at a shortcut with no file target)
    Loop,       // a shortcut in the chain leads back to one met before
    TooLong,    // still a shortcut after kMaxShortcutChainLinks of them
    Malformed,  // a shortcut in the chain is refused by the link check
};

struct ShortcutChain {
    ShortcutChainEnd end = ShortcutChainEnd::Program;
    std::wstring last;  // the final target; for a loop, the path met twice; the malformed link
};

// Follows path while it names a .lnk file. Targets are expanded (known-folder
// ids, environment variables) before they are compared or followed. A link the
// link check refuses ends the chain unread by the shell. COM must be
// initialised on the calling thread.
ShortcutChain FollowShortcutChain(const std::wstring& path);

// True when path may be handed to the shell: no shortcut, or a chain that
// ends at a program. A refused chain is logged.
bool ShortcutChainIsSafe(const std::wstring& path);
// The same verdict on a chain already followed from path.
bool AcceptShortcutChain(const std::wstring& path, const ShortcutChain& chain);

bool IsShortcutPath(const std::wstring& path);
