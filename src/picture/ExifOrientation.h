#pragma once
// The orientation a camera records in a JPEG's EXIF block (APP1): how the stored rows and
// columns lie relative to the upright picture.

#include <QImage>
#include <cstddef>

namespace ostrivo {

// The EXIF orientation values 1 to 8: the side of the upright picture that the stored first row
// and first column show.
enum class Orientation {
  Upright = 1,      // row 0 top, column 0 left
  Mirrored = 2,     // row 0 top, column 0 right
  Rotated180 = 3,   // row 0 bottom, column 0 right
  Flipped = 4,      // row 0 bottom, column 0 left
  Transposed = 5,   // row 0 left, column 0 top
  Rotated90 = 6,    // row 0 right, column 0 top (turn clockwise to show)
  Transversed = 7,  // row 0 right, column 0 bottom
  Rotated270 = 8,   // row 0 left, column 0 bottom (turn anticlockwise to show)
};

// Reads the orientation from the contents of an APP1 marker (after its length field). Anything
// that is not a well-formed EXIF block with a valid orientation reads as Upright: a picture is
// never refused for its EXIF data.
Orientation ReadExifOrientation(const unsigned char* data, std::size_t size);

// True when the stored picture's width is the upright picture's height.
bool SwapsSides(Orientation o);

// The stored picture turned and mirrored upright.
QImage Upright(const QImage& stored, Orientation o);

}  // namespace ostrivo
