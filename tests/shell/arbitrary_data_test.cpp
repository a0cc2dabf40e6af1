#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/arb_data_calls.h"
#include "host_interface/host_commands.h"
#include "shell/arbitrary_data.h"
#include "shell/chain_blobs.h"
#include "shell/param_ids.h"
#include "tests/host/reference_host_fixture.h"

namespace {

std::vector<uint8_t> FreshBytes(size_t size) {
  std::vector<uint8_t> bytes(size, 0);
  bytes[0] = 1;
  return bytes;
}

// A patterned block: version 7, arbitrary count and content.
std::vector<uint8_t> PatternBytes(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 13);
  bytes[0] = 7;
  bytes[1] = bytes[2] = bytes[3] = 0;
  return bytes;
}

std::vector<uint8_t> Flat(ReferenceHost& host, int32_t id, HostHandle handle) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(ArbFlatten(host, id, handle, bytes), kHostErrorNone);
  return bytes;
}

HostHandle Unflat(ReferenceHost& host, int32_t id, const std::vector<uint8_t>& bytes) {
  HostHandle handle = nullptr;
  EXPECT_EQ(ArbUnflatten(host, id, bytes, handle), kHostErrorNone);
  return handle;
}

class ArbitraryData : public ::testing::Test {
 protected:
  void SetUp() override {
    host = OpenTestHost();
    ASSERT_NE(host, nullptr);
  }
  void TearDown() override {
    if (host == nullptr) return;
    const HandleStats stats = ReadHandleStats(host->handles);
    EXPECT_EQ(stats.locks, stats.unlocks);
    EXPECT_EQ(stats.misuses, 0);
  }
  std::unique_ptr<ReferenceHost> host;
};

const int32_t kBoth[] = {PARAM_CHAIN_SELECTION, PARAM_DRAW_ORDER};

}  // namespace

TEST_F(ArbitraryData, NewBlocksAreFreshWhateverTheHostAllocated) {
  SetNewHandleFill(host->handles, 0xAB);
  for (int32_t id : kBoth) {
    HostHandle handle = nullptr;
    ASSERT_EQ(ArbNew(*host, id, handle), kHostErrorNone);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(Flat(*host, id, handle), FreshBytes(id == PARAM_DRAW_ORDER ? 264 : 268));
    EXPECT_EQ(ArbDispose(*host, id, handle), kHostErrorNone);
  }
  EXPECT_EQ(ReadHandleStats(host->handles).live, 0);
}

TEST_F(ArbitraryData, FlatSizeFollowsTheParameterId) {
  uint32_t size = 0;
  EXPECT_EQ(ArbFlatSize(*host, PARAM_DRAW_ORDER, nullptr, size), kHostErrorNone);
  EXPECT_EQ(size, 264u);
  for (int32_t id : {PARAM_CHAIN_SELECTION, 0, 7, 125, -3}) {
    EXPECT_EQ(ArbFlatSize(*host, id, nullptr, size), kHostErrorNone);
    EXPECT_EQ(size, 268u) << id;
  }
}

TEST_F(ArbitraryData, UnflattenFlattenAndCopyKeepEveryByte) {
  for (int32_t id : kBoth) {
    const std::vector<uint8_t> bytes = PatternBytes(ArbBlockSize(id), 3);
    HostHandle handle = Unflat(*host, id, bytes);
    EXPECT_EQ(Flat(*host, id, handle), bytes);  // version 7 and reserved bytes untouched
    HostHandle copy = nullptr;
    ASSERT_EQ(ArbCopy(*host, id, handle, copy), kHostErrorNone);
    EXPECT_NE(copy, handle);
    EXPECT_EQ(Flat(*host, id, copy), bytes);
    ArbDispose(*host, id, copy);
    ArbDispose(*host, id, handle);
  }
  EXPECT_EQ(ReadHandleStats(host->handles).live, 0);
}

TEST_F(ArbitraryData, CompareReportsEqualOrNotEqualOnly) {
  std::vector<uint8_t> bytes = FreshBytes(264);
  bytes[8 + 5] = 3;  // one targetPosition
  HostHandle a = Unflat(*host, PARAM_DRAW_ORDER, bytes);
  HostHandle copy = nullptr;
  ArbCopy(*host, PARAM_DRAW_ORDER, a, copy);
  bytes[8 + 5] = 4;
  HostHandle b = Unflat(*host, PARAM_DRAW_ORDER, bytes);
  int32_t result = -1;
  EXPECT_EQ(ArbCompare(*host, PARAM_DRAW_ORDER, a, copy, result), kHostErrorNone);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ArbCompare(*host, PARAM_DRAW_ORDER, a, b, result), kHostErrorNone);
  EXPECT_EQ(result, 3);
  EXPECT_EQ(ArbCompare(*host, PARAM_DRAW_ORDER, b, a, result), kHostErrorNone);
  EXPECT_EQ(result, 3);
  // The reserved bytes of a selection block count too.
  std::vector<uint8_t> selection = FreshBytes(268);
  HostHandle s1 = Unflat(*host, PARAM_CHAIN_SELECTION, selection);
  selection[267] = 1;
  HostHandle s2 = Unflat(*host, PARAM_CHAIN_SELECTION, selection);
  EXPECT_EQ(ArbCompare(*host, PARAM_CHAIN_SELECTION, s1, s2, result), kHostErrorNone);
  EXPECT_EQ(result, 3);
  for (HostHandle h : {a, copy, b}) ArbDispose(*host, PARAM_DRAW_ORDER, h);
  for (HostHandle h : {s1, s2}) ArbDispose(*host, PARAM_CHAIN_SELECTION, h);
}

TEST_F(ArbitraryData, InterpolationJumpsAtOneHalf) {
  const std::vector<uint8_t> left = PatternBytes(268, 1);
  const std::vector<uint8_t> right = PatternBytes(268, 90);
  HostHandle l = Unflat(*host, PARAM_CHAIN_SELECTION, left);
  HostHandle r = Unflat(*host, PARAM_CHAIN_SELECTION, right);
  for (double t : {0.0, 0.49, 0.4999999, 0.5, 0.51, 1.0}) {
    HostHandle result = nullptr;
    ASSERT_EQ(ArbInterpolate(*host, PARAM_CHAIN_SELECTION, l, r, t, result), kHostErrorNone);
    EXPECT_NE(result, l);
    EXPECT_NE(result, r);
    EXPECT_EQ(Flat(*host, PARAM_CHAIN_SELECTION, result), t < 0.5 ? left : right) << t;
    ArbDispose(*host, PARAM_CHAIN_SELECTION, result);
  }
  ArbDispose(*host, PARAM_CHAIN_SELECTION, l);
  ArbDispose(*host, PARAM_CHAIN_SELECTION, r);
}

TEST_F(ArbitraryData, UnknownSelectorsAndNullDisposeDoNothing) {
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
  EXPECT_EQ(ReadHandleStats(host->handles).allocated, 0);
}

TEST_F(ArbitraryData, AllocationFailureAnswersFourWithANullHandle) {
  HostHandle source = Unflat(*host, PARAM_DRAW_ORDER, FreshBytes(264));
  FailHandleAllocationsAfter(host->handles, 0);
  HostHandle result = reinterpret_cast<HostHandle>(&result);
  EXPECT_EQ(ArbNew(*host, PARAM_DRAW_ORDER, result), kHostErrorOutOfMemory);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(ArbCopy(*host, PARAM_DRAW_ORDER, source, result), kHostErrorOutOfMemory);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(ArbUnflatten(*host, PARAM_DRAW_ORDER, FreshBytes(264), result), kHostErrorOutOfMemory);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(ArbInterpolate(*host, PARAM_DRAW_ORDER, source, source, 0.7, result), kHostErrorOutOfMemory);
  EXPECT_EQ(result, nullptr);
  ArbDispose(*host, PARAM_DRAW_ORDER, source);
}

// Flatten into a buffer smaller than the block, or unflatten from shorter
// data, is refused: nothing is read or written past the host's buffer.
TEST_F(ArbitraryData, ShortBuffersAreRefusedWithoutTouchingThem) {
  for (int32_t id : kBoth) {
    const uint32_t size = ArbBlockSize(id);
    HostHandle handle = Unflat(*host, id, PatternBytes(size, 9));

    std::vector<uint8_t> buffer(size + 8, 0xEE);
    HostArbCallbackRecord record{};
    record.selector = kArbFlatten;
    record.paramId = static_cast<int16_t>(id);
    record.u.flatten.handle = handle;
    record.u.flatten.bufferSize = size - 1;
    record.u.flatten.buffer = buffer.data();
    EXPECT_EQ(SendArbCallback(*host, record), kArbRefused);
    EXPECT_EQ(buffer, std::vector<uint8_t>(size + 8, 0xEE));

    // A larger buffer receives exactly the block.
    record.u.flatten.bufferSize = size + 8;
    EXPECT_EQ(SendArbCallback(*host, record), kHostErrorNone);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + size), PatternBytes(size, 9));
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin() + size, buffer.end()), std::vector<uint8_t>(8, 0xEE));

    const int64_t allocatedBefore = ReadHandleStats(host->handles).allocated;
    std::vector<uint8_t> shortData = PatternBytes(size, 4);
    shortData.pop_back();
    HostHandle result = reinterpret_cast<HostHandle>(&result);
    EXPECT_EQ(ArbUnflatten(*host, id, shortData, result), kArbRefused);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(ReadHandleStats(host->handles).allocated, allocatedBefore);

    // Longer flat data gives the block its first bytes.
    std::vector<uint8_t> longData = PatternBytes(size, 4);
    longData.push_back(0x99);
    HostHandle fromLong = Unflat(*host, id, longData);
    longData.pop_back();
    EXPECT_EQ(Flat(*host, id, fromLong), longData);
    ArbDispose(*host, id, fromLong);
    ArbDispose(*host, id, handle);
  }
}

TEST(ArbitraryDataHost, CurrentDataSurvivesReplaceAndClose) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const std::vector<uint8_t> bytes = PatternBytes(264, 77);
  ASSERT_EQ(ReplaceCurrentData(*host, PARAM_DRAW_ORDER, bytes), kHostErrorNone);
  std::vector<uint8_t> read;
  ASSERT_EQ(FlattenCurrentData(*host, PARAM_DRAW_ORDER, read), kHostErrorNone);
  EXPECT_EQ(read, bytes);
  // Defaults and current values: two blobs per parameter.
  EXPECT_EQ(ReadHandleStats(host->handles).live, 4);
}
