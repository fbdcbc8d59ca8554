// The three shared factories: the real ones, and each failure logged with its
// result; the imaging factory asks for the newer class first.
#include <gtest/gtest.h>

#include <objbase.h>

#include <string>
#include <vector>

#include "platform/Log.h"
#include "render/GraphicsDevice.h"
#include "support/TestSupport.h"

namespace {

class GraphicsFactories : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        DeleteFileW(logPath_.c_str());
        InitializeLog(true);
    }
    void TearDown() override {
        InitializeLog(false);
        CoUninitialize();
    }
    std::string Log() const {
        auto bytes = testing_support::ReadFileBytes(logPath_);
        return std::string(bytes.begin(), bytes.end());
    }

    std::wstring logPath_ = testing_support::BinDir() + L"\\vantreel.log";
};

}  // namespace

TEST_F(GraphicsFactories, EachFailureIsLoggedWithItsResult) {
    GraphicsDevice real;
    ASSERT_TRUE(CreateGraphicsFactories(real));
    EXPECT_TRUE(real.d2dFactory && real.dwriteFactory && real.wicFactory);

    GraphicsFactoryCalls calls = RealGraphicsFactoryCalls();
    calls.createD2D = [](ID2D1Factory1**) { return E_FAIL; };
    GraphicsDevice noD2D;
    EXPECT_FALSE(CreateGraphicsFactories(noD2D, calls));
    EXPECT_NE(Log().find("D2D1CreateFactory failed: 0x80004005"), std::string::npos) << Log();

    calls = RealGraphicsFactoryCalls();
    calls.createDWrite = [](IDWriteFactory**) { return E_OUTOFMEMORY; };
    GraphicsDevice noText;
    EXPECT_FALSE(CreateGraphicsFactories(noText, calls));
    EXPECT_NE(Log().find("DWriteCreateFactory failed: 0x8007000E"), std::string::npos) << Log();

    calls = RealGraphicsFactoryCalls();
    std::vector<CLSID> asked;
    calls.createImaging = [&](REFCLSID classId, IWICImagingFactory**) {
        asked.push_back(classId);
        return REGDB_E_CLASSNOTREG;
    };
    GraphicsDevice noImaging;
    EXPECT_FALSE(CreateGraphicsFactories(noImaging, calls));
    EXPECT_NE(Log().find("WIC factory failed: 0x80040154"), std::string::npos) << Log();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(IsEqualCLSID(asked[0], CLSID_WICImagingFactory2));
    EXPECT_TRUE(IsEqualCLSID(asked[1], CLSID_WICImagingFactory));
}

TEST_F(GraphicsFactories, ASystemWithoutTheNewerImagingClassGetsTheOlderOne) {
    GraphicsFactoryCalls calls = RealGraphicsFactoryCalls();
    const auto realImaging = calls.createImaging;
    std::vector<CLSID> asked;
    calls.createImaging = [&](REFCLSID classId, IWICImagingFactory** factory) {
        asked.push_back(classId);
        if (IsEqualCLSID(classId, CLSID_WICImagingFactory2)) return REGDB_E_CLASSNOTREG;
        return realImaging(classId, factory);
    };
    GraphicsDevice graphics;
    EXPECT_TRUE(CreateGraphicsFactories(graphics, calls));
    EXPECT_TRUE(graphics.wicFactory);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(Log().find("WIC factory failed"), std::string::npos);
}
