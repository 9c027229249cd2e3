#include "transport/zralogqueue.h"
#include "transport/zraqueue.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void Done(void*, int32_t, uint32_t) {}

// A taker with buffers of the given sizes, pre-filled so that untouched buffers show.
struct Taker {
    explicit Taker(size_t textSize = CZRAQueue::kTextSize, size_t parameterSize = CZRAQueue::kParameterSize)
        : text(textSize, '#'), parameter(parameterSize, '#') {
        text.back() = '\0';
        parameter.back() = '\0';
        item.text = text.data();
        item.textSize = text.size();
        item.parameter = parameter.data();
        item.parameterSize = parameter.size();
    }
    int Get(CZRAQueue& queue) { return queue.Get(item); }
    std::string Text() const { return item.text; }
    std::string Parameter() const { return item.parameter; }
    std::string text, parameter;
    QueueItem item;
};

TEST(RequestQueue, RefusesRecordsItCannotHoldWhole) {
    const std::string longText(CZRAQueue::kTextSize, 'A');
    const std::string longParameter(CZRAQueue::kParameterSize, 'P');
    struct Case {
        const char* name;
        RequestType type;
        const char* text;
        const char* parameter;
        int stored;
    } cases[] = {
        {"type 0", RequestType::None, "MODE", nullptr, 0},
        {"null text", RequestType::Read, nullptr, "GET", 0},
        {"text one byte too long", RequestType::Raw, longText.c_str(), nullptr, 0},
        {"longest text", RequestType::Raw, longText.c_str() + 1, nullptr, 1},
        {"parameter one byte too long", RequestType::Write, "PHONE1", longParameter.c_str(), 0},
        {"longest parameter", RequestType::Write, "PHONE1", longParameter.c_str() + 1, 1},
    };
    for (const Case& c : cases) {
        CZRAQueue queue;
        ASSERT_EQ(queue.Reset(), 1);
        EXPECT_EQ(queue.Put(c.type, c.text, c.parameter, nullptr, Done), c.stored) << c.name;
        Taker taker;
        EXPECT_EQ(taker.Get(queue), c.stored) << c.name;
        if (c.stored) {
            EXPECT_EQ(taker.Text(), c.text) << c.name;
        }
    }
}

TEST(RequestQueue, DeliversFieldsAndEmptyParameterForNull) {
    CZRAQueue queue;
    int user = 0;
    ASSERT_EQ(queue.Put(RequestType::Read, "STATIST", "GET", &user, Done), 1);
    ASSERT_EQ(queue.Put(RequestType::Write, "MODE", nullptr, nullptr, nullptr), 1);
    Taker first, second;
    ASSERT_EQ(first.Get(queue), 1);
    EXPECT_EQ(first.item.type, RequestType::Read);
    EXPECT_EQ(first.Text(), "STATIST");
    EXPECT_EQ(first.Parameter(), "GET");
    EXPECT_EQ(first.item.user, &user);
    EXPECT_EQ(first.item.callback, &Done);
    ASSERT_EQ(second.Get(queue), 1);
    EXPECT_EQ(second.Text(), "MODE");
    EXPECT_EQ(second.Parameter(), "");
    EXPECT_EQ(second.item.callback, nullptr);
}

TEST(RequestQueue, HoldsNinetyNineInOrderAndRefusesWhenFull) {
    CZRAQueue queue;
    for (int i = 0; i < CZRAQueue::kSlots - 1; ++i) {
        ASSERT_EQ(queue.Put(RequestType::Read, std::to_string(i).c_str(), nullptr, nullptr, nullptr), 1) << i;
    }
    EXPECT_EQ(queue.Put(RequestType::Read, "overflow", nullptr, nullptr, nullptr), 0);
    Taker taker;
    ASSERT_EQ(taker.Get(queue), 1);
    EXPECT_EQ(taker.Text(), "0");
    // One taken frees one slot; the ring wraps around without losing order.
    EXPECT_EQ(queue.Put(RequestType::Read, "99", nullptr, nullptr, nullptr), 1);
    for (int i = 1; i < CZRAQueue::kSlots; ++i) {
        ASSERT_EQ(taker.Get(queue), 1);
        EXPECT_EQ(taker.Text(), std::to_string(i));
    }
    EXPECT_EQ(taker.Get(queue), 0);
}

TEST(RequestQueue, EmptyOrClearedQueueLeavesTakerBuffersAlone) {
    CZRAQueue queue;
    Taker taker;
    EXPECT_EQ(taker.Get(queue), 0);
    ASSERT_EQ(queue.Put(RequestType::Read, "MODE", nullptr, nullptr, nullptr), 1);
    ASSERT_EQ(queue.Clear(), 1);
    EXPECT_EQ(taker.Get(queue), 0);
    EXPECT_EQ(taker.item.type, RequestType::None);
    EXPECT_EQ(taker.Text()[0], '#');
    EXPECT_EQ(taker.Parameter()[0], '#');
}

TEST(RequestQueue, RecordTooLongForTakerIsDroppedNotCut) {
    CZRAQueue queue;
    ASSERT_EQ(queue.Put(RequestType::Raw, "$MODE;2 long raw line", nullptr, nullptr, nullptr), 1);
    ASSERT_EQ(queue.Put(RequestType::Read, "MODE", nullptr, nullptr, nullptr), 1);
    Taker small(10, 10);
    EXPECT_EQ(small.Get(queue), 0);
    EXPECT_EQ(small.Text()[0], '#');
    ASSERT_EQ(small.Get(queue), 1);
    EXPECT_EQ(small.Text(), "MODE");
}

TEST(LogQueue, BytesComeOutInOrderAndFullRingRefuses) {
    CZRALogQueue queue;
    ASSERT_EQ(queue.ClearQuick(), 1);
    uint8_t byte = 0;
    EXPECT_EQ(queue.GetByte(byte), 0);
    for (int i = 0; i < CZRALogQueue::kSize - 1; ++i) {
        ASSERT_EQ(queue.PutByte(static_cast<uint8_t>(i)), 1) << i;
    }
    EXPECT_EQ(queue.PutByte(0xFF), 0);
    for (int i = 0; i < CZRALogQueue::kSize - 1; ++i) {
        ASSERT_EQ(queue.GetByte(byte), 1);
        ASSERT_EQ(byte, static_cast<uint8_t>(i));
    }
    EXPECT_EQ(queue.GetByte(byte), 0);
    // Indices now sit mid-ring: a put after wrapping still works, Clear empties.
    ASSERT_EQ(queue.PutByte('x'), 1);
    ASSERT_EQ(queue.Clear(), 1);
    EXPECT_EQ(queue.GetByte(byte), 0);
}

}  // namespace
