#include <gtest/gtest.h>

#include <cstring>

#include "platform/kernel/Clock.h"
#include "platform/kernel/GlobalMemory.h"
#include "platform/kernel/Stream.h"

namespace win {
namespace {

LARGE_INTEGER Offset(std::int64_t v) {
  LARGE_INTEGER l;
  l.QuadPart = v;
  return l;
}

TEST(GlobalMemory, LockSizeReallocAndFree) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 16u);
  auto* bytes = static_cast<BYTE*>(GlobalLock(block));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes[15], 0);
  std::memcpy(bytes, "lumbrix", 7);
  EXPECT_EQ(GlobalUnlock(block), FALSE);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

  ASSERT_EQ(GlobalReAlloc(block, 4096, GMEM_MOVEABLE), block);
  bytes = static_cast<BYTE*>(GlobalLock(block));
  EXPECT_EQ(std::memcmp(bytes, "lumbrix", 7), 0);
  EXPECT_EQ(bytes[4095], 0);
  GlobalUnlock(block);

  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GlobalFree(block), block);
  EXPECT_EQ(GlobalSize(reinterpret_cast<HGLOBAL>(0x12345)), 0u);
}

TEST(GlobalMemory, UnlockOfAnUnlockedBlockFails) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
  EXPECT_EQ(GlobalUnlock(block), FALSE);
  EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);
  GlobalFree(block);
}

TEST(HGlobalStream, BlockOutlivesAStreamThatDoesNotFreeIt) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 5);
  std::memcpy(GlobalLock(block), "hello", 5);
  GlobalUnlock(block);

  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(block, FALSE, &stream), S_OK);
  char buffer[8] = {};
  ULONG read = 0;
  EXPECT_EQ(stream->Read(buffer, sizeof buffer, &read), S_OK);
  EXPECT_EQ(read, 5u);
  EXPECT_STREQ(buffer, "hello");
  HGLOBAL behind = nullptr;
  EXPECT_EQ(GetHGlobalFromStream(stream, &behind), S_OK);
  EXPECT_EQ(behind, block);
  stream->AddRef();
  EXPECT_EQ(stream->Release(), 1u);
  EXPECT_EQ(stream->Release(), 0u);

  ASSERT_EQ(GlobalSize(block), 5u);
  EXPECT_EQ(std::memcmp(GlobalLock(block), "hello", 5), 0);
  GlobalUnlock(block);
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(HGlobalStream, StreamThatOwnsItsBlockFreesIt) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 3);
  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(block, TRUE, &stream), S_OK);
  stream->Release();
  EXPECT_EQ(GlobalSize(block), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(HGlobalStream, WritingPastTheEndGrowsTheBlockAndSeekWorksFromEachOrigin) {
  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
  ULONG written = 0;
  ASSERT_EQ(stream->Write("abcdef", 6, &written), S_OK);
  EXPECT_EQ(written, 6u);

  ULARGE_INTEGER position;
  ASSERT_EQ(stream->Seek(Offset(-2), STREAM_SEEK_END, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 4u);
  char two[2];
  ULONG read = 0;
  stream->Read(two, 2, &read);
  EXPECT_EQ(std::string(two, read), "ef");

  ASSERT_EQ(stream->Seek(Offset(10), STREAM_SEEK_SET, &position), S_OK);
  ASSERT_EQ(stream->Write("Z", 1, nullptr), S_OK);  // leaves a zero-filled gap
  STATSTG stat{};
  ASSERT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(stat.cbSize.QuadPart, 11u);
  HGLOBAL block = nullptr;
  GetHGlobalFromStream(stream, &block);
  const auto* bytes = static_cast<const char*>(GlobalLock(block));
  EXPECT_EQ(std::string(bytes, 11), std::string("abcdef\0\0\0\0Z", 11));
  GlobalUnlock(block);

  ASSERT_EQ(stream->Seek(Offset(-1), STREAM_SEEK_CUR, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 10u);
  EXPECT_EQ(stream->Seek(Offset(-20), STREAM_SEEK_CUR, nullptr), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(stream->Seek(Offset(0), 7, nullptr), STG_E_INVALIDFUNCTION);

  ULARGE_INTEGER size;
  size.QuadPart = 3;
  ASSERT_EQ(stream->SetSize(size), S_OK);
  stream->Seek(Offset(0), STREAM_SEEK_SET, nullptr);
  char all[16];
  stream->Read(all, sizeof all, &read);
  EXPECT_EQ(std::string(all, read), "abc");
  stream->Release();
}

TEST(HGlobalStream, RefusesAFreedBlock) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 1);
  GlobalFree(block);
  IStream* stream = reinterpret_cast<IStream*>(0x1);
  EXPECT_EQ(CreateStreamOnHGlobal(block, FALSE, &stream), E_INVALIDARG);
  EXPECT_EQ(stream, nullptr);
}

TEST(Clock, FileTimeCountsFrom1601AndVirtualClockAdvancesOnlyWhenTold) {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const std::uint64_t ticks = (std::uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  const std::uint64_t unixSeconds = ticks / 10'000'000ull - 11644473600ull;
  EXPECT_NEAR(double(unixSeconds), double(std::time(nullptr)), 2.0);

  ScopedVirtualClock virtualTime(5000);
  EXPECT_EQ(GetTickCount64(), 5000u);
  virtualTime.clock().Advance(300);
  EXPECT_EQ(GetTickCount(), 5300u);
}

}  // namespace
}  // namespace win
