// Toast payloads to title and body, exactly, and hostile payloads that must
// neither crash nor hang.

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>

#include "notify/ToastText.h"
#include "platform/DetachedThread.h"

namespace {

struct Parsed {
    std::wstring title;
    std::wstring body;
    bool operator==(const Parsed&) const = default;
};

Parsed Parse(const std::string& payload) {
    Parsed out{L"junk", L"junk"};
    ParseToastPayload(reinterpret_cast<const unsigned char*>(payload.data()), payload.size(),
                      out.title, out.body);
    return out;
}

std::string Text(const std::string& fragment) {
    return ExtractXmlText(fragment.data(), fragment.size());
}

void PrintTo(const Parsed& p, std::ostream* os) {
    *os << "title(" << p.title.size() << ") body(" << p.body.size() << ")";
}

bool WellFormedUtf16(const std::wstring& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (IS_HIGH_SURROGATE(text[i])) {
            if (i + 1 >= text.size() || !IS_LOW_SURROGATE(text[i + 1])) return false;
            ++i;
        } else if (IS_LOW_SURROGATE(text[i])) {
            return false;
        }
    }
    return true;
}

// Runs work on a detached thread and fails when it costs more than two seconds
// of that thread's processor time: a busy machine stretches the clock, not the
// work. The wait only guards against a hang; the thread keeps only shared
// state, so a hang cannot touch the test.
template <typename Work>
void WithinTwoSeconds(const char* what, Work work) {
    struct Shared {
        std::mutex lock;
        std::condition_variable done;
        bool finished = false;
        double cpuSeconds = 0;
    };
    auto shared = std::make_shared<Shared>();
    platform::StartDetachedThread([shared, work] {
        work();
        FILETIME created, exited, kernel, user;
        GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
        auto ticks = [](const FILETIME& t) {
            return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        std::lock_guard<std::mutex> hold(shared->lock);
        shared->cpuSeconds = static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
        shared->finished = true;
        shared->done.notify_all();
    });
    std::unique_lock<std::mutex> hold(shared->lock);
    ASSERT_TRUE(shared->done.wait_for(hold, std::chrono::seconds(60), [&] { return shared->finished; }))
        << what << " did not finish";
    EXPECT_LE(shared->cpuSeconds, 2.0) << what << " took more than 2 s of its thread's processor time";
}

}  // namespace

TEST(ToastText, TitleBodyAndAttribution) {
    EXPECT_EQ(Parse("<toast><visual><binding><text>a</text><text>b</text><text>c</text>"
                    "</binding></visual></toast>"),
              (Parsed{L"a", L"b\nc"}));
    EXPECT_EQ(Parse("<toast><text placement=\"attribution\">via Web</text></toast>"),
              (Parsed{L"via Web", L""}));
    // An attribution text gives way to ordinary ones, wherever it stands.
    EXPECT_EQ(Parse("<text placement=\"attribution\">via</text><text hint-style=\"x\">t</text>"
                    "<text>\n  b  \n</text>"),
              (Parsed{L"t", L"b"}));
    EXPECT_EQ(Parse("<toast><text/><text /><textbox>x</textbox></toast>"), (Parsed{}));
    EXPECT_EQ(Parse("<TOAST><TEXT>Hello</TEXT><Text>World &amp; Co</Text></TOAST>"),
              (Parsed{L"Hello", L"World & Co"}));
    EXPECT_EQ(Parse("  plain words, no markup  "), (Parsed{L"", L"plain words, no markup"}));
    EXPECT_EQ(Parse("<toast>no text element</toast>"), (Parsed{}));
    EXPECT_EQ(Parse(""), (Parsed{}));
    EXPECT_EQ(Parse("<text>   </text><text>x</text>"), (Parsed{L"x", L""}));
    EXPECT_EQ(Parse("<text>\xE4\xB8\xAD\xE6\x96\x87</text>"), (Parsed{L"中文", L""}));
}

TEST(ToastText, MarkupAndEntities) {
    EXPECT_EQ(Text("&amp;lt;"), "&lt;");
    EXPECT_EQ(Text("&#x4E2D;&#20013;"), "\xE4\xB8\xAD\xE4\xB8\xAD");
    EXPECT_EQ(Text("&lt;&gt;&quot;&apos;&#X41;&#x1F600;"), "<>\"'A\xF0\x9F\x98\x80");
    EXPECT_EQ(Text("a&nbsp;b&#0;c&#;d&#x;e&#12a;"), "a&nbsp;b&#0;c&#;d&#x;e&#12a;");
    EXPECT_EQ(Text("&#0000000065;"), "A");                 // ';' 12 bytes after '&'
    EXPECT_EQ(Text("&#00000000065;"), "&#00000000065;");   // ';' 13 bytes after
    EXPECT_EQ(Text("a&#4294967363;b"), "ab");                      // not wrapped to 'C'
    EXPECT_EQ(Text("a&#x110000;b"), "ab");
    EXPECT_EQ(Text("a&#xD800;b&#55296;"), "a&#xD800;b&#55296;");   // surrogates stay
    EXPECT_EQ(Text("x&"), "x&");
    EXPECT_EQ(Text("<![CDATA[<b>&amp;</b>]]>!"), "<b>&</b>!");  // kept, then decoded once
    EXPECT_EQ(Text("<![CDATA[open <b>bold</b>"), "bold");  // unclosed CDATA is markup
    EXPECT_EQ(Text("<![CDATA[open"), "<![CDATA[open");
    EXPECT_EQ(Text("a <b>bold</b> < c"), "a bold < c");
    EXPECT_EQ(TrimWhitespace(L"\t\r\n x y \u3000"), L"x y");
}

TEST(ToastText, HostilePayloadsFinishQuickly) {
    WithinTwoSeconds("4 MiB of '<' in one text element", [] {
        std::string payload = "<text>" + std::string(4 << 20, '<') + "</text>";
        const Parsed out = Parse(payload);
        EXPECT_TRUE(out.title.size() <= kToastTextLimit && out.body.empty());
    });
    WithinTwoSeconds("a million '<' without '>' in a fragment", [] {
        const std::string fragment(1 << 20, '<');
        EXPECT_EQ(Text(fragment).size(), fragment.size());
        std::string cdata;
        for (int i = 0; i < 100000; ++i) cdata += "<![CDATA[";
        EXPECT_EQ(Text(cdata).size(), cdata.size());
    });
    WithinTwoSeconds("9,000 nested tags, as many as the part that is read holds", [] {
        std::string payload = "<text>";
        for (int i = 0; i < 9000; ++i) payload += "<b>";
        payload += "deep";
        for (int i = 0; i < 9000; ++i) payload += "</b>";
        payload += "</text>";
        EXPECT_EQ(Parse(payload), (Parsed{L"deep", L""}));
    });
    WithinTwoSeconds("a million entities", [] {
        std::string entities;
        for (int i = 0; i < 1000000; ++i) entities += (i % 2) ? "&#x4E2D;" : "&amp;";
        EXPECT_EQ(Text(entities).size(), 500000u * 4);
        // The closing tag lies past the first 64 KiB, which is all that is read.
        EXPECT_EQ(Parse("<text>" + entities.substr(0, 70000) + "</text>").title.size(), kToastTextLimit);
        const Parsed out = Parse("<text>" + entities.substr(0, 65000) + "</text>");
        EXPECT_EQ(out.title.size(), kToastTextLimit);
        EXPECT_EQ(out.title.substr(0, 2), L"&中");
    });
    WithinTwoSeconds("an emoji cut at the text limit", [] {
        std::string payload = "<text>x";
        for (int i = 0; i < 5000; ++i) payload += "\xF0\x9F\x98\x80";
        payload += "</text><text>b</text>";
        const Parsed out = Parse(payload);
        EXPECT_EQ(out.title.size(), kToastTextLimit - 1);
        EXPECT_TRUE(WellFormedUtf16(out.title));
        EXPECT_EQ(out.body, L"b");
    });
}

TEST(ToastText, RandomAndMutatedPayloadsStayWellFormed) {
    WithinTwoSeconds("10,000 random and mutated payloads", [] {
        static const char* const kPieces[] = {
            "<text>", "</text>", "<text placement=\"attribution\">", "<![CDATA[", "]]>", "<",
            ">", "&", ";", "&#x", "&#", "&amp;", "\xF0\x9F", "\x98\x80", "\xE4\xB8\xAD", "\xFF",
            "text", "/>", " ", "\n", "a", "Z", "0", "9", "F", "<TEXT>", "</TEXT>"};
        std::mt19937 random(20261209);
        for (int round = 0; round < 10000; ++round) {
            std::string payload;
            const int pieces = static_cast<int>(random() % 64);
            for (int i = 0; i < pieces; ++i) payload += kPieces[random() % std::size(kPieces)];
            for (int flips = static_cast<int>(random() % 4); flips > 0 && !payload.empty(); --flips) {
                payload[random() % payload.size()] = static_cast<char>(random() & 0xFF);
            }
            const Parsed out = Parse(payload);
            if (!WellFormedUtf16(out.title) || !WellFormedUtf16(out.body) ||
                out.title.size() > kToastTextLimit || out.body.size() > kToastTextLimit) {
                ADD_FAILURE() << "round " << round;
                return;
            }
        }
    });
}
