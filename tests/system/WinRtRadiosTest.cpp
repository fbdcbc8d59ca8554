#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <chrono>
#include <thread>

#include "support/TestSupport.h"
#include "system/FakeRadios.h"
#include "system/StatusSnapshot.h"
#include "system/WinRtRadios.h"

using namespace std::chrono;
using fake_radios::RadioSpec;
using platform::RadioAccessStatus;
using platform::RadioKind;
using platform::RadioState;
using vantreel::QueryWinRtRadioState;
using vantreel::ReadWinRtRadios;
using vantreel::SwitchWinRtRadios;

namespace {

class WinRtRadiosTest : public ::testing::Test {
protected:
    void TearDown() override { fake_radios::Uninstall(); }
};

RadioSpec Bluetooth(RadioState state, RadioAccessStatus access = RadioAccessStatus::Allowed) {
    return {RadioKind::Bluetooth, state, access};
}
RadioSpec WiFi(RadioState state) { return {RadioKind::WiFi, state, RadioAccessStatus::Allowed}; }

int ThreadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL ok = Thread32First(snapshot, &entry); ok; ok = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

}  // namespace

TEST_F(WinRtRadiosTest, QueryWalksEveryRadioOfTheKind) {
    // An off radio does not end the walk: a later one that is on still counts.
    fake_radios::Install({Bluetooth(RadioState::Off), Bluetooth(RadioState::On)});
    auto result = ReadWinRtRadios(RadioKind::Bluetooth);
    EXPECT_TRUE(result.found);
    EXPECT_TRUE(result.on);

    fake_radios::Install({WiFi(RadioState::On), Bluetooth(RadioState::Off)});
    result = ReadWinRtRadios(RadioKind::Bluetooth);
    EXPECT_TRUE(result.found);
    EXPECT_FALSE(result.on);

    fake_radios::Install({WiFi(RadioState::On), WiFi(RadioState::Off)});
    result = ReadWinRtRadios(RadioKind::Bluetooth);
    EXPECT_FALSE(result.found);
    EXPECT_FALSE(result.on);
    result = ReadWinRtRadios(RadioKind::WiFi);
    EXPECT_TRUE(result.found);
    EXPECT_TRUE(result.on);
}

TEST_F(WinRtRadiosTest, ASlowServiceGivesItsLastAnswerStaleWhileTheWorkerCompletes) {
    fake_radios::Install({Bluetooth(RadioState::On)});
    EXPECT_FALSE(QueryWinRtRadioState(RadioKind::Bluetooth).stale);
    fake_radios::Install({Bluetooth(RadioState::Off)}, 2500);
    const int taken = fake_radios::TheSetup().listsTaken.load();
    const auto start = steady_clock::now();
    const auto result = QueryWinRtRadioState(RadioKind::Bluetooth);
    const auto waited = duration_cast<milliseconds>(steady_clock::now() - start).count();
    EXPECT_TRUE(result.found) << "a service that does not answer has not taken the radio away";
    EXPECT_TRUE(result.on);
    EXPECT_TRUE(result.stale);
    EXPECT_GE(waited, 1450);
    EXPECT_EQ(fake_radios::TheSetup().listsTaken.load(), taken) << "the answer came at the deadline";

    // The worker still takes the list after the caller gave up.
    const auto giveUp = steady_clock::now() + seconds(20);
    while (fake_radios::TheSetup().listsTaken.load() == taken && steady_clock::now() < giveUp)
        std::this_thread::sleep_for(milliseconds(20));
    EXPECT_EQ(fake_radios::TheSetup().listsTaken.load(), taken + 1);
}

TEST_F(WinRtRadiosTest, ANeverAnsweringServiceHoldsOneWorkerUntilItsLimit) {
    vantreel::CollectSystemStatus(true, nullptr, nullptr);  // the services' own threads, once
    fake_radios::Install({Bluetooth(RadioState::On)}, INFINITE);
    EXPECT_FALSE(vantreel::CollectSystemStatus(true, nullptr, nullptr).bluetoothOn);
    const int threads = ThreadCount();  // with the worker that waits for the radios
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(vantreel::CollectSystemStatus(true, nullptr, nullptr).bluetoothOn);
    EXPECT_LE(ThreadCount(), threads);
    const auto giveUp = steady_clock::now() + seconds(10);
    while (ThreadCount() >= threads && steady_clock::now() < giveUp) std::this_thread::sleep_for(milliseconds(50));
    EXPECT_LT(ThreadCount(), threads) << "the worker gave the operation up";
}

TEST_F(WinRtRadiosTest, SwitchIsAcceptedWhenAnyRadioOfTheKindAllows) {
    fake_radios::Install({Bluetooth(RadioState::Off, RadioAccessStatus::DeniedBySystem),
                          Bluetooth(RadioState::Off, RadioAccessStatus::Allowed)});
    const int before = fake_radios::TheSetup().switchRequests.load();
    EXPECT_TRUE(SwitchWinRtRadios(RadioKind::Bluetooth, true));
    EXPECT_EQ(fake_radios::TheSetup().switchRequests.load(), before + 2);

    fake_radios::Install({Bluetooth(RadioState::On, RadioAccessStatus::DeniedByUser)});
    EXPECT_FALSE(SwitchWinRtRadios(RadioKind::Bluetooth, false));

    fake_radios::Install({WiFi(RadioState::On)});
    EXPECT_FALSE(SwitchWinRtRadios(RadioKind::Bluetooth, true)) << "no radio of the kind";
}

TEST_F(WinRtRadiosTest, RealServiceReportsOnlyAFoundRadioOn) {
    // Whatever the machine has (how fast it answers is bench/device_services_bench's figure).
    const auto result = QueryWinRtRadioState(RadioKind::Bluetooth);
    EXPECT_TRUE(result.found || !result.on);
}

TEST_F(WinRtRadiosTest, ProcessEndsCleanlyWhileAQueryStillRuns) {
    const auto run = testing_support::RunProcess(testing_support::BinDir() + L"\\radio_exit_helper.exe", L"",
                                                 L"", 20000);
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u);
}
