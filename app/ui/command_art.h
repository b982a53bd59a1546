#pragma once
// The program's own pictures of its commands, drawn at run time: a rounded
// tile in the command's colour with its letter, so that the toolbars and
// menus need no image files.
#include <wx/bitmap.h>

namespace vemo {

wxBitmap CommandBitmap(int command, int size = 16);

}  // namespace vemo
