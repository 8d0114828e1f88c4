// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace brevora {

// The Info frame that goes before a constant-bit-rate MPEG audio stream, so
// that players know its length and seek exactly without estimating: an empty
// frame of the stream's own kind (version, sample rate, channels) at a bit
// rate that holds the tag, with the count of the stream's frames and bytes, a
// seek table, and LAME's extension: the encoder (`encoder`, "3.100"), the
// encoder's delay and padding in samples (at most 4095 each), and the CRCs of
// the audio and of the tag. Empty when `audio` does not begin with a frame.
std::string Mp3InfoFrame(std::string_view audio, std::string_view encoder, int delay, int padding);

}  // namespace brevora
