#include "ui/command_art.h"

#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>
#include <wx/log.h>

#include <algorithm>
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

namespace {

// A transparent bitmap of the size to draw on.
wxBitmap Transparent(int width, int height) {
  wxImage image(width, height);
  image.InitAlpha();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.SetAlpha(x, y, 0);
  return wxBitmap(image, 32);
}

constexpr unsigned char kBlue[] = {0x1F, 0x6F, 0xB2};

}  // namespace

wxBitmap ProgramIcon(int size) {
  wxBitmap bitmap = Transparent(size, size);
  wxMemoryDC dc(bitmap);
  std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
  if (!gc) return bitmap;
  wxColour blue(kBlue[0], kBlue[1], kBlue[2]);
  gc->SetBrush(wxBrush(blue));
  gc->SetPen(wxPen(blue.ChangeLightness(70)));
  gc->DrawRoundedRectangle(0.5, 0.5, size - 1.5, size - 1.5, size / 5.0);
  // Two rails under the name.
  gc->SetPen(wxPen(*wxWHITE, std::max(1, size / 16)));
  double rail = size * 0.78;
  gc->StrokeLine(size * 0.15, rail, size * 0.85, rail);
  for (int i = 0; i < 4; ++i) {
    double x = size * (0.22 + i * 0.19);
    gc->StrokeLine(x, rail - size * 0.06, x, rail + size * 0.06);
  }
  gc->SetFont(wxFont(wxFontInfo(size * 0.38).Bold().Family(wxFONTFAMILY_SWISS)), *wxWHITE);
  double w = 0, h = 0;
  gc->GetTextExtent(U8("Ek"), &w, &h);
  gc->DrawText(U8("Ek"), (size - w) / 2, size * 0.38 - h / 2);
  return bitmap;
}

wxBitmap ProgramLogo() {
  constexpr int kWidth = 160, kHeight = 96;
  wxBitmap bitmap = Transparent(kWidth, kHeight);
  wxMemoryDC dc(bitmap);
  std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
  if (!gc) return bitmap;
  wxColour blue(kBlue[0], kBlue[1], kBlue[2]);
  gc->SetPen(*wxTRANSPARENT_PEN);
  gc->SetBrush(gc->CreateLinearGradientBrush(0, 0, kWidth, kHeight, blue.ChangeLightness(60),
                                             blue.ChangeLightness(140)));
  gc->DrawRoundedRectangle(0, 0, kWidth, kHeight, 10);
  // A track running into the distance.
  gc->SetPen(wxPen(*wxWHITE, 2));
  gc->StrokeLine(40, kHeight - 6, 74, 58);
  gc->StrokeLine(120, kHeight - 6, 86, 58);
  for (int i = 0; i < 4; ++i) {
    double t = i / 4.0, y = kHeight - 10 - t * 26;
    gc->StrokeLine(44 + t * 30, y, 116 - t * 30, y);
  }
  gc->SetFont(wxFont(wxFontInfo(30).Bold().Family(wxFONTFAMILY_SWISS)), *wxWHITE);
  double w = 0, h = 0;
  gc->GetTextExtent(U8("Ek"), &w, &h);
  gc->DrawText(U8("Ek"), (kWidth - w) / 2, 6);
  return bitmap;
}

wxBitmap SplashPicture() {
  constexpr int kWidth = 500, kHeight = 350;
  wxBitmap bitmap(kWidth, kHeight, 24);
  wxMemoryDC dc(bitmap);
  std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
  if (!gc) return bitmap;
  wxColour blue(kBlue[0], kBlue[1], kBlue[2]);
  gc->SetPen(*wxTRANSPARENT_PEN);
  gc->SetBrush(gc->CreateLinearGradientBrush(0, 0, 0, kHeight, blue.ChangeLightness(130),
                                             blue.ChangeLightness(50)));
  gc->DrawRectangle(0, 0, kWidth, kHeight);
  gc->DrawBitmap(ProgramLogo(), 24, 24, 160, 96);
  wxString title = U8("Jízdní řád Ek 2009/2010");
  gc->SetFont(wxFont(wxFontInfo(20).Bold().Family(wxFONTFAMILY_SWISS)), *wxWHITE);
  gc->DrawText(title, 24, 150);
  // A track along the bottom, under the status line.
  gc->SetPen(wxPen(wxColour(255, 255, 255, 160), 2));
  gc->StrokeLine(0, 320, kWidth, 320);
  gc->StrokeLine(0, 334, kWidth, 334);
  for (int x = 8; x < kWidth; x += 24) gc->StrokeLine(x, 316, x, 338);
  return bitmap;
}

wxBitmap FramedBigIcon(wxBitmap const& icon, int factor) {
  int inner_w = icon.GetWidth() * factor, inner_h = icon.GetHeight() * factor;
  int width = inner_w + 8, height = inner_h + 8;
  wxBitmap bitmap = Transparent(width, height);
  wxMemoryDC dc(bitmap);
  std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
  if (!gc) return bitmap;
  gc->SetPen(*wxTRANSPARENT_PEN);
  gc->SetBrush(wxBrush(wxColour(0x40, 0x40, 0x40)));
  gc->DrawRectangle(4, 4, width - 4, height - 4);
  gc->SetBrush(*wxWHITE_BRUSH);
  gc->SetPen(*wxBLACK_PEN);
  gc->DrawRectangle(0.5, 0.5, width - 5, height - 5);
  wxImage enlarged = icon.ConvertToImage();
  enlarged.Rescale(inner_w, inner_h, wxIMAGE_QUALITY_NEAREST);
  gc->DrawBitmap(wxBitmap(enlarged), 2, 2, inner_w, inner_h);
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
