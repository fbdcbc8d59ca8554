#include <gtest/gtest.h>

#include "config/JsonReader.h"
#include "config/JsonWriter.h"

#include <cmath>
#include <string>

namespace {

bool ReadString(std::string_view text, std::wstring& out) { return JsonReader(text).ReadString(out); }
bool Skips(std::string_view text) { return JsonReader(text).SkipValue(); }

}  // namespace

TEST(JsonReader, Strings) {
    const std::pair<std::string_view, std::wstring> good[] = {
        {R"("a\"b\\c\/d\b\f\n\r\t")", L"a\"b\\c/d\b\f\n\r\t"},
        {R"("\u00e9\u4E2D\u0041")", L"\u00e9\u4e2dA"},
        {R"("\q\x")", L"qx"},
        {" \t\r\n\"line\nfeed\"", L"line\nfeed"},
        {"\"\"", L""},
        {"\"\xe4\xb8\xad\xe6\x96\x87\"", L"\u4e2d\u6587"},
        {R"("a\u0000b")", std::wstring(L"a\0b", 3)},
        {"\"a\xff" "b\"", L"a\xFFFD" L"b"},
    };
    for (const auto& [text, expected] : good) {
        std::wstring out;
        EXPECT_TRUE(ReadString(text, out)) << text;
        EXPECT_EQ(out, expected) << text;
    }
    std::wstring pair;  // escaped surrogates never combine
    ASSERT_TRUE(ReadString(R"("\uD83D\uDE00")", pair));
    EXPECT_EQ(pair, std::wstring(pair.size(), L'\xFFFD'));
    EXPECT_FALSE(pair.empty());
    for (std::string_view bad : {"", "x", "'single'", "\"open", "\"ends in escape\\",
                                 R"("\u12")", R"("\u12g4")", "123"}) {
        std::wstring out = L"keep";
        EXPECT_FALSE(ReadString(bad, out)) << bad;
        EXPECT_EQ(out, L"keep") << bad;
    }
}

TEST(JsonReader, BoolsAndNumbers) {
    JsonReader words(std::string_view(" true false truex"));
    bool value = false;
    EXPECT_TRUE(words.ReadBool(value) && value);
    EXPECT_TRUE(words.ReadBool(value) && !value);
    EXPECT_TRUE(words.ReadBool(value) && value);
    EXPECT_EQ(words.Peek(), 'x');  // the byte after the word is left for the caller
    for (std::string_view bad : {"tru", "True", "1", "null"}) {
        bool out = true;
        EXPECT_FALSE(JsonReader(bad).ReadBool(out) || !out) << bad;
    }

    struct Case { std::string_view text; double value; size_t end; };
    const std::string huge(400, '9');
    const std::string tiny = "0." + std::string(400, '0') + "1";
    const std::string negativeHuge = "-" + huge;
    const Case cases[] = {
        {"5.", 5.0, 2},     {"-.5", -0.5, 3},  {"007", 7.0, 3},   {"12abc", 12.0, 2},
        {"1e5", 1.0, 1},    {"  42,", 42.0, 4}, {"3.25.1", 3.25, 4}, {"99999999999", 99999999999.0, 11},
        {huge, HUGE_VAL, huge.size()}, {negativeHuge, -HUGE_VAL, negativeHuge.size()},
        {tiny, 0.0, tiny.size()},
    };
    for (const Case& c : cases) {
        JsonReader reader(c.text);
        double number = -1234.0;
        ASSERT_TRUE(reader.ReadNumber(number)) << c.text;
        if (std::isinf(c.value)) {
            EXPECT_TRUE(c.value > 0 ? number > 1e300 : number < -1e300) << c.text;
        } else {
            EXPECT_EQ(number, c.value) << c.text;
        }
        EXPECT_EQ(reader.position, c.end) << c.text;
    }
    for (std::string_view bad : {"-", ".", "-.", "+1", "  ", "e5", "NaN", "\"1\""}) {
        double number = 99.0;
        EXPECT_FALSE(JsonReader(bad).ReadNumber(number)) << bad;
        EXPECT_EQ(number, 99.0) << bad;
    }
}

TEST(JsonReader, SkipValue) {
    EXPECT_TRUE(Skips(R"([[], {}, {"a": [1, "s", null, true]}])"));
    EXPECT_TRUE(Skips(R"({"k": {"n": -2.5, "f": false}, "e": ""})"));
    JsonReader reader(std::string_view(R"([1, [2, {"x": 3}]] tail)"));
    ASSERT_TRUE(reader.SkipValue());
    EXPECT_EQ(std::string_view(reader.data + reader.position), " tail");

    for (std::string_view bad : {"[1,]", "[1 2]", "{\"a\":1,}", "{\"a\" 1}", "{a:1}", "[", "nul",
                                 "'x'", "", "]", "[1}", "/* c */ 1"}) {
        EXPECT_FALSE(Skips(bad)) << bad;
    }

    // Nesting is bounded instead of exhausting the stack.
    EXPECT_FALSE(Skips(std::string(200000, '[')));
    std::string objects;
    for (int i = 0; i < 100000; ++i) objects += "{\"a\":";
    EXPECT_FALSE(Skips(objects));
    const int limit = JsonReader::kMaxSkipDepth;
    EXPECT_TRUE(Skips(std::string(limit, '[') + std::string(limit, ']')));
    EXPECT_FALSE(Skips(std::string(limit + 1, '[') + std::string(limit + 1, ']')));
}

TEST(JsonEscape, EscapesAndRoundTrips) {
    EXPECT_EQ(JsonEscapeToUtf8(L"a\tb\x01"), "a\\tb\\u0001");
    EXPECT_EQ(JsonEscapeToUtf8(L"\x1b\"\\/\b\f\n\r\x7f"), "\\u001b\\\"\\\\/\\b\\f\\n\\r\x7f");
    EXPECT_EQ(JsonEscapeToUtf8(L"a\xd83d" L"b"), "a\xef\xbf\xbd" "b");  // lone surrogate

    for (const std::wstring& text : {std::wstring(L"C:\\Program Files\\应用\\app.exe"),
                                     std::wstring(L"say \"hi\" \\ back\\\\slash 文件资源管理器"),
                                     std::wstring(L"tab\tline\nbell\x07 esc\x1b"),
                                     std::wstring(L"emoji \xd83d\xde00 and \u00e9 /slash/")}) {
        const std::string json = "\"" + JsonEscapeToUtf8(text) + "\"";
        std::wstring back;
        ASSERT_TRUE(ReadString(json, back)) << json;
        EXPECT_EQ(back, text) << json;
    }
}
