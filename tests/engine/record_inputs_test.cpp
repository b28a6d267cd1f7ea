#include "record.h"

#include <gtest/gtest.h>

#include "bass.h"

namespace lirra::engine {
namespace {

TEST(InputTypes, FollowThePortAndTheKindOfDevice) {
  EXPECT_EQ(InputTypeOf({true, "", ""}), BASS_INPUT_TYPE_ANALOG);
  EXPECT_EQ(InputTypeOf({false, "mic", ""}), BASS_INPUT_TYPE_MIC);
  EXPECT_EQ(InputTypeOf({false, "headset", ""}), BASS_INPUT_TYPE_MIC);
  EXPECT_EQ(InputTypeOf({false, "", "microphone"}), BASS_INPUT_TYPE_MIC);  // a USB microphone
  EXPECT_EQ(InputTypeOf({false, "line", ""}), BASS_INPUT_TYPE_LINE);
  EXPECT_EQ(InputTypeOf({false, "spdif", ""}), BASS_INPUT_TYPE_DIGITAL);
  EXPECT_EQ(InputTypeOf({false, "", ""}), BASS_INPUT_TYPE_UNDEF);  // a virtual source
  EXPECT_EQ(InputTypeOf({false, "mic", ""}) >> 24, 3u) << "the type the player looks for";
}

}  // namespace
}  // namespace lirra::engine
