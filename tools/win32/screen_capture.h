#pragma once
// What the test drivers (tdriver, eddriver) save of the screen: areas as 24-bit BMP files.

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// The pixels of a screen area, bottom-up 24-bit rows.
std::vector<unsigned char> CaptureScreenArea(POINT origin, int width, int height);
// Writes such pixels as a 24-bit BMP file.
bool WriteBitmap(int width, int height, const std::vector<unsigned char>& pixels, const std::string& path);
// A screen area as a 24-bit BMP file; false for an empty area or a file that cannot be made.
bool SaveScreenArea(POINT origin, int width, int height, const std::string& path);

}  // namespace driver
