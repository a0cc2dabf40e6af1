#include <gtest/gtest.h>

#include <cstring>

#include "host/arb_data_calls.h"
#include "host_interface/host_commands.h"
#include "model/param_ids.h"
#include "shell/arbitrary_data.h"
#include "tests/host/reference_host_fixture.h"

namespace {

const int32_t kBoth[] = {PARAM_CHAIN_SELECTION, PARAM_DRAW_ORDER};

// Every test disposes what it made: no block may stay alive or locked.
class ArbitraryData : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(host = OpenTestHost(), nullptr); }
  void TearDown() override {
    if (host == nullptr) return;
    const HandleStats stats = ReadHandleStats(host->handles);
    EXPECT_EQ(stats.locks, stats.unlocks);
    EXPECT_EQ(stats.misuses, 0);
    EXPECT_EQ(stats.live, 0);
  }
  std::vector<uint8_t> Flat(int32_t id, HostHandle handle) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ArbFlatten(*host, id, handle, bytes), kHostErrorNone);
    return bytes;
  }
  HostHandle Unflat(int32_t id, const std::vector<uint8_t>& bytes) {
    HostHandle handle = nullptr;
    EXPECT_EQ(ArbUnflatten(*host, id, bytes, handle), kHostErrorNone);
    return handle;
  }
  int32_t Compare(int32_t id, HostHandle a, HostHandle b) {
    int32_t result = -1;
    EXPECT_EQ(ArbCompare(*host, id, a, b, result), kHostErrorNone);
    return result;
  }
  std::unique_ptr<ReferenceHost> host;
};

}  // namespace

TEST_F(ArbitraryData, NewBlocksAreFreshFlatSizeFollowsTheIdAndUnknownSelectorsDoNothing) {
  SetNewHandleFill(host->handles, 0xAB);
  for (int32_t id : kBoth) {
    HostHandle handle = nullptr;
    ASSERT_EQ(ArbNew(*host, id, handle), kHostErrorNone);
    std::vector<uint8_t> fresh(ArbBlockSize(id), 0);
    fresh[0] = 1;
    EXPECT_EQ(Flat(id, handle), fresh);
    ArbDispose(*host, id, handle);
  }
  for (int32_t id : {PARAM_DRAW_ORDER, PARAM_CHAIN_SELECTION, 0, 7, 125, -3}) {
    uint32_t size = 0;
    EXPECT_EQ(ArbFlatSize(*host, id, nullptr, size), kHostErrorNone);
    EXPECT_EQ(size, id == PARAM_DRAW_ORDER ? 264u : 268u) << id;
  }
  for (ArbSelector selector : {8, 9, -1, 1000}) {
    HostArbCallbackRecord record;
    std::memset(&record, 0x5C, sizeof(record));
    record.selector = selector;
    record.paramId = PARAM_DRAW_ORDER;
    const HostArbCallbackRecord before = record;
    EXPECT_EQ(SendArbCallback(*host, record), kHostErrorNone);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof(record)), 0);
  }
  EXPECT_EQ(ArbDispose(*host, PARAM_DRAW_ORDER, nullptr), kHostErrorNone);
  EXPECT_EQ(ReadHandleStats(host->handles).allocated, 2);
}

TEST_F(ArbitraryData, UnflattenFlattenCopyAndCompareKeepEveryByte) {
  for (int32_t id : kBoth) {
    const std::vector<uint8_t> bytes = PatternBytes(ArbBlockSize(id), 3);
    HostHandle handle = Unflat(id, bytes);
    HostHandle copy = nullptr;
    ASSERT_EQ(ArbCopy(*host, id, handle, copy), kHostErrorNone);
    std::vector<uint8_t> longer = bytes;  // longer flat data gives the block its first bytes
    longer.push_back(0x99);
    HostHandle fromLonger = Unflat(id, longer);
    std::vector<uint8_t> lastChanged = bytes;  // the last byte counts too
    lastChanged.back() ^= 1;
    HostHandle other = Unflat(id, lastChanged);
    for (HostHandle h : {handle, copy, fromLonger}) EXPECT_EQ(Flat(id, h), bytes);
    EXPECT_EQ((std::vector<int32_t>{Compare(id, handle, copy), Compare(id, handle, other), Compare(id, other, handle)}),
              (std::vector<int32_t>{0, 3, 3}));
    for (HostHandle h : {handle, copy, fromLonger, other}) ArbDispose(*host, id, h);
  }
}

TEST_F(ArbitraryData, InterpolationJumpsAtOneHalf) {
  const std::vector<uint8_t> left = PatternBytes(268, 1);
  const std::vector<uint8_t> right = PatternBytes(268, 90);
  HostHandle l = Unflat(PARAM_CHAIN_SELECTION, left);
  HostHandle r = Unflat(PARAM_CHAIN_SELECTION, right);
  for (double t : {0.0, 0.49, 0.4999999, 0.5, 0.51, 1.0}) {
    HostHandle result = nullptr;
    ASSERT_EQ(ArbInterpolate(*host, PARAM_CHAIN_SELECTION, l, r, t, result), kHostErrorNone);
    EXPECT_EQ(Flat(PARAM_CHAIN_SELECTION, result), t < 0.5 ? left : right) << t;
    ArbDispose(*host, PARAM_CHAIN_SELECTION, result);
  }
  ArbDispose(*host, PARAM_CHAIN_SELECTION, l);
  ArbDispose(*host, PARAM_CHAIN_SELECTION, r);
}

// Nothing may be read or written past a host buffer; without memory the answer is 4 and no block.
TEST_F(ArbitraryData, ShortBuffersAreRefusedWithoutTouchingThemAndFailedAllocationsGiveNoBlock) {
  for (int32_t id : kBoth) {
    const uint32_t size = ArbBlockSize(id);
    const std::vector<uint8_t> bytes = PatternBytes(size, 9);
    HostHandle handle = Unflat(id, bytes);
    std::vector<uint8_t> buffer(size + 8, 0xEE);
    HostArbCallbackRecord record{kArbFlatten, static_cast<int16_t>(id), {}};
    record.u.flatten = {handle, size - 1, buffer.data()};
    EXPECT_EQ(SendArbCallback(*host, record), kArbRefused);
    EXPECT_EQ(buffer, std::vector<uint8_t>(size + 8, 0xEE));
    record.u.flatten.bufferSize = size + 8;  // a larger buffer receives exactly the block
    EXPECT_EQ(SendArbCallback(*host, record), kHostErrorNone);
    std::vector<uint8_t> expected = bytes;
    expected.resize(size + 8, 0xEE);
    EXPECT_EQ(buffer, expected);
    HostHandle results[3] = {handle, handle, handle};
    EXPECT_EQ(ArbUnflatten(*host, id, std::vector<uint8_t>(bytes.begin(), bytes.end() - 1), results[0]), kArbRefused);
    FailHandleAllocationsAfter(host->handles, 0);
    EXPECT_EQ(ArbCopy(*host, id, handle, results[1]), kHostErrorOutOfMemory);
    EXPECT_EQ(ArbInterpolate(*host, id, handle, handle, 0.7, results[2]), kHostErrorOutOfMemory);
    FailHandleAllocationsAfter(host->handles, -1);
    EXPECT_EQ((std::vector<HostHandle>(results, results + 3)), std::vector<HostHandle>(3, nullptr));
    ArbDispose(*host, id, handle);
  }
  EXPECT_EQ(ReadHandleStats(host->handles).allocated, 2);
}
