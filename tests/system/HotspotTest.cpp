#include <gtest/gtest.h>

#include <windows.h>
#include <inspectable.h>
#include <winstring.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "support/FakeCom.h"
#include "platform/DetachedThread.h"
#include "platform/InspectableHelpers.h"
#include "platform/TetheringInterfaces.h"
#include "system/Hotspot.h"

using namespace std::chrono;
using platform::TetheringOperationalState;
using platform::TetheringOperationStatus;
using vantreel::HotspotStatusInfo;
using vantreel::QueryHotspotStatus;
using vantreel::SetHotspotEnabled;
using vantreel::ReadHotspotStatus;
using vantreel::SwitchHotspot;

namespace {

// Stand-in connectivity and tethering classes. The hotspot workers are
// detached and may outlive a test, so what they reach lives on the heap and
// is never destroyed; every test waits until the objects it caused are gone.
struct TetheringSetup {
    std::mutex mutex;
    int internetProfile = 0;              // id of the internet profile, 0 for none
    std::vector<int> profiles;            // the list of all profiles, 0 for a null entry
    bool managerFails = false;
    DWORD createDelayMs = 0;              // before the manager is handed out
    TetheringOperationalState state = TetheringOperationalState::Off;
    UINT32 clients = 0;
    TetheringOperationStatus switchStatus = TetheringOperationStatus::Success;
    DWORD switchDelayMs = 0;
    std::atomic<int> alive{0};            // fake objects not yet released
    std::atomic<int> managerProfile{-1};  // the profile the last manager was made from
    std::atomic<int> starts{0}, stops{0}, switchesEnded{0}, managersMade{0};
};

TetheringSetup& TheSetup() {
    static TetheringSetup* setup = new TetheringSetup;
    return *setup;
}

// Counts the objects alive, so a test sees every one released.
template <typename Interface>
class Inspectable : public FakeInspectable<Interface> {
public:
    Inspectable() { ++TheSetup().alive; }

protected:
    ~Inspectable() override { --TheSetup().alive; }
};

class Profile final : public Inspectable<IConnectionProfile> {
public:
    explicit Profile(int id) : id(id) {}
    const int id;
};

IConnectionProfile* MakeProfile(int id) { return id ? new Profile(id) : nullptr; }

class ProfileList final : public Inspectable<IConnectionProfileVectorView> {
public:
    explicit ProfileList(std::vector<int> ids) : ids_(std::move(ids)) {}
    HRESULT STDMETHODCALLTYPE GetAt(UINT32 index, IConnectionProfile** item) override {
        if (index >= ids_.size()) return E_INVALIDARG;
        *item = MakeProfile(ids_[index]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Size(UINT32* size) override {
        *size = static_cast<UINT32>(ids_.size());
        return S_OK;
    }

private:
    std::vector<int> ids_;
};

class NetworkStatics final : public Inspectable<INetworkInformationStatics> {
public:
    HRESULT STDMETHODCALLTYPE GetConnectionProfiles(IConnectionProfileVectorView** profiles) override {
        std::lock_guard<std::mutex> lock(TheSetup().mutex);
        *profiles = new ProfileList(TheSetup().profiles);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetInternetConnectionProfile(IConnectionProfile** profile) override {
        *profile = MakeProfile(TheSetup().internetProfile);
        return S_OK;
    }
};

class OperationResult final : public Inspectable<INetworkOperatorTetheringOperationResult> {
public:
    explicit OperationResult(TetheringOperationStatus status) : status_(status) {}
    HRESULT STDMETHODCALLTYPE get_Status(TetheringOperationStatus* status) override {
        *status = status_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_AdditionalErrorMessage(HSTRING* message) override {
        *message = nullptr;
        return S_OK;
    }

private:
    TetheringOperationStatus status_;
};

class Operation final : public Inspectable<ITetheringOperation> {
public:
    Operation(TetheringOperationStatus status, DWORD delayMs) : status_(status), delayMs_(delayMs) {}
    HRESULT STDMETHODCALLTYPE put_Completed(ITetheringOperationCompletedHandler* handler) override {
        if (!handler) return E_POINTER;
        AddRef();
        handler->AddRef();
        platform::StartDetachedThread([this, handler] {  // never detached after the fact: DetachedThread.h
            if (delayMs_) Sleep(delayMs_);
            handler->Invoke(this, platform::AsyncStatus::Completed);
            ++TheSetup().switchesEnded;
            handler->Release();
            Release();
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Completed(ITetheringOperationCompletedHandler**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetResults(INetworkOperatorTetheringOperationResult** result) override {
        *result = new OperationResult(status_);
        return S_OK;
    }

private:
    TetheringOperationStatus status_;
    DWORD delayMs_;
};

class Manager final : public Inspectable<INetworkOperatorTetheringManager> {
public:
    HRESULT STDMETHODCALLTYPE get_MaxClientCount(UINT32*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ClientCount(UINT32* count) override {
        *count = TheSetup().clients;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_TetheringOperationalState(TetheringOperationalState* state) override {
        *state = TheSetup().state;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCurrentAccessPointConfiguration(IInspectable**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConfigureAccessPointAsync(IInspectable*, IInspectable**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE StartTetheringAsync(ITetheringOperation** operation) override {
        ++TheSetup().starts;
        *operation = new Operation(TheSetup().switchStatus, TheSetup().switchDelayMs);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE StopTetheringAsync(ITetheringOperation** operation) override {
        ++TheSetup().stops;
        *operation = new Operation(TheSetup().switchStatus, TheSetup().switchDelayMs);
        return S_OK;
    }
};

class TetheringStatics final : public Inspectable<INetworkOperatorTetheringManagerStatics2> {
public:
    HRESULT STDMETHODCALLTYPE GetTetheringCapabilityFromConnectionProfile(IConnectionProfile*,
                                                                          platform::TetheringCapability*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateFromConnectionProfile(IConnectionProfile* profile,
                                                          INetworkOperatorTetheringManager** manager) override {
        TetheringSetup& setup = TheSetup();
        setup.managerProfile = profile ? static_cast<Profile*>(profile)->id : 0;
        if (setup.createDelayMs) Sleep(setup.createDelayMs);
        // What the runtime answers for a profile that cannot share.
        if (setup.managerFails) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
        ++setup.managersMade;
        *manager = new Manager;
        return S_OK;
    }
};

HRESULT Lookup(HSTRING className, REFIID iid, void** factory) {
    const std::wstring name = WindowsGetStringRawBuffer(className, nullptr);
    IInspectable* statics = nullptr;
    if (name == platform::kNetworkInformationClassName)
        statics = new NetworkStatics;
    else if (name == platform::kTetheringManagerClassName)
        statics = new TetheringStatics;
    else
        return REGDB_E_CLASSNOTREG;
    const HRESULT hr = statics->QueryInterface(iid, factory);
    statics->Release();
    return hr;
}

class HotspotTest : public ::testing::Test {
protected:
    void SetUp() override {
        TetheringSetup& setup = TheSetup();
        setup.internetProfile = 0;
        setup.profiles.clear();
        setup.managerFails = false;
        setup.createDelayMs = 0;
        setup.state = TetheringOperationalState::Off;
        setup.clients = 0;
        setup.switchStatus = TetheringOperationStatus::Success;
        setup.switchDelayMs = 0;
        setup.managerProfile = -1;
        vantreel::SetHotspotFactoryLookup(&Lookup);
    }
    // Every object a worker made is released once that worker is done.
    void TearDown() override {
        const auto giveUp = steady_clock::now() + seconds(6);
        while (TheSetup().alive.load() != 0 && steady_clock::now() < giveUp) std::this_thread::sleep_for(10ms);
        EXPECT_EQ(TheSetup().alive.load(), 0) << "a worker still holds objects";
        vantreel::SetHotspotFactoryLookup(nullptr);
    }
};

}  // namespace

TEST_F(HotspotTest, UsesTheInternetProfileElseTheFirstNonNullOne) {
    TheSetup().profiles = {0, 2, 3};
    TheSetup().state = TetheringOperationalState::On;
    TheSetup().clients = 3;
    HotspotStatusInfo status = ReadHotspotStatus();
    EXPECT_EQ(TheSetup().managerProfile.load(), 2);
    EXPECT_TRUE(status.available);
    EXPECT_TRUE(status.on);
    EXPECT_EQ(status.clientCount, 3u);

    TheSetup().internetProfile = 7;
    TheSetup().state = TetheringOperationalState::InTransition;
    status = ReadHotspotStatus();
    EXPECT_EQ(TheSetup().managerProfile.load(), 7);
    EXPECT_TRUE(status.available);
    EXPECT_FALSE(status.on);
}

TEST_F(HotspotTest, NoProfileOrNoManagerIsNotAvailable) {
    HotspotStatusInfo status = ReadHotspotStatus();
    EXPECT_FALSE(status.available);
    EXPECT_EQ(TheSetup().managerProfile.load(), -1) << "no profile, no manager asked for";
    EXPECT_FALSE(SwitchHotspot(true));

    TheSetup().internetProfile = 1;
    TheSetup().managerFails = true;
    status = ReadHotspotStatus();
    EXPECT_FALSE(status.available);
    EXPECT_FALSE(status.on);
    EXPECT_EQ(status.clientCount, 0u);
    EXPECT_FALSE(SwitchHotspot(true));
    EXPECT_EQ(TheSetup().managerProfile.load(), 1);
}

TEST_F(HotspotTest, OnlySuccessSwitches) {
    TheSetup().internetProfile = 1;
    const int starts = TheSetup().starts.load(), stops = TheSetup().stops.load();
    EXPECT_TRUE(SwitchHotspot(true));
    EXPECT_EQ(TheSetup().starts.load(), starts + 1);
    TheSetup().switchStatus = static_cast<TetheringOperationStatus>(2);
    EXPECT_FALSE(SwitchHotspot(false));
    EXPECT_EQ(TheSetup().stops.load(), stops + 1);
}

TEST_F(HotspotTest, ASlowQueryGivesItsLastAnswerStaleAtItsDeadline) {
    TheSetup().internetProfile = 1;
    TheSetup().state = TetheringOperationalState::On;
    EXPECT_TRUE(QueryHotspotStatus().on);
    TheSetup().state = TetheringOperationalState::Off;
    TheSetup().createDelayMs = 2500;
    const int made = TheSetup().managersMade;
    const auto start = steady_clock::now();
    const HotspotStatusInfo status = QueryHotspotStatus();
    const auto waited = duration_cast<milliseconds>(steady_clock::now() - start).count();
    EXPECT_TRUE(status.available) << "a service that does not answer has not taken the hotspot away";
    EXPECT_TRUE(status.on);
    EXPECT_TRUE(status.stale);
    EXPECT_GE(waited, 750);
    EXPECT_EQ(TheSetup().managersMade, made) << "the answer came at the deadline, not with the manager";
}

TEST_F(HotspotTest, ASlowSwitchGivesFalseAtItsDeadline) {
    TheSetup().internetProfile = 1;
    TheSetup().switchDelayMs = 5000;
    const int ended = TheSetup().switchesEnded;
    const auto start = steady_clock::now();
    EXPECT_FALSE(SetHotspotEnabled(true));
    const auto waited = duration_cast<milliseconds>(steady_clock::now() - start).count();
    EXPECT_GE(waited, 3400);
    EXPECT_EQ(TheSetup().switchesEnded, ended) << "the answer came at the deadline, not with the switch";
}

// How fast it answers is bench/device_services_bench's figure.
TEST(HotspotOnThisMachine, NotAvailable) {
    const HotspotStatusInfo status = QueryHotspotStatus();
    EXPECT_FALSE(status.available);
    EXPECT_FALSE(status.on);
    EXPECT_EQ(status.clientCount, 0u);
    EXPECT_FALSE(SetHotspotEnabled(true));
}
