#pragma once
// The program's own pictures of its commands, drawn at run time: a rounded
// tile in the command's colour with its letter, so that the toolbars and
// menus need no image files.
#include <wx/bitmap.h>

#include <string>

namespace vemo {

wxBitmap CommandBitmap(int command, int size = 16);

// A timetable's icon from the PNG its resource bundle names, at 16 x 16;
// the program's default train picture when there is none or it cannot be
// read.
wxBitmap TimetableBitmap(std::string const& png_path, int size = 16);
// A picture of a resource bundle at the size; an invalid bitmap when it
// cannot be read.
wxBitmap BundleBitmap(std::string const& png_path, int size);

}  // namespace vemo
