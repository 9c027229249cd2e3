#include "model/dataserver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

TEST(DataServer, FreshRecordHoldsTheDefaultsOfTypeZero) {
    CDataServer data;
    DeviceTypeRecord type;
    char model[10];
    uint8_t inputs = 0, outputs = 0, servers = 0, wifinets = 0;
    PasswordRecord password;
    ASSERT_EQ(data.Get(DI_DEV_TYPE, type), 1);
    data.Get(DI_MODEL_NAME, model);
    data.Get(DI_INPUT_COUNT, inputs);
    data.Get(DI_OUTPUT_COUNT, outputs);
    data.Get(DI_SERVER_COUNT, servers);
    data.Get(DI_WIFINET_COUNT, wifinets);
    data.Get(DI_PASSWORD, password);

    EXPECT_EQ(type.type, 0);
    EXPECT_EQ(type.capsComm, 0x0101000Fu);
    EXPECT_STREQ(model, "Quil");
    EXPECT_EQ(inputs, 4);
    EXPECT_EQ(outputs, 2);
    EXPECT_EQ(servers, 2);
    EXPECT_EQ(wifinets, 10);
    EXPECT_EQ(password.flags & 1, 1);
    EXPECT_STREQ(password.current, "7391");
    EXPECT_STREQ(password.next, "");
}

struct ModelCase {
    int asked;
    int storedType;
    const char* model;
    int inputs;
    int outputs;
};

TEST(DataServer, ResetAppliesTheModelRowAndItsCounts) {
    const ModelCase cases[] = {
        {8, 0, "Quil", 4, 2},  // no row: the fallback, stored as type 0
        {20, 20, "Vel", 8, 4}, {41, 41, "SORV", 0, 0}, {70, 70, "Quil", 4, 1}, {40, 40, "SORVEL", 2, 2},
    };
    for (const ModelCase& m : cases) {
        SCOPED_TRACE(m.asked);
        CDataServer data;
        ASSERT_EQ(data.ResetToDefaults(m.asked), 1);
        DeviceTypeRecord type;
        char model[10];
        uint8_t inputs = 99, outputs = 99;
        data.Get(DI_DEV_TYPE, type);
        data.Get(DI_MODEL_NAME, model);
        data.Get(DI_INPUT_COUNT, inputs);
        data.Get(DI_OUTPUT_COUNT, outputs);
        EXPECT_EQ(type.type, m.storedType);
        EXPECT_EQ(type.capsIo, LookupModel(m.asked).caps.capsIo);
        EXPECT_STREQ(model, m.model);
        EXPECT_EQ(inputs, m.inputs);
        EXPECT_EQ(outputs, m.outputs);
    }
}

TEST(DataServer, ResetReplacesEveryItemLiveValuesIncluded) {
    CDataServer data;
    const uint64_t key = 0xABCDEF;
    const PowerRecord power{12000, 50};
    data.Set(DI_EKEY, key);
    data.Set(DI_EXT_POWER, power);
    data.Set(DI_PHONE_1 + 1, "+70000000000", 13);
    ASSERT_EQ(data.ResetToDefaults(0), 1);

    uint64_t keyAfter = 1;
    PowerRecord powerAfter{1, 1};
    char phone[16] = "x";
    data.Get(DI_EKEY, keyAfter);
    data.Get(DI_EXT_POWER, powerAfter);
    data.Get(DI_PHONE_1 + 1, phone);
    EXPECT_EQ(keyAfter, 0u);
    EXPECT_EQ(powerAfter.millivolts, 0);
    EXPECT_STREQ(phone, "");
}

TEST(DataServer, IdentifiersOutsideTheTableTouchNothing) {
    CDataServer data;
    unsigned char buffer[64];
    std::memset(buffer, 0xA5, sizeof buffer);
    EXPECT_EQ(data.Get(67, buffer, sizeof buffer), 0);
    for (unsigned char b : buffer)
        ASSERT_EQ(b, 0xA5);

    std::memset(buffer, 0, sizeof buffer);
    EXPECT_EQ(data.Set(73, buffer, sizeof buffer), 0);
    // Neighbours of the unknown identifier are unchanged.
    BytePair ring, audio;
    int32_t sims = 0;
    data.Get(DI_RING, ring);
    data.Get(DI_AUDIO, audio);
    data.Get(DI_SIM_CONTROL, sims);
    EXPECT_EQ(ring.first, 5);
    EXPECT_EQ(audio.second, 8);
    EXPECT_EQ(sims, 3);
    EXPECT_EQ(CDataServer::ItemSize(67), 0u);
    EXPECT_EQ(CDataServer::ItemSize(73), 0u);
}

TEST(DataServer, LockTimeOutLeavesTheBufferAndRecordAlone) {
    CDataServer data;
    std::atomic<bool> held{false};
    std::atomic<bool> release{false};
    std::thread holder([&] {
        std::lock_guard<std::timed_mutex> lock(data.LockForTest());
        held = true;
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    while (!held)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    char name[9] = "before";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(data.Get(DI_DEVICE_NAME, name), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_STREQ(name, "before");
    EXPECT_GE(waited, std::chrono::milliseconds(CDataServer::kLockMs - 50));
    EXPECT_EQ(data.Set(DI_DEVICE_NAME, "after", 6), 0);
    EXPECT_EQ(data.ResetToDefaults(20), 0);
    release = true;
    holder.join();

    char stored[9];
    DeviceTypeRecord type;
    data.Get(DI_DEVICE_NAME, stored);
    data.Get(DI_DEV_TYPE, type);
    EXPECT_STREQ(stored, "Quil");
    EXPECT_EQ(type.type, 0);
}

TEST(DataServer, IndexedItemsFollowTheirBase) {
    CDataServer data;
    ServerRecord second;
    std::strcpy(second.ip, "010.000.000.002");
    second.p1 = 77;
    ASSERT_EQ(data.Set(ItemBase::Server + 2, second), 1);

    ServerRecord first, back;
    data.Get(ItemBase::Server + 1, first);
    data.Get(DI_SERVER_1 + 1, back);
    EXPECT_STREQ(back.ip, "010.000.000.002");
    EXPECT_EQ(back.p1, 77);
    EXPECT_STREQ(first.ip, "");
    EXPECT_EQ(first.p1, 120);

    // There is no third server.
    EXPECT_EQ(CDataServer::ItemSize(ItemBase::Server + 3), 0u);
    EXPECT_EQ(data.Get(ItemBase::Server + 3, back), 0);
}

TEST(DataServer, TextItemsAreCutToTheirWidth) {
    CDataServer data;
    const char longName[] = "ABCDEFGHIJKLMNOP";
    ASSERT_EQ(data.Set(DI_DEVICE_NAME, longName, sizeof longName), 1);
    char name[9];
    data.Get(DI_DEVICE_NAME, name);
    EXPECT_STREQ(name, "ABCDEFGH");
}

}  // namespace
