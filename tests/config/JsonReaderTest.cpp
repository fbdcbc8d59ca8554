#include <gtest/gtest.h>

#include "config/JsonReader.h"
#include "config/JsonWriter.h"

#include <string>

namespace {

bool ReadString(std::string_view text, std::wstring& out) {
    JsonReader reader(text);
    return reader.ReadString(out);
}

std::wstring MustReadString(std::string_view text) {
    std::wstring out = L"untouched";
    EXPECT_TRUE(ReadString(text, out)) << text;
    return out;
}

bool Skips(std::string_view text) {
    JsonReader reader(text);
    return reader.SkipValue();
}

}  // namespace

TEST(JsonReaderString, DecodesEscapes) {
    EXPECT_EQ(MustReadString(R"("a\"b\\c\/d\b\f\n\r\t")"), L"a\"b\\c/d\b\f\n\r\t");
    EXPECT_EQ(MustReadString(R"("\u00e9")"), L"\u00e9");
    EXPECT_EQ(MustReadString(R"("\u4E2D")"), L"\u4e2d");
    EXPECT_EQ(MustReadString(R"("\u0041\u007f")"), L"A\x7f");
    EXPECT_EQ(MustReadString(R"("\q\x")"), L"qx");
    EXPECT_EQ(MustReadString("\"line\nfeed\""), L"line\nfeed");
    EXPECT_EQ(MustReadString("\"\""), L"");
    EXPECT_EQ(MustReadString(" \t\r\n\"x\""), L"x");
    EXPECT_EQ(MustReadString("\"\xe4\xb8\xad\xe6\x96\x87\""), L"\u4e2d\u6587");
}

TEST(JsonReaderString, EscapedNulIsKept) {
    std::wstring text = MustReadString(R"("a\u0000b")");
    ASSERT_EQ(text.size(), 3u);
    EXPECT_EQ(text[1], L'\0');
}

TEST(JsonReaderString, SurrogatePairEscapesDoNotCombine) {
    std::wstring text = MustReadString(R"("\uD83D\uDE00")");
    ASSERT_FALSE(text.empty());
    for (wchar_t c : text) EXPECT_EQ(c, L'\xFFFD');
}

TEST(JsonReaderString, InvalidUtf8BecomesReplacementCharacter) {
    std::wstring text = MustReadString("\"a\xff" "b\"");
    EXPECT_EQ(text.front(), L'a');
    EXPECT_EQ(text.back(), L'b');
    EXPECT_NE(text.find(L'\xFFFD'), std::wstring::npos);
}

TEST(JsonReaderString, FailuresLeaveOutputUntouched) {
    for (std::string_view bad : {"", "   ", "x", "'single'", "\"open", "\"ends in escape\\",
                                 R"("\u12")", R"("\u12g4")", R"("\u")", "123"}) {
        std::wstring out = L"keep";
        EXPECT_FALSE(ReadString(bad, out)) << bad;
        EXPECT_EQ(out, L"keep") << bad;
    }
}

TEST(JsonReaderBool, ReadsWordsOnly) {
    JsonReader reader(std::string_view(" true false truex"));
    bool value = false;
    EXPECT_TRUE(reader.ReadBool(value));
    EXPECT_TRUE(value);
    EXPECT_TRUE(reader.ReadBool(value));
    EXPECT_FALSE(value);
    EXPECT_TRUE(reader.ReadBool(value));
    EXPECT_TRUE(value);
    EXPECT_EQ(reader.Peek(), 'x');  // the byte after the word is left for the caller

    for (std::string_view bad : {"tru", "fals", "True", "1", "null", ""}) {
        JsonReader r(bad);
        bool out = true;
        EXPECT_FALSE(r.ReadBool(out)) << bad;
        EXPECT_TRUE(out);
    }
}

TEST(JsonReaderNumber, AcceptedForms) {
    struct Case {
        std::string_view text;
        double value;
        size_t end;
    };
    const Case cases[] = {
        {"5", 5.0, 1},       {"5.", 5.0, 2},        {".5", 0.5, 2},     {"-.5", -0.5, 3},
        {"007", 7.0, 3},     {"-0.50", -0.5, 5},    {"12abc", 12.0, 2}, {"1e5", 1.0, 1},
        {"  42,", 42.0, 4},  {"3.25.1", 3.25, 4},   {"-0", -0.0, 2},
    };
    for (const Case& c : cases) {
        JsonReader reader(c.text);
        double value = -1234.0;
        ASSERT_TRUE(reader.ReadNumber(value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(reader.position, c.end) << c.text;
    }
}

TEST(JsonReaderNumber, RejectedForms) {
    for (std::string_view bad : {"-", ".", "-.", "+1", "", "  ", "e5", "NaN", "Infinity", "'1'",
                                 "\"1\""}) {
        JsonReader reader(bad);
        double value = 99.0;
        EXPECT_FALSE(reader.ReadNumber(value)) << bad;
        EXPECT_EQ(value, 99.0) << bad;
    }
}

TEST(JsonReaderNumber, HugeAndTinyNumbersSaturate) {
    std::string huge(400, '9');
    JsonReader reader(huge);
    double value = 0.0;
    ASSERT_TRUE(reader.ReadNumber(value));
    EXPECT_TRUE(value > 1e300);
    EXPECT_EQ(reader.position, huge.size());

    std::string negative = "-" + huge;
    JsonReader negativeReader(negative);
    ASSERT_TRUE(negativeReader.ReadNumber(value));
    EXPECT_TRUE(value < -1e300);

    std::string tiny = "0." + std::string(400, '0') + "1";
    JsonReader tinyReader(tiny);
    ASSERT_TRUE(tinyReader.ReadNumber(value));
    EXPECT_EQ(value, 0.0);

    JsonReader big(std::string_view("99999999999"));
    ASSERT_TRUE(big.ReadNumber(value));
    EXPECT_EQ(value, 99999999999.0);
}

TEST(JsonReaderSkip, AcceptsEveryValueKind) {
    EXPECT_TRUE(Skips(R"([[], {}, {"a": [1, "s", null, true]}])"));
    EXPECT_TRUE(Skips(R"({"k": {"n": -2.5, "f": false}, "e": ""})"));
    EXPECT_TRUE(Skips("null"));
    EXPECT_TRUE(Skips(" \"text\""));
    EXPECT_TRUE(Skips("[ ]"));
    EXPECT_TRUE(Skips("{ }"));

    JsonReader reader(std::string_view(R"([1, [2, {"x": 3}]] tail)"));
    ASSERT_TRUE(reader.SkipValue());
    EXPECT_EQ(std::string_view(reader.data + reader.position), " tail");
}

TEST(JsonReaderSkip, RejectsMalformedValues) {
    for (std::string_view bad : {"[1,]", "[1 2]", "{\"a\":1,}", "{\"a\" 1}", "{a:1}", "[",
                                 "{\"a\":", "nul", "+1", "'x'", "", "]", "[1}", "{\"a\":1]",
                                 "/* c */ 1"}) {
        EXPECT_FALSE(Skips(bad)) << bad;
    }
}

TEST(JsonReaderSkip, NestingIsBoundedWithoutCrashing) {
    std::string deep(200000, '[');
    EXPECT_FALSE(Skips(deep));

    std::string objects;
    for (int i = 0; i < 100000; ++i) objects += "{\"a\":";
    EXPECT_FALSE(Skips(objects));

    // Reasonable nesting still reads.
    std::string fine = std::string(100, '[') + std::string(100, ']');
    EXPECT_TRUE(Skips(fine));
    std::string limit = std::string(JsonReader::kMaxSkipDepth, '[') +
                        std::string(JsonReader::kMaxSkipDepth, ']');
    EXPECT_TRUE(Skips(limit));
    std::string over = std::string(JsonReader::kMaxSkipDepth + 1, '[') +
                       std::string(JsonReader::kMaxSkipDepth + 1, ']');
    EXPECT_FALSE(Skips(over));
}

TEST(JsonEscape, EscapesControlBytesQuotesAndBackslashes) {
    EXPECT_EQ(JsonEscapeToUtf8(L"a\tb\x01"), "a\\tb\\u0001");
    EXPECT_EQ(JsonEscapeToUtf8(L"\x1b"), "\\u001b");
    EXPECT_EQ(JsonEscapeToUtf8(L"\"\\/\b\f\n\r"), "\\\"\\\\/\\b\\f\\n\\r");
    EXPECT_EQ(JsonEscapeToUtf8(L"\x7f "), "\x7f ");
    EXPECT_EQ(JsonEscapeToUtf8(L"\u4e2d"), "\xe4\xb8\xad");
    EXPECT_EQ(JsonEscapeToUtf8(L""), "");
}

TEST(JsonEscape, LoneSurrogateBecomesReplacementCharacter) {
    EXPECT_EQ(JsonEscapeToUtf8(L"a\xd83d"
                               L"b"),
              "a\xef\xbf\xbd"
              "b");
}

TEST(JsonEscape, WriteThenReadKeepsText) {
    const std::wstring texts[] = {
        L"C:\\Program Files\\应用\\app.exe",
        L"say \"hi\" \\ back\\\\slash",
        L"文件资源管理器 记事本 终端",
        L"tab\tline\nreturn\rbell\x07 esc\x1b end",
        L"emoji \xd83d\xde00 and \u00e9",
        L"/slash/",
    };
    for (const std::wstring& text : texts) {
        std::string json = "\"" + JsonEscapeToUtf8(text) + "\"";
        std::wstring back;
        ASSERT_TRUE(ReadString(json, back)) << json;
        EXPECT_EQ(back, text) << json;
    }
}
