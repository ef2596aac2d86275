#include "platform/kwin/PipeRead.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <thread>

namespace vv {
namespace {

using std::chrono::milliseconds;

// Writes `bytes` to the write end on a thread of its own, then closes it.
std::thread writeAndClose(UniqueFd writeEnd, QByteArray bytes) {
  return std::thread([fd = std::move(writeEnd), bytes] {
    qsizetype done = 0;
    while (done < bytes.size()) {
      const ssize_t wrote =
          ::write(fd.get(), bytes.constData() + done, size_t(bytes.size() - done));
      if (wrote <= 0) {
        return;
      }
      done += wrote;
    }
  });
}

TEST(PipeRead, ReadsAScreenfulWrittenInPiecesUntilTheWriterCloses) {
  auto pipe = makePipe();
  ASSERT_TRUE(pipe);
  QByteArray frame(1920 * 1080 * 4, Qt::Uninitialized);
  for (qsizetype i = 0; i < frame.size(); ++i) {
    frame[i] = char(i * 7);
  }
  std::thread writer = writeAndClose(std::move(pipe->write), frame);
  const auto read = readExactlyToEnd(pipe->read, frame.size(), milliseconds(10'000));
  writer.join();
  ASSERT_TRUE(read);
  EXPECT_TRUE(*read == frame);
}

TEST(PipeRead, AWriterThatStopsShortOrSendsMoreIsAFailure) {
  for (const qsizetype sent : {qsizetype(0), qsizetype(99), qsizetype(101), qsizetype(5000)}) {
    auto pipe = makePipe();
    ASSERT_TRUE(pipe);
    std::thread writer = writeAndClose(std::move(pipe->write), QByteArray(sent, 'x'));
    const auto read = readExactlyToEnd(pipe->read, 100, milliseconds(10'000));
    pipe->read = UniqueFd();  // a writer still sending must not stay blocked
    writer.join();
    EXPECT_FALSE(read) << sent << " bytes sent";
  }
}

TEST(PipeRead, AWriterThatNeverClosesIsGivenUpOnWithinTheBudget) {
  auto pipe = makePipe();
  ASSERT_TRUE(pipe);
  ASSERT_EQ(::write(pipe->write.get(), "abcd", 4), 4);
  QElapsedTimer waited;
  waited.start();
  EXPECT_FALSE(readExactlyToEnd(pipe->read, 4, milliseconds(300)));
  EXPECT_GE(waited.elapsed(), 250);
  EXPECT_LT(waited.elapsed(), 3000);
}

TEST(PipeRead, BothEndsAreClosedOnExecAndWithTheirOwners) {
  int readFd = -1;
  {
    auto pipe = makePipe();
    ASSERT_TRUE(pipe);
    readFd = pipe->read.get();
    EXPECT_TRUE(::fcntl(pipe->read.get(), F_GETFD) & FD_CLOEXEC);
    EXPECT_TRUE(::fcntl(pipe->write.get(), F_GETFD) & FD_CLOEXEC);
  }
  EXPECT_EQ(::fcntl(readFd, F_GETFD), -1);
}

}  // namespace
}  // namespace vv
