#include "ui/command_art.h"

#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>
#include <wx/log.h>

#include <memory>

#include "shell/command_ids.h"
#include "ui/wx_text.h"

namespace vemo {
namespace {

struct Art {
  int command;
  unsigned colour;  // 0xRRGGBB
  const char* letter;
};

constexpr Art kArt[] = {
    {cmd::kNewConnWindow, 0x1F6FB2, "S"},
    {cmd::kArrDepWindow, 0xC0392B, "O"},
    {cmd::kArrDepWindowAir, 0xC0392B, "L"},
    {cmd::kTrainsWindow, 0x27AE60, "V"},
    {cmd::kTrainsWindowAir, 0x27AE60, "L"},
    {cmd::kZjrWindow, 0x8E44AD, "Z"},
    {cmd::kHelp, 0x7F8C8D, "?"},
    {cmd::kExit, 0x555555, "×"},
    {cmd::kToggleTooltips, 0xD4AC0D, "i"},
};

}  // namespace

wxBitmap CommandBitmap(int command, int size) {
  Art art{command, 0x95A5A6, "·"};
  for (Art const& a : kArt)
    if (a.command == command) art = a;
  wxImage image(size, size);
  image.InitAlpha();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) image.SetAlpha(x, y, 0);
  wxBitmap bitmap(image, 32);
  {
    wxMemoryDC dc(bitmap);
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
    if (gc) {
      wxColour fill((art.colour >> 16) & 0xFF, (art.colour >> 8) & 0xFF, art.colour & 0xFF);
      gc->SetBrush(wxBrush(fill));
      gc->SetPen(wxPen(fill.ChangeLightness(70)));
      gc->DrawRoundedRectangle(0.5, 0.5, size - 1.5, size - 1.5, size / 5.0);
      wxFont font(wxFontInfo(size * 0.55).Bold().Family(wxFONTFAMILY_SWISS));
      gc->SetFont(font, *wxWHITE);
      wxString letter = U8(art.letter);
      double w = 0, h = 0;
      gc->GetTextExtent(letter, &w, &h);
      gc->DrawText(letter, (size - w) / 2, (size - h) / 2);
    }
  }
  return bitmap;
}

wxBitmap BundleBitmap(std::string const& png_path, int size) {
  if (png_path.empty()) return wxBitmap();
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  // A damaged picture is left out, without a message.
  wxLogNull quiet;
  wxImage image;
  if (!image.LoadFile(U8(png_path), wxBITMAP_TYPE_PNG) || !image.IsOk()) return wxBitmap();
  if (image.GetWidth() != size || image.GetHeight() != size)
    image.Rescale(size, size, wxIMAGE_QUALITY_HIGH);
  return wxBitmap(image);
}

wxBitmap TimetableBitmap(std::string const& png_path, int size) {
  wxBitmap bitmap = BundleBitmap(png_path, size);
  return bitmap.IsOk() ? bitmap : CommandBitmap(cmd::kTrainsWindow, size);
}

}  // namespace vemo
