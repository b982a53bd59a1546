#pragma once
// The program's own pictures of its commands, drawn at run time: a rounded
// tile in the command's colour with its letter, so that the toolbars and
// menus need no image files.
#include <wx/bitmap.h>

#include <string>

namespace vemo {

wxBitmap CommandBitmap(int command, int size = 16);

// The program's icon (the frames' and dialogs' picture when nothing more
// particular applies).
wxBitmap ProgramIcon(int size = 32);
// The logo of the about box on screens with enough colours.
wxBitmap ProgramLogo();
// The program's own splash picture, 500 x 350, with room for the status
// line at the place string 132 gives.
wxBitmap SplashPicture();
// An icon enlarged by the factor, inset by 2 pixels, in a black frame with
// a dark-grey shadow 4 pixels wide on the right and bottom: the about box's
// picture on screens with few colours.
wxBitmap FramedBigIcon(wxBitmap const& icon, int factor);

// A timetable's icon from the PNG its resource bundle names, at 16 x 16;
// the program's default train picture when there is none or it cannot be
// read.
wxBitmap TimetableBitmap(std::string const& png_path, int size = 16);
// A picture of a resource bundle at the size; an invalid bitmap when it
// cannot be read.
wxBitmap BundleBitmap(std::string const& png_path, int size);

}  // namespace vemo
