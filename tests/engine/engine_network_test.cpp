// Network streams from a server on the loopback address: plain files with ranges, a
// shoutcast stream with ICY titles, and every way an address can fail.
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>

#include "engine_test_support.h"
#include "http_server.h"
#include "media_fixtures.h"

namespace lirra::testing {
namespace {

class Network : public EngineTest {
 protected:
  Network() : EngineTest(0) {}
  std::string mp3Bytes(double seconds) {
    const std::string wav = scratch_.file("tone.wav");
    WriteSineWav(wav, BinCentreHz(23), seconds, 0.8);
    const std::string mp3 = scratch_.file("tone.mp3");
    EXPECT_TRUE(Encode(wav, mp3, "-c:a libmp3lame -b:a 128k"));
    std::ifstream f(mp3, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  }
};

TEST_F(Network, AnMp3ServedOverHttpPlaysWithItsLength) {
  HttpServer server(HttpServer::Mode::File, mp3Bytes(3.0));
  const std::string url = server.url("/song.mp3");
  const HSTREAM h = BASS_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr);
  ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
  BASS_CHANNELINFO info;
  ASSERT_TRUE(BASS_ChannelGetInfo(h, &info));
  EXPECT_STREQ(info.filename, url.c_str());
  EXPECT_EQ(info.ctype, DWORD{BASS_CTYPE_STREAM_MP3});
  EXPECT_NEAR(BASS_ChannelBytes2Seconds(h, BASS_ChannelGetLength(h, BASS_POS_BYTE)), 3.0, 0.1);
  ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
  SleepMs(400);
  float bins[512];
  ASSERT_NE(BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024), 0xFFFFFFFFu);
  EXPECT_EQ(std::max_element(bins, bins + 512) - bins, 23);
  EXPECT_GT(BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h, BASS_POS_BYTE)), 0.2);
  EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(Network, AShoutcastStreamKeepsItsTitleAsTheChannelsTags) {
  HttpServer server(HttpServer::Mode::Shoutcast, mp3Bytes(4.0), "audio/mpeg", "Lirra - Radio Song");
  const HSTREAM h = BASS_StreamCreateURL(server.url("/live").c_str(), 0, 0, nullptr, nullptr);
  ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
  ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
  ASSERT_TRUE(WaitUntil(3000, [&] {
    const char* meta = BASS_ChannelGetTags(h, BASS_TAG_META);
    return meta && std::string(meta).find("StreamTitle='Lirra - Radio Song'") != std::string::npos;
  }));
  bool named = false;
  for (const char* p = BASS_ChannelGetTags(h, BASS_TAG_ICY); p && *p; p += std::strlen(p) + 1)
    named = named || std::string(p) == "icy-name: Lirra Test Radio";
  EXPECT_TRUE(named);
}

TEST_F(Network, AddressesThatCannotBeOpenedFailPromptlyWithAReason) {
  // A port nobody listens on: refused at once.
  int closedPort;
  {
    HttpServer probe(HttpServer::Mode::Html, "");
    closedPort = probe.port();
  }
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(BASS_StreamCreateURL(("http://127.0.0.1:" + std::to_string(closedPort) + "/x.mp3").c_str(),
                                 0, 0, nullptr, nullptr),
            0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

  // A server that accepts and never answers: the configured time-out ends the wait.
  ASSERT_TRUE(BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 1000));
  HttpServer silent(HttpServer::Mode::Silent, "");
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(BASS_StreamCreateURL(silent.url("/slow.mp3").c_str(), 0, 0, nullptr, nullptr), 0u);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_TIMEOUT);
  EXPECT_GT(took, std::chrono::milliseconds(900));
  EXPECT_LT(took, std::chrono::milliseconds(2500));
  BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 5000);

  // A web page is no sound.
  HttpServer html(HttpServer::Mode::Html, "");
  EXPECT_EQ(BASS_StreamCreateURL(html.url("/index.html").c_str(), 0, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);

  // Only http and https are network streams.
  for (const char* url : {"ftp://127.0.0.1/a.mp3", "/local/file.mp3", ""}) {
    EXPECT_EQ(BASS_StreamCreateURL(url, 0, 0, nullptr, nullptr), 0u) << url;
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
  }
  EXPECT_EQ(BASS_StreamCreateURL(nullptr, 0, 0, nullptr, nullptr), 0u);
}

}  // namespace
}  // namespace lirra::testing

namespace lirra::testing {
namespace {

// A stream that stops sending mid-read waits on its own decoding thread: the calls the
// player makes from its UI thread (position, spectrum, pause) answer at once meanwhile,
// instead of waiting for the read time-out under the engine's lock.
TEST_F(Network, AStalledStreamNeverHoldsUpTheCallsOfTheUiThread) {
  HttpServer server(HttpServer::Mode::File, mp3Bytes(20.0));
  server.stallAfter(32 * 1024);  // about 2 s of 128 kb/s
  BASS_SetConfig(BASS_CONFIG_NET_READTIMEOUT, 4000);
  const HSTREAM h = BASS_StreamCreateURL(server.url("/stall.mp3").c_str(), 0, 0, nullptr, nullptr);
  ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
  ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
  using Clock = std::chrono::steady_clock;
  Clock::duration longest{};
  float bins[512];
  const auto until = Clock::now() + std::chrono::milliseconds(5000);
  for (int i = 0; Clock::now() < until; ++i) {
    const auto before = Clock::now();
    BASS_ChannelGetPosition(h, BASS_POS_BYTE);
    BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024);
    if (i % 10 == 0) {
      BASS_ChannelPause(h);
      BASS_ChannelPlay(h, FALSE);
    }
    longest = std::max(longest, Clock::now() - before);
    SleepMs(20);
  }
  const double position = BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h, BASS_POS_BYTE));
  EXPECT_GT(position, 1.0) << "what arrived was played";
  EXPECT_LT(position, 3.0) << "and the stream did stall";
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(longest).count(), 500)
      << "a call waited for the stalled read";
  const auto freeing = Clock::now();
  EXPECT_TRUE(BASS_StreamFree(h));
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - freeing).count(), 1000)
      << "freeing cuts the waiting read short";
}

}  // namespace
}  // namespace lirra::testing
