// Frame times in the host's time units.
//
// A frame rate p/q (reduced) gets the time scale p x 100 units per second and
// a frame step of q x 100 units: 30 fps is 3000 units per second and frames
// 100 units apart, 29.97 fps is 299700 and 10000. Every frame then starts on a
// whole unit, and so does every time given in hundredths of a second at an
// integer rate.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct FrameTiming {
  uint32_t timeScale = 3000;  // units per second
  int32_t timeStep = 100;     // units per frame
};

// "30", "23.976" (up to three decimals) or "30000/1001"; the rate must lie
// above 0 and at most 1000 frames per second.
bool ParseFrameRate(std::string_view text, FrameTiming& timing, std::string& error);

// Seconds to units, rounded to the nearest; false when outside int32.
bool SecondsToTime(double seconds, const FrameTiming& timing, int32_t& time);

// Start of frame `frame`; false when it lies outside int32.
bool FrameStartTime(int32_t frame, const FrameTiming& timing, int32_t& time);
